#include "model/RecordingBundle.h"

#include "model/Prompter.h"

namespace vode {

void RecordingBundle::reset() {
  comments.clear();
  recording.reset();
  tagTable.reset();
  subject.reset();
  laboratory.reset();
  preferences.reset();
  channelSetup.reset();
  state.currentFileName.clear();
  peakAmplitude = 32768;
}

void RecordingBundle::updatePeakAmplitude() {
  if (!recording) return;
  // Without a single sample the recording reports -32767; full scale then,
  // not a value that wraps to 32769 and widens the automatic scale.
  const int32_t peak = recording->peakAmplitude();
  peakAmplitude = peak < 0 ? 32768 : static_cast<uint16_t>(peak);
}

void RecordingBundle::removeOffsets() {
  if (!recording) return;
  recording->removeOffsets(channelSetup.offsetRemoval);
  updatePeakAmplitude();
}

bool RecordingBundle::normalizeChannels(Prompter& prompter) {
  if (!recording) return false;
  const bool done = recording->normalizeChannels(prompter);
  if (done) updatePeakAmplitude();
  return done;
}

void RecordingBundle::computeVolume() {
  if (recording) recording->computeVolume(channelSetup);
}

void RecordingBundle::prepareOpenedRecording() {
  peakAmplitude = 32768;
  if (!recording) return;
  removeOffsets();
  computeVolume();
}

}  // namespace vode
