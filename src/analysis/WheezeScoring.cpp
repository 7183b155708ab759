#include "analysis/WheezeScoring.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <vector>

#include "analysis/SegmentSpectra.h"

namespace vode {

namespace {

// Peaks must stand above this many bins on each side.
constexpr int PeakReach = 5;
// The side bands of the tonality test are centred this many bins away.
constexpr int SideOffset = 25;

constexpr float ProminenceFloor = 1.0f;
constexpr float TonalityFloor = 2.5f;

constexpr int LinkReach = 7;
constexpr float LinkWeights[LinkReach + 1] = {1.0f, 1.0f, 1.0f, 1.0f, 0.8f, 0.6f, 0.4f, 0.2f};
constexpr float WeakLow = 1.0f;
constexpr float WeakHigh = 3.5f;
constexpr float StrongScore = 2.5f;
constexpr float SupportBase = 2.2f;
constexpr float Unsupported = 1.5f;

// The end values stand in for bins past either end; with the default bin
// range no index reaches an end.
inline float at(const float* y, int size, int i) { return y[std::clamp(i, 0, size - 1)]; }

bool isPeak(const float* y, int size, int i) {
  const float centre = y[i];
  for (int j = 1; j <= PeakReach; ++j)
    if (!(centre > at(y, size, i - j) && centre > at(y, size, i + j))) return false;
  return true;
}

float ringAround(const float* y, int size, int i, const std::vector<float>& R) {
  float ring = 0.0f;
  for (int k = 1; k <= RingHalf; ++k) ring += R[k] * (at(y, size, i + k) + at(y, size, i - k));
  return ring;
}

// The largest weighted excess over 2.2 of the strong scores near bin k.
float support(const float* row, int k) {
  float best = 0.0f;
  for (int l = -LinkReach; l <= LinkReach; ++l) {
    const float p = row[k + l];
    if (p > StrongScore) best = std::max(best, (p - SupportBase) * LinkWeights[l < 0 ? -l : l]);
  }
  return best;
}

}  // namespace

float LogPower(float power) {
  if (power <= 0.0f) power = FLT_MIN;
  return static_cast<float>(std::log(static_cast<double>(power)) + 23.0);
}

std::string ScoringFailureText(const ScoringFailure& failure) {
  char text[128];
  std::snprintf(text, sizeof text, "S%d, F%d, FFT%e, y%e", failure.segment, failure.bin,
                static_cast<double>(failure.logPower), static_cast<double>(failure.smoothed));
  return text;
}

int ScorePeaks(const float* y, int size, int lowBin, int highBin, const PeakKernels& kernels, float* score) {
  // A map of fewer bins than the default range reaches is searched up to its
  // last bin; the neighbours of a bin near an end read the end value.
  lowBin = std::max(lowBin, 0);
  highBin = std::min(highBin, size - 1);
  for (int i = lowBin; i <= highBin; ++i) {
    if (!std::isfinite(y[i])) return i;
    // Peak test: strictly above five bins on each side.
    if (!isPeak(y, size, i)) continue;
    // Prominence over the surroundings.
    const float prominence = y[i] - ringAround(y, size, i, kernels.R);
    if (!std::isfinite(prominence)) return i;
    if (prominence > ProminenceFloor) score[i] = prominence;
    // Tonality: the broad band against the bands beside it.
    const float up = FilterAt(y, size, i + SideOffset, kernels.D.data(), SideHalf);
    const float down = FilterAt(y, size, i - SideOffset, kernels.D.data(), SideHalf);
    const float broad = FilterAt(y, size, i, kernels.W.data(), BroadHalf);
    const float z = broad - (up + down) / 2.0f;
    if (!std::isfinite(z)) return i;
    if (z > TonalityFloor) score[i] = score[i] + z - 1.0f;
  }
  return -1;
}

ScoringFailure ScoreChannel(const SegmentSpectra& spectra, WheezeMap& map, int c, const ProgressTick& tick) {
  ScoringFailure failure;
  const PeakKernels kernels = MakePeakKernels();
  const int size = map.binCount;
  // Scoring reads y no further than highBin + 99 (the broad filter), and the
  // smoothing of those bins reads x 47 bins further; nothing beyond is needed.
  const int yCount = std::min(size, map.highBin + BroadHalf + 1);
  const int xCount = std::min(size, (yCount + 15) / 16 * 16 + SmoothHalf);
  std::vector<float> x(size), y(size);
  for (int s = 0; s < map.segmentCount; ++s) {
    const float* power = spectra.power(c, s);
    for (int b = 0; b < xCount; ++b) x[b] = LogPower(power[b]);
    SmoothRow(x.data(), size, y.data(), yCount, kernels.S.data());
    const int bad = ScorePeaks(y.data(), size, map.lowBin, map.highBin, kernels, map.scoreRow(c, s));
    if (bad >= 0) {
      failure = ScoringFailure{s, bad, x[bad], y[bad]};
      tick(21 * (map.segmentCount - s));
      return failure;
    }
    tick(21);
  }
  return failure;
}

void LinkChannel(WheezeMap& map, int c, const ProgressTick& tick) {
  const int size = map.binCount;
  std::vector<float> before, current;
  if (map.segmentCount >= 3) before.assign(map.scoreRow(c, 0), map.scoreRow(c, 0) + size);
  for (int s = 1; s + 1 < map.segmentCount; ++s) {
    float* row = map.scoreRow(c, s);
    const float* after = map.scoreRow(c, s + 1);  // not linked yet
    current.assign(row, row + size);
    for (int k = LinkReach; k <= size - LinkReach - 1; ++k) {
      const float v = current[k];
      if (!(v > WeakLow && v < WeakHigh)) continue;
      const float sum = support(before.data(), k) + support(after, k);
      row[k] = sum > 0.0f ? v + sum / 2.0f : v - Unsupported;
    }
    before.swap(current);  // row s as it was, for row s + 1
    tick(1);
  }
  tick(2);
}

}  // namespace vode
