// --settings on the analysing commands: a settings file read before the
// recording, as the program reads its default settings.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/CliRun.h"
#include "formats/BlockFile.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(SettingsOption, ReferenceOfTheSettingsFileCarriesIntoTheReport) {
  VODE_NEEDS_TESTDATA();
  test::TempDir dir;
  Document settings;
  settings.preferences.dBReference = 1e-6f;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(saveSettingsFile(settings, dir.file("MERO.SET"), prompter, progress), 0);

  const std::string out = dir.file("r.txt");
  auto run = test::runCli({"report", test::testdata("resp1.mer"), "-o", out, "--kind", "0", "--settings",
                           dir.file("MERO.SET")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(readText(out).find("Power in dB, reference 1.000E-006\r\n"), std::string::npos);

  // An explicit reference still wins.
  run = test::runCli({"report", test::testdata("resp1.mer"), "-o", out, "--kind", "0", "--settings",
                      dir.file("MERO.SET"), "--db-reference", "1e-8"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(readText(out).find("Power in dB, reference 1.000E-008\r\n"), std::string::npos);
}

TEST(SettingsOption, RecordingOrMissingFileIsRefused) {
  VODE_NEEDS_TESTDATA();
  test::TempDir dir;
  auto run = test::runCli({"analyze", test::testdata("resp1.mer"), "--settings", test::testdata("flow2_tagged.mer")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("holds a recording"), std::string::npos);

  run = test::runCli({"wheeze", test::testdata("resp1.mer"), "--settings", dir.file("missing.set")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("Unable to open " + dir.file("missing.set") + "... File not found"), std::string::npos);
}
