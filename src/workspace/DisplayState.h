// What the main window shows and how: the display state read by every pane
// and mouse routine. Lives for the whole run.
#pragma once

#include <cstdint>
#include <vector>

namespace vode {

enum ViewMode : int16_t { SonogramView = 0, WaveformView = 1, SpectrumView = 2 };
enum PsdChoice : int { PsdSingle = 0, PsdBreath = 1, PsdAll = 2 };

// The choice lists of the preferences, as numbers.
inline constexpr int WaveformMsList[8] = {25, 50, 100, 200, 400, 800, 1600, 3200};
inline constexpr int SonoSecondsList[4] = {5, 10, 20, 40};
inline constexpr int FrequencyList[3] = {1200, 2400, 4800};
constexpr int AutoAmplitudeIndex = 10;  // after 0.5 .. 5.0 V

struct DisplayState {
  int16_t CurrentChannel = 0;
  int32_t CurrentSegment = 0;
  int32_t FirstSegment = 0;
  int32_t SonoSeconds = 5;
  int16_t SegmentPixels = 8;
  int32_t MaxFrequency = 1200;
  uint16_t AmplitudeCounts = 32768;
  int16_t ViewMode = SonogramView;

  // Settings (mirrors of the preferences record).
  int16_t FlowDisplay = 0;
  int16_t WaveformIndex = 2;
  int16_t AmplitudeIndex = AutoAmplitudeIndex;
  int16_t TimeIndex = 0;
  int16_t FrequencyIndex = 0;
  int16_t dBScaleIndex = 1;
  float dBReference = 1e-8f;

  // Playback: the range to play, the segment the play line marks (-1: no
  // line) and the channel being played.
  int32_t PlayFirst = -1;
  int32_t PlayLast = -1;
  int32_t PlayCounter = -1;
  int16_t PlayChannel = 0;

  bool Dragging = false;
  bool MultiTagging = false;

  int PsdChoice = PsdSingle;
  bool WheezesChecked = false;
  bool Playing = false;        // the play timer runs
  bool WindowEnabled = true;   // false while a progress display runs

  // Breath-cycle boundaries estimated from the sound (s), marked on the tag
  // strip until another recording is shown.
  std::vector<double> CycleMarks;
  // Crackles were looked for in this recording: "&Crackles" can be ticked,
  // and while it is the tag strip colours the crackle-flagged segments.
  bool CracklesDetected = false;
  bool CracklesChecked = false;

  int segmentsPerScreen() const { return SonoSeconds * 10; }
};

}  // namespace vode
