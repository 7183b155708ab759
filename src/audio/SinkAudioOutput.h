// Playback through the sound server: Qt Multimedia's QAudioSink on the default
// output device, pulling the sound from a SoundSource.
#pragma once

#include <QAudio>
#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>
#include <memory>

#include "audio/AudioOutput.h"

class QAudioSink;

namespace vode {

class SoundSource;

class SinkAudioOutput : public QObject, public AudioOutput {
  Q_OBJECT

 public:
  explicit SinkAudioOutput(QObject* parent = nullptr);
  ~SinkAudioOutput() override;

  bool hasDevice() const override;
  bool open(std::vector<int16_t> samples, int sampleRate) override;
  bool play(int64_t startMs) override;
  int64_t position() override;
  void stop() override;
  void close() override;
  std::string errorText() const override { return error_; }

  // The format the device was opened with (the recording's own when it takes it).
  const QAudioFormat& deviceFormat() const { return format_; }
  // A test asks for another rate to exercise the resampling.
  void setRequiredRate(int rate) { requiredRate_ = rate; }

 private:
  void onStateChanged(QAudio::State state);
  bool fail(const std::string& text);

  std::vector<int16_t> samples_;
  int sampleRate_ = 0;
  int requiredRate_ = 0;
  QAudioFormat format_;
  std::unique_ptr<QAudioSink> sink_;
  SoundSource* source_ = nullptr;  // owned by this object
  int64_t startMs_ = 0;
  int64_t endMs_ = 0;
  int64_t lastPlayed_ = -1;
  QElapsedTimer sinceMove_;
  std::string error_;
};

// The text for a failure the sink reports.
std::string audioErrorText(QAudio::Error error);

}  // namespace vode
