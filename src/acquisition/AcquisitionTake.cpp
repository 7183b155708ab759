#include "acquisition/AcquisitionTake.h"

#include <algorithm>
#include <cstdlib>

#include "acquisition/AcquisitionDevice.h"
#include "model/Numeric.h"
#include "model/Recording.h"
#include "model/Records.h"
#include "model/TagTable.h"

namespace vode {

namespace {

constexpr int BreathPerFlowSample = AcquisitionBlockSamples / SegmentFlowSamples;  // 32

bool soundClipped(std::int16_t v) { return v >= 32767 || v <= -32767; }
bool breathClipped(std::int16_t v) { return v > BreathFullScaleCounts - 1 || v < -(BreathFullScaleCounts - 1); }

}  // namespace

AcquisitionCalibration AcquisitionCalibration::fromPreferences(const PreferencesRecord& preferences) {
  AcquisitionCalibration c;
  c.zeroOffset = roundEven(preferences.calibrationOffset / BreathFullScaleVolts * BreathFullScaleCounts);
  c.flowScale = 5000.0f * preferences.calibrationScale / BreathFullScaleCounts;
  return c;
}

AcquisitionTake::AcquisitionTake(int soundChannels, AcquisitionCalibration calibration)
    : channels_(std::clamp(soundChannels, 1, MaxChannels)), calibration_(calibration) {}

int AcquisitionTake::blockSamples() const { return (channels_ + 1) * AcquisitionBlockSamples; }

void AcquisitionTake::startRecording(Recording& recording, TagTable* tags) {
  target_ = &recording;
  tags_ = tags;
  recorded_ = 0;
  clipped_ = 0;
}

void AcquisitionTake::stopRecording() {
  target_ = nullptr;
  tags_ = nullptr;
}

bool AcquisitionTake::full() const { return target_ && recorded_ >= std::min(target_->segmentCount, MaxSegments); }

int AcquisitionTake::lastFlow() const {
  return clamp16(roundEven(static_cast<float>(lastLevel_ - calibration_.zeroOffset) * calibration_.flowScale));
}

int AcquisitionTake::lastChannelPeak(int channel) const { return channels_ < 2 || channel != 1 ? peaks_[0] : peaks_[1]; }

int AcquisitionTake::addBlock(std::span<const std::int16_t> block) {
  if (block.size() < static_cast<std::size_t>(blockSamples())) return -1;
  const std::int16_t* breath = block.data() + static_cast<std::size_t>(channels_) * AcquisitionBlockSamples;

  for (int c = 0; c < std::min(channels_, 2); ++c) {
    const std::int16_t* s = block.data() + static_cast<std::size_t>(c) * AcquisitionBlockSamples;
    int peak = 0;
    for (int i = 0; i < AcquisitionBlockSamples; ++i) peak = std::max(peak, std::abs(static_cast<int>(s[i])));
    peaks_[c] = peak;
  }

  // The flow samples are needed for the level even while only monitoring.
  float means[SegmentFlowSamples];
  for (int k = 0; k < SegmentFlowSamples; ++k) {
    std::int32_t sum = 0;
    for (int i = 0; i < BreathPerFlowSample; ++i) sum += breath[k * BreathPerFlowSample + i];
    means[k] = static_cast<float>(sum) / BreathPerFlowSample;
  }
  lastLevel_ = roundEven(means[SegmentFlowSamples - 1]);

  if (!target_ || full()) return -1;
  Recording& r = *target_;
  const int s = recorded_;
  const std::size_t at = static_cast<std::size_t>(s) * AcquisitionBlockSamples;
  for (int c = 0; c < channels_ && c < r.channelCount; ++c) {
    const std::int16_t* in = block.data() + static_cast<std::size_t>(c) * AcquisitionBlockSamples;
    std::copy(in, in + AcquisitionBlockSamples, r.sound[c].begin() + static_cast<std::ptrdiff_t>(at));
    const auto n = std::count_if(in, in + AcquisitionBlockSamples, soundClipped);
    clipped_ += n;
    if (n > 0 && tags_) tags_->addFlags(c, s, Clipped);
  }
  clipped_ += std::count_if(breath, breath + AcquisitionBlockSamples, breathClipped);
  for (int k = 0; k < SegmentFlowSamples; ++k) {
    const float flow = (means[k] - static_cast<float>(calibration_.zeroOffset)) * calibration_.flowScale;
    r.flow[static_cast<std::size_t>(s) * SegmentFlowSamples + k] = clamp16(roundEven(flow));
  }
  ++recorded_;
  return s;
}

}  // namespace vode
