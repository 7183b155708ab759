#include "analysis/CrackleDetection.h"

#include <algorithm>
#include <cmath>

#include "analysis/ChannelWorkers.h"
#include "analysis/SoundBands.h"
#include "model/Progress.h"
#include "model/Recording.h"
#include "model/TagTable.h"

namespace vode {

namespace {

// A crackle's initial deflection and first cycles carry most of their energy
// between 600 and 2000 Hz, where breath sound has already fallen steeply and
// heart sounds have none. 400 Hz let breath-sound swells and heart sounds
// through; above 2000 Hz a stethoscope sampled at 4 kHz has nothing.
constexpr double BandLowHz = 600.0;
constexpr double BandHighHz = 2000.0;

// 12 samples (1.2 ms): a fine crackle's first deflection is about half a
// millisecond wide, so a block holds it without diluting it in breath sound.
// 2.5 ms blocks scored lower.
constexpr int Block = 12;
constexpr double BlockSeconds = static_cast<double>(Block) / SoundRate;

// The breath sound around a block: the median block power over ±0.15 s
// (every other block of it: 129 values), worked out every 32 blocks (37 ms;
// it changes slowly). A median, because the crackles themselves take a small
// share of the window and must not lift it; 0.3 s windows followed the swell
// of a breath too slowly.
constexpr int BackgroundReach = 128;
constexpr int BackgroundStride = 2;
constexpr int BackgroundStep = 32;

constexpr double PowerFloor = 1e-3;  // counts², far below any recorded breath

// The kind: the first two cycles in the samples high-passed at 100 Hz (which
// only removes heart sounds and the slow swell of the breath under them).
constexpr double KindHighPassHz = 100.0;
constexpr double KindSettleSeconds = 0.030;  // filter warm-up before the look
constexpr double KindSearchSeconds = 0.025;  // no two cycles in this long: coarse

struct Event {
  int64_t firstBlock = 0;
  float peakDb = 0.0f;
};

// The level of each block over its background, in dB.
std::vector<float> blockLevels(const int16_t* samples, int64_t count) {
  std::vector<float> filtered;
  FilterSamples(samples, count, ButterworthBand(BandLowHz, BandHighHz), filtered);
  const std::vector<float> power = BlockPower(filtered, Block);
  const int64_t blocks = static_cast<int64_t>(power.size());
  std::vector<float> level(power.size());
  std::vector<float> window;
  for (int64_t start = 0; start < blocks; start += BackgroundStep) {
    const int64_t centre = std::min(blocks - 1, start + BackgroundStep / 2);
    const int64_t from = std::max<int64_t>(0, centre - BackgroundReach);
    const int64_t to = std::min(blocks - 1, centre + BackgroundReach);
    window.clear();
    for (int64_t b = from; b <= to; b += BackgroundStride) window.push_back(power[b]);
    const auto middle = window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2);
    std::nth_element(window.begin(), middle, window.end());
    const double background = *middle + PowerFloor;
    for (int64_t b = start; b < std::min(blocks, start + BackgroundStep); ++b)
      level[b] = static_cast<float>(10.0 * std::log10((power[b] + PowerFloor) / background));
  }
  return level;
}

// Runs of blocks above the edge level that reach the peak level and end in time.
std::vector<Event> transients(const std::vector<float>& level, const CrackleParameters& p, float peakDb) {
  const int64_t longest = static_cast<int64_t>(std::floor(p.longestMs / 1000.0 / BlockSeconds + 1e-9));
  std::vector<Event> events;
  const int64_t blocks = static_cast<int64_t>(level.size());
  for (int64_t b = 0; b < blocks;) {
    if (!(level[b] > p.edgeDb)) {
      ++b;
      continue;
    }
    int64_t e = b;
    float peak = level[b];
    while (e < blocks && level[e] > p.edgeDb) peak = std::max(peak, level[e++]);
    if (peak > peakDb && e - b <= longest) events.push_back({b, peak});
    b = e;
  }
  return events;
}

// Fine when the first two cycles of the high-passed samples from the start
// of the initial deflection take less than FineTwoCycleSeconds.
CrackleKind kindAt(const int16_t* samples, int64_t count, int64_t onset) {
  const int64_t settle = static_cast<int64_t>(KindSettleSeconds * SoundRate);
  const int64_t search = static_cast<int64_t>(KindSearchSeconds * SoundRate);
  const int64_t from = std::max<int64_t>(0, onset - settle), to = std::min(count, onset + search);
  if (to - onset < 2) return CrackleKind::Coarse;
  std::vector<float> h;
  FilterSamples(samples + from, to - from, {HighPassSection(KindHighPassHz, 0.70710678)}, h);
  const int64_t start = onset - from, end = to - from;
  // The initial deflection: the largest excursion of the first block.
  int64_t peak = start;
  for (int64_t i = start; i < std::min(end, start + Block); ++i)
    if (std::fabs(h[i]) > std::fabs(h[peak])) peak = i;
  int64_t begin = peak;
  while (begin > 0 && (h[begin - 1] > 0.0f) == (h[peak] > 0.0f)) --begin;
  int crossings = 0;
  for (int64_t i = begin + 1; i < end; ++i) {
    if ((h[i] > 0.0f) != (h[i - 1] > 0.0f) && ++crossings == 4)
      return static_cast<double>(i - begin) / SoundRate < FineTwoCycleSeconds ? CrackleKind::Fine
                                                                              : CrackleKind::Coarse;
  }
  return CrackleKind::Coarse;
}

}  // namespace

bool CrackleParameters::set(const std::string& name, double value) {
  auto within = [&](double lo, double hi) { return value >= lo && value <= hi; };
  if (name == "peak" && within(3, 60)) peakDb = static_cast<float>(value);
  else if (name == "narrow-peak" && within(3, 60)) narrowPeakDb = static_cast<float>(value);
  else if (name == "edge" && within(0, 60)) edgeDb = static_cast<float>(value);
  else if (name == "longest" && within(1, 20)) longestMs = static_cast<float>(value);
  else if (name == "pair" && within(0, 10)) pairSeconds = static_cast<float>(value);
  else return false;
  return true;
}

const char* CrackleKindName(CrackleKind kind) { return kind == CrackleKind::Fine ? "fine" : "coarse"; }

std::vector<Crackle> FindCrackles(const int16_t* samples, int64_t count, const CrackleParameters& p) {
  // A chest piece that filters off nearly everything above 1 kHz passes only
  // the lower edge of the band, and with it less of a crackle's sharp first
  // deflection than of the breath sound: its crackles stand lower.
  const float peakDb = MeasureBandBalance(samples, count).narrow() ? p.narrowPeakDb : p.peakDb;
  const std::vector<Event> events = transients(blockLevels(samples, count), p, peakDb);
  std::vector<Crackle> crackles;
  for (size_t i = 0; i < events.size(); ++i) {
    const double t = events[i].firstBlock * BlockSeconds;
    // A lone transient is more often a knock of the chest piece than a
    // crackle; crackles come several to a breath.
    const bool before = i > 0 && t - events[i - 1].firstBlock * BlockSeconds <= p.pairSeconds;
    const bool after = i + 1 < events.size() && events[i + 1].firstBlock * BlockSeconds - t <= p.pairSeconds;
    if (!before && !after) continue;
    Crackle c;
    c.time = t;
    c.segment = static_cast<int>(events[i].firstBlock * Block / SegmentSamples);
    c.kind = kindAt(samples, count, events[i].firstBlock * Block);
    c.levelDb = events[i].peakDb;
    crackles.push_back(c);
  }
  return crackles;
}

int CrackleResult::count(int channel, int segment) const {
  if (channel < 0 || channel >= channelCount || segment < 0 || segment >= segmentCount) return 0;
  return counts[static_cast<size_t>(channel) * segmentCount + segment];
}

CrackleResult DetectCrackles(const Recording& rec, TagTable& tags, ProgressSink& progress, int threads,
                             const CrackleParameters& p) {
  CrackleResult result;
  result.channelCount = rec.channelCount;
  result.segmentCount = rec.segmentCount;
  result.counts.assign(static_cast<size_t>(std::max<int>(0, rec.channelCount)) * std::max<int>(0, rec.segmentCount), 0);
  std::vector<std::vector<Crackle>> found(static_cast<size_t>(std::max<int>(0, rec.channelCount)));
  progress.begin("Detecting Crackles", rec.channelCount * rec.segmentCount);
  forEachChannel(rec.channelCount, threads, progress, [&](int c, int, SegmentCounter& counter) {
    if (rec.hasSamples(c)) {
      const int64_t count = std::min<int64_t>(rec.soundSampleCount, static_cast<int64_t>(rec.sound[c].size()));
      found[c] = FindCrackles(rec.sound[c].data(), count, p);
    }
    for (int s = 0; s < rec.segmentCount; ++s) counter.step();
  });
  // Written in channel order after every channel finished, so any number of
  // threads gives the same table.
  for (int c = 0; c < rec.channelCount; ++c)
    for (Crackle crackle : found[c]) {
      if (crackle.segment >= rec.segmentCount) continue;
      crackle.channel = c;
      result.crackles.push_back(crackle);
      ++result.counts[static_cast<size_t>(c) * rec.segmentCount + crackle.segment];
      if (tags.contains(c, crackle.segment)) tags.addFlags(c, crackle.segment, CrFlag);
    }
  progress.end();
  return result;
}

}  // namespace vode
