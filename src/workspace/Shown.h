// What the panes show, computed from the document and the display state.
// The painters, the cursor read-outs and playback all ask here, so what the
// status bar reads and what Play plays never depend on what a paint left.
#pragma once

#include <cstdint>
#include <optional>

#include "document/Document.h"
#include "workspace/DisplayState.h"

namespace vode {

// The window of the expanded waveform for the current segment.
struct WaveWindow {
  int32_t waveMs = 100;  // WaveMs: the chosen time, at least 100 ms
  int32_t startMs = 0;   // t0
  int32_t stopMs = 100;  // t0 + WaveMs, before the cut at the end
  int32_t endMs = 100;   // stopMs cut at the end of the recording
  int32_t waveFirstSample = 0;
  int32_t waveSpan = 1023;
  int32_t waveEndSample = 1024;
  int32_t flowFirstSample = 0;
  int32_t flowSpan = 31;
  int32_t flowEndSample = 32;
};
WaveWindow waveWindow(const DisplayState& state, int32_t segmentCount);

// The expanded waveform of the large pane: its window in Waveform view when
// the current channel has samples and the window is enabled; none otherwise.
std::optional<WaveWindow> shownWave(const Document& doc, const DisplayState& state);

// What a spectrum pane shows: the chosen spectrum of the current channel
// over the background average (BinCount values), either of which may be
// missing. The large pane shows one in Spectrum view only.
struct ShownSpectrum {
  const float* spectrum = nullptr;
  int count = 0;
  const float* reference = nullptr;
  // Spectra exist without power data: the pane says so in a box.
  bool powerNil = false;
};
ShownSpectrum shownSpectrum(const Document& doc, const DisplayState& state, bool largePane);

}  // namespace vode
