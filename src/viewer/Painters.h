// Painting of every pane from the model: each painter draws into a QPainter of
// the pane's logical size and never computes analysis results. The same code
// renders into the window and into off-screen images.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

#include "document/Document.h"
#include "viewer/DisplayState.h"
#include "viewer/PaneGeometry.h"
#include "viewer/WindowPalette.h"

namespace vode {

// Everything a painter reads.
struct PaintContext {
  const Document& doc;
  DisplayState& state;  // painters record the expanded-waveform geometry here
  const WindowPalette& palette;
};

// What a paint leaves for the window to do: painters never open boxes or touch
// labels themselves.
struct PaintOutcome {
  // The analysis exists without power data: show PowerNilMessage (plain box,
  // after the paint has finished).
  bool powerNil = false;
  // The expanded waveform was drawn; its edge times go into LeftTimeLabel and
  // RightTimeLabel.
  bool waveformDrawn = false;
  QString leftTimeLabel;
  QString rightTimeLabel;
};

inline constexpr const char* PowerNilMessage = "display_psd: Power = NIL?";

// Each painter fills its pane (or, for the tag strip, the invalid region)
// from scratch, starting with the pane's background.
void FlowBoxPaint(QPainter& p, QSize pane, PaintContext& ctx);
PaintOutcome SonoBoxPaint(QPainter& p, QSize pane, PaintContext& ctx, PsdMemory& memory);
void TagBoxPaint(QPainter& p, QSize pane, QRect invalid, PaintContext& ctx);
void TimeBoxPaint(QPainter& p, QSize pane, PaintContext& ctx);
PaintOutcome FreqBoxPaint(QPainter& p, QSize pane, PaintContext& ctx, PsdMemory& memory);
void DBBoxPaint(QPainter& p, QSize pane, PaintContext& ctx);

// Renders one whole pane into an image of its logical size at the given
// device pixel ratio (tests, captures, benchmarks). memory is needed for the
// large and the spectrum pane and may be null for the others.
QImage renderPane(Pane pane, PaintContext& ctx, PsdMemory* memory = nullptr, qreal devicePixelRatio = 1.0,
                  PaintOutcome* outcome = nullptr);

}  // namespace vode
