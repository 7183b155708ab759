// The main window's display rules that need no widget: paging, the amplitude
// scale, the segment status text, the flow-pane marker, the zoom steps and the
// tagged-segment scan. The window applies their results to its controls.
#pragma once

#include <cstdint>
#include <string>

#include "document/Document.h"
#include "reports/NumberFormat.h"  // formatFixed
#include "workspace/DisplayState.h"

namespace vode {

// Counts drawn at the edge of the waveform panes for a full scale of 5 V.
constexpr double CountsPerFiveVolts = 32768.0;

// FirstSegment after making segment n current: the time-aligned panes move in
// half-screen steps, so n lands in the first half when moving left and in the
// second half when moving right.
int32_t pagedFirstSegment(int32_t n, int32_t firstSegment, int32_t segmentsPerScreen);

// The amplitude at the edge of the waveform panes, in volts: the chosen entry
// (0.5 .. 5.0 V), or for "auto" the peak rounded up to a 0.5 V step. An
// all-zero recording still gets one step, so no pane divides by zero.
double amplitudeVolts(int amplitudeIndex, uint16_t peakAmplitude);
uint16_t amplitudeCountsFor(double volts);

// "Time 2.3s, 4i, 0.75 L/s" for segment n.
std::string segmentStatusText(const Document& doc, const DisplayState& state, int32_t n);

// Copies the display settings of the preferences into the state, each index
// limited to its list (a damaged file may hold any number), and derives
// SonoSeconds, SegmentPixels and MaxFrequency from them.
void applySettings(DisplayState& state, const PreferencesRecord& prefs);

// Where the flow-pane marker sits and how far a large scroll-bar step goes.
struct FlowShapeGeometry {
  int left = 0;
  int width = 0;
  int largeStep = 1;
};
FlowShapeGeometry flowShapeGeometry(const DisplayState& state, int sonoShapeLeft);

// The expanded waveform's window in ms: the chosen entry, at least 100 ms.
int waveformWindowMs(const DisplayState& state);

// The volume toggle: flow -> flow and volume -> flow and power -> flow; power
// needs overall averages.
int16_t nextFlowDisplay(int16_t current, bool haveAverages);

// Zoom steps on the preference indices; each returns true when the index moved.
bool stepTimeIndex(PreferencesRecord& prefs, int direction);
bool stepWaveformIndex(PreferencesRecord& prefs, int direction);
bool stepAmplitudeIndex(PreferencesRecord& prefs, int direction);
bool stepFrequencyIndex(PreferencesRecord& prefs, int direction);
bool stepDbScaleIndex(PreferencesRecord& prefs, int direction);

// Top and step of the large pane's dB labels.
struct DbLabels {
  int top = 64;
  int step = 16;
};
DbLabels dbLabels(const DisplayState& state);

// The segment the previous/next buttons move to.
int32_t stepTaggedTarget(const Document& doc, const DisplayState& state, int direction);

}  // namespace vode
