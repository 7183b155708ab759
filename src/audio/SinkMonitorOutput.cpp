#include "audio/SinkMonitorOutput.h"

#include <soxr.h>

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>

#include "audio/SinkAudioOutput.h"
#include "audio/SoundSource.h"

namespace vode {

namespace {

// Longer and the sound lags the gauge noticeably; the device delivers a block
// every 100 ms, so two blocks' worth rides over one late tick.
constexpr int QueuedMs = 200;

}  // namespace

void SinkMonitorOutput::SoxrDeleter::operator()(soxr* s) const { soxr_delete(s); }

SinkMonitorOutput::SinkMonitorOutput() = default;

SinkMonitorOutput::~SinkMonitorOutput() { stop(); }

bool SinkMonitorOutput::start(int sampleRate) {
  stop();
  error_.clear();
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) {
    error_ = "There is no sound output device.";
    return false;
  }
  QAudioFormat format;
  format.setSampleRate(sampleRate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) format = device.preferredFormat();
  if (!format.isValid()) {
    error_ = "The sound output device takes no known format.";
    return false;
  }
  if (format.sampleRate() != sampleRate) {
    soxr_error_t failure = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    // Low latency matters more here than the last bit of quality.
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_LQ, 0);
    resampler_.reset(soxr_create(sampleRate, format.sampleRate(), 1, &failure, &io, &quality, nullptr));
    if (failure || !resampler_) {
      error_ = std::string("Unable to resample the sound: ") + soxr_strerror(failure);
      resampler_.reset();
      return false;
    }
  }
  format_ = format;
  rate_ = sampleRate;
  sink_ = std::make_unique<QAudioSink>(device, format_);
  sink_->setBufferSize(format_.bytesForDuration(QueuedMs * 1000));
  io_ = sink_->start();
  if (!io_) {
    error_ = audioErrorText(sink_->error());
    if (error_.empty()) error_ = "The sound output device could not be opened.";
    stop();
    return false;
  }
  return true;
}

void SinkMonitorOutput::write(std::span<const int16_t> samples) {
  if (!io_) return;
  if (!samples.empty()) {
    const int16_t* mono = samples.data();
    size_t frames = samples.size();
    if (resampler_) {
      resampled_.resize(static_cast<size_t>(samples.size() * (static_cast<double>(format_.sampleRate()) / rate_ + 1)) +
                        64);
      size_t used = 0, done = 0;
      if (soxr_process(resampler_.get(), samples.data(), samples.size(), &used, resampled_.data(), resampled_.size(),
                       &done) == nullptr) {
        mono = resampled_.data();
        frames = done;
      } else {
        frames = 0;
      }
    }
    const qsizetype at = pending_.size();
    pending_.resize(at + static_cast<qsizetype>(frames) * format_.bytesPerFrame());
    writeFrames(mono, frames, format_, pending_.data() + at);
  }
  // Behind the device: the oldest sound goes, never the window's time.
  const qsizetype most = format_.bytesForDuration(QueuedMs * 1000);
  if (pending_.size() > most) {
    const qsizetype frame = std::max(format_.bytesPerFrame(), 1);
    pending_.remove(0, (pending_.size() - most) / frame * frame);
  }
  const qsizetype room = std::min<qsizetype>(sink_->bytesFree(), pending_.size());
  if (room <= 0) return;
  const qint64 written = io_->write(pending_.constData(), room);
  if (written > 0) pending_.remove(0, written);
}

void SinkMonitorOutput::stop() {
  if (sink_) sink_->stop();
  io_ = nullptr;
  sink_.reset();
  resampler_.reset();
  pending_.clear();
}

}  // namespace vode
