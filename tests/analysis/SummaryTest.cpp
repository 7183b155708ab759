#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/Averages.h"
#include "document/Document.h"
#include "support/TestSupport.h"

namespace vode {
namespace {

// A document whose phase table holds the flow series (L/s) and whose spectra
// hold the band power series (dB) of channel 0.
std::unique_ptr<Document> summaryDocument(const std::vector<float>& flow, const std::vector<float>& band,
                                          float backgroundFlow = 0.1f) {
  auto doc = std::make_unique<Document>();
  const int n = static_cast<int>(flow.size());
  doc->spectra = std::make_unique<SegmentSpectra>();
  doc->spectra->create(n, 1);
  doc->spectra->bandPower[0] = band;
  PhaseTable& p = doc->phases();
  std::copy(flow.begin(), flow.end(), p.segmentFlow.begin());
  p.lastSegment = n - 1;
  p.backgroundFlow = backgroundFlow;
  return doc;
}

std::vector<std::string> summary(Document& doc, test::ScriptedPrompter& prompter) {
  std::vector<std::string> lines;
  WriteSummary(doc, 0, lines, prompter);
  return lines;
}

TEST(WriteSummary, WithoutSpectraSaysSo) {
  Document doc;
  test::ScriptedPrompter prompter;
  EXPECT_EQ(summary(doc, prompter), std::vector<std::string>{"No FFT Analysis Results"});
}

TEST(WriteSummary, OneHundredAndFiftyBreathsWarnOnceAndUseTheFirstHundred) {
  // After one quiet segment, 151 breaths of 0.2 s in, 0.1 s out, 0.1 s pause;
  // the last one is still open at the end.
  std::vector<float> flow = {0.0f};
  for (int k = 0; k < 151; ++k) flow.insert(flow.end(), {0.5f, 0.5f, -0.5f, 0.0f});
  auto doc = summaryDocument(flow, std::vector<float>(flow.size(), 0.0f));
  test::ScriptedPrompter prompter;
  const std::vector<std::string> lines = summary(*doc, prompter);

  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(prompter.messages[0].text, "Breaths = 150\nOnly the first 100 will be used");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("startin", 0) == 0; }),
            150);
  EXPECT_EQ(lines[0], "Flow Summary");
  EXPECT_EQ(lines[1], "startin = 1, startout = 3, Ti:Te = 0.2 : 0.2, Tep = 0.1");
  EXPECT_EQ(lines[150], "startin = 597, startout = 599, Ti:Te = 0.2 : 0.2, Tep = 0.1");
  const std::vector<std::string> stats(lines.begin() + 151, lines.begin() + 161);
  EXPECT_EQ(stats, (std::vector<std::string>{"Breaths = 100", "RR = 150.00 +/- 0.00", "Ti = 0.20 +/- 0.00",
                                             "Te = 0.20 +/- 0.00", "Tep = 0.10 +/- 0.00", "Ttot = 0.40 +/- 0.00",
                                             "Ti/Te = 1.00 +/- 0.00", "Ti/Ttot = 0.50 +/- 0.00",
                                             "Vt = 0.10 +/- 0.00", "Vt/Ti = 0.50 +/- 0.00"}));
  // No band power: the power summary finds no breath.
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 161, lines.end()),
            (std::vector<std::string>{"", "Power Summary", "Breaths = 0"}));
}

TEST(WriteSummary, MeansAndTwoStandardDeviations) {
  // Breaths of Ti 0.1 and 0.3 s with 0.2 s out each.
  const std::vector<float> flow = {0.0f, 0.5f, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f, -0.5f, -0.5f, 0.5f};
  auto doc = summaryDocument(flow, std::vector<float>(flow.size(), 0.0f));
  test::ScriptedPrompter prompter;
  const std::vector<std::string> lines = summary(*doc, prompter);
  ASSERT_GE(lines.size(), 13u);
  EXPECT_EQ(lines[1], "startin = 1, startout = 2, Ti:Te = 0.1 : 0.2, Tep = 0.0");
  EXPECT_EQ(lines[2], "startin = 4, startout = 7, Ti:Te = 0.3 : 0.2, Tep = 0.0");
  EXPECT_EQ(lines[3], "Breaths = 2");
  EXPECT_EQ(lines[4], "RR = 160.00 +/- 80.00");  // 200 and 120 per minute
  EXPECT_EQ(lines[5], "Ti = 0.20 +/- 0.20");
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(WriteSummary, PowerRunStartsAtTheFlowsFirstBreathAndCountsExpirationNegative) {
  // Flow breathes in from segment 5; the power burst at 2 lies before it.
  const std::vector<float> flow = {0, 0, 0, 0, 0, 0.5f, 0.5f, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f};
  const std::vector<float> band = {0, 0, 9, 0, 0, 1, 9, 9, 1, 9, 9, 9};
  auto doc = summaryDocument(flow, band);
  test::ScriptedPrompter prompter;
  const std::vector<std::string> lines = summary(*doc, prompter);
  const auto power = std::find(lines.begin(), lines.end(), "Power Summary");
  ASSERT_NE(power, lines.end());
  // Segments 7 and 8 are expiratory: -9 dB ends the inspiration, and -1 dB
  // at the end of the expiration is its pause.
  EXPECT_EQ(*(power + 1), "startin = 6, startout = 7, Ti:Te = 0.1 : 0.2, Tep = 0.1");
  EXPECT_EQ(*(power + 2), "Breaths = 1");
}

TEST(WriteSummary, RectifiedPowerUsesPauseMode) {
  const std::vector<float> flow = {0, 0.5f, 0.5f, 0.5f, 0.5f, -0.5f, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f};
  const std::vector<float> band = {0, 5, 5, 0, 0, 5, 5, 5, 0, 5, 0};
  auto doc = summaryDocument(flow, band);
  doc->panel.rectifydB = true;
  test::ScriptedPrompter prompter;
  const std::vector<std::string> lines = summary(*doc, prompter);
  const auto power = std::find(lines.begin(), lines.end(), "Power Summary");
  ASSERT_NE(power, lines.end());
  // In: the burst and the quiet after it; out: the next burst and its quiet.
  EXPECT_EQ(*(power + 1), "startin = 1, startout = 5, Ti:Te = 0.4 : 0.4, Tep = 0.1");
  EXPECT_EQ(*(power + 2), "Breaths = 1");  // the breath from segment 9 is still open
  EXPECT_EQ(*(power + 10), "Vt = 1.00 +/- 0.00");
}

}  // namespace
}  // namespace vode
