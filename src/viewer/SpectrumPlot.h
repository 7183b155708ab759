// What the two spectrum panes share (the small spectrum pane and the large
// pane in Spectrum view): display_psd draws the chosen spectrum over the
// background reference and remembers both, and spectrum_move reads them back.
#pragma once

#include <QColor>
#include <QSize>
#include <vector>

#include "viewer/PaneDrawing.h"
#include "viewer/PaneView.h"

namespace vode {

// The spectrum and reference that display_psd drew last into one pane.
struct PsdMemory {
  bool hasSpectrum = false;
  std::vector<float> spectrum;
  bool hasReference = false;
  std::vector<float> reference;
  void clear() {
    hasSpectrum = hasReference = false;
    spectrum.clear();
    reference.clear();
  }
};

// dB range of a spectrum pane.
struct DbRange {
  int bottom = 0;
  int top = 64;
};
DbRange spectrumRange(const DisplayState& state, bool largePane);

// values[0 .. last bin of MaxFrequency] as a line from left to right.
void PlotSpectrum(draw::LineCanvas& canvas, QSize pane, const float* values, int count, const QColor& colour,
                  DbRange range, int maxFrequency, float dBReference);

// The current channel's spectrum choice, over the background reference
// curve; remembers both in memory for the read-out.
void display_psd(draw::LineCanvas& canvas, QSize pane, const QColor& colour, const PaneContext& ctx,
                 PsdMemory& memory, bool largePane, PaintOutcome& outcome);

// Frequency and level under column x of what display_psd drew.
Readout spectrum_move(const PaneContext& ctx, QSize pane, QPoint pos, const PsdMemory& memory);

}  // namespace vode
