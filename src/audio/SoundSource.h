// The sound a device takes, made on demand from one channel of 16-bit samples:
// another rate through libsoxr when the device cannot play the recording's,
// the channel copied into every device channel, the device's sample format.
#pragma once

#include <QAudioFormat>
#include <QIODevice>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct soxr;

namespace vode {

class SoundSource : public QIODevice {
  Q_OBJECT

 public:
  // Plays count samples recorded at sampleRate in the format given. The
  // samples are not copied: they must outlive the source.
  SoundSource(const int16_t* samples, std::size_t count, int sampleRate, const QAudioFormat& format,
              QObject* parent = nullptr);
  ~SoundSource() override;

  // Empty unless the resampler could not be set up.
  const std::string& error() const { return error_; }
  // Whether every sample has been handed out.
  bool finished() const { return finished_; }

  bool isSequential() const override { return true; }
  bool atEnd() const override { return finished_ && QIODevice::bytesAvailable() == 0; }
  qint64 bytesAvailable() const override;

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  // Up to frames mono samples at the device's rate; 0 at the end.
  std::size_t pullMono(int16_t* out, std::size_t frames);

  struct SoxrDeleter {
    void operator()(soxr* s) const;
  };

  const int16_t* samples_;
  std::size_t count_;
  std::size_t next_ = 0;
  QAudioFormat format_;
  double ratio_;  // device rate / recording rate
  std::unique_ptr<soxr, SoxrDeleter> resampler_;
  bool inputDone_ = false;
  bool finished_ = false;
  std::vector<int16_t> mono_;
  std::string error_;
};

// Puts mono samples into a device's frames: every channel gets the sample.
void writeFrames(const int16_t* mono, std::size_t frames, const QAudioFormat& format, char* out);

}  // namespace vode
