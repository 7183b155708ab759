#include "audio/SinkAudioOutput.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <QSignalBlocker>
#include <algorithm>

#include "audio/SoundSource.h"

namespace vode {

namespace {

constexpr const char* NoDeviceText = "There is no sound output device.";
constexpr const char* NotOpenText = "No sound is open for playing.";

// How long the clock of a sink that has all the sound may stand still before
// the sound counts as ended.
constexpr int StalledMs = 300;

// Half a second of sound queued at the server rides over a busy moment of the
// window's thread, which feeds the sink; Stop drops what is queued.
constexpr int QueuedMs = 500;

}  // namespace

std::string audioErrorText(QAudio::Error error) {
  switch (error) {
    case QAudio::OpenError:
      return "The sound output device could not be opened.";
    case QAudio::IOError:
      return "The sound output device stopped taking sound.";
    case QAudio::FatalError:
      return "The sound output device failed.";
    default:
      return {};
  }
}

SinkAudioOutput::SinkAudioOutput(QObject* parent) : QObject(parent) {}

SinkAudioOutput::~SinkAudioOutput() { close(); }

bool SinkAudioOutput::hasDevice() const { return !QMediaDevices::defaultAudioOutput().isNull(); }

bool SinkAudioOutput::fail(const std::string& text) {
  error_ = text;
  return false;
}

bool SinkAudioOutput::open(std::vector<int16_t> samples, int sampleRate) {
  close();
  error_.clear();
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return fail(NoDeviceText);

  QAudioFormat format;
  format.setSampleRate(requiredRate_ > 0 ? requiredRate_ : sampleRate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) {
    // The device's own format; SoundSource converts rate, channels and samples.
    format = device.preferredFormat();
    if (!format.isValid()) return fail("The sound output device takes no known format.");
  }
  format_ = format;
  samples_ = std::move(samples);
  sampleRate_ = sampleRate;
  sink_ = std::make_unique<QAudioSink>(device, format_);
  sink_->setBufferSize(format_.bytesForDuration(QueuedMs * 1000));
  connect(sink_.get(), &QAudioSink::stateChanged, this, &SinkAudioOutput::onStateChanged);
  return true;
}

bool SinkAudioOutput::play(int64_t startMs) {
  if (!sink_ || sampleRate_ <= 0) return fail(NotOpenText);
  const auto total = static_cast<int64_t>(samples_.size());
  const int64_t first = std::clamp<int64_t>(startMs * sampleRate_ / 1000, 0, total);
  startMs_ = first * 1000 / sampleRate_;
  endMs_ = total * 1000 / sampleRate_;

  delete source_;
  source_ = new SoundSource(samples_.data() + first, static_cast<std::size_t>(total - first), sampleRate_, format_,
                            this);
  if (!source_->error().empty()) return fail(source_->error());
  lastPlayed_ = -1;
  sinceMove_.start();
  sink_->start(source_);
  if (sink_->error() != QAudio::NoError && sink_->error() != QAudio::UnderrunError)
    return fail(audioErrorText(sink_->error()));
  return true;
}

int64_t SinkAudioOutput::position() {
  if (!error_.empty()) return -1;
  if (!sink_ || !source_) return 0;
  const int64_t played = sink_->processedUSecs() / 1000;
  if (played != lastPlayed_) {
    lastPlayed_ = played;
    sinceMove_.restart();
  } else if (sink_->state() == QAudio::IdleState && source_->finished() && sinceMove_.elapsed() > StalledMs) {
    // Everything was handed over and the clock stands still: should it stop a
    // little short of the end, the end is still the end.
    return endMs_;
  }
  return std::min<int64_t>(startMs_ + played, endMs_);
}

void SinkAudioOutput::onStateChanged(QAudio::State state) {
  if (state != QAudio::StoppedState || !sink_) return;
  const std::string text = audioErrorText(sink_->error());
  if (!text.empty() && error_.empty()) error_ = text;
}

void SinkAudioOutput::stop() {
  if (sink_) {
    // A stop asked for is not a failure of the device.
    const QSignalBlocker quiet(sink_.get());
    sink_->stop();
  }
}

void SinkAudioOutput::close() {
  stop();
  // The sink reads from the source, and the source from the samples.
  sink_.reset();
  delete source_;
  source_ = nullptr;
  samples_.clear();
  samples_.shrink_to_fit();
  sampleRate_ = 0;
}

}  // namespace vode
