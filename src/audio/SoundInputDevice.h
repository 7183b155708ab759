// A sound card input through Qt Multimedia's QAudioSource: the sound channels
// are the input's own first channels at 10240 Hz (through libsoxr when the
// input runs at another rate). A sound card has no DC input, so the breath
// signal is always zero.
#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <memory>

#include "acquisition/AcquisitionDevice.h"

class QAudioSource;
class QIODevice;
struct soxr;

namespace vode {

class SoundInputDevice : public AcquisitionDevice {
 public:
  explicit SoundInputDevice(const QAudioDevice& device);
  ~SoundInputDevice() override;

  std::string description() const override;
  bool start(int soundChannels, int gain, std::string& error) override;
  void stop() override;
  int read(std::vector<std::int16_t>& blocks) override;

  // A test asks for another rate to exercise the resampling.
  void setRequiredRate(int rate) { requiredRate_ = rate; }
  // The format the input was opened with.
  const QAudioFormat& deviceFormat() const { return format_; }

 private:
  struct SoxrDeleter {
    void operator()(soxr* s) const;
  };

  QAudioDevice device_;
  int requiredRate_ = 0;
  QAudioFormat format_;
  std::unique_ptr<QAudioSource> source_;
  QIODevice* io_ = nullptr;  // owned by source_
  std::unique_ptr<soxr, SoxrDeleter> resampler_;
  int channels_ = 0;
  int gain_ = 100;
  std::vector<std::int16_t> pending_;  // interleaved frames at 10240 Hz, all input channels
};

}  // namespace vode
