#include "model/Recording.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "model/Numeric.h"
#include "model/Prompter.h"
#include "model/Records.h"

namespace vode {

Recording Recording::create(int32_t segments, int32_t channels, int32_t samplesPerSegment) {
  Recording r;
  segments = std::clamp(segments, 0, MaxSegments);
  channels = std::clamp(channels, 0, MaxChannels);
  samplesPerSegment = std::max(samplesPerSegment, 0);
  r.channelCount = static_cast<int16_t>(channels);
  r.segmentCount = segments;
  r.flowSampleCount = segments * SegmentFlowSamples;
  r.soundSampleCount = segments * samplesPerSegment;
  r.flow.assign(r.flowSampleCount, 0);
  r.volume.assign(r.flowSampleCount, 0);
  for (int c = 0; c < channels; ++c) r.sound[c].assign(r.soundSampleCount, 0);
  return r;
}

void Recording::release() { *this = Recording{}; }

int Recording::truncateSegments(int32_t n) {
  if (n < 1 || n >= segmentCount) return 3;
  const int32_t perSegment = segmentCount > 0 ? soundSampleCount / segmentCount : 0;
  segmentCount = n;
  flowSampleCount = n * SegmentFlowSamples;
  soundSampleCount = n * perSegment;
  flow.resize(flowSampleCount);
  volume.resize(flowSampleCount);
  for (int c = 0; c < channelCount; ++c) sound[c].resize(soundSampleCount);
  return 0;
}

void Recording::deleteChannel(int k, ChannelSetup& setup) {
  if (channelCount != 2 || (k != 0 && k != 1)) return;
  if (k == 0) {
    sound[0] = std::move(sound[1]);
    setup.channelNames[0] = setup.channelNames[1];
  }
  sound[1].clear();
  sound[1].shrink_to_fit();
  channelCount = 1;
}

namespace {

// Smallest and largest sample and their sum. The sum is taken in 32-bit
// pieces of 32768 samples (at most 2^30 in size) and added up in 64 bits, and
// the extremes stay 16-bit, so the compiler can keep whole vectors of samples
// in flight; the result is the same as one 64-bit sum.
struct SampleRange {
  int16_t lo = 32767, hi = -32768;
  int64_t sum = 0;
};

SampleRange sampleRange(const int16_t* p, std::size_t n) {
  SampleRange r;
  for (std::size_t start = 0; start < n; start += 32768) {
    const std::size_t end = std::min(n, start + 32768);
    int16_t lo = r.lo, hi = r.hi;
    int32_t sum = 0;
    for (std::size_t i = start; i < end; ++i) {
      lo = std::min(lo, p[i]);
      hi = std::max(hi, p[i]);
      sum += p[i];
    }
    r.lo = lo;
    r.hi = hi;
    r.sum += sum;
  }
  return r;
}

}  // namespace

ChannelStats channelStats(const std::vector<int16_t>& samples) {
  ChannelStats st;
  if (samples.empty()) return st;
  const SampleRange r = sampleRange(samples.data(), samples.size());
  const int32_t lo = r.lo, hi = r.hi;
  int32_t mean = roundEven(static_cast<double>(r.sum) / static_cast<double>(samples.size()));
  // Keeps every sample - mean inside the int16 range.
  if (lo - mean < -32768 || hi - mean > 32767) mean = hi - 32767;
  st.mean = mean;
  st.range = std::max(hi - mean, mean - lo);
  return st;
}

void Recording::removeOffsets(const std::array<uint8_t, MaxChannels>& offsetRemoval) {
  for (int c = 0; c < channelCount; ++c) {
    if (!offsetRemoval[c] || sound[c].empty()) continue;
    const int32_t mean = channelStats(sound[c]).mean;
    if (mean == 0) continue;
    for (int16_t& v : sound[c]) v = static_cast<int16_t>(v - mean);
  }
}

bool Recording::normalizeChannels(Prompter& prompter) {
  std::array<ChannelStats, MaxChannels> stats{};
  int32_t largest = 0;
  for (int c = 0; c < channelCount; ++c) {
    stats[c] = channelStats(sound[c]);
    largest = std::max(largest, stats[c].range);
  }
  if (largest == 0) {
    prompter.message(MessageKind::Warning, "Channels hold no signal to normalize");
    return false;
  }
  const double factor = 16383.5 / largest;
  char text[64];
  std::snprintf(text, sizeof text, "%0.4f times", factor);
  prompter.message(MessageKind::Information, std::string("Amplifying channel(s) by ") + text);
  for (int c = 0; c < channelCount; ++c) {
    const int32_t mean = stats[c].mean;
    for (int16_t& v : sound[c]) v = clamp16(roundEven(factor * (v - mean)));
  }
  return true;
}

void Recording::computeVolume(ChannelSetup& setup) {
  int32_t pf = 0, pv = 0;
  int32_t sum = 0;
  volume.resize(flow.size());
  for (size_t i = 0; i < flow.size(); ++i) {
    const int32_t f = flow[i];
    // The sum carries on only while flow and sum share a strict sign: every
    // change of direction and every zero sample starts a new phase.
    if ((f >= 0 && sum <= 0) || (f <= 0 && sum >= 0)) sum = 0;
    sum += f;
    const int32_t v = (sum + 160) / 320;  // sum / 320 samples per second = mL
    volume[i] = wrap16(v);
    pf = std::max(pf, std::abs(f));
    pv = std::max(pv, std::abs(static_cast<int32_t>(volume[i])));
  }
  // A peak of 32768 has no int16 form; it is kept at 32767.
  peakFlow = static_cast<int16_t>(std::min(pf, 32767));
  peakVolume = static_cast<int16_t>(std::min(pv, 32767));
  setup.flowFullScale = static_cast<float>(((peakFlow - 1) / 100 + 1) / 10.0);
  setup.volumeFullScale = static_cast<float>(((peakVolume - 1) / 100 + 1) / 10.0);
}

int32_t Recording::peakAmplitude() const {
  // The maximum starts at -32767 and the minimum at 32767, so no sample at
  // all (no channels, or channels without segments) leaves -32767.
  int32_t lo = 32767, hi = -32767;
  for (int c = 0; c < channelCount; ++c) {
    if (sound[c].empty()) continue;
    const SampleRange r = sampleRange(sound[c].data(), sound[c].size());
    lo = std::min<int32_t>(lo, r.lo);
    hi = std::max<int32_t>(hi, r.hi);
  }
  return std::max(hi, -lo);
}

void Recording::segmentWindow(int channel, int32_t s, int16_t* out) const {
  std::fill(out, out + WindowSamples, int16_t{0});
  if (!hasSamples(channel) || s < 0 || s >= segmentCount) return;
  const int16_t* data = sound[channel].data();
  const int64_t first = static_cast<int64_t>(s) * SegmentSamples - SegmentSamples / 2;
  const int64_t total = soundSampleCount;
  const int64_t from = std::max<int64_t>(first, 0);
  const int64_t to = std::min<int64_t>(first + WindowSamples, total);
  if (to > from) std::copy(data + from, data + to, out + (from - first));
}

std::string Recording::volumeText(int32_t i) const {
  char text[32];
  std::snprintf(text, sizeof text, "%0.2f L", volume[i] / 1000.0);
  return text;
}

void Recording::upgradeOldFlow() {
  for (int16_t& f : flow) f = wrap16(static_cast<int32_t>(f) * 10);
  if (flow.empty()) return;
  const int32_t n = static_cast<int32_t>(flow.size());
  int32_t a = flow[0];
  int32_t j = 0;
  for (int32_t k = 0; k < n; ++k) {
    if (flow[k] == a) {
      ++j;
      continue;
    }
    // Turns the flat run before k into a straight ramp toward sample k.
    if (j > 1 && j < n - 5) {
      for (int32_t l = 1; l <= j - 1; ++l) {
        const double x = static_cast<double>(l) / j;
        flow[k - l] = wrap16(roundEven64(a * x + flow[k] * (1.0 - x)));
      }
    }
    a = flow[k];
    j = 1;
  }
}

void Recording::copyPowerToFlow(const float* power, int32_t segments, float scale, float threshold,
                                float firstBreathValue) {
  bool positive = firstBreathValue >= 0.0f;
  float previous = 1.0f;
  const int32_t count = std::min(segments, segmentCount);
  for (int32_t s = 0; s < count; ++s) {
    float p = power[s];
    if (p < threshold) {
      p = 0.0f;
    } else if (previous == 0.0f) {
      positive = !positive;  // a burst after silence turns the breath round
    }
    previous = p;
    if (!positive) p = -p;
    int16_t v = 0;
    if (scale > 0.0f) v = clamp16(roundEven64(static_cast<double>(p) / scale * 1000.0));
    std::fill(flow.begin() + s * SegmentFlowSamples, flow.begin() + (s + 1) * SegmentFlowSamples, v);
  }
}

}  // namespace vode
