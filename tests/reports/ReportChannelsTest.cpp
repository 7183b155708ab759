// Reports of every channel of an analysed eight-channel recording: the header
// names the channel and every number of the body is that channel's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/AnalysisCommand.h"
#include "analysis/Averages.h"
#include "document/Document.h"
#include "model/Synthetic.h"
#include "reports/NumberFormat.h"
#include "reports/PowerValue.h"
#include "reports/ReportWriter.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

class EightChannelReports : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    doc_ = new Document;
    SynthOptions o;
    o.seed = 5;
    o.channels = 8;
    o.seconds = 15.0;
    makeSyntheticRecording(*doc_, o);
    doc_->state.currentFileName = "eight.mer";
    doc_->prepareOpenedRecording();
    NullProgress progress;
    test::ScriptedPrompter prompter;
    DoAnalyzeClick(*doc_, *doc_, Palette::grey(), progress, prompter);
  }
  static void TearDownTestSuite() {
    delete doc_;
    doc_ = nullptr;
  }

  static std::vector<std::string> lines(ReportKind kind, int channel, bool watts = false) {
    ReportOptions o;
    o.channel = channel;
    o.watts = watts;
    o.unitsEnabled = reportUsesPowerUnits(kind);
    test::ScriptedPrompter prompter;
    std::string text;
    EXPECT_EQ(ReportText(*doc_, *doc_, kind, o, prompter, text), 0);
    std::vector<std::string> out;
    std::string::size_type start = 0;
    for (auto end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
      out.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    out.push_back(text.substr(start));
    return out;
  }

  // The line that starts with prefix.
  static std::string lineStarting(const std::vector<std::string>& text, const std::string& prefix) {
    for (const std::string& line : text)
      if (line.rfind(prefix, 0) == 0) return line;
    ADD_FAILURE() << "no line starts with " << prefix;
    return "";
  }

  static std::string db(float watts) { return FormatPowerValue(watts, false, doc_->preferences.dBReference); }

  static Document* doc_;
};

Document* EightChannelReports::doc_ = nullptr;

}  // namespace

TEST_F(EightChannelReports, HeaderNamesTheChannelOfTheBody) {
  const Document& d = *doc_;
  ASSERT_EQ(d.recording->channelCount, 8);
  for (int c = 0; c < 8; ++c)
    for (int kind = 0; kind < ReportKindCount; ++kind) {
      const auto text = lines(static_cast<ReportKind>(kind), c);
      EXPECT_EQ(text[8], "Report for channel " + std::to_string(c + 1) + ": " + d.channelSetup.channelNames[c].str())
          << kind;
    }
}

TEST_F(EightChannelReports, SegmentTablesHoldTheChannelsSpectraAndBandPower) {
  const Document& d = *doc_;
  const int segments = d.recording->segmentCount;
  for (int c = 0; c < 8; ++c) {
    const auto all = lines(ReportKind::AllSegments, c);
    std::string expected = "35";
    for (int s = 0; s < segments; ++s) expected += "," + db(d.spectra->power(c, s)[7]);
    EXPECT_EQ(lineStarting(all, "35,"), expected) << c;
    std::string status = "Status";
    for (int s = 0; s < segments; ++s) status += "," + d.tagTable->StatusCode(c, s);
    EXPECT_EQ(lineStarting(all, "Status"), status) << c;

    // Kind 1 keeps the segments tagged clean on this channel.
    const auto tagged = lines(ReportKind::AllTagged, c);
    std::string listed = "Segment";
    expected = "100";
    for (int s = 0; s < segments; ++s)
      if (d.tagTable->taggedClean(c, s)) {
        listed += "," + std::to_string(s);
        expected += "," + db(d.spectra->power(c, s)[20]);
      }
    EXPECT_EQ(lineStarting(tagged, "Segment"), listed) << c;
    EXPECT_EQ(lineStarting(tagged, "100,"), expected) << c;

    const auto band = lines(ReportKind::BandPower, c);
    expected = "dB";
    for (int s = 0; s < segments; ++s) expected += "," + formatFixed(d.spectra->bandPower[c][s], 3);
    EXPECT_EQ(band.back(), expected) << c;
    EXPECT_EQ(lineStarting(band, "Background reference: "),
              "Background reference: " + formatExp(d.spectra->backgroundReference[c]) + " watts")
        << c;
  }
}

TEST_F(EightChannelReports, AveragesAndOctavesOfTheChannel) {
  const Document& d = *doc_;
  const OverallAverages& avg = *d.averages;
  const PhaseTable& phases = *d.phaseTable;
  for (int c = 0; c < 8; ++c) {
    const auto overall = lines(ReportKind::OverallAverages, c);
    EXPECT_EQ(lineStarting(overall, "Tagged,"), "Tagged," + std::to_string(avg.backgroundCount[c]) + "," +
                                                    std::to_string(avg.inspCount[c]) + "," +
                                                    std::to_string(avg.expCount[c]))
        << c;
    EXPECT_EQ(lineStarting(overall, "50,"), "50," + db(avg.backgroundAverage(c)[10]) + "," +
                                                db(avg.inspAverage(c)[10]) + "," + db(avg.expAverage(c)[10]))
        << c;

    const auto breath = lines(ReportKind::BreathAverages, c, true);
    std::string tagged = "Tagged," + std::to_string(avg.backgroundCount[c]);
    std::string row = "60," + formatExp(avg.backgroundAverage(c)[12]);
    for (int k = 0; k <= phases.lastPhase; ++k) {
      const PhaseEntry& e = phases.entries[k];
      if (e.cleanCount == 0) continue;
      tagged += "," + std::to_string(e.cleanCount);
      row += "," + formatExp(e.averageSpectrum[static_cast<size_t>(c) * BinCount + 12]);
    }
    EXPECT_EQ(lineStarting(breath, "Tagged,"), tagged) << c;
    EXPECT_EQ(lineStarting(breath, "60,"), row) << c;

    const auto octave = lines(ReportKind::OctaveBands, c, true);
    const int s = 42;
    std::string expected = "42," + d.tagTable->StatusCode(c, s) + "," + formatFixed(phases.segmentFlow[s], 3) + "," +
                           formatFixed(phases.runningVolume[s], 3);
    for (int k = 0; k < 6; ++k) expected += "," + formatExp(d.spectra->BandMean(c, s, (30 << k) - 1, 15 << k));
    EXPECT_EQ(lineStarting(octave, "42,"), expected) << c;
  }
}

TEST_F(EightChannelReports, FlowPowerBinsTheChannelsBandPower) {
  Document& d = *doc_;
  for (int c : {2, 7}) {
    const auto text = lines(ReportKind::FlowPower, c);
    const FlowBinTable t = CalculateFlowBins(d, d, c, d.panel.spinFlow);
    std::size_t first = 0;
    while (text[first] != "L/s,dB,2SD,Count") ++first;
    ASSERT_EQ(text.size(), first + 1 + t.size() + 1);
    for (int k = 0; k < t.size(); ++k)
      EXPECT_EQ(text[first + 1 + k], formatFixed(t.flow[k], 3) + "," + formatFixed(t.mean[k], 3) + "," +
                                         formatFixed(t.spread[k], 3) + "," + std::to_string(t.count[k]));
    int counted = 0;
    for (int k = 0; k < t.size(); ++k) counted += t.count[k];
    int clean = 0;
    for (int s = 0; s < d.recording->segmentCount; ++s) clean += d.tagTable->clean(c, s) ? 1 : 0;
    EXPECT_EQ(counted, clean) << c;
  }
}
