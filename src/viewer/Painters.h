// Painting of every pane from the model: each painter draws into a QPainter of
// the pane's logical size and never computes analysis results. The same code
// renders into the window and into off-screen images.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QVector>

#include "model/Document.h"
#include "viewer/DisplayState.h"

namespace vode {

// The window's 64-entry colour table (grey ramp or pal.dat).
using WindowPalette = QVector<QRgb>;

// Everything a painter reads.
struct PaintContext {
  const Document& doc;
  DisplayState& state;         // painters record the expanded-waveform geometry here
  const WindowPalette& palette;
};

void FlowBoxPaint(QPainter& p, QSize pane, PaintContext& ctx);
void SonoBoxPaint(QPainter& p, QSize pane, PaintContext& ctx, PsdMemory& memory);
void TagBoxPaint(QPainter& p, QSize pane, QRect invalid, PaintContext& ctx);
void TimeBoxPaint(QPainter& p, QSize pane, PaintContext& ctx);
void FreqBoxPaint(QPainter& p, QSize pane, PaintContext& ctx, PsdMemory& memory);
void DBBoxPaint(QPainter& p, QSize pane, PaintContext& ctx);

}  // namespace vode
