// Where a new recording's samples come from. The New Recording window pulls
// blocks from a device on its 20 ms timer and hands them to an
// AcquisitionTake, which turns them into segments.
//   "simulated"            a breathing subject made by the synthetic generator,
//                          paced by the clock (SimulatedDevice.h)
//   "simulated:wheezes"    the same subject with musical wheezes
//   "simulated:resp"       the same subject on a respiration band
//   "audio", "audio:NAME"  a sound input of the sound server (audio/SoundInputDevice.h)
// Plain C++: the sound-card input and the list of devices live in src/audio.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vode {

// Samples a device delivers per channel and block: one segment's worth.
constexpr int AcquisitionBlockSamples = 1024;
// The breath signal's converter spans ±5 V with ±2048 counts.
constexpr int BreathFullScaleCounts = 2048;
constexpr float BreathFullScaleVolts = 5.0f;

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

  // The target the window shows the subject (thousandths of the breath
  // signal's unit: mL/s, or mV on a respiration band). A person breathes to
  // the gauge; a simulated subject does the same; an input ignores it.
  virtual void followTarget(int /*target*/) {}
};

// Gain setting (slider position 0, 1, 2) to the amplification 100, 200, 400.
int gainForSetting(int setting);
bool validGain(int gain);

// Milliseconds of a monotonic clock; tests pass their own.
using MillisecondClock = std::function<std::int64_t()>;
std::int64_t steadyMilliseconds();

}  // namespace vode
