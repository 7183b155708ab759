#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "formats/BlockFile.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Synthetic.h"
#include "support/TestSupport.h"

using namespace vode;
using test::JsonValue;

namespace {

using Keys = std::vector<std::string>;

JsonValue analysisOf(const std::vector<std::string>& args) {
  const test::CliResult r = test::runCli(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  JsonValue v;
  std::string error;
  EXPECT_TRUE(parseJson(r.out, v, error)) << error << "\n" << r.out;
  return v;
}

}  // namespace

TEST(AnalyzeCli, StoredTagsSurviveAndEveryResultIsReported) {
  const JsonValue v = analysisOf({"analyze", test::testdata("flow2_tagged.mer"), "--max-frequency", "4800"});
  EXPECT_EQ(v.keys(), (Keys{"phases", "phaseCounts", "flaggedSegments", "wheezeSegments", "thresholds", "counters",
                            "averageCounts", "peakBandPower", "timingsMs"}));
  EXPECT_EQ(v["thresholds"].keys(),
            (Keys{"inspLow", "inspHigh", "expLow", "expHigh", "backgroundFlow", "minPhaseSum"}));
  EXPECT_EQ(v["counters"].keys(),
            (Keys{"inspTagged", "expTagged", "backgroundTagged", "inspBreaths", "expBreaths", "readyFlags"}));
  EXPECT_EQ(v["timingsMs"].keys(), (Keys{"read", "spectra", "images", "tags", "averages", "wheeze"}));

  // The reports of this recording list 8 phases and these tags and counts.
  EXPECT_EQ(v["phases"].number(), 8);
  EXPECT_EQ(v["phaseCounts"]["0"].number(), 60);
  EXPECT_EQ(v["phaseCounts"]["1"].number(), 31);
  EXPECT_EQ(v["phaseCounts"]["2"].number(), 30);
  EXPECT_EQ(v["phaseCounts"]["4"].number(), 29);
  EXPECT_EQ(v["flaggedSegments"][0].number(), 6);
  EXPECT_EQ(v["flaggedSegments"][1].number(), 4);
  EXPECT_EQ(v["thresholds"]["inspLow"].single(), 0.439f);
  EXPECT_EQ(v["thresholds"]["backgroundFlow"].single(), 73.8f * 2.0f / 1000.0f);
  EXPECT_EQ(v["averageCounts"]["bg"][0].number(), 29);
  EXPECT_EQ(v["averageCounts"]["insp"][0].number(), 29);
  EXPECT_EQ(v["averageCounts"]["exp"][0].number(), 28);
  EXPECT_EQ(v["peakBandPower"].items.size(), 2u);
}

TEST(AnalyzeCli, ExitCodesForUsageAndUnreadableFiles) {
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
  // A stored table of one row on a two-channel recording: the second channel
  // has no flags, and still has its entry.
  test::TempDir dir;
  Document doc;
  SynthOptions options;
  options.channels = 2;
  options.seconds = 5.0;
  makeSyntheticRecording(doc, options);
  doc.tagTable = std::make_unique<TagTable>();
  ASSERT_EQ(doc.tagTable->create(1, doc.recording->segmentCount), 0);
  ASSERT_EQ(doc.tagTable->addFlags(0, 3, Wheeze), 0);
  test::ScriptedPrompter prompter;
  NullProgress progress;
  const std::string path = dir.file("one-row.mer");
  ASSERT_EQ(saveRecordingFile(doc, path, 0, doc.recording->segmentCount - 1, prompter, progress), 0);

  const JsonValue v = analysisOf({"analyze", path});
  ASSERT_EQ(v["flaggedSegments"].items.size(), 2u);
  EXPECT_GE(v["flaggedSegments"][0].number(), 1);  // the analysis may reject segments of its own
  EXPECT_EQ(v["flaggedSegments"][1].number(), 0);
  ASSERT_EQ(v["wheezeSegments"].items.size(), 2u);
  EXPECT_EQ(v["wheezeSegments"][0].number(), 1);
  EXPECT_EQ(v["wheezeSegments"][1].number(), 0);
  EXPECT_EQ(v["peakBandPower"].items.size(), 2u);
}
