// Kinds 6 and 7 on the hand-made document: the flow-binned table and the
// breath summary are computed for the report's channel.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "reports/ReportFixture.h"
#include "reports/ReportWriter.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

std::string reportOf(Document& doc, ReportKind kind, const ReportOptions& options) {
  test::ScriptedPrompter prompter;
  std::string text;
  EXPECT_EQ(ReportText(doc, doc, kind, options, prompter, text), 0);
  return text;
}

std::string bodyAfterThresholds(const std::string& text) {
  const std::string marker = "Minimum phase volume: 0.148 L\r\n";
  const auto at = text.find(marker);
  return at == std::string::npos ? text : text.substr(at + marker.size());
}

}  // namespace

TEST(ReportFlowPower, BinsTheReportChannelsCleanSegments) {
  auto doc = test::makeReportDocument();
  doc->recording->peakFlow = 600;  // 13 bins of 100 mL/s from -0.6 to +0.6 L/s
  ReportOptions o = test::shortOptions(0);
  o.unitsEnabled = false;
  const std::string zero = ",0.000,0.000,0\r\n";
  // Clean on channel 1: segments 1 (-0.0625 L/s, 0 dB), 2 (0.5, 3.25 dB),
  // 3 (0.6, 10 dB) and 4 (-0.5, 2 dB).
  EXPECT_EQ(bodyAfterThresholds(reportOf(*doc, ReportKind::FlowPower, o)),
            "Frequency band: 0 to 100 Hz\r\n"
            "Background reference: 4.375E-005 watts\r\n"
            "Flow bin size: 100 mL/s\r\n"
            "\r\n"
            "L/s,dB,2SD,Count\r\n"
            "-0.600" + zero + "-0.500,2.000,0.000,1\r\n-0.400" + zero + "-0.300" + zero + "-0.200" + zero +
                "-0.100,0.000,0.000,1\r\n0.000" + zero + "0.100" + zero + "0.200" + zero + "0.300" + zero +
                "0.400" + zero + "0.500,3.250,0.000,1\r\n0.600,10.000,0.000,1\r\n");

  // Channel 2 has segment 3 clipped and its own band powers and reference.
  doc->panel.spinFlow = 200;
  const std::string ch2 = reportOf(*doc, ReportKind::FlowPower, test::shortOptions(1));
  EXPECT_NE(ch2.find("Report for channel 2: LUant\r\n"), std::string::npos);
  EXPECT_NE(ch2.find("Background reference: 2.500E-006 watts\r\nFlow bin size: 200 mL/s\r\n"), std::string::npos);
  // Bins of 0.2 L/s: -0.0625 falls in the bin at 0.0 and 0.5 in the one at 0.6.
  EXPECT_NE(ch2.find("L/s,dB,2SD,Count\r\n-0.600,0.000,0.000,0\r\n-0.400,-2.000,0.000,1\r\n-0.200,0.000,0.000,0\r\n"
                     "0.000,0.000,0.000,1\r\n0.200,0.000,0.000,0\r\n0.400,0.000,0.000,0\r\n0.600,-3.250,0.000,1\r\n"),
            std::string::npos);
}

TEST(ReportSummary, FlowAndPowerSummariesEndWithAnEmptyLine) {
  auto doc = test::makeReportDocument(40);
  PhaseTable& p = *doc->phaseTable;
  // One whole breath: 0.5 s in above the background flow, 0.5 s out; the
  // second one is still open at the end.
  for (int s = 0; s < 40; ++s) p.segmentFlow[s] = s < 5 || s >= 25 ? 0.0f : ((s / 5) % 2 ? 0.5f : -0.5f);
  ReportOptions o = test::shortOptions();
  o.unitsEnabled = false;
  const std::string body = bodyAfterThresholds(reportOf(*doc, ReportKind::Summary, o));
  EXPECT_EQ(body.rfind("Frequency band: 0 to 100 Hz\r\nBackground reference: 4.375E-005 watts\r\n\r\nFlow Summary\r\n"
                       "startin = 5, startout = 10, Ti:Te = 0.5 : 0.5, Tep = 0.0\r\n"
                       "Breaths = 1\r\nRR = 60.00 +/- 0.00\r\n",
                       0),
            0u)
      << body;
  EXPECT_NE(body.find("\r\n\r\nPower Summary\r\n"), std::string::npos);
  ASSERT_GE(body.size(), 4u);
  EXPECT_EQ(body.substr(body.size() - 4), "\r\n\r\n");

  o.decimalSeparator = ',';
  const std::string comma = reportOf(*doc, ReportKind::Summary, o);
  EXPECT_NE(comma.find("Ti:Te = 0,5 : 0,5, Tep = 0,0\r\n"), std::string::npos);
  EXPECT_NE(comma.find("RR = 60,00 +/- 0,00\r\n"), std::string::npos);
}

TEST(ReportFlowPower, TwoBinsPerRoundedPeakFlowStepPlusTheZeroBin) {
  auto doc = test::makeReportDocument();
  ReportOptions o = test::shortOptions(0);
  o.unitsEnabled = false;
  const auto rows = [&](int peakFlow, int binSize) {
    doc->recording->peakFlow = peakFlow;
    doc->panel.spinFlow = binSize;
    const std::string text = reportOf(*doc, ReportKind::FlowPower, o);
    const std::string table = text.substr(text.find("L/s,dB,2SD,Count\r\n") + 18);
    EXPECT_EQ(text.find("Flow bin size: " + std::to_string(binSize) + " mL/s\r\n"), text.find("Flow bin size"));
    return std::count(table.begin(), table.end(), '\n');
  };
  // R = peak flow / bin size rounded with halves to even; 2R + 1 rows.
  EXPECT_EQ(rows(650, 100), 13);
  EXPECT_EQ(rows(750, 100), 17);
  EXPECT_EQ(rows(649, 100), 13);
  EXPECT_EQ(rows(651, 100), 15);
  EXPECT_EQ(rows(1000, 5), 401);
  EXPECT_EQ(rows(1000, 500), 5);
  EXPECT_EQ(rows(20, 100), 1);
  // The single bin holds every clean segment, at zero flow.
  EXPECT_NE(reportOf(*doc, ReportKind::FlowPower, o).find("L/s,dB,2SD,Count\r\n0.000,3.812,"), std::string::npos);
}
