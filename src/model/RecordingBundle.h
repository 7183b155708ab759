// What a recording file carries, and what the readers, writers and the
// synthetic generator work on: the recording, its tags, the fixed records,
// the comments and the file-level state. The analysis results are kept apart
// (analysis/AnalysisResults.h); a Document (document/Document.h) holds both.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/Recording.h"
#include "model/Records.h"
#include "model/TagTable.h"

namespace vode {

class Prompter;

struct DocumentState {
  std::string currentFileName;  // "Untitled" for a new recording, empty when none
  bool modified = false;
  int ioError = 0;
  std::string programDir;       // the configuration folder, with a trailing separator
  int fileVersion = 0;          // of the last loaded block file
};

struct RecordingBundle {
  RecordingBundle() = default;
  RecordingBundle(RecordingBundle&&) = default;
  RecordingBundle& operator=(RecordingBundle&&) = default;
  virtual ~RecordingBundle() = default;

  SubjectRecord subject;
  LaboratoryRecord laboratory;
  PreferencesRecord preferences;
  ChannelSetup channelSetup;
  AnalysisParameters analysisParameters;
  std::string comments;  // empty = none

  DocumentState state;
  uint16_t peakAmplitude = 32768;  // counts; drives the automatic amplitude scale

  std::unique_ptr<Recording> recording;
  std::unique_ptr<TagTable> tagTable;

  // Releases the recording and the tags and restores the records' defaults
  // (analysis parameters keep theirs). Virtual because every reader empties
  // its target first: an owner that keeps results derived from the recording
  // drops them at the same moment.
  virtual void reset();

  bool hasRecording() const { return recording != nullptr; }
  bool isResp() const { return channelSetup.airflowKind == 1; }

  // The sample operations with their bookkeeping: the peak amplitude follows.
  void updatePeakAmplitude();
  void removeOffsets();
  bool normalizeChannels(Prompter& prompter);
  void computeVolume();

  // After a successful open: peak amplitude reset, offsets removed, volume.
  void prepareOpenedRecording();
};

}  // namespace vode
