#include "analysis/TonalWheeze.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "analysis/ChannelWorkers.h"
#include "analysis/Fft.h"
#include "analysis/SoundBands.h"
#include "analysis/WheezeMap.h"
#include "model/Recording.h"
#include "model/TagTable.h"

namespace vode {

namespace {

// Spectrum of a frame: the 512 windowed samples padded to the program's
// 2048-point transform, so the bins are the segment spectra's 5 Hz bins.
constexpr int SpectrumBins = 361;  // 0 .. 1800 Hz
constexpr int LowBin = 20;         // 100 Hz: heart sounds and handling noise lie below
constexpr int HighBin = 320;       // 1600 Hz: leaves room for the upper side below 1800 Hz

// A peak is the highest point within ±15 Hz (three bins each way).
constexpr int PeakReach = 3;
// Narrow: the level falls 6 dB within 30 Hz on both sides. The Hann main lobe
// of a 50 ms frame falls 6 dB within 20 Hz; a tone gliding inside the frame
// or noise on the slopes widens it a little. A crackle's or a rub's bump is
// far wider, and so is breath noise ringing in a resonance of the chest piece
// or tube with a quality under about 10 (40 Hz wide at 400 Hz).
constexpr int NarrowReach = 6;
constexpr float NarrowDropDb = 6.0f;
// Neighbourhood: 50 to 200 Hz away on each side, beyond the main lobe (40 Hz
// to its first zero) and wide enough to average the frame's scatter.
constexpr int SideInner = 10;
constexpr int SideOuter = 40;
// The lower side reaches down to 20 Hz at most.
constexpr int LowestSideBin = 4;
static_assert(LowBin - SideInner >= LowestSideBin && HighBin + SideOuter < SpectrumBins);
// The strongest few candidates of a frame: a wheeze with harmonics, or two
// wheezes at once, fits; more is noise.
constexpr int MaxCandidates = 5;
// A track bridges one frame without a candidate (a crackle over the wheeze).
constexpr int MaxGap = 1;
// Bursts: a frame's level against the frames 75 to 150 ms before and after.
constexpr int BurstNear = 3;
constexpr int BurstFar = 6;
// The usual level of each frequency: the median of the recording's frames,
// read from a histogram of 0.5 dB steps between -40 and 160 dB.
constexpr float BucketDb = 0.5f;
constexpr float LowestDb = -40.0f;
constexpr int Buckets = 400;

// 10·log10(power + 1e-3), through a quadratic of the mantissa for log2:
// within 0.02 dB, and far cheaper than the library's logarithm, which would
// cost as much as the transform. 1e-3 counts² lies far under the rounding
// noise of 16-bit samples, so digital silence stays finite and flat.
float decibels(float power) {
  const uint32_t bits = std::bit_cast<uint32_t>(power + 1e-3f);
  const float exponent = static_cast<float>(static_cast<int>(bits >> 23) - 128);
  const float m = std::bit_cast<float>((bits & 0x007FFFFFu) | 0x3F800000u);  // 1 <= m < 2
  return 3.0103f * (exponent + (-0.34484843f * m + 2.02466578f) * m - 0.67487759f);
}

struct Candidate {
  int bin = 0;
  float prominenceDb = 0.0f;
};

class ChannelTracker {
 public:
  ChannelTracker(const int16_t* samples, int64_t count, const TonalParameters& p, const RealFft2048& fft)
      : samples_(samples), count_(count), p_(p), fft_(fft),
        frames_(count < TonalFrameLength ? 0 : static_cast<int>((count - TonalFrameLength) / TonalHop + 1)) {}

  // Every track of at least minFrames frames (wheezes only when onlyWheezes),
  // in order of their first frame.
  std::vector<TonalTrack> run(SegmentCounter* counter, bool onlyWheezes) {
    if (frames_ == 0) return {};
    computeLevels(counter);
    findBursts();
    findUsualLevel();
    for (int j = 0; j < frames_; ++j) track(j, burst_[j] ? std::vector<Candidate>{} : candidates(j));
    for (Open& o : open_) finish(o);
    std::stable_sort(done_.begin(), done_.end(), [](const TonalTrack& a, const TonalTrack& b) {
      return a.firstFrame() != b.firstFrame() ? a.firstFrame() < b.firstFrame()
                                              : a.points.front().bin < b.points.front().bin;
    });
    decide(MeasureBandBalance(samples_, count_).narrow());
    if (onlyWheezes) std::erase_if(done_, [](const TonalTrack& t) { return !t.wheeze(); });
    return std::move(done_);
  }

 private:
  struct Open {
    TonalTrack track;
    float sum = 0.0f;
  };

  const float* level(int j) const { return level_.data() + static_cast<size_t>(j) * SpectrumBins; }

  // Every frame's spectrum in dB (Hann window) and its mean level over the
  // searched band.
  void computeLevels(SegmentCounter* counter) {
    std::vector<float> window(TonalFrameLength);
    for (int n = 0; n < TonalFrameLength; ++n)
      window[n] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (n + 0.5) / TonalFrameLength));
    std::vector<float> x(RealFft2048::Size, 0.0f), re(SpectrumBins), im(SpectrumBins);
    RealFft2048::Work work;
    level_.resize(static_cast<size_t>(frames_) * SpectrumBins);
    band_.resize(frames_);
    for (int j = 0; j < frames_; ++j) {
      const int16_t* s = samples_ + static_cast<int64_t>(j) * TonalHop;
      for (int n = 0; n < TonalFrameLength; ++n) x[n] = static_cast<float>(s[n]) * window[n];
      fft_.transform(x.data(), SpectrumBins, re.data(), im.data(), work);
      float* l = level_.data() + static_cast<size_t>(j) * SpectrumBins;
      for (int b = 0; b < SpectrumBins; ++b) l[b] = decibels(re[b] * re[b] + im[b] * im[b]);
      band_[j] = bandMean(l);
      if (counter && j % 4 == 3) counter->step();
    }
  }

  // Four running sums in a fixed order: the same result every time, without
  // waiting on each addition in turn.
  static float bandMean(const float* l) {
    float sums[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    int b = LowBin;
    for (; b + 3 <= HighBin; b += 4)
      for (int k = 0; k < 4; ++k) sums[k] += l[b + k];
    for (; b <= HighBin; ++b) sums[0] += l[b];
    return ((sums[0] + sums[1]) + (sums[2] + sums[3])) / static_cast<float>(HighBin - LowBin + 1);
  }

  // A crackle, a rub or a clipped knock lifts the whole band for a frame or
  // two; a breath's own rise is louder than one side only.
  void findBursts() {
    burst_.assign(frames_, false);
    for (int j = 0; j < frames_; ++j) {
      float reference = -1e30f;
      bool any = false;
      for (int side : {-1, 1}) {
        float sum = 0.0f;
        int n = 0;
        for (int k = BurstNear; k <= BurstFar; ++k) {
          const int i = j + side * k;
          if (i < 0 || i >= frames_) continue;
          sum += band_[i];
          ++n;
        }
        if (n > 0) {
          reference = std::max(reference, sum / static_cast<float>(n));
          any = true;
        }
      }
      burst_[j] = any && band_[j] - reference > p_.burstDb;
    }
  }

  // The recording's usual level at every frequency: the median over its
  // frames. The stethoscope's response, a resonance that rings with every
  // breath, a steady line (mains hum, a device tone) and the empty band above
  // a low sampling rate's limit are all part of it; a wheeze would have to
  // sound at the same 5 Hz bin through half the recording to raise it.
  void findUsualLevel() {
    std::vector<uint16_t> histogram(static_cast<size_t>(SpectrumBins) * Buckets, 0);
    // Every other frame: overlapping neighbours add little to a percentile.
    int counted = 0;
    for (int j = 0; j < frames_; j += 2, ++counted) {
      const float* l = level(j);
      for (int b = LowestSideBin; b < SpectrumBins; ++b) {
        const int k = std::clamp(static_cast<int>((l[b] - LowestDb) / BucketDb), 0, Buckets - 1);
        uint16_t& n = histogram[static_cast<size_t>(b) * Buckets + k];
        if (n < UINT16_MAX) ++n;
      }
    }
    const int wanted = (counted + 1) / 2;
    usual_.assign(SpectrumBins, LowestDb);
    for (int b = LowestSideBin; b < SpectrumBins; ++b) {
      int seen = 0;
      for (int k = 0; k < Buckets; ++k) {
        seen += histogram[static_cast<size_t>(b) * Buckets + k];
        if (seen >= wanted) {
          usual_[b] = LowestDb + (static_cast<float>(k) + 0.5f) * BucketDb;
          break;
        }
      }
    }
  }

  bool narrow(const float* l, int b) const {
    const float limit = l[b] - NarrowDropDb;
    bool below = false, above = false;
    for (int k = 1; k <= NarrowReach; ++k) {
      below = below || l[b - k] <= limit;
      above = above || l[b + k] <= limit;
    }
    return below && above;
  }

  // A candidate's prominence is measured on the frame's excess over the
  // usual level: how much more the peak exceeds it than the frequencies 50 to
  // 200 Hz to either side do (their mean). A louder breath lifts the whole
  // neighbourhood and a steep response or a band edge is flat there, so only
  // a sound of its own stands out.
  std::vector<Candidate> candidates(int j) const {
    const float* l = level(j);
    const float* usual = usual_.data();
    // The mean excess of bins from..to (limited to the lowest side bin).
    auto sideMean = [&](int from, int to) {
      from = std::max(from, LowestSideBin);
      float sum = 0.0f;
      for (int b = from; b <= to; ++b) sum += l[b] - usual[b];
      return sum / static_cast<float>(to - from + 1);
    };
    // A first sieve without branches (vectorised): above both next bins and
    // louder than usual at its own frequency (a steady line is at its usual
    // level, and stands out only while the breath around it falls quiet).
    // About one bin in twenty passes.
    uint8_t sieve[HighBin - LowBin + 1];
    for (int b = LowBin; b <= HighBin; ++b)
      sieve[b - LowBin] = static_cast<uint8_t>((l[b] > l[b - 1]) & (l[b] >= l[b + 1]) &
                                               (l[b] - usual[b] >= p_.peakProminenceDb));
    std::vector<Candidate> found;
    for (int b = LowBin; b <= HighBin; ++b) {
      if (!sieve[b - LowBin]) continue;
      const float v = l[b];
      bool peak = true;
      for (int k = 2; k <= PeakReach && peak; ++k) peak = v > l[b - k] && v >= l[b + k];
      if (!peak || !narrow(l, b)) continue;
      const float sides = 0.5f * (sideMean(b - SideOuter, b - SideInner) + sideMean(b + SideInner, b + SideOuter));
      const float prominence = v - usual[b] - sides;
      if (prominence >= p_.peakProminenceDb) found.push_back({b, prominence});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Candidate& a, const Candidate& b) { return a.prominenceDb > b.prominenceDb; });
    if (found.size() > MaxCandidates) found.resize(MaxCandidates);
    return found;
  }

  // Strongest candidate first: each joins the open track nearest in
  // frequency within the step limit, or starts one.
  void track(int j, const std::vector<Candidate>& found) {
    for (size_t i = 0; i < open_.size();) {
      if (open_[i].track.lastFrame() < j - 1 - MaxGap) {
        finish(open_[i]);
        open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
    const int maxStep = static_cast<int>(std::lround(p_.maxStepHz / 5.0f));
    for (const Candidate& c : found) {
      Open* best = nullptr;
      int bestDistance = maxStep + 1;
      for (Open& o : open_) {
        const TonalPoint& last = o.track.points.back();
        if (last.frame == j) continue;
        const int distance = std::abs(c.bin - last.bin);
        if (distance < bestDistance) {
          best = &o;
          bestDistance = distance;
        }
      }
      if (!best) {
        open_.push_back({});
        best = &open_.back();
      }
      best->track.points.push_back({j, c.bin, c.prominenceDb});
      best->sum += c.prominenceDb;
    }
  }

  void finish(Open& o) {
    TonalTrack& t = o.track;
    const int span = t.spanFrames();
    const int n = static_cast<int>(t.points.size());
    if (span < p_.minFrames || n < p_.minFrames - MaxGap) return;
    t.meanProminenceDb = o.sum / static_cast<float>(n);
    const float needed =
        p_.trackProminenceDb - p_.lengthDb * std::log2(static_cast<float>(span) / TonalReferenceFrames);
    t.marginDb = t.meanProminenceDb - needed;
    done_.push_back(std::move(t));
  }

  // Every track's verdict, once all are known (in order of their first
  // frame). On a narrow chest piece a track needs the narrow margin and two
  // tracks reaching the pair margin whose segments come within the reach of
  // its own, itself included.
  void decide(bool narrowBand) {
    if (!narrowBand) {
      for (TonalTrack& t : done_) t.isWheeze = t.marginDb >= 0.0f;
      return;
    }
    const int reach = static_cast<int>(std::lround(p_.pairReachSeconds * 10.0f));  // 100 ms segments
    struct Span {
      int first, last;
    };
    auto span = [](const TonalTrack& t) {
      return Span{tonalFrameSegment(t.firstFrame()), tonalFrameSegment(t.lastFrame())};
    };
    std::vector<Span> strong;  // in order of their first segment
    for (const TonalTrack& t : done_)
      if (t.marginDb >= p_.pairMarginDb) strong.push_back(span(t));
    for (TonalTrack& t : done_) {
      if (t.marginDb < p_.narrowMarginDb) continue;
      const Span own = span(t);
      int near = 0;
      for (const Span& s : strong) {
        if (s.first > own.last + reach) break;
        if (s.last >= own.first - reach && ++near == 2) break;
      }
      t.isWheeze = near == 2;
    }
  }

  const int16_t* samples_;
  int64_t count_;
  const TonalParameters& p_;
  const RealFft2048& fft_;
  int frames_;
  std::vector<float> level_;  // frames × SpectrumBins, dB
  std::vector<float> band_;   // per frame, dB
  std::vector<bool> burst_;
  std::vector<float> usual_;  // per bin, dB
  std::vector<Open> open_;
  std::vector<TonalTrack> done_;
};

}  // namespace

bool TonalParameters::set(const std::string& name, double value) {
  // Prominences stay above the wheeze image's mark threshold, so every
  // track point is painted.
  auto within = [&](double lo, double hi) { return value >= lo && value <= hi; };
  if (name == "peak" && within(3.5, 40)) peakProminenceDb = static_cast<float>(value);
  else if (name == "track" && within(0, 60)) trackProminenceDb = static_cast<float>(value);
  else if (name == "length" && within(0, 20)) lengthDb = static_cast<float>(value);
  else if (name == "frames" && within(2, 40) && value == std::floor(value)) minFrames = static_cast<int>(value);
  else if (name == "step" && within(5, 200)) maxStepHz = static_cast<float>(value);
  else if (name == "burst" && within(1, 60)) burstDb = static_cast<float>(value);
  else if (name == "narrow" && within(-20, 20)) narrowMarginDb = static_cast<float>(value);
  else if (name == "pair" && within(-20, 20)) pairMarginDb = static_cast<float>(value);
  else if (name == "reach" && within(0, 10)) pairReachSeconds = static_cast<float>(value);
  else return false;
  return true;
}

std::vector<TonalTrack> FindTonalTracks(const int16_t* samples, int64_t count, const TonalParameters& p) {
  const RealFft2048 fft;
  return ChannelTracker(samples, count, p, fft).run(nullptr, true);
}

std::vector<TonalTrack> MeasureTonalTracks(const int16_t* samples, int64_t count, const TonalParameters& p) {
  const RealFft2048 fft;
  return ChannelTracker(samples, count, p, fft).run(nullptr, false);
}

void DetectTonalWheezes(const Recording& rec, TagTable& tags, WheezeMap& map, ProgressSink& progress, int threads,
                        const TonalParameters& p) {
  const int channels = std::min<int>(rec.channelCount, map.channelCount);
  const int segments = std::min<int>(rec.segmentCount, map.segmentCount);
  std::fill(map.scoreData.begin(), map.scoreData.end(), 0.0f);
  std::vector<std::vector<TonalTrack>> tracks(channels);
  const RealFft2048 fft;
  progress.begin("Calculating Wheeze", channels * segments);
  forEachChannel(channels, threads, progress, [&](int c, int, SegmentCounter& counter) {
    if (!rec.hasSamples(c)) return;
    const int64_t count = std::min<int64_t>(static_cast<int64_t>(rec.sound[c].size()),
                                            static_cast<int64_t>(segments) * SegmentSamples);
    tracks[c] = ChannelTracker(rec.sound[c].data(), count, p, fft).run(&counter, true);
  });
  progress.end();

  for (int c = 0; c < channels; ++c)
    for (const TonalTrack& t : tracks[c])
      for (const TonalPoint& point : t.points) {
        const int s = tonalFrameSegment(point.frame);
        if (s >= segments || point.bin >= map.binCount) continue;
        tags.addFlags(c, s, Wheeze);
        float& score = map.scoreRow(c, s)[point.bin];
        score = std::max(score, point.prominenceDb);
      }
}

}  // namespace vode
