// Synthetic recordings that look like real breathing, for the demo and the
// tests: a flow trace of 12-20 breaths a minute with varying depth and short
// end-expiratory pauses, flat-topped so that most breath segments sit inside
// the default (tidal) target window, and per-channel breath sound whose
// loudness follows the flow. Deterministic for a seed on every platform: the
// generator is our own and the noise needs no library distributions.
#pragma once

#include <cstdint>
#include <vector>

namespace vode {

struct RecordingBundle;

struct SynthOptions {
  uint64_t seed = 1;
  int channels = 2;       // 0..8 sound channels
  double seconds = 60.0;  // rounded to whole segments, 0.1 .. 180 s
  bool resp = false;      // a respiration-band trace (airflowKind 1) instead of airflow
  // Sound events, each a pass over the channels after the breath sound with
  // its own random stream, so the breath sound stays the same with or without.
  bool wheezes = false;   // musical tones in some inspirations and expirations
  bool crackles = false;  // short damped transients, mostly early in inspiration
  // false: the breath trace stays at zero, as on a stethoscope recording
  // (the sound is the same either way).
  bool breathSignal = true;
  // The plateau flow the breaths are sized to, mL/s; 0: the tidal target of
  // the subject's weight.
  double targetFlow = 0.0;
};

struct SynthEvent;
struct SynthBreath;

// Resets the document and fills it: subject, laboratory, channel set-up,
// comments and the recording (volume computed). No tag table. The sound
// events added are put in events (in time order) and the breath plan in
// breaths when they are given.
void makeSyntheticRecording(RecordingBundle& doc, const SynthOptions& options, std::vector<SynthEvent>* events = nullptr,
                            std::vector<SynthBreath>* breaths = nullptr);

// xoshiro256** seeded through splitmix64.
class SynthRandom {
 public:
  explicit SynthRandom(uint64_t seed);
  uint64_t next();
  double uniform();                          // [0, 1)
  double uniform(double lo, double hi);      // [lo, hi)
  int integer(int lo, int hi);               // lo .. hi inclusive
  double normal();                           // mean 0, deviation 1 (sum of four uniforms)

 private:
  uint64_t s_[4];
};

// One breath: inspiration from start for inspTime seconds, expiration right
// after for expTime, then a pause until the next breath.
struct SynthBreath {
  double start = 0.0;
  double inspTime = 0.0;
  double expTime = 0.0;
  double pauseTime = 0.0;
  double inspFlow = 0.0;  // plateau, mL/s
  double expFlow = 0.0;   // plateau, mL/s (positive)
};

// Breaths covering [0, seconds) for a plateau near targetFlow (mL/s).
std::vector<SynthBreath> planBreaths(SynthRandom& random, double seconds, double targetFlow);

// The clean airflow of a plan at time t (mL/s; inspiration positive).
double breathFlowAt(const std::vector<SynthBreath>& plan, double t);

// The default tidal target of a subject, as the tagging computes it:
// q = 7.5 mL/kg/s × weight; target round(100 q) × 10 mL/s, tolerance round(200 q).
struct SynthTarget {
  int flow = 0;
  int tolerance = 0;
};
SynthTarget tidalTarget(float weightKg);

}  // namespace vode
