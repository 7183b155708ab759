#include "acquisition/SimulatedDevice.h"

#include <algorithm>

#include "model/Numeric.h"
#include "model/Synthetic.h"

namespace vode {

SimulatedDevice::SimulatedDevice(Options options, MillisecondClock clock)
    : options_(options), clock_(std::move(clock)) {}

std::string SimulatedDevice::description() const {
  if (options_.resp) return "Simulated breathing subject with a respiration band (choose the strain gauge)";
  return options_.wheezes ? "Simulated breathing subject with wheezes" : "Simulated breathing subject";
}

std::int16_t SimulatedDevice::breathCounts(std::int16_t flowMlPerS) {
  const int counts = roundEven(flowMlPerS * static_cast<double>(BreathFullScaleCounts) / 5000.0);
  return static_cast<std::int16_t>(std::clamp(counts, -BreathFullScaleCounts, BreathFullScaleCounts));
}

bool SimulatedDevice::start(int soundChannels, int gain, std::string& error) {
  stop();
  if (soundChannels < 1 || soundChannels > MaxChannels) {
    error = "The simulated subject has 1 to " + std::to_string(MaxChannels) + " sound channels";
    return false;
  }
  if (!validGain(gain)) {
    error = "Gain " + std::to_string(gain) + " is not one of 100, 200 and 400";
    return false;
  }
  // The same subject every time for a seed, channel count and target: made
  // once for them.
  if (!subject_.recording || channels_ != soundChannels || madeFor_ != target_) {
    channels_ = soundChannels;
    makeSubject();
  }
  gain_ = gain;
  startMs_ = clock_();
  delivered_ = 0;
  running_ = true;
  return true;
}

void SimulatedDevice::makeSubject() {
  SynthOptions synth;
  synth.seed = options_.seed;
  synth.channels = channels_;
  synth.seconds = LoopSeconds;
  synth.wheezes = options_.wheezes;
  synth.resp = options_.resp;
  synth.targetFlow = target_;
  makeSyntheticRecording(subject_, synth);
  madeFor_ = target_;
}

void SimulatedDevice::followTarget(int target) {
  if (options_.resp || target < 0 || target == target_) return;
  target_ = target;
  // While delivering, the subject changes its breathing at once and carries
  // on where it was in the loop.
  if (running_) makeSubject();
}

void SimulatedDevice::stop() { running_ = false; }

void SimulatedDevice::appendBlock(std::int32_t segment, std::vector<std::int16_t>& blocks) const {
  const Recording& r = *subject_.recording;
  const std::size_t at = static_cast<std::size_t>(segment) * AcquisitionBlockSamples;
  for (int c = 0; c < channels_; ++c) {
    const std::int16_t* in = r.sound[c].data() + at;
    for (int i = 0; i < AcquisitionBlockSamples; ++i)
      blocks.push_back(clamp16(static_cast<std::int64_t>(in[i]) * gain_ / 100));
  }
  // The converter samples the breath signal at the sound rate; each flow
  // sample holds for its 32 breath samples.
  const std::int16_t* flow = r.flow.data() + static_cast<std::size_t>(segment) * SegmentFlowSamples;
  for (int k = 0; k < SegmentFlowSamples; ++k)
    blocks.insert(blocks.end(), AcquisitionBlockSamples / SegmentFlowSamples, breathCounts(flow[k]));
}

int SimulatedDevice::read(std::vector<std::int16_t>& blocks) {
  if (!running_) return 0;
  const std::int64_t due = std::max<std::int64_t>(0, (clock_() - startMs_) / 100);
  delivered_ = std::max(delivered_, due - MaxPendingBlocks);
  const int count = static_cast<int>(due - delivered_);
  const std::int32_t loop = subject_.recording->segmentCount;
  blocks.reserve(blocks.size() + static_cast<std::size_t>(count) * (channels_ + 1) * AcquisitionBlockSamples);
  for (; delivered_ < due; ++delivered_) appendBlock(static_cast<std::int32_t>(delivered_ % loop), blocks);
  return count;
}

}  // namespace vode
