// The routines the pane painters share.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

#include "viewer/Painters.h"
#include "viewer/PaneDrawing.h"

namespace vode {

enum class FlowTraceKind { Flow, Volume, Power };

// One breath-signal trace over the screen of the time axis.
void PlotFlowTrace(draw::LineCanvas& canvas, const QRect& pane, const TimeAxis& axis, const QColor& colour,
                   FlowTraceKind kind, const PaintContext& ctx);

// The current channel's spectrum choice, over the background reference
// curve; remembers both in memory for the spectrum read-out.
void display_psd(draw::LineCanvas& canvas, QSize pane, const QColor& colour, PaintContext& ctx,
                 PsdMemory& memory, bool largePane, PaintOutcome& outcome);

// dB range of a spectrum pane.
struct DbRange {
  int bottom = 0;
  int top = 64;
};
DbRange spectrumRange(const DisplayState& state, bool largePane);

// values[0 .. last bin of MaxFrequency] as a line from left to right.
void PlotSpectrum(draw::LineCanvas& canvas, QSize pane, const float* values, int count, const QColor& colour,
                  DbRange range, int maxFrequency, float dBReference);

// The large pane's three views.
void waveform_paint(draw::LineCanvas& canvas, QSize pane, PaintContext& ctx, PaintOutcome& outcome);
void spectrum_paint(draw::LineCanvas& canvas, QSize pane, PaintContext& ctx, PsdMemory& memory,
                    PaintOutcome& outcome);
void sonogram_paint(QPainter& p, QSize pane, PaintContext& ctx);

// The colour bar: palette index 63 at the top, 0 at the bottom.
void PaintdBScale(QPainter& p, const QRect& pane, const WindowPalette& palette);

}  // namespace vode

namespace vode {

// Colour of a tag-strip cell; invalid (not painted) for an untagged, unflagged
// segment. Later rules override earlier ones: phase, then wheeze, rejected,
// clipped.
QColor tagColour(uint8_t phase, uint8_t flags);

}  // namespace vode
