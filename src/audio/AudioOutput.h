// The sound output playback goes through, and the clock it is timed by. The
// program plays through the sound server (SinkAudioOutput); --screenshot and
// the window tests use SilentAudioOutput; tests of the playback rules script
// both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vode {

// A millisecond tick count.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t nowMs() const = 0;
};

// The monotonic clock of the machine.
class SteadyClock : public Clock {
 public:
  int64_t nowMs() const override;
};

// Plays one channel of 16-bit samples from a position and reports how far the
// sound has come. After a failing call errorText() says why.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;

  // Whether there is any device to play on at all.
  virtual bool hasDevice() const = 0;
  // Takes the samples of a whole channel at sampleRate; nothing sounds yet.
  virtual bool open(std::vector<int16_t> samples, int sampleRate) = 0;
  // Starts the sound at startMs of the channel and returns at once.
  virtual bool play(int64_t startMs) = 0;
  // Where the sound heard now lies, in ms of the channel; -1 after a failure.
  virtual int64_t position() = 0;
  virtual void stop() = 0;
  // Releases the device and the samples.
  virtual void close() = 0;
  // Empty while nothing has failed.
  virtual std::string errorText() const = 0;
};

// A device that is always there and plays nothing: the position runs with the
// clock, so playback behaves as with a sound card but without a sound.
class SilentAudioOutput : public AudioOutput {
 public:
  explicit SilentAudioOutput(const Clock& clock) : clock_(clock) {}

  bool hasDevice() const override { return true; }
  bool open(std::vector<int16_t> samples, int sampleRate) override;
  bool play(int64_t startMs) override;
  int64_t position() override;
  void stop() override;
  void close() override;
  std::string errorText() const override { return {}; }

 private:
  const Clock& clock_;
  int64_t lengthMs_ = 0;
  int64_t startMs_ = 0;
  int64_t startTick_ = 0;
  bool playing_ = false;
  int64_t stoppedAt_ = 0;
};

}  // namespace vode
