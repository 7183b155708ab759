#include "model/Document.h"

#include "model/Prompter.h"

namespace vode {

Document::Document() { reset(); }

void Document::reset() {
  comments.clear();
  recording.reset();
  tagTable.reset();
  // The phase table outlives the recording; it must not point at its tags.
  if (phaseTable) phaseTable->tags = nullptr;
  releaseResults();
  subject.reset();
  laboratory.reset();
  preferences.reset();
  channelSetup.reset();
  state.currentFileName.clear();
  peakAmplitude = 32768;
}

void Document::releaseResults() {
  spectra.reset();
  averages.reset();
  wheezeMap.reset();
  if (phaseTable) {
    for (PhaseEntry& e : phaseTable->entries) {
      e.averageSpectrum.clear();
      e.averageSpectrum.shrink_to_fit();
    }
  }
}

PhaseTable& Document::phases() {
  if (!phaseTable) phaseTable = std::make_unique<PhaseTable>();
  return *phaseTable;
}

void Document::updatePeakAmplitude() {
  if (recording) peakAmplitude = static_cast<uint16_t>(recording->peakAmplitude());
}

void Document::removeOffsets() {
  if (!recording) return;
  recording->removeOffsets(channelSetup.offsetRemoval);
  updatePeakAmplitude();
}

bool Document::normalizeChannels(Prompter& prompter) {
  if (!recording) return false;
  const bool done = recording->normalizeChannels(prompter);
  if (done) updatePeakAmplitude();
  return done;
}

void Document::computeVolume() {
  if (recording) recording->computeVolume(channelSetup);
}

void Document::prepareOpenedRecording() {
  peakAmplitude = 32768;
  if (!recording) return;
  removeOffsets();
  computeVolume();
}

}  // namespace vode
