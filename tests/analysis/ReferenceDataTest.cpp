// The analysis of the reference recordings against their reference reports:
// tags, phases and counts must agree exactly; spectral values may differ in
// the last printed digit now and then (the
// reference used a double-precision transform).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "analysis/AnalysisCommand.h"
#include "analysis/Averages.h"
#include "document/OpenDocument.h"
#include "model/Palette.h"
#include "support/TestSupport.h"

namespace vode {
namespace {

std::vector<std::string> reportLines(const std::string& name) {
  std::ifstream in(test::testdata(name), std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, ',')) out.push_back(field);
  if (!line.empty() && line.back() == ',') out.push_back("");
  return out;
}

// The fields after the label of the row that starts with label + ",".
std::vector<std::string> row(const std::vector<std::string>& lines, const std::string& label) {
  for (const std::string& l : lines)
    if (l.rfind(label + ",", 0) == 0) {
      std::vector<std::string> f = fields(l);
      f.erase(f.begin());
      return f;
    }
  ADD_FAILURE() << "no row " << label;
  return {};
}

std::string fixed(const char* format, double v) {
  char text[64];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

std::string dB(float power, float reference) {
  return power <= 0.0f ? "-200.0" : fixed("%0.1f", PowerTodB(power, reference));
}

// "%0.4e" as the reports print it: upper-case E, at least three exponent digits.
std::string scientific(float power) {
  char text[64];
  std::snprintf(text, sizeof text, "%0.3E", static_cast<double>(power));
  std::string t = text;
  const size_t e = t.find('E');
  std::string digits = t.substr(e + 2);
  while (digits.size() < 3) digits = "0" + digits;
  return t.substr(0, e + 2) + digits;
}

// Counts printed dB values that differ from ours; none may differ by more
// than one in the last digit.
struct Agreement {
  int fields = 0;
  int different = 0;
  void compare(const std::string& ours, const std::string& theirs) {
    ++fields;
    if (ours == theirs) return;
    ++different;
    EXPECT_NEAR(std::stod(ours), std::stod(theirs), 0.1001) << ours << " vs " << theirs;
  }
};

class ReferenceData : public ::testing::Test {
 protected:
  void SetUp() override { VODE_NEEDS_TESTDATA(); }

  std::unique_ptr<Document> open(const std::string& name) {
    auto doc = std::make_unique<Document>();
    test::ScriptedPrompter prompter;
    NullProgress progress;
    EXPECT_EQ(openPath(*doc, test::testdata(name), prompter, progress), 0);
    if (!doc->recording) return doc;
    DoAnalyzeClick(*doc, *doc, Palette::grey(), progress, prompter);
    return doc;
  }

  void expectThresholdHeader(const Document& doc, const std::vector<std::string>& lines) {
    const PhaseTable& p = *doc.phaseTable;
    auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
    char text[128];
    std::snprintf(text, sizeof text, "Target inspiration: %0.3f to %0.3f L/s", p.inspLow, p.inspHigh);
    EXPECT_TRUE(has(text)) << text;
    std::snprintf(text, sizeof text, "Target expiration: %0.3f to %0.3f L/s", p.expLow, p.expHigh);
    EXPECT_TRUE(has(text)) << text;
    std::snprintf(text, sizeof text, "Target background: %0.3f to %0.3f L/s", -p.backgroundFlow, p.backgroundFlow);
    EXPECT_TRUE(has(text)) << text;
    std::snprintf(text, sizeof text, "Minimum phase volume: %0.3f L", p.minPhaseSum / 10.0f);
    EXPECT_TRUE(has(text)) << text;
  }

  // Kind 3: status, flow, volume and the six octave bands of every segment.
  void expectOctaveReport(const Document& doc, const std::string& name, bool resp, Agreement& octaves) {
    const std::vector<std::string> lines = reportLines(name);
    auto header = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Segment,Tag", 0) == 0; });
    ASSERT_NE(header, lines.end());
    const int segments = doc.recording->segmentCount;
    ASSERT_EQ(lines.end() - header - 1, segments);
    const TagTable& tags = *doc.tagTable;
    const PhaseTable& p = *doc.phaseTable;
    for (int s = 0; s < segments; ++s) {
      const std::vector<std::string> f = fields(*(header + 1 + s));
      ASSERT_EQ(f[0], std::to_string(s));
      EXPECT_EQ(f[1], tags.StatusCode(0, s)) << "segment " << s;
      EXPECT_EQ(f[2], fixed("%0.3f", p.segmentFlowAt(s))) << "segment " << s;
      int column = 3;
      if (!resp) {
        EXPECT_EQ(f[column], fixed("%0.3f", p.runningVolume[s])) << "segment " << s;
        ++column;
      }
      for (int k = 0; k < 6; ++k) {
        const float mean = doc.spectra->BandMean(0, s, 30 * (1 << k) - 1, 15 * (1 << k));
        octaves.compare(dB(mean, doc.preferences.dBReference), f[column + k]);
      }
    }
  }
};

TEST_F(ReferenceData, Flow2TaggedKeepsItsStoredTagsAndAgreesOnEveryCount) {
  const auto doc = open("flow2_tagged.mer");
  ASSERT_TRUE(doc->recording && doc->spectra && doc->averages);
  const float reference = doc->preferences.dBReference;
  Agreement spectral;

  // Thresholds, tags, flows and volumes.
  expectThresholdHeader(*doc, reportLines("flow2_tagged.kind3.txt"));
  expectOctaveReport(*doc, "flow2_tagged.kind3.txt", false, spectral);
  const std::vector<std::string> status2 = row(reportLines("flow2_tagged.kind4.watts.ch2.txt"), "Status");
  ASSERT_EQ(static_cast<int>(status2.size()), doc->recording->segmentCount);
  for (int s = 0; s < doc->recording->segmentCount; ++s)
    EXPECT_EQ(status2[s], doc->tagTable->StatusCode(1, s)) << "segment " << s;

  // Every spectrum of channel 1 in dB, and of channel 2 in watts.
  const std::vector<std::string> kind4 = reportLines("flow2_tagged.kind4.txt");
  const std::vector<std::string> watts = reportLines("flow2_tagged.kind4.watts.ch2.txt");
  int wattsFields = 0, wattsDifferent = 0;
  for (int b = 0; b < 240; ++b) {
    const std::vector<std::string> f = row(kind4, std::to_string(5 * b));
    const std::vector<std::string> w = row(watts, std::to_string(5 * b));
    ASSERT_EQ(static_cast<int>(f.size()), doc->recording->segmentCount);
    ASSERT_EQ(static_cast<int>(w.size()), doc->recording->segmentCount);
    for (int s = 0; s < doc->recording->segmentCount; ++s) {
      spectral.compare(dB(doc->spectra->power(0, s)[b], reference), f[s]);
      const float p = doc->spectra->power(1, s)[b];
      ++wattsFields;
      if (scientific(p) == w[s]) continue;
      ++wattsDifferent;
      EXPECT_NEAR(p, std::stod(w[s]), 2e-3 * p) << "segment " << s << " bin " << b;
    }
  }

  // Overall averages: counts exactly, spectra to the printed digit.
  const std::vector<std::string> kind0 = reportLines("flow2_tagged.kind0.txt");
  const OverallAverages& avg = *doc->averages;
  EXPECT_EQ(row(kind0, "Tagged"), (std::vector<std::string>{std::to_string(avg.backgroundCountOf(0)),
                                                             std::to_string(avg.inspCountOf(0)),
                                                             std::to_string(avg.expCountOf(0))}));
  for (int b = 0; b < 240; ++b) {
    const std::vector<std::string> f = row(kind0, std::to_string(5 * b));
    ASSERT_EQ(f.size(), 3u);
    spectral.compare(dB(avg.backgroundAverage(0)[b], reference), f[0]);
    spectral.compare(dB(avg.inspAverage(0)[b], reference), f[1]);
    spectral.compare(dB(avg.expAverage(0)[b], reference), f[2]);
  }

  // Breath averages: the phases with clean segments, their labels and counts.
  const std::vector<std::string> kind2 = reportLines("flow2_tagged.kind2.txt");
  const PhaseTable& p = *doc->phaseTable;
  std::vector<std::string> labels = {"Bgd"}, counts = {std::to_string(avg.backgroundCountOf(0))};
  std::vector<int> selected;
  for (int k = 0; k <= p.lastPhase; ++k)
    if (p.entries[k].cleanCount > 0) {
      selected.push_back(k);
      labels.push_back(p.PhaseLabel(p.entries[k].firstSegment));
      counts.push_back(std::to_string(p.entries[k].cleanCount));
    }
  EXPECT_EQ(row(kind2, "Phase"), labels);
  EXPECT_EQ(row(kind2, "Tagged"), counts);
  for (int b = 0; b < 240; ++b) {
    const std::vector<std::string> f = row(kind2, std::to_string(5 * b));
    ASSERT_EQ(f.size(), selected.size() + 1);
    for (size_t i = 0; i < selected.size(); ++i)
      spectral.compare(dB(p.entries[selected[i]].averageSpectrum[b], reference), f[i + 1]);
  }

  // Band power (dB above the background, three decimals).
  const std::vector<std::string> kind5 = reportLines("flow2_tagged.kind5.txt");
  const std::string referenceLabel = "Background reference: ";
  auto referenceLine = std::find_if(kind5.begin(), kind5.end(),
                                    [&](const std::string& l) { return l.rfind(referenceLabel, 0) == 0; });
  ASSERT_NE(referenceLine, kind5.end());
  const double printedReference = std::stod(referenceLine->substr(referenceLabel.size()));
  EXPECT_NEAR(doc->spectra->backgroundReference[0], printedReference, 1e-3 * printedReference);
  const std::vector<std::string> band = row(kind5, "dB");
  ASSERT_EQ(static_cast<int>(band.size()), doc->recording->segmentCount);
  int bandDifferent = 0;
  for (int s = 0; s < doc->recording->segmentCount; ++s) {
    const std::string ours = fixed("%0.3f", doc->spectra->bandPower[0][s]);
    if (ours == band[s]) continue;
    ++bandDifferent;
    EXPECT_NEAR(std::stod(ours), std::stod(band[s]), 0.0011) << "segment " << s;
  }

  // Flow bins of 100 mL/s.
  const FlowBinTable t = CalculateFlowBins(*doc, *doc, 0, 100);
  const std::vector<std::string> kind6 = reportLines("flow2_tagged.kind6.txt");
  auto table = std::find(kind6.begin(), kind6.end(), "L/s,dB,2SD,Count");
  ASSERT_NE(table, kind6.end());
  ASSERT_EQ(kind6.end() - table - 1, t.size());
  for (int k = 0; k < t.size(); ++k) {
    const std::vector<std::string> f = fields(*(table + 1 + k));
    EXPECT_EQ(f[0], fixed("%0.3f", t.flow[k])) << k;
    EXPECT_EQ(f[3], std::to_string(t.count[k])) << k;
    EXPECT_NEAR(std::stod(f[1]), t.mean[k], 0.0011) << k;
    EXPECT_NEAR(std::stod(f[2]), t.spread[k], 0.0011) << k;
  }

  // The summary, line by line.
  std::vector<std::string> summary;
  test::ScriptedPrompter prompter;
  WriteSummary(*doc, 0, summary, prompter);
  const std::vector<std::string> kind7 = reportLines("flow2_tagged.kind7.txt");
  auto first = std::find(kind7.begin(), kind7.end(), "Flow Summary");
  ASSERT_NE(first, kind7.end());
  EXPECT_EQ(std::vector<std::string>(first, first + summary.size()), summary);

  std::printf("[ reference ] flow2_tagged: %d of %d printed dB values differ by 0.1; %d of %d watt values in the "
              "last digit; %d of %d band powers by 0.001\n",
              spectral.different, spectral.fields, wattsDifferent, wattsFields, bandDifferent,
              static_cast<int>(band.size()));
  EXPECT_LT(wattsDifferent * 20, wattsFields);
  EXPECT_LT(spectral.different * 100, spectral.fields);
}

TEST_F(ReferenceData, Resp1TagsTheMiddleOfEveryBandPhase) {
  const auto doc = open("resp1.mer");
  ASSERT_TRUE(doc->recording && doc->averages);
  Agreement spectral;
  expectOctaveReport(*doc, "resp1.kind3.txt", true, spectral);
  const OverallAverages& avg = *doc->averages;
  EXPECT_EQ(row(reportLines("resp1.kind0.txt"), "Tagged"),
            (std::vector<std::string>{std::to_string(avg.backgroundCountOf(0)), std::to_string(avg.inspCountOf(0)),
                                      std::to_string(avg.expCountOf(0))}));
  std::vector<std::string> summary;
  test::ScriptedPrompter prompter;
  WriteSummary(*doc, 0, summary, prompter);
  const std::vector<std::string> kind7 = reportLines("resp1.kind7.txt");
  auto first = std::find(kind7.begin(), kind7.end(), "Flow Summary");
  ASSERT_NE(first, kind7.end());
  EXPECT_EQ(std::vector<std::string>(first, first + summary.size()), summary);
  std::printf("[ reference ] resp1: %d of %d printed dB values differ by 0.1\n", spectral.different, spectral.fields);
  EXPECT_LT(spectral.different * 100, spectral.fields);
}

TEST_F(ReferenceData, Flow1DosRecordingIsTaggedAfresh) {
  const auto doc = open("flow1.dat");
  ASSERT_TRUE(doc->recording && doc->averages);
  Agreement spectral;
  expectThresholdHeader(*doc, reportLines("flow1_dat.kind3.txt"));
  expectOctaveReport(*doc, "flow1_dat.kind3.txt", false, spectral);
  std::printf("[ reference ] flow1.dat: %d of %d printed dB values differ by 0.1\n", spectral.different,
              spectral.fields);
  EXPECT_LT(spectral.different * 100, spectral.fields);
}

}  // namespace
}  // namespace vode
