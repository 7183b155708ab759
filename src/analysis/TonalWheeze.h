// The tonal wheeze detector: finds continuous musical sounds in the samples
// themselves. Each channel is cut into short overlapping frames and compared
// with its own usual spectrum (the median level of every frequency over the
// recording), so a device's response, its resonances and steady lines drop
// out. A frame's candidates are narrow spectral peaks that stand above that
// usual level by more than the frequencies around them do; candidates whose
// frequency moves smoothly from frame to frame make a track, and a learned
// rule on a track's length and prominence decides whether it is a wheeze (on
// a chest piece that passes little above 1 kHz, only with a second tonal
// track near it). The method and the reason for every constant are in
// docs/DESIGN.md ("Tonal wheeze detector").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vode {

struct Recording;
class TagTable;
struct WheezeMap;
class ProgressSink;

// 50 ms frames every 25 ms: four frame centres per 100 ms segment.
constexpr int TonalFrameLength = 512;
constexpr int TonalHop = 256;

// The decision, learned by scripts/wheeze_train.py (a logistic regression on
// a track's mean prominence and the logarithm of its length, fitted to whole
// breath cycles) on 94 annotated stethoscope recordings of 38 patients: a
// track of TonalReferenceFrames frames needs TonalTrackDb of mean prominence,
// and every doubling of its length takes TonalLengthDb off that. Each patient
// scored by the rule fitted without that patient, alone: cycle-level
// sensitivity 0.821, specificity 0.788, mean 0.805 (the rule fitted on all:
// 0.812); with the narrow chest piece's rule below, per device and per
// patient in docs/DESIGN.md ("The development set").
constexpr int TonalReferenceFrames = 4;
constexpr float TonalTrackDb = 17.03f;
constexpr float TonalLengthDb = 2.88f;

// A chest piece whose response falls steeply above 200 Hz (BandBalance::narrow,
// measured on the channel) turns the breath of patients who do not wheeze into
// short tonal arches as prominent as wheezes, but one at a time; wheezes come
// with harmonics or several to a breath. On such a channel a track is a wheeze
// when its margin under the rule above reaches TonalNarrowMarginDb and at
// least two tracks within TonalPairReach seconds of it, itself included, reach
// TonalPairMarginDb. Chosen by the same script from a grid (0.6-1.4 s, 0 to
// -4 dB, 0 to 6 dB) for the best (Se + Sp) / 2 over all cycles. Each patient
// scored by both rules fitted without that patient: sensitivity 0.762,
// specificity 0.854, mean 0.808 (before, with the rule above alone: 0.805);
// on that chest piece 0.781 (Se 0.810, Sp 0.752; before 0.638); every other
// channel as before.
constexpr float TonalNarrowMarginDb = -1.0f;
constexpr float TonalPairMarginDb = 1.0f;
constexpr float TonalPairReach = 1.0f;

// The tuning values; the defaults are the detector. A track of at least
// minFrames frames is a wheeze when its mean prominence reaches
// trackProminenceDb lowered by lengthDb for every doubling of its length
// beyond TonalReferenceFrames; on a narrow chest piece, as TonalNarrowMarginDb
// and its neighbours above say.
struct TonalParameters {
  float peakProminenceDb = 6.0f;           // a candidate over its usual level and over its neighbourhood
  float trackProminenceDb = TonalTrackDb;  // mean prominence a track of 4 frames needs
  float lengthDb = TonalLengthDb;          // what each doubling of a track's length takes off that
  int minFrames = 4;                       // frames a track spans (one missing frame allowed inside)
  float maxStepHz = 40.0f;                 // largest frequency step between consecutive frames
  float burstDb = 6.0f;                    // a frame this much louder than both sides is a burst
  float narrowMarginDb = TonalNarrowMarginDb;  // narrow chest piece: the margin a track needs
  float pairMarginDb = TonalPairMarginDb;      // ... and two tracks near it, itself included
  float pairReachSeconds = TonalPairReach;     // ... within this gap

  // Sets the value called name ("peak", "track", "length", "frames", "step",
  // "burst", "narrow", "pair", "reach"); false for another name or a value
  // outside its sensible range.
  bool set(const std::string& name, double value);
};

// One frame's share of a track.
struct TonalPoint {
  int frame = 0;
  int bin = 0;              // 5 Hz bins, as the segment spectra
  float prominenceDb = 0.0f;
};

struct TonalTrack {
  std::vector<TonalPoint> points;  // in frame order
  float meanProminenceDb = 0.0f;
  // The decision's margin in dB: mean prominence minus what a track of this
  // length needs; a wheeze from 0 up, on a narrow chest piece by the pair rule.
  float marginDb = 0.0f;
  bool isWheeze = false;
  int firstFrame() const { return points.front().frame; }
  int lastFrame() const { return points.back().frame; }
  int spanFrames() const { return lastFrame() - firstFrame() + 1; }
  bool wheeze() const { return isWheeze; }
};

// The segment holding the centre of frame j.
inline int32_t tonalFrameSegment(int frame) { return (frame * TonalHop + TonalFrameLength / 2) / 1024; }

// The wheezes of one channel of count samples at 10240 Hz, in order of their
// first frame. Fewer samples than one frame give none.
std::vector<TonalTrack> FindTonalTracks(const int16_t* samples, int64_t count, const TonalParameters& p = {});

// Every track of at least minFrames frames, wheeze or not, in the same order:
// what the decision weighed, for tuning and training it.
std::vector<TonalTrack> MeasureTonalTracks(const int16_t* samples, int64_t count, const TonalParameters& p = {});

// Runs FindTonalTracks on every channel of the recording, `threads` at a time
// (0: one per core; any count gives the same result). Each track point's
// segment gets the Wheeze flag of its channel (flags are only added), and the
// map, which must have the recording's channels and segments, gets the
// point's prominence in dB as the score of its segment and bin (the strongest
// when several fall together; every other score 0). Progress: "Calculating
// Wheeze", one step per channel and segment.
void DetectTonalWheezes(const Recording& rec, TagTable& tags, WheezeMap& map, ProgressSink& progress,
                        int threads = 0, const TonalParameters& p = {});

}  // namespace vode
