// vode-cli cycles and crackles on synthetic stethoscope recordings (no
// breath trace), scored against the cycles the generator planned.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

void writeText(const std::string& path, const std::string& text) {
  test::writeBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// A 60 s two-channel recording with crackles and its annotation.
void synth(const test::TempDir& dir, const std::string& name, const std::string& seed) {
  const test::CliResult r = test::runCli({"synth", dir.file(name + ".mer"), "--seed", seed, "--seconds", "60",
                                          "--crackles", "--no-breath", "--cycles", dir.file(name + ".txt")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
}

}  // namespace

TEST(CyclesCli, PrintsCyclesInTheAnnotationFormAndScoresTheirBoundaries) {
  test::TempDir dir;
  synth(dir, "a", "5");
  const test::CliResult info = test::runCli({"info", dir.file("a.mer")});
  EXPECT_NE(info.out.find("\"peakFlow\":0"), std::string::npos) << info.out;

  const test::CliResult r = test::runCli({"cycles", dir.file("a.mer"), "--score", dir.file("a.txt")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> out = lines(r.out);
  ASSERT_GE(out.size(), 10u);
  for (size_t i = 0; i + 1 < out.size(); ++i) EXPECT_TRUE(std::regex_match(out[i], std::regex(R"(\d+\.\d{3}\t\d+\.\d{3})"))) << out[i];
  std::smatch m;
  ASSERT_TRUE(std::regex_match(out.back(), m,
                               std::regex(R"(# precision (\d\.\d{3}) \((\d+)/(\d+)\), recall (\d\.\d{3}) \(\d+/(\d+)\), F1 (\d\.\d{3}))")))
      << out.back();
  EXPECT_GE(std::stod(m[6]), 0.85);

  // The printed cycles read back as an annotation: every boundary matches itself.
  std::string cycles;
  for (size_t i = 0; i + 1 < out.size(); ++i) cycles += out[i] + "\n";
  writeText(dir.file("estimated.txt"), cycles);
  const test::CliResult self = test::runCli({"cycles", dir.file("a.mer"), "--score", dir.file("estimated.txt")});
  EXPECT_TRUE(std::regex_match(lines(self.out).back(),
                               std::regex(R"(# precision 1\.000 \((\d+)/\1\), recall 1\.000 \(\1/\1\), F1 1\.000)")))
      << self.out;
}

TEST(CyclesCli, RefusesWrongOptionsAndAnnotationsOfAnotherRecording) {
  test::TempDir dir;
  synth(dir, "a", "5");
  writeText(dir.file("late.txt"), "1 2\n70 72\n");
  EXPECT_EQ(test::runCli({"cycles", dir.file("a.mer"), "--score", dir.file("late.txt")}).exitCode, 1);
  EXPECT_EQ(test::runCli({"cycles", dir.file("a.mer"), "--channel", "3"}).exitCode, 1);
  EXPECT_EQ(test::runCli({"cycles", dir.file("a.mer"), "--parameters", "rise=-1"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"cycles", dir.file("a.mer"), dir.file("a.mer")}).exitCode, 2);
  const test::CliResult tuned = test::runCli({"cycles", dir.file("a.mer"), "--channel", "2", "--parameters", "rise=0.3,lag=0.1"});
  EXPECT_EQ(tuned.exitCode, 0) << tuned.err;
}

TEST(CracklesCli, ListsCracklesAndScoresCyclesOverSeveralFilesAsOneAfterAnother) {
  test::TempDir dir;
  synth(dir, "a", "3");
  synth(dir, "b", "5");
  const test::CliResult one = test::runCli({"crackles", dir.file("a.mer")});
  ASSERT_EQ(one.exitCode, 0) << one.err;
  const std::vector<std::string> rows = lines(one.out);
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0], "channel,time_s,segment,kind");
  for (size_t i = 1; i < rows.size(); ++i)
    EXPECT_TRUE(std::regex_match(rows[i], std::regex(R"([12],\d+\.\d{4},\d+,(fine|coarse))"))) << rows[i];

  const std::vector<std::string> both = {"crackles", dir.file("a.mer"), "--cycles", dir.file("a.txt"),
                                         dir.file("b.mer"), "--cycles", dir.file("b.txt")};
  std::vector<std::string> serial = both, parallel = both;
  serial.insert(serial.end(), {"--jobs", "1"});
  parallel.insert(parallel.end(), {"--jobs", "2"});
  const test::CliResult s = test::runCli(serial), p = test::runCli(parallel);
  ASSERT_EQ(s.exitCode, 0) << s.err;
  EXPECT_EQ(s.out, p.out);
  const std::vector<std::string> scored = lines(s.out);
  EXPECT_EQ(scored[0], "file,start_s,end_s,crackle_segments,detected,annotated");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(scored.back(), m,
                               std::regex(R"(# sensitivity (\d\.\d{4}) \(\d+/\d+\), specificity (\d\.\d{4}) \(\d+/\d+\), mean \d\.\d{4})")))
      << scored.back();
  EXPECT_GE(std::stod(m[1]), 0.4);  // lone crackles are passed over
  EXPECT_GE(std::stod(m[2]), 0.9);

  // Channel 2 alone lists only its own.
  const test::CliResult second = test::runCli({"crackles", dir.file("a.mer"), "--channel", "2"});
  for (const std::string& row : lines(second.out)) EXPECT_TRUE(row[0] == '2' || row[0] == 'c') << row;
}

TEST(CracklesCli, RefusesMismatchedAnnotationsAndUnknownParameters) {
  test::TempDir dir;
  synth(dir, "a", "3");
  EXPECT_EQ(test::runCli({"crackles", dir.file("a.mer"), dir.file("a.mer"), "--cycles", dir.file("a.txt")}).exitCode, 2);
  EXPECT_EQ(test::runCli({"crackles", dir.file("a.mer"), "--parameters", "loud=3"}).exitCode, 2);
  EXPECT_EQ(test::runCli({"crackles", dir.file("a.mer"), "--channel", "9"}).exitCode, 2);
  const test::CliResult missing = test::runCli({"crackles", dir.file("a.mer"), dir.file("none.mer"), "--jobs", "2"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.out.find("a.mer"), std::string::npos);
}
