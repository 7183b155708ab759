#include "analysis/BreathCycleEstimate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

#include "analysis/ChannelWorkers.h"
#include "analysis/SoundBands.h"
#include "model/Progress.h"
#include "model/Recording.h"
#include "model/TagTable.h"

namespace vode {

namespace {

// Breath sound lies mostly between 200 and 1000 Hz. Below lie the heart
// sounds and handling noise that a chest piece picks up loudest; above, a
// stethoscope sampled at 4 kHz has little left. 150 or 1500 Hz scored the same.
constexpr double BandLowHz = 200.0;
constexpr double BandHighHz = 1000.0;

// 25 ms blocks, frames of two blocks (50 ms) every block: a heart sound fills
// two or three frames, a breath dozens.
constexpr int Block = 256;
constexpr double FrameSeconds = static_cast<double>(Block) / SoundRate;

// Far below the band power of any recorded breath (in counts²): digital
// silence stays finite.
constexpr double PowerFloor = 1e-3;

// The 40th percentile of the 24 frames (0.6 s) around each frame: a heart
// sound (S1 and S2 together about a third of each beat) falls out, a breath
// (0.5 s or more) stays. Shorter windows left the heartbeat in the 4 kHz
// recordings of quiet breathers; longer ones merge short breaths.
constexpr int RankFrames = 24;
constexpr double RankShare = 0.4;

// A 0.2 s mean over the ranked level takes out what flicker is left.
constexpr int SmoothFrames = 8;

// A rise is measured over 0.4 s: about the time breath sound takes to swell
// at the start of an inspiration. 0.3 s lost a tenth of the boundaries.
constexpr int RiseFrames = 16;

// The scale: 0 at the median frame, 1 for the range between the quietest and
// the loudest tenth, so a faint stethoscope and a loud microphone rise alike.
constexpr double LowShare = 0.1;
constexpr double HighShare = 0.9;

// Less than two seconds holds no full breath.
constexpr double ShortestRecording = 2.0;

// The pause between breathing in and out is looked for away from the cycle's
// start, where the boundary's own quiet lies, and in its first three fifths:
// expiration is the longer part (about twice inspiration), and its fading end
// is quieter than the pause. Up to 80 % of the cycle, a third of the segments
// of synthetic breathing were marked against their flow; up to 60 %, a tenth.
constexpr double PhaseSearchFrom = 0.2;
constexpr double PhaseSearchTo = 0.6;

constexpr double BoundaryTolerance = 0.5;  // s, for matching and the ends of a recording

float quantile(std::vector<float> values, double share) {
  const size_t k = static_cast<size_t>(std::lround(share * static_cast<double>(values.size() - 1)));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
  return values[k];
}

// The band power of the chosen channels per 25 ms block, and the balance of
// their spectra: channels filtered on worker threads, summed in channel
// order, so any thread count gives the same sums.
std::vector<double> bandBlocks(const Recording& rec, int channel, int threads, BandBalance& balance) {
  const std::vector<Biquad> band = ButterworthBand(BandLowHz, BandHighHz);
  const size_t channels = static_cast<size_t>(std::max<int>(0, rec.channelCount));
  std::vector<std::vector<float>> power(channels);
  std::vector<BandBalance> balances(channels);
  NullProgress progress;
  forEachChannel(rec.channelCount, threads, progress, [&](int c, int, SegmentCounter&) {
    if ((channel >= 0 && c != channel) || !rec.hasSamples(c)) return;
    const int64_t count = std::min<int64_t>(rec.soundSampleCount, static_cast<int64_t>(rec.sound[c].size()));
    std::vector<float> filtered;
    FilterSamples(rec.sound[c].data(), count, band, filtered);
    power[c] = BlockPower(filtered, Block);
    balances[c] = MeasureBandBalance(rec.sound[c].data(), count);
  });
  std::vector<double> sum;
  for (size_t c = 0; c < channels; ++c) {
    const std::vector<float>& p = power[c];
    sum.resize(std::max(sum.size(), p.size()), 0.0);
    for (size_t b = 0; b < p.size(); ++b) sum[b] += p[b];
    balance.add(balances[c]);
  }
  return sum;
}

// The level in dB per frame, ranked and smoothed, then scaled.
std::vector<float> scaledLoudness(const std::vector<double>& blocks) {
  const int frames = static_cast<int>(blocks.size()) - 1;
  if (frames < 1) return {};
  std::vector<float> level(frames);
  for (int j = 0; j < frames; ++j)
    level[j] = static_cast<float>(10.0 * std::log10((blocks[j] + blocks[j + 1]) / 2.0 + PowerFloor));
  auto clampedAt = [&](const std::vector<float>& v, int j) { return v[std::clamp(j, 0, frames - 1)]; };

  std::vector<float> ranked(frames), window(RankFrames);
  for (int j = 0; j < frames; ++j) {
    for (int k = 0; k < RankFrames; ++k) window[k] = clampedAt(level, j - RankFrames / 2 + k);
    ranked[j] = quantile(window, RankShare);
  }
  std::vector<float> smooth(frames);
  for (int j = 0; j < frames; ++j) {
    double sum = 0.0;
    for (int k = 0; k < SmoothFrames; ++k) sum += clampedAt(ranked, j - SmoothFrames / 2 + k);
    smooth[j] = static_cast<float>(sum / SmoothFrames);
  }
  const float median = quantile(smooth, 0.5), range = quantile(smooth, HighShare) - quantile(smooth, LowShare);
  if (!(range > 1e-6f)) return {};  // a flat recording: silence or a steady tone
  for (float& v : smooth) v = (v - median) / range;
  return smooth;
}

// The frames that start a cycle: the steepest rises (by `order`) first, each
// at least `least` and keeping the frames within `spacing` seconds of it free.
std::vector<int> risingFrames(const std::vector<float>& rise, const std::vector<int>& order, float least,
                              double spacing) {
  const int frames = static_cast<int>(rise.size());
  const int reach = static_cast<int>(spacing / FrameSeconds);
  std::vector<char> taken(frames, 0);
  std::vector<int> chosen;
  for (int j : order) {
    if (rise[j] < least) break;
    const int from = std::max(0, j - reach), to = std::min(frames - 1, j + reach);
    if (std::any_of(taken.begin() + from, taken.begin() + to + 1, [](char t) { return t != 0; })) continue;
    taken[j] = 1;
    chosen.push_back(j);
  }
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

// The median distance between neighbouring frames of a cycle's length; 0
// with fewer than two such gaps.
double medianCycle(const std::vector<int>& frames) {
  std::vector<double> gaps;
  for (size_t i = 1; i < frames.size(); ++i) {
    const double gap = (frames[i] - frames[i - 1]) * FrameSeconds;
    if (gap <= MaxCycleSeconds) gaps.push_back(gap);
  }
  if (gaps.size() < 2) return 0.0;
  std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2), gaps.end());
  return gaps[gaps.size() / 2];
}

// The first pass keeps `spacing` between boundaries. A rise inside a breath
// (the swell of expiration after the pause that follows inspiration) can
// pass it; a second pass keeps the boundaries `relative` of the recording's
// median cycle apart, so such a rise yields to the steeper onset nearby.
std::vector<int> boundaryFrames(const std::vector<float>& z, const CycleParameters& p) {
  const int frames = static_cast<int>(z.size());
  std::vector<float> rise(frames, 0.0f);
  for (int j = 0; j + RiseFrames < frames; ++j) rise[j] = z[j + RiseFrames] - z[j];
  std::vector<int> order(frames);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rise[a] > rise[b]; });
  const std::vector<int> first = risingFrames(rise, order, p.rise, p.spacing);
  const double spacing = p.relative * medianCycle(first);
  if (spacing <= p.spacing) return first;
  return risingFrames(rise, order, p.rise, spacing);
}

std::string ratioText(double value, const char* format) {
  if (std::isnan(value)) return "nan";
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

bool CycleParameters::set(const std::string& name, double value) {
  auto within = [&](double lo, double hi) { return value >= lo && value <= hi; };
  if (name == "rise" && within(0.01, 10)) rise = static_cast<float>(value);
  else if (name == "spacing" && within(0.1, 5)) spacing = static_cast<float>(value);
  else if (name == "lag" && within(-1, 1)) lag = static_cast<float>(value);
  else if (name == "narrow-lag" && within(-1, 1)) narrowLag = static_cast<float>(value);
  else if (name == "relative" && within(0, 0.9)) relative = static_cast<float>(value);
  else return false;
  return true;
}

CycleEstimate EstimateBreathCycles(const Recording& rec, int channel, const CycleParameters& p, int threads) {
  CycleEstimate estimate;
  estimate.frameSeconds = FrameSeconds;
  if (rec.segmentCount / 10.0 < ShortestRecording) return estimate;
  BandBalance balance;
  estimate.loudness = scaledLoudness(bandBlocks(rec, channel, threads, balance));
  estimate.narrowBand = balance.narrow();
  // Through a chest piece that passes little above 1 kHz, the loudness of the
  // breath-sound band swells later after the start a listener marks: with one
  // lag for all, the boundaries matched on such recordings lay 0.12 s after the
  // annotated ones (median), those of wider-band recordings 0.06 s before.
  const double lag = estimate.narrowBand ? p.narrowLag : p.lag;
  const double seconds = rec.segmentCount / 10.0;
  for (int j : boundaryFrames(estimate.loudness, p)) {
    const double t = (j + 1) * FrameSeconds + lag;
    if (t >= 0.0 && t <= seconds) estimate.boundaries.push_back(t);
  }
  for (size_t i = 1; i < estimate.boundaries.size(); ++i) {
    const double a = estimate.boundaries[i - 1], b = estimate.boundaries[i];
    if (b - a <= MaxCycleSeconds) estimate.cycles.push_back({a, b});
  }
  return estimate;
}

std::vector<PhaseSpan> PhasesFromCycles(const CycleEstimate& estimate, int segmentCount) {
  std::vector<PhaseSpan> spans;
  const int frames = static_cast<int>(estimate.loudness.size());
  auto add = [&](double from, double to, uint8_t phase) {
    // Segment s (centre (s + 0.5) / 10 s) lies in [from, to) when its centre
    // does, so the parts of neighbouring cycles never share a segment.
    const int first = std::max(0, static_cast<int>(std::ceil(from * 10.0 - 0.5)));
    const int last = std::min(segmentCount - 1, static_cast<int>(std::ceil(to * 10.0 - 0.5)) - 1);
    if (first <= last) spans.push_back({first, last, phase});
  };
  for (const CycleSpan& cycle : estimate.cycles) {
    const double length = cycle.end - cycle.start;
    double pause = cycle.start + length / 2.0;
    float quietest = std::numeric_limits<float>::infinity();
    const int from = std::max(0, static_cast<int>(std::ceil((cycle.start + PhaseSearchFrom * length) / estimate.frameSeconds)) - 1);
    const int to = std::min(frames - 1, static_cast<int>((cycle.start + PhaseSearchTo * length) / estimate.frameSeconds) - 1);
    for (int j = from; j <= to; ++j)
      if (estimate.loudness[j] < quietest) quietest = estimate.loudness[j], pause = (j + 1) * estimate.frameSeconds;
    add(cycle.start, pause, Inspiration);
    add(pause, cycle.end, Expiration);
  }
  return spans;
}

void BoundaryScore::add(const BoundaryScore& other) {
  matched += other.matched;
  estimated += other.estimated;
  annotated += other.annotated;
}

double BoundaryScore::precision() const {
  return estimated ? static_cast<double>(matched) / estimated : std::numeric_limits<double>::quiet_NaN();
}

double BoundaryScore::recall() const {
  return annotated ? static_cast<double>(matched) / annotated : std::numeric_limits<double>::quiet_NaN();
}

double BoundaryScore::f1() const {
  return estimated + annotated ? 2.0 * matched / (estimated + annotated) : std::numeric_limits<double>::quiet_NaN();
}

std::vector<double> CycleBoundaries(const std::vector<CycleSpan>& cycles, double seconds) {
  std::vector<double> all;
  for (const CycleSpan& c : cycles) {
    all.push_back(c.start);
    all.push_back(c.end);
  }
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  std::vector<double> kept;
  for (double b : all)
    if (b >= BoundaryTolerance && b <= seconds - BoundaryTolerance) kept.push_back(b);
  return kept;
}

BoundaryScore ScoreBoundaries(const std::vector<double>& estimated, const std::vector<double>& annotated) {
  struct Pair {
    double distance;
    size_t e, a;
  };
  std::vector<Pair> pairs;
  for (size_t i = 0; i < estimated.size(); ++i)
    for (size_t j = 0; j < annotated.size(); ++j) {
      const double d = std::fabs(estimated[i] - annotated[j]);
      if (d <= BoundaryTolerance) pairs.push_back({d, i, j});
    }
  // Nearest first; equal distances in the order of the boundaries, so the
  // result never depends on the sort.
  std::sort(pairs.begin(), pairs.end(), [](const Pair& x, const Pair& y) {
    return x.distance != y.distance ? x.distance < y.distance : x.e != y.e ? x.e < y.e : x.a < y.a;
  });
  std::vector<char> usedE(estimated.size(), 0), usedA(annotated.size(), 0);
  BoundaryScore score;
  score.estimated = static_cast<int>(estimated.size());
  score.annotated = static_cast<int>(annotated.size());
  for (const Pair& p : pairs) {
    if (usedE[p.e] || usedA[p.a]) continue;
    usedE[p.e] = usedA[p.a] = 1;
    ++score.matched;
  }
  return score;
}

std::string BoundaryScoreLine(const BoundaryScore& s) {
  return "# precision " + ratioText(s.precision(), "%.3f") + " (" + std::to_string(s.matched) + "/" +
         std::to_string(s.estimated) + "), recall " + ratioText(s.recall(), "%.3f") + " (" +
         std::to_string(s.matched) + "/" + std::to_string(s.annotated) + "), F1 " + ratioText(s.f1(), "%.3f");
}

}  // namespace vode
