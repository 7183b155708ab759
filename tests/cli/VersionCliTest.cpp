// --version of both programs: the name and version, then the libraries they
// run with; exit 0, and no display needed.
#include <gtest/gtest.h>

#include <QtGlobal>
#include <regex>

#include "cli/CliRun.h"

TEST(Version, BothProgramsNameThemselvesAndTheirLibrariesWithoutADisplay) {
  const std::regex lines("R\\.E\\.Z\\.U\\. Vode 1\\.7\nQt ([0-9.]+)\nlibsndfile [0-9]+\\.[^\n]+\nlibsoxr [0-9]+\\.[^\n]+\n");
  for (const char* program : {VODE_CLI_PATH, VODE_PATH}) {
    const vode::test::CliResult r = vode::test::runProgram(
        {"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", program, "--version"});
    EXPECT_EQ(r.exitCode, 0) << program << "\n" << r.err;
    std::smatch qt;
    ASSERT_TRUE(std::regex_match(r.out, qt, lines)) << program << "\n" << r.out;
    EXPECT_EQ(qt[1], qVersion());
  }
}
