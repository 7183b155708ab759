// Breath cycles from the sound alone, for recordings without a breath
// signal: the loudness of the breath-sound band, freed of heart sounds and
// scaled to the recording's own range; a cycle starts where that loudness
// rises steeply (the onset of inspiration), and runs to the next such rise.
// The method and the reason for every constant are in docs/DESIGN.md
// ("Breath cycles from sound").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vode {

struct Recording;

// The choices the evaluation tunes; every other value is a constant of
// BreathCycleEstimate.cpp with its reason beside it.
struct CycleParameters {
  float rise = 0.2f;     // least rise of the scaled loudness over 0.4 s that starts a cycle
  float spacing = 0.8f;  // s: boundaries closer than this keep only the steeper rise
  float lag = 0.075f;    // s: from the centre of the rising frame to the boundary
  float narrowLag = -0.3f;  // s: the same on a chest piece that passes little above 1 kHz
  // A second pass keeps boundaries this share of the first pass's median
  // cycle apart (at least `spacing`); 0 for none.
  float relative = 0.7f;

  // Sets the value called name ("rise", "spacing", "lag", "narrow-lag", "relative");
  // false for another name or a value outside its sensible range.
  bool set(const std::string& name, double value);
};

struct CycleSpan {
  double start = 0.0;  // s
  double end = 0.0;    // s
};

struct CycleEstimate {
  std::vector<double> boundaries;  // s, increasing
  std::vector<CycleSpan> cycles;   // between neighbouring boundaries, at most MaxCycleSeconds long
  std::vector<float> loudness;     // the scaled loudness per frame (0: the median, 1: the 10-90 % range)
  double frameSeconds = 0.0;       // frame j is centred at (j + 1) × frameSeconds
  bool narrowBand = false;         // the channels pass little above 1 kHz (BandBalance::narrow)
};

// A gap between boundaries longer than this is no breath (apnoea, a stretch
// of noise or handling): no cycle is made across it.
constexpr double MaxCycleSeconds = 10.0;

// Estimates the cycles of channel `channel` (0-based), or of the sum of every
// channel's band power when channel is -1, filtering `threads` channels at a
// time (0: one per core; any count gives the same result). A recording under
// two seconds, or a silent one, has none.
CycleEstimate EstimateBreathCycles(const Recording& rec, int channel = -1, const CycleParameters& p = {},
                                   int threads = 0);

// Phases marked from estimated cycles by a fixed rule: in each cycle the first
// part, up to the quietest frame between 20 % and 60 % of its length (the
// pause between breathing in and out), is inspiration; the rest expiration.
// A segment belongs to the part holding its centre; segments outside every
// cycle are left out. Ranges in segment order, none empty.
struct PhaseSpan {
  int first = 0;
  int last = 0;
  uint8_t phase = 0;  // Inspiration or Expiration
};
std::vector<PhaseSpan> PhasesFromCycles(const CycleEstimate& estimate, int segmentCount);

// Estimated boundaries against annotated ones.
struct BoundaryScore {
  int matched = 0;
  int estimated = 0;
  int annotated = 0;
  void add(const BoundaryScore& other);
  double precision() const;  // NaN without estimated boundaries
  double recall() const;     // NaN without annotated boundaries
  double f1() const;         // 2 matched / (estimated + annotated); NaN when both are 0
};

// The boundaries of a list of cycles: their distinct starts and ends (a cycle
// beginning where the one before ends shares that boundary), leaving out
// those within 0.5 s of either end of a recording of `seconds`.
std::vector<double> CycleBoundaries(const std::vector<CycleSpan>& cycles, double seconds);

// Matches estimated to annotated boundaries one to one, the nearest pair
// first, pairs more than 0.5 s apart never.
BoundaryScore ScoreBoundaries(const std::vector<double>& estimated, const std::vector<double>& annotated);

// "# precision 0.750 (3/4), recall 0.600 (3/5), F1 0.667"; an undefined
// ratio reads "nan".
std::string BoundaryScoreLine(const BoundaryScore& score);

}  // namespace vode
