#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/CliRun.h"
#include "cli/ReportCliSupport.h"
#include "formats/BlockFile.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Synthetic.h"
#include "support/TestSupport.h"

using namespace vode;
using test::JsonValue;

namespace {

// A reference report of the shared test data, as lines of fields.
class ReferenceReport {
 public:
  explicit ReferenceReport(const std::string& name) {
    std::istringstream in(test::reportcli::readText(test::testdata(name)));
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines_.push_back(line);
    }
    EXPECT_FALSE(lines_.empty()) << name;
  }
  // The comma-separated fields of the first line whose first field is `head`.
  std::vector<std::string> row(const std::string& head) const {
    for (const std::string& line : lines_) {
      std::vector<std::string> fields;
      std::istringstream in(line);
      std::string field;
      while (std::getline(in, field, ',')) fields.push_back(field);
      if (!line.empty() && line.back() == ',') fields.emplace_back();
      if (!fields.empty() && fields[0] == head) return fields;
    }
    ADD_FAILURE() << "no row " << head;
    return {};
  }
  // The numbers on the line that starts with `prefix`.
  std::vector<double> numbersAfter(const std::string& prefix) const {
    std::vector<double> numbers;
    for (const std::string& line : lines_) {
      if (line.rfind(prefix, 0) != 0) continue;
      std::istringstream in(line.substr(prefix.size()));
      std::string word;
      while (in >> word) {
        char* end = nullptr;
        const double value = std::strtod(word.c_str(), &end);
        if (end != word.c_str() && *end == '\0') numbers.push_back(value);
      }
      return numbers;
    }
    ADD_FAILURE() << "no line " << prefix;
    return numbers;
  }

 private:
  std::vector<std::string> lines_;
};

JsonValue analysisOf(const std::vector<std::string>& args) {
  const test::CliResult r = test::runCli(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  JsonValue v;
  std::string error;
  EXPECT_TRUE(parseJson(r.out, v, error)) << error << "\n" << r.out;
  return v;
}

}  // namespace

// The reference reports of this recording state its phases, tags, thresholds and averaged counts.
TEST(AnalyzeCli, StoredTagsSurviveAndAgreeWithTheReferenceReports) {
  VODE_NEEDS_TESTDATA();
  const JsonValue v = analysisOf({"analyze", test::testdata("flow2_tagged.mer"), "--max-frequency", "4800"});
  const ReferenceReport overall("flow2_tagged.kind0.txt");
  const ReferenceReport breaths("flow2_tagged.kind2.txt");
  const ReferenceReport segments("flow2_tagged.kind4.txt");

  // "Phase,Bgd,1i,2e,...": one column per phase after the background.
  EXPECT_EQ(v["phases"].number(), static_cast<double>(breaths.row("Phase").size() - 2));
  // The status row: I, E, B or nothing, with X on a flagged segment.
  std::map<std::string, int> phases;
  int flagged = 0;
  const std::vector<std::string> status = segments.row("Status");
  for (std::size_t i = 1; i < status.size(); ++i) {
    std::string cell = status[i];
    if (const auto x = cell.find('X'); x != std::string::npos) {
      ++flagged;
      cell.erase(x, 1);
    }
    ++phases[cell];
  }
  EXPECT_EQ(v["phaseCounts"]["0"].number(), phases[""]);
  EXPECT_EQ(v["phaseCounts"]["1"].number(), phases["I"]);
  EXPECT_EQ(v["phaseCounts"]["2"].number(), phases["E"]);
  EXPECT_EQ(v["phaseCounts"]["4"].number(), phases["B"]);
  EXPECT_EQ(v["flaggedSegments"][0].number(), flagged);
  EXPECT_EQ(v["flaggedSegments"][1].number(), 4);  // no reference report shows channel 2's flags

  // "Target inspiration: 0.439 to 0.661 L/s", printed with three decimals.
  const std::vector<double> insp = overall.numbersAfter("Target inspiration:");
  const std::vector<double> exp = overall.numbersAfter("Target expiration:");
  const std::vector<double> background = overall.numbersAfter("Target background:");
  ASSERT_EQ(insp.size(), 2u);
  ASSERT_EQ(exp.size(), 2u);
  ASSERT_EQ(background.size(), 2u);
  EXPECT_NEAR(v["thresholds"]["inspLow"].number(), insp[0], 0.0005);
  EXPECT_NEAR(v["thresholds"]["inspHigh"].number(), insp[1], 0.0005);
  EXPECT_NEAR(v["thresholds"]["expLow"].number(), exp[0], 0.0005);
  EXPECT_NEAR(v["thresholds"]["expHigh"].number(), exp[1], 0.0005);
  EXPECT_NEAR(v["thresholds"]["backgroundFlow"].number(), background[1], 0.0005);

  // "Tagged,Bgd,Ins,Exp" of channel 1.
  const std::vector<std::string> tagged = overall.row("Tagged");
  ASSERT_EQ(tagged.size(), 4u);
  EXPECT_EQ(v["averageCounts"]["bg"][0].number(), std::stoi(tagged[1]));
  EXPECT_EQ(v["averageCounts"]["insp"][0].number(), std::stoi(tagged[2]));
  EXPECT_EQ(v["averageCounts"]["exp"][0].number(), std::stoi(tagged[3]));
  EXPECT_EQ(v["peakBandPower"].items.size(), 2u);
  EXPECT_EQ(v["wheezeSegments"].items.size(), 2u);
  EXPECT_EQ(v["timingsMs"].members.size(), 6u);
}

TEST(AnalyzeCli, ExitCodesForUsageAndUnreadableFiles) {
  VODE_NEEDS_TESTDATA();
  test::CliResult r = test::runCli({"analyze", test::testdata("flow2_tagged.mer"), "--max-frequency", "1000"});
  EXPECT_EQ(r.exitCode, 2);
  r = test::runCli({"analyze"});
  EXPECT_EQ(r.exitCode, 2);
  r = test::runCli({"analyze", "--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("Usage: vode-cli analyze"), std::string::npos);
  test::TempDir dir;
  r = test::runCli({"analyze", dir.file("missing.mer")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Unable to open "), std::string::npos);
  EXPECT_TRUE(r.out.empty());
}

TEST(AnalyzeCli, PerChannelArraysFollowTheRecordingNotTheStoredTable) {
  // A stored table of three rows on a two-channel recording: the third row
  // is dropped with a word; one of a single row is short of a channel.
  test::TempDir dir;
  Document doc;
  SynthOptions options;
  options.channels = 2;
  options.seconds = 5.0;
  makeSyntheticRecording(doc, options);
  test::ScriptedPrompter prompter;
  NullProgress progress;
  const std::string path = dir.file("rows.mer");
  doc.tagTable = std::make_unique<TagTable>();
  ASSERT_EQ(doc.tagTable->create(3, doc.recording->segmentCount), 0);
  ASSERT_EQ(doc.tagTable->addFlags(0, 3, Wheeze), 0);
  ASSERT_EQ(doc.tagTable->addFlags(2, 4, Wheeze), 0);
  ASSERT_EQ(saveRecordingFile(doc, path, 0, doc.recording->segmentCount - 1, prompter, progress), 0);
  const JsonValue v = analysisOf({"analyze", path});
  ASSERT_EQ(v["flaggedSegments"].items.size(), 2u);
  EXPECT_GE(v["flaggedSegments"][0].number(), 1);  // the analysis may reject segments of its own
  ASSERT_EQ(v["wheezeSegments"].items.size(), 2u);
  EXPECT_EQ(v["wheezeSegments"][0].number(), 1);
  EXPECT_EQ(v["wheezeSegments"][1].number(), 0);
  EXPECT_EQ(v["peakBandPower"].items.size(), 2u);
  doc.tagTable->create(1, doc.recording->segmentCount);
  ASSERT_EQ(saveRecordingFile(doc, path, 0, doc.recording->segmentCount - 1, prompter, progress), 0);
  EXPECT_EQ(test::runCli({"analyze", path}).err, "Unable to open " + path + "... Invalid file format\n");
}
