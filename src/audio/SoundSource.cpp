#include "audio/SoundSource.h"

#include <soxr.h>

#include <algorithm>
#include <cstring>

namespace vode {

void SoundSource::SoxrDeleter::operator()(soxr* s) const { soxr_delete(s); }

SoundSource::SoundSource(const int16_t* samples, std::size_t count, int sampleRate, const QAudioFormat& format,
                         QObject* parent)
    : QIODevice(parent),
      samples_(samples),
      count_(samples ? count : 0),
      format_(format),
      ratio_(sampleRate > 0 ? static_cast<double>(format.sampleRate()) / sampleRate : 1.0) {
  if (format.sampleRate() != sampleRate) {
    soxr_error_t failure = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    // Medium quality keeps the start quick; the ear cannot tell at these rates.
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_MQ, 0);
    resampler_.reset(soxr_create(sampleRate, format.sampleRate(), 1, &failure, &io, &quality, nullptr));
    if (failure || !resampler_) error_ = std::string("Unable to resample the sound: ") + soxr_strerror(failure);
  }
  finished_ = next_ >= count_ && !resampler_;
  open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

SoundSource::~SoundSource() = default;

qint64 SoundSource::bytesAvailable() const {
  const auto left = static_cast<qint64>(static_cast<double>(count_ - next_) * ratio_);
  return left * format_.bytesPerFrame() + QIODevice::bytesAvailable();
}

std::size_t SoundSource::pullMono(int16_t* out, std::size_t frames) {
  if (!resampler_) {
    const std::size_t n = std::min(frames, count_ - next_);
    std::copy_n(samples_ + next_, n, out);
    next_ += n;
    return n;
  }
  std::size_t made = 0;
  while (made < frames) {
    const std::size_t left = count_ - next_;
    // At the end of the input the resampler is flushed with no input.
    const int16_t* in = left > 0 ? samples_ + next_ : nullptr;
    const std::size_t want = std::min<std::size_t>(left, 4096);
    std::size_t used = 0, done = 0;
    if (soxr_process(resampler_.get(), in, want, &used, out + made, frames - made, &done)) return made;
    next_ += used;
    made += done;
    if (!in && done == 0) {
      inputDone_ = true;
      break;
    }
    if (in && used == 0 && done == 0) break;
  }
  return made;
}

qint64 SoundSource::readData(char* data, qint64 maxSize) {
  if (finished_) return 0;
  const int frameBytes = format_.bytesPerFrame();
  if (frameBytes <= 0) return -1;
  const std::size_t frames = static_cast<std::size_t>(maxSize / frameBytes);
  if (frames == 0) return 0;
  mono_.resize(frames);
  const std::size_t got = pullMono(mono_.data(), frames);
  writeFrames(mono_.data(), got, format_, data);
  if (next_ >= count_ && (!resampler_ || inputDone_)) finished_ = true;
  return static_cast<qint64>(got) * frameBytes;
}

void writeFrames(const int16_t* mono, std::size_t frames, const QAudioFormat& format, char* out) {
  const int channels = std::max(format.channelCount(), 1);
  for (std::size_t i = 0; i < frames; ++i) {
    const int16_t s = mono[i];
    for (int c = 0; c < channels; ++c) {
      switch (format.sampleFormat()) {
        case QAudioFormat::UInt8: {
          const auto v = static_cast<uint8_t>((s >> 8) + 128);
          *out++ = static_cast<char>(v);
          break;
        }
        case QAudioFormat::Int32: {
          const int32_t v = static_cast<int32_t>(s) * 65536;
          std::memcpy(out, &v, 4);
          out += 4;
          break;
        }
        case QAudioFormat::Float: {
          const float v = s / 32768.0f;
          std::memcpy(out, &v, 4);
          out += 4;
          break;
        }
        default:
          std::memcpy(out, &s, 2);
          out += 2;
      }
    }
  }
}

}  // namespace vode
