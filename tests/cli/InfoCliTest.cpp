#include <gtest/gtest.h>

#include "cli/CliRun.h"
#include "formats/BlockFile.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;
using test::JsonValue;

namespace {

JsonValue infoOf(const std::string& path) {
  const test::CliResult r = test::runCli({"info", path});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  JsonValue v;
  std::string error;
  EXPECT_TRUE(parseJson(r.out, v, error)) << error << "\n" << r.out;
  return v;
}

using Keys = std::vector<std::string>;

}  // namespace

TEST(InfoCli, ReferenceRecordingGivesEveryKeyWithItsType) {
  VODE_NEEDS_TESTDATA();
  const JsonValue v = infoOf(test::testdata("flow2_tagged.mer"));
  EXPECT_EQ(v.keys(), (Keys{"format", "version", "channels", "segments", "samplesPerChannel", "channelNames",
                            "airflowKind", "subject", "laboratory", "preferences", "channelSetup",
                            "analysisParameters", "tagTable", "phaseCounts", "flaggedSegments", "peakFlow",
                            "peakVolume", "commentsLength"}));
  EXPECT_EQ(v["subject"].keys(), (Keys{"lastName", "firstName", "id", "sex", "birthDate", "weight", "height",
                                       "diagnosis", "remarks"}));
  EXPECT_EQ(v["laboratory"].keys(), (Keys{"name", "address", "investigator"}));
  EXPECT_EQ(v["preferences"].keys(),
            (Keys{"waveformTime", "amplitude", "sonogramTime", "frequency", "flowDisplay", "dBScale", "dBReference",
                  "calibrationOffset", "calibrationScale", "backgroundFlowMode", "backgroundFlowPerKg",
                  "backgroundFlowAbsolute", "analyseOnOpen", "flowHoldsPower"}));
  EXPECT_EQ(v["channelSetup"].keys(),
            (Keys{"targetFlowChoice", "targetFlow", "gain", "setupChannelCount", "offsetRemoval"}));
  EXPECT_EQ(v["analysisParameters"].keys(), (Keys{"breaths", "inspTags", "expTags"}));
  EXPECT_EQ(v["phaseCounts"].keys(), (Keys{"0", "1", "2", "4", "other"}));

  EXPECT_EQ(v["format"].text, "mer");
  EXPECT_EQ(v["version"].number(), 2);
  EXPECT_EQ(v["channels"].number(), 2);
  EXPECT_EQ(v["segments"].number(), 150);
  EXPECT_EQ(v["samplesPerChannel"].number(), 150 * 1024);
  ASSERT_EQ(v["channelNames"].items.size(), 8u);
  EXPECT_EQ(v["channelNames"][0].text, "RUant");
  EXPECT_EQ(v["channelNames"][7].type, JsonValue::Type::String);
  EXPECT_EQ(v["subject"]["lastName"].text, "Horvat");
  EXPECT_EQ(v["subject"]["sex"].number(), 1);
  EXPECT_EQ(v["subject"]["birthDate"].text, "14/02/1951");
  EXPECT_EQ(v["subject"]["weight"].single(), 73.8f);
  EXPECT_EQ(v["preferences"]["dBReference"].single(), 1e-8f);
  EXPECT_EQ(v["preferences"]["analyseOnOpen"].type, JsonValue::Type::Bool);
  ASSERT_EQ(v["channelSetup"]["offsetRemoval"].items.size(), 8u);
  EXPECT_EQ(v["channelSetup"]["offsetRemoval"][0].type, JsonValue::Type::Bool);
  EXPECT_EQ(v["tagTable"].type, JsonValue::Type::Bool);
  EXPECT_TRUE(v["tagTable"].flag);
  double tagged = 0;
  for (const char* k : {"0", "1", "2", "4", "other"}) tagged += v["phaseCounts"][k].number();
  EXPECT_EQ(tagged, 150);
  EXPECT_GT(v["phaseCounts"]["1"].number(), 0);
  EXPECT_EQ(v["flaggedSegments"].items.size(), 2u);
  EXPECT_GT(v["peakFlow"].number(), 0);
  EXPECT_GT(v["peakVolume"].number(), 0);
  EXPECT_EQ(v["commentsLength"].number(), 51);
}

TEST(InfoCli, RespirationRecordingWithoutTags) {
  VODE_NEEDS_TESTDATA();
  const JsonValue v = infoOf(test::testdata("resp1.mer"));
  EXPECT_EQ(v["airflowKind"].number(), 1);
  EXPECT_EQ(v["channels"].number(), 1);
  EXPECT_EQ(v["segments"].number(), 120);
  EXPECT_FALSE(v["tagTable"].flag);
  EXPECT_EQ(v["phaseCounts"]["0"].number(), 0);
  EXPECT_EQ(v["flaggedSegments"].items.size(), 1u);
}

TEST(InfoCli, SettingsFileHasNoRecording) {
  test::TempDir dir;
  Document doc;
  doc.laboratory.name = "Lab \"A\"";
  doc.preferences.calibrationScale = 0.1f;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(saveSettingsFile(doc, dir.file("MERO.SET"), prompter, progress), 0);
  const JsonValue v = infoOf(dir.file("MERO.SET"));
  EXPECT_EQ(v["format"].text, "set");
  EXPECT_EQ(v["segments"].number(), 0);
  EXPECT_EQ(v["channels"].number(), 0);
  EXPECT_EQ(v["samplesPerChannel"].number(), 0);
  EXPECT_EQ(v["laboratory"]["name"].text, "Lab \"A\"");
  EXPECT_EQ(v["preferences"]["calibrationScale"].single(), 0.1f);
  EXPECT_TRUE(v["flaggedSegments"].items.empty());
  EXPECT_EQ(v["peakFlow"].number(), 0);
}

// A WAV shorter than one segment is a recording of no segment: every command
// answers it, the ones that need segments with a refusal instead of a crash.
TEST(InfoCli, RecordingOfNoSegmentThroughEveryCommand) {
  test::TempDir dir;
  const std::string wav = dir.file("short.wav");
  test::writeShortWav(wav, 500);
  const JsonValue v = infoOf(wav);
  EXPECT_EQ(v["segments"].number(), 0);
  EXPECT_EQ(v["channels"].number(), 1);
  EXPECT_EQ(v["peakFlow"].number(), 0);

  const test::CliResult analyze = test::runCli({"analyze", wav});
  EXPECT_EQ(analyze.exitCode, 0) << analyze.err;
  JsonValue a;
  std::string error;
  ASSERT_TRUE(parseJson(analyze.out, a, error)) << error;
  EXPECT_EQ(a["phases"].number(), 0);
  EXPECT_EQ(a["counters"]["inspTagged"].number(), 0);

  // The 500 samples that make no segment are not dropped silently.
  const std::string dropped = wav + " ends part-way through a 0.1 s segment: its last 0.049 s were dropped\n";
  const test::CliResult report = test::runCli({"report", wav, "-o", dir.file("r.txt"), "--kind", "0"});
  EXPECT_EQ(report.exitCode, 1);
  EXPECT_EQ(report.err, dropped + "vode-cli: " + wav + ": No Analysis\n");
  const test::CliResult sonogram = test::runCli({"sonogram", wav, "-o", dir.file("s.png")});
  EXPECT_EQ(sonogram.exitCode, 1);
  EXPECT_EQ(sonogram.err, dropped + "vode-cli: " + wav + " has no segment to picture\n");
  const test::CliResult wheeze = test::runCli({"wheeze", wav});
  EXPECT_EQ(wheeze.exitCode, 1);
  EXPECT_EQ(wheeze.err, dropped + "No PSD\n");
}

TEST(InfoCli, FailuresAndUsage) {
  VODE_NEEDS_TESTDATA();
  test::TempDir dir;
  test::CliResult r = test::runCli({"info", dir.file("none.mer")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.empty());
  EXPECT_EQ(r.err, "Unable to open " + dir.file("none.mer") + "... File not found\n");

  auto bytes = test::readBytes(test::testdata("resp1.mer"));
  bytes[100000] ^= 4;
  test::writeBytes(dir.file("bad.mer"), bytes);
  r = test::runCli({"info", dir.file("bad.mer")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Unable to open " + dir.file("bad.mer") + "... CRC error in data\n");

  EXPECT_EQ(test::runCli({"info"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"info", "a", "b"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"info", "--bogus", "a"}).exitCode, 2);
  r = test::runCli({"info", "--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("Usage: vode-cli info FILE"), std::string::npos);
}

TEST(CliHelp, EveryCommandAnswersHelpOnStdoutWhateverElseIsGiven) {
  for (const std::string command : {"info", "convert", "synth", "analyze", "report", "sonogram", "wheeze"})
    for (const std::string flag : {"--help", "-h"}) {
      const test::CliResult r = test::runCli({command, "--bogus", flag});
      EXPECT_EQ(r.exitCode, 0) << command << " " << flag;
      EXPECT_EQ(r.out.rfind("Usage: vode-cli " + command, 0), 0u) << command << " " << flag << "\n" << r.out;
      EXPECT_TRUE(r.err.empty()) << r.err;
    }
}
