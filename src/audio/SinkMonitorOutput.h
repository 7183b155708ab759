// Monitor sound through the sound server: a push-mode QAudioSink on the
// default output device. The queue is kept short, so what is heard stays
// within a fifth of a second of what the device takes in.
#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <memory>

#include "audio/MonitorOutput.h"

class QAudioSink;
class QIODevice;
struct soxr;

namespace vode {

class SinkMonitorOutput : public MonitorOutput {
 public:
  SinkMonitorOutput();
  ~SinkMonitorOutput() override;

  bool start(int sampleRate) override;
  void write(std::span<const int16_t> samples) override;
  void stop() override;
  std::string errorText() const override { return error_; }

 private:
  struct SoxrDeleter {
    void operator()(soxr* s) const;
  };

  QAudioFormat format_;
  int rate_ = 1;  // of the samples written
  std::unique_ptr<QAudioSink> sink_;
  QIODevice* io_ = nullptr;  // owned by the sink
  std::unique_ptr<soxr, SoxrDeleter> resampler_;
  std::vector<int16_t> resampled_;
  QByteArray pending_;
  std::string error_;
};

}  // namespace vode
