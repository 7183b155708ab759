#include "audio/AudioOutput.h"

#include <algorithm>
#include <chrono>

namespace vode {

int64_t SteadyClock::nowMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool SilentAudioOutput::open(std::vector<int16_t> samples, int sampleRate) {
  lengthMs_ = sampleRate > 0 ? static_cast<int64_t>(samples.size()) * 1000 / sampleRate : 0;
  playing_ = false;
  stoppedAt_ = 0;
  return true;
}

bool SilentAudioOutput::play(int64_t startMs) {
  startMs_ = std::clamp<int64_t>(startMs, 0, lengthMs_);
  startTick_ = clock_.nowMs();
  playing_ = true;
  return true;
}

int64_t SilentAudioOutput::position() {
  if (!playing_) return stoppedAt_;
  // Like a sound card, it stops at the end of the sound.
  return std::min(startMs_ + (clock_.nowMs() - startTick_), lengthMs_);
}

void SilentAudioOutput::stop() {
  stoppedAt_ = position();
  playing_ = false;
}

void SilentAudioOutput::close() {
  stop();
  lengthMs_ = 0;
  stoppedAt_ = 0;
}

}  // namespace vode
