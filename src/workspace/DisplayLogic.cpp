#include "workspace/DisplayLogic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/Numeric.h"

namespace vode {

namespace {

int clampIndex(int value, int last) { return std::clamp(value, 0, last); }

constexpr int LastWaveformIndex = 7;
constexpr int LastTimeIndex = 3;
constexpr int LastFrequencyIndex = 2;
constexpr int LastDbScaleIndex = 1;
constexpr int LastFlowDisplay = 2;
// 100 ms: the shortest window the X zoom-in reaches.
constexpr int ShortestZoomedWaveformIndex = 2;
// 200 ms: where the X zoom-out lands from anything shorter.
constexpr int FirstWideWaveformIndex = 3;

bool moveTo(int16_t& field, int value) {
  if (field == value) return false;
  field = static_cast<int16_t>(value);
  return true;
}

}  // namespace

int32_t pagedFirstSegment(int32_t n, int32_t firstSegment, int32_t segmentsPerScreen) {
  const int32_t half = segmentsPerScreen / 2;
  if (half <= 0) return n;
  if (n < firstSegment) return (n / half) * half;
  if (n >= firstSegment + segmentsPerScreen) return (n / half - 1) * half;
  return firstSegment;
}

double amplitudeVolts(int amplitudeIndex, uint16_t peakAmplitude) {
  if (amplitudeIndex >= 0 && amplitudeIndex < AutoAmplitudeIndex) return 0.5 * (amplitudeIndex + 1);
  // The peak in volts rounded up to the next 0.5 V step.
  const double steps = std::trunc(peakAmplitude / CountsPerFiveVolts * 10.0 + 0.9999);
  return std::max(steps, 1.0) / 2.0;
}

uint16_t amplitudeCountsFor(double volts) {
  const int32_t counts = roundEven(volts * CountsPerFiveVolts / 5.0);
  return static_cast<uint16_t>(std::clamp<int32_t>(counts, 1, 65535));
}

namespace {

// A small negative flow rounds to "-0.00", which reads as a direction the
// breath does not have.
std::string statusFixed(float value) {
  std::string text = formatFixed(value, 2);
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

}  // namespace

std::string segmentStatusText(const Document& doc, const DisplayState& state, int32_t n) {
  std::string label = "N/A";
  std::string value = "N/A";
  if (const PhaseTable* phases = doc.phaseTable.get()) {
    label = phases->PhaseLabel(n);
    const bool inTable = n >= 0 && n < PhaseTable::Capacity;
    if (state.FlowDisplay == 1) {
      value = statusFixed(inTable ? phases->runningVolume[n] : 0.0f) + " L";
    } else {
      const float flow = phases->segmentFlowAt(n);
      value = statusFixed(flow) + (doc.isResp() ? " V" : " L/s");
    }
  }
  return "Time " + formatFixed(n / 10.0, 1) + "s, " + label + ", " + value;
}

void applySettings(DisplayState& state, const PreferencesRecord& prefs) {
  state.FlowDisplay = static_cast<int16_t>(clampIndex(prefs.flowDisplay, LastFlowDisplay));
  state.WaveformIndex = static_cast<int16_t>(clampIndex(prefs.waveformTime, LastWaveformIndex));
  state.AmplitudeIndex = static_cast<int16_t>(clampIndex(prefs.amplitude, AutoAmplitudeIndex));
  state.TimeIndex = static_cast<int16_t>(clampIndex(prefs.sonogramTime, LastTimeIndex));
  state.FrequencyIndex = static_cast<int16_t>(clampIndex(prefs.frequency, LastFrequencyIndex));
  state.dBScaleIndex = static_cast<int16_t>(clampIndex(prefs.dBScale, LastDbScaleIndex));
  state.dBReference = prefs.dBReference;
  state.MaxFrequency = FrequencyList[state.FrequencyIndex];
  state.SonoSeconds = SonoSecondsList[state.TimeIndex];
  state.SegmentPixels = static_cast<int16_t>(400 / (state.SonoSeconds * 10));
}

int waveformWindowMs(const DisplayState& state) {
  return std::max(100, WaveformMsList[clampIndex(state.WaveformIndex, LastWaveformIndex)]);
}

FlowShapeGeometry flowShapeGeometry(const DisplayState& state, int sonoShapeLeft) {
  FlowShapeGeometry g;
  if (state.ViewMode == WaveformView) {
    const int ms = waveformWindowMs(state);
    const int w = (ms / 100) * state.SegmentPixels;
    // Windows longer than 200 ms are centred on the current segment.
    g.left = std::max(0, sonoShapeLeft - (ms > 200 ? w / 2 - state.SegmentPixels : 0));
    g.width = w + 2;
    g.largeStep = ms < 200 ? 1 : ms / 200;
  } else {
    g.left = sonoShapeLeft;
    g.width = state.SegmentPixels + 2;
    g.largeStep = state.SonoSeconds * 5;  // half a screen
  }
  return g;
}

int16_t nextFlowDisplay(int16_t current, bool haveAverages) {
  const int next = (clampIndex(current, LastFlowDisplay) + 1) % 3;
  if (next == 2 && !haveAverages) return 0;
  return static_cast<int16_t>(next);
}

bool stepTimeIndex(PreferencesRecord& prefs, int direction) {
  return moveTo(prefs.sonogramTime, clampIndex(clampIndex(prefs.sonogramTime, LastTimeIndex) + direction, LastTimeIndex));
}

bool stepWaveformIndex(PreferencesRecord& prefs, int direction) {
  const int index = clampIndex(prefs.waveformTime, LastWaveformIndex);
  if (direction < 0) {
    if (index <= ShortestZoomedWaveformIndex) return false;
    return moveTo(prefs.waveformTime, index - 1);
  }
  const int wider = std::max(std::min(index + 1, LastWaveformIndex), FirstWideWaveformIndex);
  return moveTo(prefs.waveformTime, wider);
}

bool stepAmplitudeIndex(PreferencesRecord& prefs, int direction) {
  return moveTo(prefs.amplitude, clampIndex(clampIndex(prefs.amplitude, AutoAmplitudeIndex) + direction, AutoAmplitudeIndex));
}

bool stepFrequencyIndex(PreferencesRecord& prefs, int direction) {
  return moveTo(prefs.frequency,
                clampIndex(clampIndex(prefs.frequency, LastFrequencyIndex) + direction, LastFrequencyIndex));
}

bool stepDbScaleIndex(PreferencesRecord& prefs, int direction) {
  return moveTo(prefs.dBScale, clampIndex(clampIndex(prefs.dBScale, LastDbScaleIndex) + direction, LastDbScaleIndex));
}

DbLabels dbLabels(const DisplayState& state) {
  if (state.ViewMode == SpectrumView && state.dBScaleIndex == 1) return {72, 24};
  return {64, 16};
}

int32_t stepTaggedTarget(const Document& doc, const DisplayState& state, int direction) {
  const int32_t current = state.CurrentSegment;
  if (!doc.recording || !doc.phaseTable || !doc.tagTable || state.PsdChoice == PsdAll) return current;
  const int32_t count = doc.recording->segmentCount;
  const TagTable& tags = *doc.tagTable;
  const bool breath = state.PsdChoice == PsdBreath;

  // "Breath" jumps to the first segment of the neighbouring phase of the same
  // direction and then looks forward from there.
  const int32_t start = breath ? doc.phaseTable->StepPhase(current, direction) : current + direction;
  const int step = breath ? 1 : direction;
  for (int32_t s = start; s >= 0 && s < count; s += step) {
    const uint8_t phase = tags.phase(s);
    if ((phase == Inspiration || phase == Expiration) && tags.flags(state.CurrentChannel, s) == 0) return s;
  }
  return breath ? std::clamp<int32_t>(start, 0, std::max(count - 1, 0)) : current;
}

}  // namespace vode
