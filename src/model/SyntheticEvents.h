// Sound events laid over a synthetic recording's breath sound: wheezes
// (musical tones) and crackles (short damped transients).
#pragma once

#include <string>
#include <vector>

#include "model/Synthetic.h"

namespace vode {

struct Recording;

struct SynthEvent {
  enum class Kind { Wheeze, Crackle };
  Kind kind = Kind::Wheeze;
  double start = 0.0;  // s
  double end = 0.0;    // s
  bool inspiration = true;
  double startHz = 0.0;  // a wheeze glides from startHz to endHz; a crackle's first
  double endHz = 0.0;    // deflection is at startHz, and it rings down to endHz
};

// Tones of 100-1000 Hz lasting 250 ms to 1.5 s with a slight glide, each inside
// one inspiration or expiration of the plan (the two alternate), on every
// sound channel with its own loudness. About two breaths in five carry one,
// and at least two (one of each phase) where the breaths have room. Returns
// them in time order.
std::vector<SynthEvent> addWheezes(Recording& rec, const std::vector<SynthBreath>& plan, SynthRandom& random);

// Damped oscillations under 20 ms, up to four in half of the inspirations,
// most in its first third; loudest on one channel. At least one when an
// inspiration fits. Returns them in time order.
std::vector<SynthEvent> addCrackles(Recording& rec, const std::vector<SynthBreath>& plan, SynthRandom& random);

// The breath plan as annotated cycles, one line each: start and end in
// seconds (a breath runs to the start of the next; the last to the end of
// its pause or of the recording), then 1 or 0 for a crackle starting inside
// it and for a wheeze overlapping it, separated by tabs: the form annotated
// collections publish, for scoring the detectors on known cycles.
std::string cycleAnnotation(const std::vector<SynthBreath>& plan, const std::vector<SynthEvent>& events,
                            double seconds);

}  // namespace vode
