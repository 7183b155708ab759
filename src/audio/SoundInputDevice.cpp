#include "audio/SoundInputDevice.h"

#include <QAudioSource>
#include <QIODevice>
#include <algorithm>
#include <soxr.h>

#include "model/Numeric.h"
#include "model/Recording.h"

namespace vode {

void SoundInputDevice::SoxrDeleter::operator()(soxr* s) const { soxr_delete(s); }

SoundInputDevice::SoundInputDevice(const QAudioDevice& device) : device_(device) {}

SoundInputDevice::~SoundInputDevice() { stop(); }

std::string SoundInputDevice::description() const { return device_.description().toStdString(); }

bool SoundInputDevice::start(int soundChannels, int gain, std::string& error) {
  stop();
  if (!validGain(gain)) {
    error = "Gain " + std::to_string(gain) + " is not one of 100, 200 and 400";
    return false;
  }
  // The input's own channels, so channel 1 is its first and not a mix.
  const QAudioFormat preferred = device_.preferredFormat();
  const int inputChannels = std::max(1, preferred.channelCount());
  if (soundChannels < 1 || soundChannels > inputChannels) {
    error = description() + " has " + std::to_string(inputChannels) + " channel" + (inputChannels == 1 ? "" : "s") +
            "; " + std::to_string(soundChannels) + " were asked for";
    return false;
  }
  QAudioFormat format;
  format.setSampleFormat(QAudioFormat::Int16);
  format.setChannelCount(inputChannels);
  format.setSampleRate(requiredRate_ > 0 ? requiredRate_ : SoundRate);
  if (!device_.isFormatSupported(format)) {
    format.setSampleRate(preferred.sampleRate());
    if (!device_.isFormatSupported(format)) {
      error = description() + " delivers no 16-bit sound";
      return false;
    }
  }
  if (format.sampleRate() != SoundRate) {
    soxr_error_t failure = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    resampler_.reset(soxr_create(format.sampleRate(), SoundRate, static_cast<unsigned>(inputChannels), &failure,
                                 &io, &quality, nullptr));
    if (failure || !resampler_) {
      resampler_.reset();
      error = std::string("The input's sound cannot be resampled: ") + (failure ? failure : "unknown error");
      return false;
    }
  }
  format_ = format;
  source_ = std::make_unique<QAudioSource>(device_, format_);
  // A second of sound at the server rides over a busy moment of the window.
  source_->setBufferSize(format_.bytesForDuration(1000000));
  io_ = source_->start();
  if (!io_ || source_->error() != QAudio::NoError) {
    error = description() + " could not be opened for recording";
    stop();
    return false;
  }
  channels_ = soundChannels;
  gain_ = gain;
  pending_.clear();
  return true;
}

void SoundInputDevice::stop() {
  if (source_) source_->stop();
  source_.reset();
  io_ = nullptr;
  resampler_.reset();
  pending_.clear();
}

int SoundInputDevice::read(std::vector<std::int16_t>& blocks) {
  if (!io_) return 0;
  const QByteArray bytes = io_->readAll();
  const int inputChannels = format_.channelCount();
  const std::size_t frames = static_cast<std::size_t>(bytes.size()) / (2 * inputChannels);
  const auto* in = reinterpret_cast<const std::int16_t*>(bytes.constData());
  if (!resampler_) {
    pending_.insert(pending_.end(), in, in + frames * inputChannels);
  } else if (frames > 0) {
    // Room for the ratio's worth of output plus what the filter held back.
    const std::size_t room = frames * SoundRate / static_cast<std::size_t>(format_.sampleRate()) + 1024;
    const std::size_t had = pending_.size();
    pending_.resize(had + room * inputChannels);
    std::size_t used = 0, made = 0;
    soxr_process(resampler_.get(), in, frames, &used, pending_.data() + had, room, &made);
    pending_.resize(had + made * inputChannels);
  }

  const std::size_t blockFrames = AcquisitionBlockSamples;
  int count = 0;
  std::size_t at = 0;
  for (; pending_.size() - at >= blockFrames * inputChannels; at += blockFrames * inputChannels, ++count) {
    const std::int16_t* frame = pending_.data() + at;
    for (int c = 0; c < channels_; ++c)
      for (std::size_t i = 0; i < blockFrames; ++i)
        blocks.push_back(clamp16(static_cast<std::int64_t>(frame[i * inputChannels + c]) * gain_ / 100));
    blocks.insert(blocks.end(), blockFrames, 0);  // no breath signal
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at));
  return count;
}

}  // namespace vode
