// The open document: the recording and everything that belongs to it, the
// fixed records, the document state and the analysis results. The program and
// vode-cli each hold their own; tests make as many as they like.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "analysis/OverallAverages.h"
#include "analysis/PanelSettings.h"
#include "analysis/PhaseTable.h"
#include "analysis/SegmentSpectra.h"
#include "analysis/WheezeMap.h"
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

class Document {
 public:
  // The state at program start: every record at its defaults.
  Document();

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
  std::unique_ptr<PhaseTable> phaseTable;  // made on first use, kept until exit
  std::unique_ptr<SegmentSpectra> spectra;
  std::unique_ptr<OverallAverages> averages;
  std::unique_ptr<WheezeMap> wheezeMap;

  PanelSettings panel;
  // The acquisition window's last breath choice: 0 pneumotach, 1 strain gauge.
  int acquisitionBreathChoice = 0;

  // Releases the recording, the tags and every analysis result and restores the
  // records' defaults (analysis parameters keep theirs).
  void reset();

  bool hasRecording() const { return recording != nullptr; }
  bool isResp() const { return channelSetup.airflowKind == 1; }

  // Spectra, averages, phase averages and wheeze data.
  void releaseResults();

  PhaseTable& phases();

  // The sample operations with their bookkeeping: the peak amplitude follows.
  void updatePeakAmplitude();
  void removeOffsets();
  bool normalizeChannels(Prompter& prompter);
  void computeVolume();

  // After a successful open: peak amplitude reset, offsets removed, volume.
  void prepareOpenedRecording();
};

}  // namespace vode
