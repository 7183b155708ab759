#include "analysis/PhaseTable.h"

#include <cmath>

#include "model/Numeric.h"
#include "model/Recording.h"
#include "model/Records.h"
#include "model/TagTable.h"

namespace vode {

int PhaseTable::SetThresholds(float inspLowL, float inspHighL, float expLowL, float expHighL,
                              const PreferencesRecord& prefs, const SubjectRecord& subject) {
  if (!(0.0f < inspLowL && inspLowL < inspHighL && expLowL < expHighL && expHighL < 0.0f)) return 3;
  inspLow = inspLowL;
  inspHigh = inspHighL;
  expLow = expLowL;
  expHigh = expHighL;
  // Preferences hold mL/s (per kg, or absolute); the thresholds are L/s,
  // rounded once to single precision.
  if (prefs.backgroundFlowMode == 0)
    backgroundFlow = static_cast<float>(static_cast<double>(subject.weight) * prefs.backgroundFlowPerKg / 1000.0);
  else
    backgroundFlow = static_cast<float>(prefs.backgroundFlowAbsolute / 1000.0);
  minPhaseSum = 10.0f * backgroundFlow;
  return 0;
}

void PhaseTable::ResetPhaseTable() {
  lastSegment = -1;
  lastPhase = -1;
  readyFlags = 0;
  inspTagged = expTagged = backgroundTagged = 0;
  inspBreaths = expBreaths = 0;
  accumulator = 0.0f;
  phaseTaggedCount = 0;
}

uint16_t PhaseTable::AddSegment(float value) {
  const int i = lastSegment + 1;
  if (i >= Capacity) return readyFlags;
  segmentFlow[i] = value;
  lastSegment = i;

  float v = value;
  if (resp) {
    // A respiration band is uncalibrated: only its direction of change counts.
    float d = 0.0f;
    if (i > 0) {
      const float previous = segmentFlow[i - 1];
      if (accumulator > 0.0f)
        d = value >= previous ? 1.0f : -1.0f;  // a tie continues a rise
      else if (accumulator == 0.0f)
        d = value > previous ? 1.0f : (value < previous ? -1.0f : 0.0f);
      else
        d = value > previous ? 1.0f : -1.0f;  // a tie continues a fall
    }
    v = d;
  }

  if ((accumulator < 0.0f && v > 0.0f) || (accumulator > 0.0f && v < 0.0f)) {
    ClosePhase();
    if (lastPhase + 1 < MaxPhases) entries[lastPhase + 1].firstSegment = i;
    phaseTaggedCount = 0;
    accumulator = 0.0f;
  }

  accumulator += v;
  runningVolume[i] = accumulator / 10.0f;
  if (tags) tags->setPhase(i, 0);

  if (resp) return readyFlags;  // band phases are tagged when they close
  if (peakVolume <= 0) return readyFlags;

  if (inspLow <= v && v <= inspHigh) tagInspiration(i);
  if (expLow <= v && v <= expHigh) tagExpiration(i);

  auto quiet = [this](int s) { return -backgroundFlow <= segmentFlow[s] && segmentFlow[s] <= backgroundFlow; };
  if (i >= 2 && quiet(i) && quiet(i - 1) && quiet(i - 2)) tagBackground(i - 1);
  return readyFlags;
}

void PhaseTable::ClosePhase() {
  if (lastSegment < 0) return;  // nothing fed since the reset
  // Too small a volume is no breath phase; its segments belong to no entry.
  if (!resp && std::fabs(accumulator) < minPhaseSum) return;
  if (lastPhase >= MaxPhases - 1) return;

  const int k = ++lastPhase;
  PhaseEntry& e = entries[k];
  e.number = k;
  e.phaseVolume = accumulator / 10.0f;
  e.cleanCount = 0;
  // Called from AddSegment, the table's last segment already opens the next
  // phase; only the recording's final segment closes its own phase.
  e.lastSegment = lastSegment == recordingSegments - 1 ? lastSegment : lastSegment - 1;
  if (k == 0) e.firstSegment = 0;

  if (resp) TagRespPhase();
}

void PhaseTable::TagRespPhase() {
  if (lastPhase < 0) return;
  const PhaseEntry& e = entries[lastPhase];
  const int f = e.firstSegment;
  const int l = e.lastSegment;
  const int L = roundEven(0.2 * (l - f + 1));  // the middle fifth of the phase
  if (accumulator > 0.0f) {
    const int first = (f + l + 1 - L) / 2;
    for (int s = first; s <= first + L - 1; ++s) tagInspiration(s);
  } else {
    const int last = (f + l) / 2;
    for (int s = last - L + 1; s <= last; ++s) tagExpiration(s);
  }
}

void PhaseTable::tagInspiration(int s) {
  if (!tags) return;
  tags->setPhase(s, Inspiration);
  if (tags->taggedClean(0, s)) {
    ++inspTagged;
    if (++phaseTaggedCount == inspNeeded) ++inspBreaths;
  }
  if (inspBreaths > 4 && inspTagged >= 20) readyFlags |= InspirationReady;
}

void PhaseTable::tagExpiration(int s) {
  if (!tags) return;
  tags->setPhase(s, Expiration);
  if (tags->taggedClean(0, s)) {
    ++expTagged;
    if (++phaseTaggedCount == expNeeded) ++expBreaths;
  }
  if (expBreaths > 4 && expTagged >= 20) readyFlags |= ExpirationReady;
}

void PhaseTable::tagBackground(int s) {
  if (!tags) return;
  tags->setPhase(s, Background);
  if (tags->taggedClean(0, s)) {
    if (++backgroundTagged == backgroundNeeded) readyFlags |= BackgroundReady;
  }
}

int PhaseTable::FindPhase(int s) const {
  for (int k = 0; k <= lastPhase; ++k)
    if (entries[k].firstSegment <= s && s <= entries[k].lastSegment) return k;
  return -1;
}

std::string PhaseTable::PhaseLabel(int s) const {
  const int k = FindPhase(s);
  if (k == -1) return "N/A";
  return std::to_string(k + 1) + (entries[k].phaseVolume > 0.0f ? "i" : "e");
}

int PhaseTable::StepPhase(int s, int direction) const {
  if (direction == 0) return s;
  direction = direction > 0 ? 1 : -1;
  int k = FindPhase(s);
  if (k == -1) return s;
  const int needed = entries[k].phaseVolume > 0.0f ? inspNeeded : expNeeded;
  // Steps of two phases keep the breathing direction.
  do {
    k += 2 * direction;
  } while (k >= 0 && k <= lastPhase && entries[k].cleanCount < needed);
  if (k < 0 || k > lastPhase || !tags) return s;
  for (int m = entries[k].firstSegment; m < tags->segments(); ++m)
    if (tags->phase(m) != 0 || tags->cleanEverywhere(m)) return m;
  return s;
}

float segmentValue(const Recording& recording, int s) {
  if (s < 0 || s >= recording.segmentCount) return 0.0f;
  const size_t first = static_cast<size_t>(s) * SegmentFlowSamples;
  if (first + SegmentFlowSamples > recording.flow.size()) return 0.0f;
  int32_t sum = 0;
  for (int k = 0; k < SegmentFlowSamples; ++k) sum += recording.flow[first + k];
  // The sum of 32 int16 values is exact in single precision.
  return static_cast<float>(sum) / 32000.0f;
}

}  // namespace vode
