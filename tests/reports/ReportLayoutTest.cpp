// Each report kind's layout on the hand-made document of ReportFixture.h.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/ReportFixture.h"
#include "reports/ReportWriter.h"
#include "support/TestSupport.h"

using namespace vode;
using vode::test::HandHeader;
using vode::test::HandThresholds;

namespace {

std::string reportOf(Document& doc, ReportKind kind, const ReportOptions& options) {
  test::ScriptedPrompter prompter;
  std::string text;
  EXPECT_EQ(ReportText(doc, doc, kind, options, prompter, text), 0);
  return text;
}

// Title, header for channel 1 of the FLOW document, dB units.
std::string flowStart(const char* title, const char* channel = "1: RUant") {
  return std::string(title) + "\r\n" + HandHeader + "Report for channel " + channel + "\r\n" + HandThresholds;
}

const char* const DbLine = "Power in dB, reference 1.000E-008\r\n";

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

}  // namespace

TEST(ReportLayout, OverallAverages) {
  auto doc = test::makeReportDocument();
  EXPECT_EQ(reportOf(*doc, ReportKind::OverallAverages, test::shortOptions()),
            flowStart("Overall Averages Report") + DbLine +
                "\r\n"
                "Freq,Bgd,Ins,Exp\r\n"
                "Tagged,1,2,1\r\n"
                "0,0.0,10.0,20.0\r\n"
                "5,0.0,10.0,20.0\r\n"
                "10,0.0,10.0,20.0\r\n");
}

TEST(ReportLayout, AllTaggedListsSegmentsTaggedCleanOnTheReportChannel) {
  auto doc = test::makeReportDocument();
  EXPECT_EQ(reportOf(*doc, ReportKind::AllTagged, test::shortOptions(0)),
            flowStart("All Tagged Report") + DbLine +
                "\r\n"
                "Segment,1,2,3,4\r\n"
                "Flow (L/s),-0.062,0.500,0.600,-0.500\r\n"
                "Volume (L),-0.000,0.050,0.110,-0.050\r\n"
                "Status,B,I,I,E\r\n"
                "0,20.0,-200.0,20.0,20.0\r\n"
                "5,20.0,30.9,20.0,20.0\r\n"
                "10,20.0,20.0,20.0,20.0\r\n");
  // Segment 3 is clipped on channel 2: the header and the body both follow
  // the chosen channel.
  EXPECT_EQ(reportOf(*doc, ReportKind::AllTagged, test::shortOptions(1)),
            flowStart("All Tagged Report", "2: LUant") + DbLine +
                "\r\n"
                "Segment,1,2,4\r\n"
                "Flow (L/s),-0.062,0.500,-0.500\r\n"
                "Volume (L),-0.000,0.050,-0.050\r\n"
                "Status,B,I,E\r\n"
                "0,10.0,10.0,10.0\r\n"
                "5,10.0,10.0,10.0\r\n"
                "10,10.0,10.0,10.0\r\n");
}

TEST(ReportLayout, AllTaggedWithoutTaggedCleanSegmentsKeepsTheRowTitles) {
  auto doc = test::makeReportDocument();
  for (int s = 0; s < 6; ++s) doc->tagTable->setPhase(s, 0);
  EXPECT_EQ(reportOf(*doc, ReportKind::AllTagged, test::shortOptions()),
            flowStart("All Tagged Report") + DbLine +
                "\r\n"
                "Segment\r\n"
                "Flow (L/s)\r\n"
                "Volume (L)\r\n"
                "Status\r\n"
                "0\r\n"
                "5\r\n"
                "10\r\n");
}

TEST(ReportLayout, AllSegmentsInWattsOnChannelTwo) {
  auto doc = test::makeReportDocument();
  ReportOptions o = test::shortOptions(1);
  o.watts = true;
  const std::string row = ",1.000E-007,1.000E-007,1.000E-007,1.000E-007,1.000E-007,1.000E-007\r\n";
  EXPECT_EQ(reportOf(*doc, ReportKind::AllSegments, o),
            flowStart("All Segments Report", "2: LUant") +
                "Power in watts\r\n"
                "\r\n"
                "Segment,0,1,2,3,4,5\r\n"
                "Flow (L/s),0.001,-0.062,0.500,0.600,-0.500,0.000\r\n"
                "Volume (L),0.000,-0.000,0.050,0.110,-0.050,-0.050\r\n"
                "Status,X,B,I,IC,E,XWz\r\n"
                "0" + row + "5" + row + "10" + row);
}

TEST(ReportLayout, BandPowerEndsWithoutALineBreak) {
  auto doc = test::makeReportDocument();
  doc->panel.spinMin = 150;
  doc->panel.spinMax = 300;
  ReportOptions o = test::shortOptions();
  o.unitsEnabled = false;
  EXPECT_EQ(reportOf(*doc, ReportKind::BandPower, o),
            flowStart("Band Power Report") +
                "Frequency band: 150 to 300 Hz\r\n"
                "Background reference: 4.375E-005 watts\r\n"
                "\r\n"
                "Segment,0,1,2,3,4,5\r\n"
                "Flow (L/s),0.001,-0.062,0.500,0.600,-0.500,0.000\r\n"
                "Volume (L),0.000,-0.000,0.050,0.110,-0.050,-0.050\r\n"
                "Status,X,B,I,I,E,X\r\n"
                "dB,-1.500,0.000,3.250,10.000,2.000,0.001");
}

TEST(ReportLayout, OctaveBandsAverageTheirOwnBinsOnly) {
  auto doc = test::makeReportDocument(3);
  SegmentSpectra& sp = *doc->spectra;
  // Segment 1: bins 15..29 (75 to 145 Hz) at 40 dB; bin 14 and bin 30 belong
  // to no band or to the next one.
  std::fill(sp.power(0, 1) + 15, sp.power(0, 1) + 30, 1e-4f);
  sp.power(0, 1)[14] = 1.0f;
  // Segment 2: the top bin 959 raises the last band's mean to 23.0 dB.
  sp.power(0, 2)[959] = 4.8e-4f;
  EXPECT_EQ(reportOf(*doc, ReportKind::OctaveBands, test::shortOptions()),
            flowStart("Octave Bands Report") + DbLine +
                "\r\n"
                "Segment,Tag,Flow (L/s),Volume (l),75-150 Hz,150-300 Hz,300-600 Hz,600-1200 Hz,1200-2400 Hz,"
                "2400-4800 Hz\r\n"
                "0,X,0.001,0.000,20.0,20.0,20.0,20.0,20.0,20.0\r\n"
                "1,B,-0.062,-0.000,40.0,20.0,20.0,20.0,20.0,20.0\r\n"
                "2,IX,0.500,0.050,20.0,20.0,20.0,20.0,20.0,23.0\r\n");
}

TEST(ReportLayout, BreathAveragesListPhasesWithCleanSegments) {
  auto doc = test::makeReportDocument();
  EXPECT_EQ(reportOf(*doc, ReportKind::BreathAverages, test::shortOptions()),
            flowStart("Breath Averages Report") + DbLine +
                "\r\n"
                "Phase,Bgd,1i,3e\r\n"
                "Tagged,1,2,1\r\n"
                "0,0.0,30.0,40.0\r\n"
                "5,0.0,30.0,40.0\r\n"
                "10,0.0,30.0,40.0\r\n");
}

TEST(ReportLayout, BreathAveragesListMoreThanAHundredPhases) {
  auto doc = test::makeReportDocument(300);
  PhaseTable& p = *doc->phaseTable;
  p.lastPhase = 149;
  for (int k = 0; k < 150; ++k)
    p.entries[k] = PhaseEntry{k, 2 * k, 2 * k + 1, k % 2 ? -0.1f : 0.1f, 1, std::vector<float>(2 * BinCount, 1e-5f)};
  const auto lines = linesOf(reportOf(*doc, ReportKind::BreathAverages, test::shortOptions()));
  const std::string& phases = lines[16];
  ASSERT_EQ(phases.rfind("Phase,Bgd,1i,2e,", 0), 0u);
  EXPECT_NE(phases.find(",101i,"), std::string::npos);
  EXPECT_EQ(phases.substr(phases.size() - 10), ",149i,150e");
  EXPECT_EQ(std::count(lines[18].begin(), lines[18].end(), ','), 151);
}

TEST(ReportLayout, RespirationBandHasNoThresholdsAndNoVolume) {
  auto doc = test::makeReportDocument(2);
  doc->channelSetup.airflowKind = 1;
  const std::string start = std::string(HandHeader) + "Report for channel 1: RUant\r\nRespiband in use\r\n" + DbLine;
  EXPECT_EQ(reportOf(*doc, ReportKind::AllSegments, test::shortOptions()),
            "All Segments Report\r\n" + start +
                "\r\n"
                "Segment,0,1\r\n"
                "Resp (V),0.001,-0.062\r\n"
                "Status,X,BX\r\n"
                "0,20.0,20.0\r\n"
                "5,20.0,20.0\r\n"
                "10,20.0,20.0\r\n");
  EXPECT_EQ(reportOf(*doc, ReportKind::OctaveBands, test::shortOptions()),
            "Octave Bands Report\r\n" + start +
                "\r\n"
                "Segment,Tag,Resp (V),75-150 Hz,150-300 Hz,300-600 Hz,600-1200 Hz,1200-2400 Hz,2400-4800 Hz\r\n"
                "0,X,0.001,20.0,20.0,20.0,20.0,20.0,20.0\r\n"
                "1,BX,-0.062,20.0,20.0,20.0,20.0,20.0,20.0\r\n");
}

TEST(ReportLayout, SpectralRowsFollowTheDisplayRange) {
  auto doc = test::makeReportDocument(2);
  for (int range : {1200, 2400, 4800}) {
    ReportOptions o;
    o.maxFrequency = range;
    for (ReportKind kind : {ReportKind::OverallAverages, ReportKind::AllSegments, ReportKind::BreathAverages}) {
      const auto lines = linesOf(reportOf(*doc, kind, o));
      // The text ends with a line break, so the last piece is empty.
      ASSERT_EQ(lines.back(), "");
      const std::string& last = lines[lines.size() - 2];
      EXPECT_EQ(last.substr(0, last.find(',')), std::to_string(range - 5)) << range;
      std::size_t first = 0;
      while (lines[first].rfind("0,", 0) != 0) ++first;
      EXPECT_EQ(lines.size() - 1 - first, static_cast<std::size_t>(range / 5)) << range;
    }
  }
}

TEST(ReportLayout, UnitsLineOnlyWhenEnabled) {
  auto doc = test::makeReportDocument(2);
  ReportOptions o = test::shortOptions();
  o.unitsEnabled = false;
  const std::string text = reportOf(*doc, ReportKind::OverallAverages, o);
  EXPECT_EQ(text.find("Power in"), std::string::npos);
  EXPECT_NE(text.find("Minimum phase volume: 0.148 L\r\n\r\nFreq,Bgd,Ins,Exp\r\n"), std::string::npos);
  // A different reference moves every level and shows in the header.
  doc->preferences.dBReference = 1e-6f;
  EXPECT_NE(reportOf(*doc, ReportKind::OverallAverages, test::shortOptions())
                .find("Power in dB, reference 1.000E-006\r\n\r\nFreq,Bgd,Ins,Exp\r\nTagged,1,2,1\r\n"
                      "0,-20.0,-10.0,0.0\r\n"),
            std::string::npos);
}

TEST(ReportLayout, DecimalSeparatorReachesEveryNumber) {
  auto doc = test::makeReportDocument(2);
  ReportOptions o = test::shortOptions();
  o.decimalSeparator = ',';
  const std::string text = reportOf(*doc, ReportKind::AllSegments, o);
  EXPECT_NE(text.find("Weight:     73,8 kg\r\n"), std::string::npos);
  EXPECT_NE(text.find("Target inspiration: 0,439 to 0,661 L/s\r\n"), std::string::npos);
  EXPECT_NE(text.find("Minimum phase volume: 0,148 L\r\n"), std::string::npos);
  EXPECT_NE(text.find("Power in dB, reference 1,000E-008\r\n"), std::string::npos);
  EXPECT_NE(text.find("Flow (L/s),0,001,-0,062\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n5,20,0,20,0\r\n"), std::string::npos);
  EXPECT_EQ(text.find('.', text.find("hand.mer") + 9), std::string::npos);
}

TEST(ReportLayout, RefusesWithoutRecordingOrAnalysis) {
  test::ScriptedPrompter prompter;
  std::string text = "old";
  Document empty;
  EXPECT_EQ(ReportText(empty, empty, ReportKind::AllSegments, ReportOptions{}, prompter, text), ReportNoData);
  EXPECT_EQ(text, "");
  EXPECT_EQ(ReportErrorText(ReportNoData), "No Data");

  auto untagged = test::makeReportDocument(2);
  untagged->tagTable.reset();
  EXPECT_EQ(ReportText(*untagged, *untagged, ReportKind::AllSegments, ReportOptions{}, prompter, text), ReportNoAnalysis);
  EXPECT_EQ(ReportErrorText(ReportNoAnalysis), "No Analysis");

  auto unanalysed = test::makeReportDocument(2);
  unanalysed->spectra.reset();
  EXPECT_EQ(ReportText(*unanalysed, *unanalysed, ReportKind::OctaveBands, ReportOptions{}, prompter, text), ReportNoAnalysis);
  auto noPhases = test::makeReportDocument(2);
  noPhases->phaseTable.reset();
  EXPECT_EQ(ReportText(*noPhases, *noPhases, ReportKind::OverallAverages, ReportOptions{}, prompter, text), ReportNoAnalysis);

  auto doc = test::makeReportDocument(2);
  for (int channel : {-1, 2, 8}) {
    ReportOptions o;
    o.channel = channel;
    EXPECT_EQ(ReportText(*doc, *doc, ReportKind::AllSegments, o, prompter, text), ReportBadChannel) << channel;
  }
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(ReportLayout, MinimumPhaseVolumeIsTheStoredSumOverTen) {
  auto doc = test::makeReportDocument(2);
  // 0.175f is 0.17499999702: a tenth of it prints 0.017. A float quotient
  // would round to 0.0175000001 first and print 0.018.
  doc->phaseTable->minPhaseSum = 0.175f;
  EXPECT_NE(reportOf(*doc, ReportKind::AllSegments, test::shortOptions()).find("\r\nMinimum phase volume: 0.017 L\r\n"),
            std::string::npos);
  doc->phaseTable->minPhaseSum = 10.0f * 0.0155f;  // 0.155000001
  EXPECT_NE(reportOf(*doc, ReportKind::AllSegments, test::shortOptions()).find("\r\nMinimum phase volume: 0.016 L\r\n"),
            std::string::npos);
}

TEST(ReportLayout, WattsInEverySpectralKind) {
  auto doc = test::makeReportDocument(3);
  ReportOptions o = test::shortOptions();
  o.watts = true;
  const std::string header =
      std::string(HandHeader) + "Report for channel 1: RUant\r\n" + HandThresholds + "Power in watts\r\n\r\n";
  const auto body = [&](ReportKind kind) {
    const std::string text = reportOf(*doc, kind, o);
    EXPECT_EQ(text.substr(text.find("\r\n") + 2, header.size()), header);
    return text.substr(text.find("\r\n") + 2 + header.size());
  };
  EXPECT_EQ(body(ReportKind::OverallAverages),
            "Freq,Bgd,Ins,Exp\r\nTagged,1,2,1\r\n"
            "0,1.000E-008,1.000E-007,1.000E-006\r\n5,1.000E-008,1.000E-007,1.000E-006\r\n"
            "10,1.000E-008,1.000E-007,1.000E-006\r\n");
  EXPECT_EQ(body(ReportKind::AllTagged),
            "Segment,1\r\nFlow (L/s),-0.062\r\nVolume (L),-0.000\r\nStatus,B\r\n"
            "0,1.000E-006\r\n5,1.000E-006\r\n10,1.000E-006\r\n");
  // The third phase starts past the three segments, so no phase holds its
  // first segment.
  EXPECT_EQ(body(ReportKind::BreathAverages),
            "Phase,Bgd,1i,N/A\r\nTagged,1,2,1\r\n"
            "0,1.000E-008,1.000E-005,1.000E-004\r\n5,1.000E-008,1.000E-005,1.000E-004\r\n"
            "10,1.000E-008,1.000E-005,1.000E-004\r\n");
  EXPECT_EQ(body(ReportKind::AllSegments),
            "Segment,0,1,2\r\nFlow (L/s),0.001,-0.062,0.500\r\nVolume (L),0.000,-0.000,0.050\r\nStatus,X,B,IX\r\n"
            "0,1.000E-006,1.000E-006,0.000E+000\r\n5,1.000E-006,1.000E-006,1.235E-005\r\n"
            "10,1.000E-006,1.000E-006,1.000E-006\r\n");
  const std::string octave = body(ReportKind::OctaveBands);
  EXPECT_NE(octave.find("\r\n1,B,-0.062,-0.000,1.000E-006,1.000E-006,1.000E-006,1.000E-006,1.000E-006,1.000E-006\r\n"),
            std::string::npos)
      << octave;
}

TEST(ReportLayout, BreathAveragesWithoutCleanPhasesKeepTheBackground) {
  auto doc = test::makeReportDocument();
  for (PhaseEntry& e : doc->phaseTable->entries) e.cleanCount = 0;
  EXPECT_EQ(reportOf(*doc, ReportKind::BreathAverages, test::shortOptions()),
            flowStart("Breath Averages Report") + DbLine +
                "\r\n"
                "Phase,Bgd\r\n"
                "Tagged,1\r\n"
                "0,0.0\r\n"
                "5,0.0\r\n"
                "10,0.0\r\n");
  // No phase at all.
  doc->phaseTable->lastPhase = -1;
  EXPECT_NE(reportOf(*doc, ReportKind::BreathAverages, test::shortOptions()).find("\r\nPhase,Bgd\r\nTagged,1\r\n0,0.0\r\n"),
            std::string::npos);
}
