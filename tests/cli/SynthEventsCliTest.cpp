#include <gtest/gtest.h>

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

}  // namespace

TEST(SynthCli, EventsArePrintedOnlyWhenAsked) {
  test::TempDir dir;
  const test::CliResult plain = test::runCli({"synth", dir.file("plain.mer"), "--seconds", "12"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(plain.out, "");

  const test::CliResult r =
      test::runCli({"synth", dir.file("events.mer"), "--seconds", "12", "--wheezes", "--crackles"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> rows = lines(r.out);
  ASSERT_GE(rows.size(), 4u);
  EXPECT_EQ(rows[0], "event,start_s,end_s,phase,start_hz,end_hz");
  int wheezes = 0, crackles = 0;
  for (size_t i = 1; i < rows.size(); ++i) {
    std::istringstream row(rows[i]);
    std::string kind, start, end, phase, startHz, endHz;
    std::getline(row, kind, ',');
    std::getline(row, start, ',');
    std::getline(row, end, ',');
    std::getline(row, phase, ',');
    std::getline(row, startHz, ',');
    std::getline(row, endHz, ',');
    EXPECT_TRUE(phase == "inspiration" || phase == "expiration") << rows[i];
    EXPECT_LT(std::stod(start), std::stod(end)) << rows[i];
    EXPECT_LE(std::stod(end), 12.0);
    wheezes += kind == "wheeze";
    crackles += kind == "crackle";
  }
  EXPECT_GE(wheezes, 2);
  EXPECT_GE(crackles, 1);
  EXPECT_NE(test::readBytes(dir.file("plain.mer")), test::readBytes(dir.file("events.mer")));
}
