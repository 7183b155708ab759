// vode-cli run as an ordinary user and under a file-size limit: what it may
// not write stays as it was, and a failed log leaves no half report.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "cli/CliRun.h"
#include "support/TestSupport.h"

using namespace vode;
namespace fs = std::filesystem;

namespace {

std::string textOf(const std::string& path) {
  const auto b = test::readBytes(path);
  return {b.begin(), b.end()};
}

const std::vector<std::string> AsNobody = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};

}  // namespace

TEST(FileSafetyCli, AnOrdinaryUserCannotReplaceAReadOnlyFile) {
  if (::geteuid() != 0 || ::access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "needs root and setpriv";
  test::TempDir dir;
  ::chmod(dir.path().c_str(), 0777);  // the folder would let a rename through
  const std::string in = dir.file("in.mer"), locked = dir.file("locked.wav"), shared = dir.file("shared.wav");
  ASSERT_EQ(test::runCli({"synth", in, "--seconds", "1"}).exitCode, 0);
  test::writeBytes(locked, {'o', 'l', 'd'});
  test::writeBytes(shared, {'o', 'l', 'd'});
  ::chmod(locked.c_str(), 0444);
  ::chmod(shared.c_str(), 0666);

  const auto refused = test::runCli({"convert", in, locked}, AsNobody);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("File access denied"), std::string::npos) << refused.err;
  EXPECT_EQ(textOf(locked), "old");

  // A file others may write is replaced and keeps its mode; nobody cannot
  // give it back to root, which is no failure.
  EXPECT_EQ(test::runCli({"convert", in, shared}, AsNobody).exitCode, 0);
  EXPECT_EQ(fs::status(shared).permissions(), fs::perms(0666));
  EXPECT_EQ(fs::file_size(shared), 44u + 10 * 2048 * 2);
  for (const auto& e : fs::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().string().find(".vode-tmp"), std::string::npos) << e.path();
}

TEST(FileSafetyCli, ALogAppendBeyondTheSizeLimitLeavesTheLogWhole) {
  if (::access("/usr/bin/prlimit", X_OK) != 0) GTEST_SKIP() << "needs prlimit";
  test::TempDir dir;
  const std::string in = dir.file("in.mer"), log = dir.file("log.txt");
  ASSERT_EQ(test::runCli({"synth", in, "--seconds", "20"}).exitCode, 0);
  ASSERT_EQ(test::runCli({"report", in, "-o", log, "--kind", "0"}).exitCode, 0);
  const std::string before = textOf(log);

  const std::string limit = "--fsize=" + std::to_string(before.size() + 100);
  const auto cut = test::runCli({"report", in, "-o", log, "--kind", "0", "--append"}, {"prlimit", limit});
  EXPECT_EQ(cut.exitCode, 1);
  EXPECT_NE(cut.err.find("Insufficient disk space"), std::string::npos) << cut.err;
  EXPECT_EQ(textOf(log), before);

  ASSERT_EQ(test::runCli({"report", in, "-o", log, "--kind", "0", "--append"}).exitCode, 0);
  EXPECT_EQ(textOf(log).find("+Log001", before.size()), before.size() + 4);
}
