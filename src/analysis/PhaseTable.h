// Breath phases: the mean flow of every segment, the thresholds that tag a
// segment as inspiration, expiration or background, the counters of a tagging
// run and up to 601 recorded phases.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/TargetFlow.h"

namespace vode {

class TagTable;
struct Recording;
struct PreferencesRecord;
struct SubjectRecord;

constexpr int MaxPhases = 601;
constexpr uint16_t InspirationReady = 0x1000;
constexpr uint16_t ExpirationReady = 0x2000;
constexpr uint16_t BackgroundReady = 0x4000;

struct PhaseEntry {
  int number = 0;
  int firstSegment = 0;
  int lastSegment = 0;
  float phaseVolume = 0.0f;  // L; positive = inspiratory phase
  int cleanCount = 0;        // breath-clean segments on the first channel
  // Average power spectrum [channel × bins + bin]; empty when the phase has none.
  std::vector<float> averageSpectrum;
};

class PhaseTable {
 public:
  static constexpr int Capacity = 1800;

  std::array<float, Capacity> segmentFlow{};    // L/s (RESP: band / 1000)
  std::array<float, Capacity> runningVolume{};  // accumulator / 10 after each segment
  int lastSegment = -1;
  float accumulator = 0.0f;
  int phaseTaggedCount = 0;

  // L/s; 0 until a SetThresholds is accepted.
  float inspLow = 0.0f, inspHigh = 0.0f, expLow = 0.0f, expHigh = 0.0f;
  float backgroundFlow = 0.0f;
  float minPhaseSum = 0.0f;  // 10 × backgroundFlow: segments last 0.1 s

  const int inspNeeded = 3;
  const int expNeeded = 3;
  const int backgroundNeeded = 20;

  int inspTagged = 0, expTagged = 0, backgroundTagged = 0;
  int inspBreaths = 0, expBreaths = 0;
  uint16_t readyFlags = 0;

  int lastPhase = -1;
  std::array<PhaseEntry, MaxPhases> entries{};
  // Channel and bin count the entries' average spectra were made for.
  int spectraChannels = 0;
  int spectraBins = 0;

  // What AddSegment tags and how it reads the breath signal. Set by the
  // tagging run and by acquisition before feeding segments.
  TagTable* tags = nullptr;
  bool resp = false;              // respiration band: only the direction counts
  int32_t peakVolume = 0;         // FLOW with peakVolume <= 0 tags nothing
  int32_t recordingSegments = 0;  // the last entry reaches the recording's last segment

  // 0 when 0 < inspLow < inspHigh and expLow < expHigh < 0; else 3 and nothing
  // changes. backgroundFlow comes from the preferences (per kg of the
  // subject's weight, or absolute).
  int SetThresholds(float inspLowL, float inspHighL, float expLowL, float expHighL,
                    const PreferencesRecord& prefs, const SubjectRecord& subject);
  // Acquisition sets the background alone; minPhaseSum stays.
  void setBackgroundFlow(float value) { backgroundFlow = value; }
  void ResetPhaseTable();
  // Feeds the next segment; returns readyFlags.
  uint16_t AddSegment(float value);
  void ClosePhase();
  void TagRespPhase();

  float segmentFlowAt(int s) const { return s >= 0 && s <= lastSegment ? segmentFlow[s] : 0.0f; }
  int FindPhase(int s) const;
  std::string PhaseLabel(int s) const;
  int StepPhase(int s, int direction) const;

 private:
  void tagInspiration(int s);
  void tagExpiration(int s);
  void tagBackground(int s);
};

// The segment value fed for segment s: the sum of its 32 flow samples as
// single precision, divided by 32000 (mean L/s for a pneumotach).
float segmentValue(const Recording& recording, int s);

// The whole tagging run over a recording. With retag false the phase bytes
// are kept as they were; entries and counters are recomputed either way.
void TagRecording(PhaseTable& phases, TagTable& tags, const Recording& recording, bool resp, bool retag);

}  // namespace vode
