#include "document/DocumentCopy.h"

#include <algorithm>

namespace vode {

namespace {

template <typename T>
std::unique_ptr<T> copyOf(const std::unique_ptr<T>& p) {
  return p ? std::make_unique<T>(*p) : nullptr;
}

std::unique_ptr<SegmentSpectra> copyOf(const std::unique_ptr<SegmentSpectra>& p) {
  if (!p) return nullptr;
  const SegmentSpectra& from = *p;
  auto to = std::make_unique<SegmentSpectra>();
  to->channelCount = from.channelCount;
  to->segmentCount = from.segmentCount;
  to->powerData.assign(from.powerData.begin(), from.powerData.end());
  to->sonogram = from.sonogram;
  to->imagePalette = from.imagePalette;
  to->bandPower = from.bandPower;
  to->peakBandPower = from.peakBandPower;
  to->backgroundReference = from.backgroundReference;
  return to;
}

// Every field must be copied above and below: a new one changes these sizes
// and stops the build here rather than going missing from a copy.
static_assert(sizeof(SegmentSpectra) == 800, "a field was added to SegmentSpectra: copy it in DocumentCopy.cpp");
static_assert(sizeof(RecordingBundle) == 1000, "a field was added to RecordingBundle: copy it in DocumentCopy.cpp");
static_assert(sizeof(AnalysisResults) == 56, "a field was added to AnalysisResults: copy it in DocumentCopy.cpp");

}  // namespace

std::unique_ptr<Document> copySettings(const Document& doc) {
  auto copy = std::make_unique<Document>();
  copy->subject = doc.subject;
  copy->laboratory = doc.laboratory;
  copy->preferences = doc.preferences;
  copy->channelSetup = doc.channelSetup;
  copy->analysisParameters = doc.analysisParameters;
  copy->comments = doc.comments;
  copy->state = doc.state;
  copy->peakAmplitude = doc.peakAmplitude;
  copy->panel = doc.panel;
  if (doc.phaseTable) {
    // The thresholds and counters carry over; the phase averages are results.
    copy->phaseTable = std::make_unique<PhaseTable>(*doc.phaseTable);
    for (PhaseEntry& e : copy->phaseTable->entries) e.averageSpectrum = {};
    copy->phaseTable->tags = nullptr;
  }
  return copy;
}

std::unique_ptr<Document> copyDocument(const Document& doc) {
  auto copy = copySettings(doc);
  copy->recording = copyOf(doc.recording);
  copy->tagTable = copyOf(doc.tagTable);
  if (doc.phaseTable) {
    copy->phaseTable = copyOf(doc.phaseTable);
    // A hooked table points at the tags it feeds: the copy's own.
    if (doc.phaseTable->tags) copy->phaseTable->tags = copy->tagTable.get();
  }
  copy->spectra = copyOf(doc.spectra);
  copy->averages = copyOf(doc.averages);
  copy->wheezeMap = copyOf(doc.wheezeMap);
  return copy;
}

}  // namespace vode
