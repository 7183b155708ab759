// The sound heard while the New Recording window monitors and records: the
// blocks the device delivers, mixed down to what the monitor slider picks,
// streamed to an output as they come. The program streams to the sound
// server (SinkMonitorOutput); --screenshot and the window tests stay silent.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vode {

class AcquisitionTake;

// Monitor-slider positions: what is heard and measured.
enum MonitorPosition { MonitorChannel1 = 0, MonitorChannels1And2 = 1, MonitorChannel2 = 2 };

class MonitorOutput {
 public:
  virtual ~MonitorOutput() = default;
  // Opens the output for 16-bit mono at sampleRate; false with errorText().
  virtual bool start(int sampleRate) = 0;
  // Queues the next samples and returns at once; called every timer tick,
  // also with none, so a queue left over earlier still reaches the device.
  virtual void write(std::span<const int16_t> samples) = 0;
  // Drops whatever is queued and releases the device.
  virtual void stop() = 0;
  virtual std::string errorText() const = 0;
};

class SilentMonitorOutput : public MonitorOutput {
 public:
  bool start(int) override { return true; }
  void write(std::span<const int16_t>) override {}
  void stop() override {}
  std::string errorText() const override { return {}; }
};

// Appends to out the monitored sound of one planar block (soundChannels ×
// 1024 sound samples, then the breath signal): slider position 0 channel 1,
// 2 channel 2, 1 the mean of both. With a single channel every position
// hears channel 1.
void appendMonitored(std::span<const int16_t> block, int soundChannels, int position, std::vector<int16_t>& out);

// The largest |sample| of the take's last block in what the slider picks:
// channel 1, channel 2, or the louder of both.
int monitoredPeak(const AcquisitionTake& take, int position);

}  // namespace vode
