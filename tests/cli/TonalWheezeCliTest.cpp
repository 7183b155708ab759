// vode-cli with --detector tonal: the wheeze CSV, analyze's counts, report's
// status codes, and the refusals of the new options.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/TonalWheeze.h"
#include "cli/CliRun.h"
#include "support/TestSupport.h"

using namespace vode;

TEST(TonalWheezeCli, FindsEveryWheezeOfASyntheticRecordingAndCountsThem) {
  test::TempDir dir;
  const std::string file = dir.file("w.mer");
  const test::CliResult made =
      test::runCli({"synth", file, "--seconds", "30", "--seed", "5", "--wheezes", "--crackles"});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const test::CliResult r = test::runCli({"wheeze", file, "--detector", "tonal", "--channel", "1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto runs = test::csvRows(r.out);
  ASSERT_GE(runs.size(), 2u);
  EXPECT_EQ(runs[0][0], "channel");
  int flagged = 0;
  for (size_t i = 1; i < runs.size(); ++i) {
    ASSERT_EQ(runs[i].size(), 7u);
    EXPECT_EQ(runs[i][0], "1");
    EXPECT_GT(std::stod(runs[i][5]), 3.1);  // a prominence in dB, painted as a mark
    flagged += std::stoi(runs[i][2]) - std::stoi(runs[i][1]) + 1;
  }
  const auto events = test::csvRows(made.out);
  for (size_t i = 1; i < events.size(); ++i) {
    if (events[i][0] != "wheeze") continue;
    const int middle = static_cast<int>((std::stod(events[i][1]) + std::stod(events[i][2])) / 2.0 * 10.0);
    bool covered = false;
    for (size_t k = 1; k < runs.size(); ++k)
      covered = covered || (std::stoi(runs[k][1]) <= middle && middle <= std::stoi(runs[k][2]));
    EXPECT_TRUE(covered) << "wheeze at segment " << middle << "\n" << r.out;
  }

  // analyze sets the same flags.
  const test::CliResult a = test::runCli({"analyze", file, "--wheeze", "--detector", "tonal"});
  ASSERT_EQ(a.exitCode, 0) << a.err;
  test::JsonValue json;
  std::string error;
  ASSERT_TRUE(test::parseJson(a.out, json, error)) << error;
  EXPECT_EQ(json["wheezeSegments"][0].number(), flagged);

  // So does report: "Wz" in the segment table's status codes.
  const std::string out = dir.file("all.txt");
  const test::CliResult rep =
      test::runCli({"report", file, "-o", out, "--kind", "all", "--wheeze", "--detector", "tonal"});
  ASSERT_EQ(rep.exitCode, 0) << rep.err;
  std::ifstream in(out, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Wz"), std::string::npos);
}

TEST(TonalWheezeCli, TracksListWhatTheDecisionWeighed) {
  test::TempDir dir;
  const std::string file = dir.file("w.mer");
  ASSERT_EQ(test::runCli({"synth", file, "--seconds", "20", "--seed", "3", "--wheezes"}).exitCode, 0);
  const test::CliResult r = test::runCli({"wheeze", file, "--detector", "tonal", "--channel", "1", "--tracks"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto tracks = test::csvRows(r.out);
  ASSERT_GE(tracks.size(), 2u);
  EXPECT_EQ(tracks[0].size(), 11u);
  EXPECT_EQ(tracks[0][7], "prominence_db");
  EXPECT_EQ(tracks[0][10], "narrow");
  // The wheezes among them flag exactly the segments of the runs.
  std::vector<int> fromTracks, fromRuns;
  for (size_t i = 1; i < tracks.size(); ++i) {
    ASSERT_EQ(tracks[i].size(), 11u);
    EXPECT_GE(std::stoi(tracks[i][5]), TonalParameters{}.minFrames);
    const bool wheeze = tracks[i][9] == "1";
    EXPECT_EQ(tracks[i][10], "0");  // the generator's microphone passes the whole band
    EXPECT_EQ(wheeze, std::stod(tracks[i][8]) >= 0.0) << r.out;
    if (wheeze)
      for (int s = std::stoi(tracks[i][1]); s <= std::stoi(tracks[i][2]); ++s) fromTracks.push_back(s);
  }
  const auto runs = test::csvRows(test::runCli({"wheeze", file, "--detector", "tonal", "--channel", "1"}).out);
  for (size_t i = 1; i < runs.size(); ++i)
    for (int s = std::stoi(runs[i][1]); s <= std::stoi(runs[i][2]); ++s) fromRuns.push_back(s);
  std::sort(fromTracks.begin(), fromTracks.end());
  fromTracks.erase(std::unique(fromTracks.begin(), fromTracks.end()), fromTracks.end());
  EXPECT_FALSE(fromRuns.empty());
  EXPECT_EQ(fromTracks, fromRuns);

  // Tracks belong to the tonal detector, and are not cycle scores.
  EXPECT_EQ(test::runCli({"wheeze", file, "--tracks"}).exitCode, 2);
  const std::string cycles = dir.file("c.txt");
  std::ofstream(cycles) << "0 2 0 1\n";
  EXPECT_EQ(test::runCli({"wheeze", file, "--detector", "tonal", "--tracks", "--cycles", cycles}).exitCode, 2);
}

TEST(TonalWheezeCli, RefusesUnknownDetectorsAndOptionsWithoutTheirCommand) {
  VODE_NEEDS_TESTDATA();
  const std::string file = test::testdata("flow2_tagged.mer");
  EXPECT_EQ(test::runCli({"wheeze", file, "--detector", "fast"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"wheeze", file, "--detector", "tonal", "--tonal-parameters", "peak"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"wheeze", file, "--detector", "tonal", "--tonal-parameters", "peak=1"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"wheeze", file, "--tonal-parameters", "peak=10"}).exitCode, 2);  // standard
  EXPECT_EQ(test::runCli({"analyze", file, "--detector", "tonal"}).exitCode, 2);          // no --wheeze
  const test::CliResult tuned =
      test::runCli({"wheeze", file, "--detector", "tonal", "--tonal-parameters", "peak=10,frames=6"});
  EXPECT_EQ(tuned.exitCode, 0) << tuned.err;
  // The default is the standard detector; "described" still names it.
  const std::string standard = test::runCli({"wheeze", file}).out;
  EXPECT_EQ(test::runCli({"wheeze", file, "--detector", "standard"}).out, standard);
  EXPECT_EQ(test::runCli({"wheeze", file, "--detector", "described"}).out, standard);
}
