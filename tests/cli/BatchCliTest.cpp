// Several inputs with --jobs: the same bytes as one file after another, a
// failed file among good ones, and outputs that would collide.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "cli/CliSupport.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every file of a folder by name, with its bytes.
std::vector<std::pair<std::string, std::string>> folderContents(const std::string& folder) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files.emplace_back(entry.path().filename().string(), slurp(entry.path().string()));
  std::sort(files.begin(), files.end());
  return files;
}

// Five short recordings (one on a respiration band) and, third, a file that
// is not a recording.
class Batch : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 5; ++i) {
      const std::string path = dir_.file("rec" + std::to_string(i) + ".mer");
      std::vector<std::string> args = {"synth", path, "--seconds", "8", "--seed", std::to_string(i), "--wheezes"};
      if (i == 4) args.push_back("--resp");
      ASSERT_EQ(test::runCli(args).exitCode, 0);
      inputs_.push_back(path);
    }
    const std::string broken = dir_.file("broken.mer");
    std::ofstream(broken) << "not a recording";
    inputs_.insert(inputs_.begin() + 2, broken);
  }

  test::CliResult run(std::vector<std::string> args, int jobs) {
    args.insert(args.begin() + 1, inputs_.begin(), inputs_.end());
    args.push_back("--jobs");
    args.push_back(std::to_string(jobs));
    return test::runCli(args);
  }

  test::TempDir dir_;
  std::vector<std::string> inputs_;
};

}  // namespace

TEST_F(Batch, ReportsAndPicturesMatchASequentialRunByteForByte) {
  const test::CliResult one = run({"report", "-o", dir_.file("one"), "--kind", "all", "--wheeze"}, 1);
  const test::CliResult three = run({"report", "-o", dir_.file("three"), "--kind", "all", "--wheeze"}, 3);
  EXPECT_EQ(one.exitCode, 1);
  EXPECT_EQ(three.exitCode, 1);
  EXPECT_EQ(three.err, one.err);
  const auto reports = folderContents(dir_.file("one"));
  ASSERT_EQ(reports.size(), 5u);  // the broken file wrote nothing
  EXPECT_EQ(reports[0].first, "rec1.kind4.txt");
  EXPECT_EQ(folderContents(dir_.file("three")), reports);

  const test::CliResult pictures1 = run({"sonogram", "-o", dir_.file("p1"), "--channel", "2"}, 1);
  const test::CliResult pictures2 = run({"sonogram", "-o", dir_.file("p2"), "--channel", "2"}, 2);
  EXPECT_EQ(pictures2.exitCode, 1);
  EXPECT_EQ(pictures2.err, pictures1.err);
  const auto pictures = folderContents(dir_.file("p1"));
  ASSERT_EQ(pictures.size(), 5u);
  EXPECT_EQ(pictures[4].first, "rec5.png");
  EXPECT_EQ(folderContents(dir_.file("p2")), pictures);
}

TEST_F(Batch, PrintedResultsAndMessagesKeepTheInputOrder) {
  const test::CliResult one = run({"wheeze"}, 1), four = run({"wheeze"}, 4);
  EXPECT_EQ(four.exitCode, 1);
  EXPECT_EQ(four.out, one.out);
  EXPECT_EQ(four.err, one.err);
  EXPECT_EQ(four.out.rfind("file,channel,first_segment,", 0), 0u);
  EXPECT_NE(four.out.find("\n" + inputs_[5] + ",2,"), std::string::npos) << four.out;
  // Each file's message in its place, the broken one third, then the count.
  const std::string done = "Wheeze analysis completed\n";
  EXPECT_EQ(four.err, done + done + "Unable to open " + inputs_[2] + "... Invalid file format\n" + done + done + done +
                          "6 files, 1 failed\n");

  // analyze: one object per line in input order, each naming its file; only
  // the timings may differ between runs.
  const std::regex timings("\"timingsMs\":\\{[^}]*\\}");
  const test::CliResult a1 = run({"analyze", "--wheeze"}, 1), a3 = run({"analyze", "--wheeze"}, 3);
  EXPECT_EQ(a3.exitCode, 1);
  EXPECT_EQ(std::regex_replace(a3.out, timings, ""), std::regex_replace(a1.out, timings, ""));
  std::istringstream lines(a3.out);
  std::vector<std::string> files;
  for (std::string line; std::getline(lines, line);) {
    test::JsonValue json;
    std::string error;
    ASSERT_TRUE(test::parseJson(line, json, error)) << error;
    EXPECT_EQ(json.keys().front(), "file");
    files.push_back(json["file"].text);
  }
  EXPECT_EQ(files, std::vector<std::string>({inputs_[0], inputs_[1], inputs_[3], inputs_[4], inputs_[5]}));
}

TEST_F(Batch, RefusesTwoInputsWritingOneFile) {
  std::filesystem::create_directory(dir_.file("sub"));
  const std::string twin = dir_.file("sub/rec1.mer");
  std::filesystem::copy_file(inputs_[0], twin);
  const test::CliResult r =
      test::runCli({"sonogram", inputs_[0], inputs_[1], twin, "-o", dir_.file("pics")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find(inputs_[0] + " and " + twin + " would both write"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir_.file("pics")));
  EXPECT_EQ(test::runCli({"report", inputs_[0], "-o", dir_.file("x.txt"), "--kind", "0", "--jobs", "x"}).exitCode, 2);
}

// On a terminal (script(1) gives the run one) a progress line stands below
// the messages and is cleared before the final count.
TEST_F(Batch, ShowsProgressOnlyOnATerminal) {
  std::string command = std::string("'") + VODE_CLI_PATH + "' analyze --jobs 2";
  for (const std::string& input : inputs_) command += " '" + input + "'";
  const test::CliResult r = test::runProgram({"/usr/bin/script", "-qec", command + " >/dev/null", "/dev/null"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out.rfind("0/6 files, 0 failed", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("\r\033[K6 files, 1 failed\r\n"), std::string::npos) << r.out;
  EXPECT_EQ(run({"analyze"}, 2).err.find("/6 files"), std::string::npos);
}

TEST(BatchJson, FileNamesKeepTheirUtf8) {
  // Another byte, a lone continuation or a cut sequence cannot pass as text.
  std::ostringstream out;
  cli::Json(out).beginObject().path("file", "M\xc3\xbcller/\xe2\x82\xac\xff\x80\xe2\x82.mer\"").endObject();
  EXPECT_EQ(out.str(), "{\"file\":\"M\xc3\xbcller/\xe2\x82\xac\\udcff\\udc80\\udce2\\udc82.mer\\\"\"}");
}
