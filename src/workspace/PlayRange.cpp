#include "workspace/PlayRange.h"

#include <algorithm>
#include <cmath>

#include "model/Recording.h"

namespace vode {

bool choosePlayRange(DisplayState& state, int32_t segmentCount, const WaveWindow* wave) {
  if (state.ViewMode == WaveformView && wave) {
    state.PlayFirst = wave->waveFirstSample / SegmentSamples;
    state.PlayLast = (wave->waveFirstSample + wave->waveSpan) / SegmentSamples;
  }
  // A range chosen earlier plays again while it is on screen.
  const int32_t screenLast = state.FirstSegment + state.segmentsPerScreen() - 1;
  if (state.PlayFirst < state.FirstSegment || state.PlayLast > screenLast) {
    state.PlayFirst = state.FirstSegment;
    state.PlayLast = screenLast;
  }
  state.PlayLast = std::min(state.PlayLast, segmentCount - 1);
  return state.PlayFirst >= 0 && state.PlayFirst <= state.PlayLast;
}

SelectedSegments selectedSegments(const DisplayState& state) {
  const int32_t s = state.CurrentSegment;
  if (state.SelectFrom != s || state.SelectTo < 0) return {s, s};
  return {std::min(s, state.SelectTo), std::max(s, state.SelectTo)};
}

int playLineX(const DisplayState& state, int32_t segment) {
  return (segment - state.FirstSegment) * state.SegmentPixels + state.SegmentPixels / 2;
}

int largePlayLineX(const DisplayState& state, int32_t segment, int paneWidth, const WaveWindow* wave) {
  if (state.ViewMode != WaveformView || !wave) return playLineX(state, segment);
  const double centre = static_cast<double>(segment) * SegmentSamples - wave->waveFirstSample + SegmentSamples / 2;
  return static_cast<int>(std::nearbyint(centre / std::max(wave->waveSpan, 1) * paneWidth));
}

double expectedPlaySeconds(const DisplayState& state) { return (state.PlayLast - state.PlayFirst + 1) / 10.0; }

const char* playRateWarningFormat() {
  return "Playback took %0.1f versus %0.1f seconds.\rYour sound card may not support the required\r"
         "playback rate of 10240 Hz.";
}

}  // namespace vode
