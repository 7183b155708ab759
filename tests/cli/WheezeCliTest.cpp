#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

const std::string Header = "channel,first_segment,last_segment,start_s,end_s,max_score,max_score_hz";

struct CsvRun {
  int channel, first, last;
  double maxScore;
  int hz;
};

std::vector<CsvRun> runsOf(const test::CliResult& r) {
  std::vector<CsvRun> runs;
  const auto rows = test::csvRows(r.out);
  EXPECT_FALSE(rows.empty());
  if (rows.empty()) return runs;
  std::string header;
  for (size_t i = 0; i < rows[0].size(); ++i) header += (i ? "," : "") + rows[0][i];
  EXPECT_EQ(header, Header);
  for (size_t i = 1; i < rows.size(); ++i) {
    const auto& f = rows[i];
    EXPECT_EQ(f.size(), 7u) << i;
    if (f.size() != 7) continue;
    CsvRun run{std::stoi(f[0]), std::stoi(f[1]), std::stoi(f[2]), std::stod(f[5]), std::stoi(f[6])};
    // Times are the segments over ten.
    EXPECT_DOUBLE_EQ(std::stod(f[3]), run.first / 10.0);
    EXPECT_DOUBLE_EQ(std::stod(f[4]), run.last / 10.0);
    EXPECT_LE(run.first, run.last);
    EXPECT_GT(run.maxScore, 3.1);
    EXPECT_GE(run.hz, 100);
    EXPECT_LE(run.hz, 1750);
    runs.push_back(run);
  }
  return runs;
}

}  // namespace

TEST(WheezeCli, ReferenceRecordingShowsItsWheeze) {
  VODE_NEEDS_TESTDATA();
  const test::CliResult r = test::runCli({"wheeze", test::testdata("flow2_tagged.mer")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<CsvRun> runs = runsOf(r);
  bool found = false;
  for (size_t i = 0; i < runs.size(); ++i) {
    if (i > 0 && runs[i].channel == runs[i - 1].channel) {
      EXPECT_GT(runs[i].first, runs[i - 1].last + 1);  // runs are separate and in order
    }
    if (runs[i].channel == 1 && runs[i].first <= 40 && runs[i].last >= 44) {
      found = true;
      EXPECT_NEAR(runs[i].hz, 450, 25);
    }
  }
  EXPECT_TRUE(found) << r.out;

  const test::CliResult second = test::runCli({"wheeze", test::testdata("flow2_tagged.mer"), "--channel", "2"});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  for (const CsvRun& run : runsOf(second)) EXPECT_EQ(run.channel, 2);
}

TEST(WheezeCli, FindsTheWheezesOfASyntheticRecording) {
  test::TempDir dir;
  const std::string file = dir.file("w.mer");
  const test::CliResult made = test::runCli({"synth", file, "--seconds", "20", "--seed", "4", "--wheezes"});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const test::CliResult r = test::runCli({"wheeze", file, "--max-frequency", "2400"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<CsvRun> runs = runsOf(r);
  const auto events = test::csvRows(made.out);
  ASSERT_GE(events.size(), 3u);
  for (size_t i = 1; i < events.size(); ++i) {
    const int middle = static_cast<int>((std::stod(events[i][1]) + std::stod(events[i][2])) / 2.0 * 10.0);
    bool covered = false;
    for (const CsvRun& run : runs) covered = covered || (run.first <= middle && middle <= run.last);
    EXPECT_TRUE(covered) << "wheeze at segment " << middle << "\n" << r.out;
  }
}

TEST(WheezeCli, Refusals) {
  VODE_NEEDS_TESTDATA();
  const std::string file = test::testdata("flow2_tagged.mer");
  EXPECT_EQ(test::runCli({"wheeze"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"wheeze", file, "--jobs", "0"}).exitCode, 2);  // several files are a batch now
  EXPECT_EQ(test::runCli({"wheeze", file, "--channel", "0"}).exitCode, 2);
  // Two channels: a third is missing from the data, as report and sonogram say.
  const test::CliResult third = test::runCli({"wheeze", file, "--channel", "3"});
  EXPECT_EQ(third.exitCode, 1);
  EXPECT_NE(third.err.find("vode-cli: " + file + " has no channel 3\n"), std::string::npos) << third.err;
  EXPECT_EQ(third.out, "");
  EXPECT_EQ(test::runCli({"wheeze", file, "--max-frequency", "1000"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"wheeze", file, "--bogus"}).exitCode, 2);
  const test::CliResult help = test::runCli({"wheeze", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--max-frequency"), std::string::npos);

  test::TempDir dir;
  const test::CliResult missing = test::runCli({"wheeze", dir.file("none.mer")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err.rfind("Unable to open " + dir.file("none.mer"), 0), 0u) << missing.err;
  EXPECT_EQ(missing.out, "");
}

TEST(WheezeCli, AnalyzeCountsWheezingSegmentsOnlyWhenAsked) {
  VODE_NEEDS_TESTDATA();
  const std::string file = test::testdata("flow2_tagged.mer");
  for (bool wheeze : {false, true}) {
    std::vector<std::string> args = {"analyze", file};
    if (wheeze) args.push_back("--wheeze");
    const test::CliResult r = test::runCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    test::JsonValue json;
    std::string error;
    ASSERT_TRUE(test::parseJson(r.out, json, error)) << error;
    // The reference report after the detector has 16 "Wz" on channel 1.
    EXPECT_EQ(json["wheezeSegments"][0].number(), wheeze ? 16 : 0);
    if (wheeze) {
      EXPECT_GT(json["wheezeSegments"][1].number(), 0);
      EXPECT_GT(json["timingsMs"]["wheeze"].number(), 0.0);
    }
  }
}
