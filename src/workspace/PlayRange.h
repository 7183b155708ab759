// Which segments Play plays and where the play line stands: pure rules over
// the display state, so they are checked without a sound device.
#pragma once

#include <cstdint>

#include "workspace/DisplayState.h"
#include "workspace/Shown.h"

namespace vode {

// Sets PlayFirst and PlayLast for a Play: in Waveform view the window the large
// pane drew last (wave); the screen unless the chosen range lies on it; never
// past the last of segmentCount segments. false when nothing is left to play.
bool choosePlayRange(DisplayState& state, int32_t segmentCount, const WaveWindow* wave);

// The segment's centre in the flow pane (and the large pane outside Waveform
// view).
int playLineX(const DisplayState& state, int32_t segment);
// The large pane: in Waveform view the segment's centre inside the window it
// drew (wave).
int largePlayLineX(const DisplayState& state, int32_t segment, int paneWidth, const WaveWindow* wave);

// What the Edit menu's range marks act on: the range of the last drag while
// the segment it started on is still current (either way round), else the
// current segment alone.
struct SelectedSegments {
  int32_t first = 0;
  int32_t last = 0;
};
SelectedSegments selectedSegments(const DisplayState& state);

// Seconds a playback of PlayFirst..PlayLast lasts at 10240 samples a second,
// and the warning (printf format: taken, expected) for one that took longer or
// shorter.
double expectedPlaySeconds(const DisplayState& state);
const char* playRateWarningFormat();

}  // namespace vode
