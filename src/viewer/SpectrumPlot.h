// What the two spectrum panes share (the small spectrum pane and the large
// pane in Spectrum view): display_psd draws the chosen spectrum over the
// background reference, and spectrum_move reads the same two back; both ask
// shownSpectrum (workspace/Shown.h) what they are.
#pragma once

#include <QColor>
#include <QSize>

#include "viewer/PaneDrawing.h"
#include "viewer/PaneView.h"

namespace vode {

// dB range of a spectrum pane.
struct DbRange {
  int bottom = 0;
  int top = 64;
};
DbRange spectrumRange(const DisplayState& state, bool largePane);

// values[0 .. last bin of MaxFrequency] as a line from left to right.
void PlotSpectrum(draw::LineCanvas& canvas, QSize pane, const float* values, int count, const QColor& colour,
                  DbRange range, int maxFrequency, float dBReference);

// The current channel's spectrum choice, over the background reference curve.
void display_psd(draw::LineCanvas& canvas, QSize pane, const QColor& colour, const PaneContext& ctx,
                 bool largePane, PaintOutcome& outcome);

// Frequency and level under column x of what display_psd draws.
Readout spectrum_move(const PaneContext& ctx, QSize pane, QPoint pos, bool largePane);

}  // namespace vode
