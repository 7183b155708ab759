// A small analysed document built by hand: two channels, six segments, every
// result the reports read set to values whose printed form is easy to check.
#pragma once

#include <algorithm>
#include <memory>
#include <string>

#include "model/DateText.h"
#include "document/Document.h"
#include "reports/ReportOptions.h"

namespace vode::test {

inline void fillPower(SegmentSpectra& sp, int c, int s, float watts) {
  std::fill_n(sp.power(c, s), BinCount, watts);
}

// FLOW recording; channel 1 (index 0) "RUant", channel 2 "LUant".
//   segment  phase  flags ch1  flags ch2  flow     volume
//   0        -      X          X          0.001    0.0001
//   1        B      -          -         -0.0625  -0.0001
//   2        I      -          -          0.500    0.050
//   3        I      -          C          0.600    0.110
//   4        E      -          -         -0.500   -0.050
//   5        -      X          XWz        0.000   -0.050
// Spectra: 1e-6 W everywhere on channel 1 (20.0 dB), 1e-7 W on channel 2
// (10.0 dB), except channel 1 segment 2: bin 0 is 0 W, bin 1 is 1.2346e-5 W.
inline std::unique_ptr<Document> makeReportDocument(int segments = 6) {
  auto doc = std::make_unique<Document>();
  doc->state.currentFileName = "hand.mer";
  doc->subject.lastName = "Horvat";
  doc->subject.firstName = "Ana";
  doc->subject.id = "SYN-1";
  doc->subject.birthDate = daysFromCivil(1951, 2, 14);
  doc->subject.weight = 73.8f;
  doc->channelSetup.channelNames[0] = "RUant";
  doc->channelSetup.channelNames[1] = "LUant";
  doc->recording = std::make_unique<Recording>(Recording::create(segments, 2));

  doc->tagTable = std::make_unique<TagTable>();
  TagTable& tags = *doc->tagTable;
  tags.create(2, segments);
  const uint8_t phases[6] = {0, Background, Inspiration, Inspiration, Expiration, 0};
  for (int s = 0; s < std::min(segments, 6); ++s) tags.setPhase(s, phases[s]);
  for (int c = 0; c < 2; ++c) {
    tags.addFlags(c, 0, Rejected);
    tags.addFlags(c, segments - 1, Rejected);
  }
  tags.addFlags(1, 3, Clipped);
  tags.addFlags(1, 5, Wheeze);

  PhaseTable& p = doc->phases();
  p.inspLow = 0.439f;
  p.inspHigh = 0.661f;
  p.expLow = -0.661f;
  p.expHigh = -0.439f;
  p.backgroundFlow = 0.1476f;
  p.minPhaseSum = 1.476f;
  const float flow[6] = {0.001f, -0.0625f, 0.5f, 0.6f, -0.5f, 0.0f};
  const float volume[6] = {0.0001f, -0.0001f, 0.05f, 0.11f, -0.05f, -0.05f};
  for (int s = 0; s < segments; ++s) {
    p.segmentFlow[s] = s < 6 ? flow[s] : 0.0f;
    p.runningVolume[s] = s < 6 ? volume[s] : 0.0f;
  }
  p.lastSegment = segments - 1;
  p.lastPhase = 2;
  p.spectraChannels = 2;
  p.spectraBins = BinCount;
  p.entries[0] = PhaseEntry{0, 0, 3, 0.11f, 2, std::vector<float>(2 * BinCount, 1e-5f)};
  p.entries[1] = PhaseEntry{1, 4, 4, -0.05f, 0, {}};  // no clean segment: not listed
  p.entries[2] = PhaseEntry{2, 5, segments - 1, -0.05f, 1, std::vector<float>(2 * BinCount, 1e-4f)};

  doc->spectra = std::make_unique<SegmentSpectra>();
  SegmentSpectra& sp = *doc->spectra;
  sp.create(segments, 2);
  for (int s = 0; s < segments; ++s) {
    fillPower(sp, 0, s, 1e-6f);
    fillPower(sp, 1, s, 1e-7f);
  }
  sp.power(0, 2)[0] = 0.0f;
  sp.power(0, 2)[1] = 1.2346e-5f;
  const float band[6] = {-1.5f, 0.0f, 3.25f, 10.0f, 2.0f, 0.0005f};
  for (int s = 0; s < std::min(segments, 6); ++s) {
    sp.bandPower[0][s] = band[s];
    sp.bandPower[1][s] = -band[s];
  }
  sp.backgroundReference[0] = 4.375e-5f;
  sp.backgroundReference[1] = 2.5e-6f;

  doc->averages = std::make_unique<OverallAverages>();
  OverallAverages& avg = *doc->averages;
  avg.allocate(2);
  std::fill(avg.background.begin(), avg.background.end(), 1e-8f);
  std::fill(avg.insp.begin(), avg.insp.end(), 1e-7f);
  std::fill(avg.exp.begin(), avg.exp.end(), 1e-6f);
  avg.backgroundCount = {1, 1};
  avg.inspCount = {2, 1};
  avg.expCount = {1, 1};
  return doc;
}

// Three spectral rows (0, 5 and 10 Hz) keep the expected texts short.
inline ReportOptions shortOptions(int channel = 0) {
  ReportOptions o;
  o.channel = channel;
  o.maxFrequency = 15;
  return o;
}

inline const char* const HandHeader =
    "Generated from file hand.mer\r\n"
    "Last name:  Horvat\r\n"
    "First name: Ana\r\n"
    "Patient ID: SYN-1\r\n"
    "Birth date: 14/02/1951 (d/m/y)\r\n"
    "Weight:     73.8 kg\r\n"
    "\r\n";

inline const char* const HandThresholds =
    "Pneumotach in use\r\n"
    "Target inspiration: 0.439 to 0.661 L/s\r\n"
    "Target expiration: -0.661 to -0.439 L/s\r\n"
    "Target background: -0.148 to 0.148 L/s\r\n"
    "Minimum phase volume: 0.148 L\r\n";

}  // namespace vode::test
