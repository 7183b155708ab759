// The open recording: up to eight sound channels at 10240 Hz (16-bit counts),
// the breath signal at 320 Hz in mL/s, and the volume derived from it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vode {

constexpr int SoundRate = 10240;
constexpr int FlowRate = 320;
constexpr int SegmentSamples = 1024;
constexpr int SegmentFlowSamples = 32;
constexpr int MaxSegments = 1800;
constexpr int MaxChannels = 8;
constexpr int WindowSamples = 2048;  // analysis window around a segment

class Prompter;
struct ChannelSetup;

struct Recording {
  int16_t channelCount = 0;
  int32_t segmentCount = 0;
  int32_t flowSampleCount = 0;   // segmentCount × 32
  int32_t soundSampleCount = 0;  // segmentCount × samples per segment
  std::vector<int16_t> flow;     // mL/s
  std::vector<int16_t> volume;   // mL, from computeVolume
  int16_t peakFlow = 0;
  int16_t peakVolume = 0;
  std::array<std::vector<int16_t>, MaxChannels> sound;  // slot i holds channel i

  // Segment count limited to 0..1800, channel count to 0..8; all samples 0.
  static Recording create(int32_t segments, int32_t channels, int32_t samplesPerSegment = SegmentSamples);

  void release();
  bool hasSamples(int channel) const {
    return channel >= 0 && channel < channelCount && !sound[channel].empty();
  }

  // Keeps the first n segments when 1 <= n < segmentCount (0); else 3, nothing changes.
  int truncateSegments(int32_t n);

  // Two-channel recordings only, k = 0 or 1; anything else does nothing.
  void deleteChannel(int k, ChannelSetup& setup);

  // Subtracts each flagged channel's rounded mean.
  void removeOffsets(const std::array<uint8_t, MaxChannels>& offsetRemoval);

  // Scales every channel by one factor so the largest excursion becomes
  // ±16383.5 counts. Refuses (false, samples unchanged, a message) when every
  // channel is constant.
  bool normalizeChannels(Prompter& prompter);

  // Rebuilds volume, the peaks and the display full scales of the set-up.
  void computeVolume(ChannelSetup& setup);

  // Largest absolute sample over all channels; -32767 without any sample.
  int32_t peakAmplitude() const;

  // The 2048 samples centred on segment s (zeros beyond the recording).
  void segmentWindow(int channel, int32_t s, int16_t* out) const;

  float flowLps(int32_t i) const { return static_cast<float>(flow[i] / 1000.0); }
  std::string volumeText(int32_t i) const;

  // Version-1 files stored flow in 10 mL/s steps as a stair-step.
  void upgradeOldFlow();

  // Writes a synthetic breath signal from a channel's per-segment band power:
  // each burst at or above the threshold becomes one half-breath, bursts
  // alternating in direction. The caller recomputes volume and re-analyses.
  void copyPowerToFlow(const float* power, int32_t segments, float scale, float threshold,
                       float firstBreathValue);
};

// Mean and range of one channel as offset removal and normalisation use them.
struct ChannelStats {
  int32_t mean = 0;
  int32_t range = 0;
};
ChannelStats channelStats(const std::vector<int16_t>& samples);

}  // namespace vode
