// Breath phases: the mean flow of every segment, the thresholds that tag a
// segment as inspiration, expiration or background, the counters of a tagging
// run and up to 601 recorded phases.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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

  float inspLow = 0.0f, inspHigh = 0.0f, expLow = 0.0f, expHigh = 0.0f;
  float backgroundFlow = 0.0f;
  float minPhaseSum = 0.0f;

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
  bool resp = false;             // respiration band: only the direction counts
  int32_t peakVolume = 0;        // FLOW with peakVolume <= 0 tags nothing
  int32_t recordingSegments = 0; // for the last entry's range

  // 0 when 0 < inspLow < inspHigh and expLow < expHigh < 0; else 3, nothing changes.
  int SetThresholds(float inspLowL, float inspHighL, float expLowL, float expHighL,
                    const PreferencesRecord& prefs, const SubjectRecord& subject);
  void setBackgroundFlow(float value) { backgroundFlow = value; }
  void ResetPhaseTable();
  uint16_t AddSegment(float value);
  void ClosePhase();
  void TagRespPhase();

  float segmentFlowAt(int s) const { return s >= 0 && s <= lastSegment ? segmentFlow[s] : 0.0f; }
  int FindPhase(int s) const;
  std::string PhaseLabel(int s) const;
  int StepPhase(int s, int direction) const;
};

// The segment value fed for segment s: the sum of its 32 flow samples as
// single precision, divided by 32000.
float segmentValue(const Recording& recording, int s);

// The whole tagging run over a recording.
void TagRecording(PhaseTable& phases, TagTable& tags, const Recording& recording, bool resp, bool retag);

// Target flow and tolerance in thousandths of the breath-signal unit.
struct TargetFlow {
  int32_t target = 0;
  int32_t tolerance = 0;
};
// strainGauge: the acquisition window's last breath choice.
TargetFlow get_target_flow(int choice, float customValue, float weightKg, bool strainGauge);

}  // namespace vode
