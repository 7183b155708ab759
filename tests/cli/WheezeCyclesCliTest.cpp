#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/BreathCycles.h"
#include "cli/CliRun.h"
#include "support/TestSupport.h"

using namespace vode;
using cli::BreathCycle;

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

BreathCycle cycle(double start, double end) {
  BreathCycle c;
  c.start = start;
  c.end = end;
  return c;
}

}  // namespace

TEST(BreathCycles, ReadsTheCollectionsPlainForm) {
  std::vector<BreathCycle> cycles;
  std::string error;
  ASSERT_TRUE(cli::parseCycles("0.036\t0.579\t0\t1\r\n\n  0.579 2.45  1 0\n3 4\n", "a.txt", cycles, error)) << error;
  ASSERT_EQ(cycles.size(), 3u);
  EXPECT_DOUBLE_EQ(cycles[0].start, 0.036);
  EXPECT_DOUBLE_EQ(cycles[1].end, 2.45);
  EXPECT_EQ(cycles[1].line, 3);
  EXPECT_TRUE(*cycles[0].wheezes);
  EXPECT_TRUE(*cycles[1].crackles);
  EXPECT_FALSE(*cycles[1].wheezes);
  EXPECT_FALSE(cycles[2].wheezes.has_value());
}

TEST(BreathCycles, RefusesMalformedLinesNamingFileAndLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"0 1\n1 2 0\n", "a.txt:2: expected start and end"},
      {"0 1 0 1 1\n", "a.txt:1: expected start and end"},
      {"x 1\n", "a.txt:1: the start 'x' is not a time"},
      {"0 1,5\n", "a.txt:1: the end '1,5' is not a time"},
      {"-1 1\n", "a.txt:1: the start '-1'"},
      {"0 nan\n", "a.txt:1: the end 'nan'"},
      {"\n2 2\n", "a.txt:2: the cycle ends (2 s) before it starts (2 s)"},
      {"0 1 2 1\n", "a.txt:1: crackles must be 0 or 1, not '2'"},
      {"0 1 0 yes\n", "a.txt:1: wheezes must be 0 or 1, not 'yes'"},
      {" \n\n", "a.txt: no breath cycles"},
  };
  for (const auto& [text, message] : cases) {
    std::vector<BreathCycle> cycles;
    std::string error;
    EXPECT_FALSE(cli::parseCycles(text, "a.txt", cycles, error)) << text;
    EXPECT_EQ(error.rfind(message, 0), 0u) << text << " gave " << error;
  }
}

TEST(BreathCycles, SegmentsOverlappingByHalfAreInside) {
  // Segment s spans s/10 to (s+1)/10 s; 50 ms of overlap is enough, on the
  // decimal boundaries as well.
  auto range = [](double start, double end, int segments = 100) {
    const cli::SegmentRange r = cli::segmentsInside(cycle(start, end), segments);
    return std::make_pair(r.first, r.last);
  };
  EXPECT_EQ(range(0.25, 0.75), std::make_pair(2, 7));
  EXPECT_EQ(range(0.26, 0.74), std::make_pair(3, 6));
  EXPECT_EQ(range(0.3, 0.7), std::make_pair(3, 6));
  EXPECT_EQ(range(0.28, 0.36), std::make_pair(3, 3));
  EXPECT_GT(range(0.31, 0.34).first, range(0.31, 0.34).second);  // under 50 ms: none
  EXPECT_EQ(range(9.0, 1e300, 95), std::make_pair(90, 94));     // cut at the recording's end
  EXPECT_GT(range(20.0, 21.0, 95).first, range(20.0, 21.0, 95).second);
}

TEST(BreathCycles, ScoreLineShowsUndefinedRatiosAsNan) {
  cli::CycleScore score;
  score.add(true, true);
  score.add(false, true);
  score.add(false, true);
  EXPECT_EQ(cli::scoreLine(score), "# sensitivity 0.3333 (1/3), specificity nan (0/0), mean nan");
  score.add(true, false);
  score.add(false, false);
  EXPECT_EQ(cli::scoreLine(score), "# sensitivity 0.3333 (1/3), specificity 0.5000 (1/2), mean 0.4167");
}

// Cycles around the wheezes the synthetic recording says it added, and a
// quiet one: each wheezing cycle is found, the quiet one is not, and two
// files' totals add up.
TEST(WheezeCyclesCli, ScoresSyntheticWheezesAgainstTheirAnnotation) {
  test::TempDir dir;
  const std::string rec = dir.file("w.mer"), annot = dir.file("w.txt");
  const test::CliResult synth = test::runCli({"synth", rec, "--seconds", "20", "--seed", "3", "--wheezes"});
  ASSERT_EQ(synth.exitCode, 0) << synth.err;
  std::string cycles;
  int wheezes = 0;
  for (const std::string& row : lines(synth.out)) {
    double start = 0, end = 0;
    if (std::sscanf(row.c_str(), "wheeze,%lf,%lf", &start, &end) != 2) continue;
    cycles += std::to_string(start - 0.3) + "\t" + std::to_string(end + 0.3) + "\t0\t1\n";
    ++wheezes;
  }
  ASSERT_EQ(wheezes, 2) << synth.out;
  writeText(annot, cycles + "12 14.5 0 0\n");

  const test::CliResult one = test::runCli({"wheeze", rec, "--cycles", annot});
  ASSERT_EQ(one.exitCode, 0) << one.err;
  std::vector<std::string> rows = lines(one.out);
  ASSERT_EQ(rows.size(), 5u) << one.out;
  EXPECT_EQ(rows[0], "start_s,end_s,wheeze_segments,detected,annotated");
  for (int i = 1; i <= 2; ++i) EXPECT_NE(rows[i].find(",1,1"), std::string::npos) << rows[i];
  EXPECT_EQ(rows[3], "12,14.5,0,0,0");
  EXPECT_EQ(rows[4], "# sensitivity 1.0000 (2/2), specificity 1.0000 (1/1), mean 1.0000");

  const test::CliResult two = test::runCli({"wheeze", rec, rec, "--cycles", annot, "--cycles", annot, "--jobs", "2"});
  ASSERT_EQ(two.exitCode, 0) << two.err;
  rows = lines(two.out);
  ASSERT_EQ(rows.size(), 8u) << two.out;
  EXPECT_EQ(rows[0], "file,start_s,end_s,wheeze_segments,detected,annotated");
  EXPECT_EQ(rows[3], rec + ",12,14.5,0,0,0");
  EXPECT_EQ(rows[7], "# sensitivity 1.0000 (4/4), specificity 1.0000 (2/2), mean 1.0000");
}

TEST(WheezeCyclesCli, BadAnnotationFailsItsFileOnly) {
  test::TempDir dir;
  const std::string rec = dir.file("w.mer"), plain = dir.file("plain.txt"), bad = dir.file("bad.txt"),
                    late = dir.file("late.txt");
  ASSERT_EQ(test::runCli({"synth", rec, "--seconds", "5"}).exitCode, 0);
  writeText(plain, "0.5 1.5\n2 3\n");
  writeText(bad, "0 1 0 0\n1 2 0 3\n");
  writeText(late, "0 1\n7 8\n");

  // Without the two columns there is nothing to score: no closing line.
  const test::CliResult unannotated = test::runCli({"wheeze", rec, "--cycles", plain});
  ASSERT_EQ(unannotated.exitCode, 0) << unannotated.err;
  EXPECT_EQ(lines(unannotated.out).size(), 3u);
  EXPECT_EQ(lines(unannotated.out)[1].back(), ',');

  const test::CliResult r = test::runCli({"wheeze", rec, rec, rec, "--cycles", plain, "--cycles", bad, "--cycles", late});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find(bad + ":2: wheezes must be 0 or 1, not '3'"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(late + ":2: the cycle starts at 7 s, after the end of " + rec + " (5 s)"), std::string::npos);
  EXPECT_NE(r.err.find("3 files, 2 failed"), std::string::npos) << r.err;
  EXPECT_EQ(lines(r.out).size(), 3u) << r.out;  // the header and the good file's two cycles

  const test::CliResult unpaired = test::runCli({"wheeze", rec, rec, "--cycles", plain});
  EXPECT_EQ(unpaired.exitCode, 2);
  EXPECT_NE(unpaired.err.find("2 files, 1 annotation files"), std::string::npos) << unpaired.err;
}
