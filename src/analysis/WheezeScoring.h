// The two passes of the wheeze detector over one channel: peak scoring of each
// segment's log spectrum, then linking of the scores across time.
#pragma once

#include <functional>
#include <string>

#include "analysis/WheezeKernels.h"
#include "analysis/WheezeMap.h"

namespace vode {

class SegmentSpectra;

// ln(power) + 23 in single precision. A power of 0 (digital silence) has no
// logarithm: it reads as the smallest positive normal float, so a silent
// window is flat and holds no peaks.
float LogPower(float power);

// Where peak scoring met a value that is not finite.
struct ScoringFailure {
  int segment = -1;
  int bin = -1;
  float logPower = 0.0f;  // the log spectrum at the bin
  float smoothed = 0.0f;  // the smoothed log spectrum at the bin
  bool failed() const { return segment >= 0; }
};

// "S%d, F%d, FFT%e, y%e": segment, bin, log spectrum, smoothed value.
std::string ScoringFailureText(const ScoringFailure& failure);

// Scores the peaks of one smoothed log spectrum y[0 .. size−1] between lowBin
// and highBin (limited to the row) into score[]. Reads y only up to
// min(size − 1, highBin + 99).
// Returns the bin of the first value that is not finite, or -1.
int ScorePeaks(const float* y, int size, int lowBin, int highBin, const PeakKernels& kernels, float* score);

// Called with the number of progress steps a piece of work stands for.
using ProgressTick = std::function<void(int steps)>;

// Peak scoring of every segment of channel c, in order: log spectrum,
// smoothing, ScorePeaks. Stops at the first non-finite value and says where.
// Ticks 21 steps per segment (the log spectrum and the scoring).
ScoringFailure ScoreChannel(const SegmentSpectra& spectra, WheezeMap& map, int c, const ProgressTick& tick);

// Weak scores (1 < v < 3.5) of segments 1 .. last − 1 rise with strong scores
// (> 2.5) within 7 bins in the segment before or after, and fall by 1.5
// without. Neighbour rows are read as they were before linking. Ticks 1 step
// per linked row and 2 for the channel.
void LinkChannel(WheezeMap& map, int c, const ProgressTick& tick);

}  // namespace vode
