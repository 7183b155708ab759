// The segment table: its columns, the band power against the band-power
// computation, the strongest bin, the flags, and texts that could shift
// columns.
#include <gtest/gtest.h>

#include <sstream>

#include "analysis/AnalysisCommand.h"
#include "analysis/Averages.h"
#include "model/Palette.h"
#include "reports/NumberFormat.h"
#include "reports/TidyTable.h"
#include "support/TestSupport.h"

namespace vode {
namespace {

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::string field;
  bool quoted = false;
  for (char ch : line) {
    if (ch == '"') {
      quoted = !quoted;
    } else if (ch == ',' && !quoted) {
      out.push_back(std::exchange(field, {}));
    } else {
      field += ch;
    }
  }
  out.push_back(field);
  return out;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

struct TidyTableTest : ::testing::Test {
  SilentPrompter prompter;
  NullProgress progress;
  Document doc;

  void SetUp() override {
    doc.recording = std::make_unique<Recording>(test::makeRecording(40, 2));
    doc.channelSetup.channelNames[0] = "Tr,achea \"L\"";
    doc.channelSetup.channelNames[1] = std::string("Basis \xE9");  // Latin-1 from an old file
    // A quiet stretch gives background segments, which the band power is measured against.
    std::fill_n(doc.recording->flow.begin() + 15 * SegmentFlowSamples, 10 * SegmentFlowSamples, int16_t{0});
    doc.prepareOpenedRecording();
    DoAnalyzeClick(doc, doc, Palette::grey(), progress, prompter);
  }
  std::string table(const std::vector<TableBand>& bands, int maxFrequency = 1200) {
    std::string text = tidyTableHeader(bands);
    appendTidyTableRows(text, "dir/a,b.wav", doc, doc, bands, maxFrequency);
    return text;
  }
};

TEST_F(TidyTableTest, OneRowPerChannelAndSegmentWithTheNamedColumns) {
  EXPECT_EQ(tidyTableHeader(octaveTableBands()),
            "file,channel,channel_name,segment,time_s,phase,rejected,clipped,wheeze,crackle,flow_L_s,volume_L,"
            "power_dB_75_150,power_dB_150_300,power_dB_300_600,power_dB_600_1200,power_dB_1200_2400,"
            "power_dB_2400_4800,peak_hz\n");
  doc.tagTable->addFlags(1, 7, Wheeze | CrFlag | Clipped);
  const auto rows = lines(table(octaveTableBands()));
  ASSERT_EQ(rows.size(), 1u + 2 * 40);
  for (std::size_t i = 1; i < rows.size(); ++i) ASSERT_EQ(fields(rows[i]).size(), 19u) << rows[i];

  const auto first = fields(rows[1]);
  const std::string start = "\"dir/a,b.wav\",1,\"Tr,achea \"\"L\"\"\",0,0.0,";
  EXPECT_EQ(rows[1].substr(0, start.size()), start);
  EXPECT_EQ(first[6], "1");  // the first segment is always rejected
  EXPECT_EQ(first[2], "Tr,achea L");  // the simple reader above drops the quotes
  const auto row = fields(rows[1 + 40 + 7]);  // channel 2, segment 7
  EXPECT_EQ(row[1], "2");
  EXPECT_EQ(row[2], "Basis \xC3\xA9");
  EXPECT_EQ(row[3], "7");
  EXPECT_EQ(row[4], "0.7");
  const uint8_t phase = doc.tagTable->phase(7);
  EXPECT_EQ(row[5], phase == Inspiration ? "I" : phase == Expiration ? "E" : phase == Background ? "B" : "");
  EXPECT_EQ(row[6] + row[7] + row[8] + row[9], "0111");
  EXPECT_EQ(row[10], formatFixed(doc.phaseTable->segmentFlowAt(7), 3));
  EXPECT_EQ(row[11], formatFixed(doc.phaseTable->runningVolume[7], 3));
}

TEST_F(TidyTableTest, BandPowerIsTheBandPowerReportsAndThePeakTheStrongestBin) {
  // The report's band is the panel's; the table's the one asked for.
  doc.panel.spinMin = 150;
  doc.panel.spinMax = 600;
  doc.spectra->power(0, 3)[40] = 1.0f;  // 200 Hz stands out
  std::fill_n(doc.spectra->power(0, 5) + 20, BinCount - 20, 0.0f);
  CalculateBandPower(doc);
  const auto rows = lines(table({{150, 600}, {0, 100}}, 2400));
  int differentFromZero = 0;
  for (int s = 0; s < 40; ++s) {
    const auto row = fields(rows[1 + s]);
    ASSERT_EQ(row.size(), 15u);
    EXPECT_EQ(row[12], formatFixed(doc.spectra->bandPower[0][s], 2)) << s;
    differentFromZero += row[12] != "0.00";
    if (s == 3 || s == 5) {
      EXPECT_EQ(row[14], s == 3 ? "200" : "");
      continue;
    }
    const float* p = doc.spectra->power(0, s);
    EXPECT_EQ(std::stoi(row[14]), 5 * static_cast<int>(std::max_element(p + 20, p + 480) - p)) << s;
  }
  EXPECT_GT(differentFromZero, 10);

  // A respiration band has no volume.
  doc.channelSetup.airflowKind = 1;
  EXPECT_EQ(fields(lines(table({}))[1])[11], "");
  // Nothing to write without an analysis.
  doc.spectra.reset();
  EXPECT_EQ(table({}), tidyTableHeader({}));
}

}  // namespace
}  // namespace vode
