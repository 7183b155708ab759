// Where a new recording's samples come from. The New Recording window pulls
// blocks from a device on its 20 ms timer and hands them to an
// AcquisitionTake, which turns them into segments.
//   "simulated"            a breathing subject made by the synthetic generator,
//                          paced by the clock (SimulatedDevice.h)
//   "simulated:wheezes"    the same subject with musical wheezes
//   "simulated:resp"       the same subject on a respiration band
//   "audio", "audio:NAME"  a sound input of the sound server (SoundInputDevice.h)
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vode {

// Samples a device delivers per channel and block: one segment's worth.
constexpr int AcquisitionBlockSamples = 1024;
// The breath signal's converter spans ±5 V with ±2048 counts.
constexpr int BreathFullScaleCounts = 2048;
constexpr float BreathFullScaleVolts = 5.0f;

// Monitor-slider positions: what is heard and measured.
enum MonitorPosition { MonitorChannel1 = 0, MonitorChannels1And2 = 1, MonitorChannel2 = 2 };

class AcquisitionDevice {
 public:
  virtual ~AcquisitionDevice() = default;

  // Shown to the user, e.g. by --list-devices.
  virtual std::string description() const = 0;

  // Begins delivering blocks of (soundChannels + 1) × 1024 samples; gain is
  // the amplification asked for: 100 (×1), 200 (×2) or 400 (×4). A device
  // already started starts afresh. false with the reason in error.
  virtual bool start(int soundChannels, int gain, std::string& error) = 0;

  // Idempotent; blocks not yet read are dropped.
  virtual void stop() = 0;

  // Appends every complete block that arrived since the last call and returns
  // how many. A block is planar: 1024 samples of sound channel 1, … of the
  // last sound channel, then 1024 breath-signal samples in converter counts.
  virtual int read(std::vector<std::int16_t>& blocks) = 0;

  // The monitor slider (MonitorPosition): which channel(s) the user listens to.
  virtual void setMonitor(int sliderPosition) { monitor_ = sliderPosition; }
  int monitor() const { return monitor_; }

 protected:
  int monitor_ = MonitorChannels1And2;
};

// Gain setting (slider position 0, 1, 2) to the amplification 100, 200, 400.
int gainForSetting(int setting);
bool validGain(int gain);

// Milliseconds of a monotonic clock; tests pass their own.
using MillisecondClock = std::function<std::int64_t()>;
std::int64_t steadyMilliseconds();

// One entry of --list-devices: what to pass to --device, and what it is.
struct DeviceEntry {
  std::string name;
  std::string description;
};

// The simulated subjects and every sound input the sound server offers.
std::vector<DeviceEntry> listAcquisitionDevices();

// "simulated", "simulated:wheezes", "simulated:resp", "audio" (the default input) or
// "audio:NAME" (an input's name or description as --list-devices shows it).
// nullptr with error set when no such device can be made.
std::unique_ptr<AcquisitionDevice> makeAcquisitionDevice(const std::string& choice, std::string& error);

}  // namespace vode
