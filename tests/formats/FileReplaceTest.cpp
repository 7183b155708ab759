// Saves that replace a file keep what the user set on it, and reads that stay
// within their limits whatever the path turns out to be.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "formats/BlockFile.h"
#include "formats/Bin.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "formats/RecentFiles.h"
#include "support/TestSupport.h"

using namespace vode;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

std::string textOf(const std::string& path) {
  const auto b = test::readBytes(path);
  return {b.begin(), b.end()};
}

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A process id that no longer runs: a child that has been waited for.
long deadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

}  // namespace

TEST(FileReplace, KeepsTheModeAndWritesThroughLinks) {
  test::TempDir dir;
  const std::string real = dir.file("private.mer");
  test::writeBytes(real, bytesOf("old"));
  ::chmod(real.c_str(), 0600);
  ASSERT_EQ(writeFileAtomically(FileSystem::real(), real, bytesOf("new")), 0);
  EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  // Through a relative link in another folder: the link stays a link.
  fs::create_directory(dir.path() / "links");
  const std::string link = dir.file("links/current.mer");
  fs::create_symlink("../private.mer", link);
  ASSERT_EQ(writeFileAtomically(FileSystem::real(), link, bytesOf("newer")), 0);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(textOf(real), "newer");
  EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  // A dangling link makes the file it names.
  fs::create_symlink("later.mer", dir.file("pending.mer"));
  ASSERT_EQ(writeFileAtomically(FileSystem::real(), dir.file("pending.mer"), bytesOf("x")), 0);
  EXPECT_EQ(textOf(dir.file("later.mer")), "x");
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"later.mer", "links", "pending.mer", "private.mer"}));
  EXPECT_EQ(namesIn(dir.path() / "links"), std::vector<std::string>{"current.mer"});
}

TEST(FileReplace, RefusesAFileTheUserMayNotWrite) {
  test::TempDir dir;
  const std::string path = dir.file("locked.wav");
  test::writeBytes(path, bytesOf("old"));
  test::FaultyFileSystem denying;
  denying.fault = test::FaultyFileSystem::Fault::Access;
  denying.code = 5;
  EXPECT_EQ(writeFileAtomically(denying, path, bytesOf("new")), 5);
  EXPECT_EQ(textOf(path), "old");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"locked.wav"});
  // Only an existing file is asked about: a new one is the folder's business.
  EXPECT_EQ(writeFileAtomically(denying, dir.file("new.wav"), bytesOf("new")), 0);
  // A folder in the way is refused before anything is written.
  fs::create_directory(dir.path() / "taken");
  EXPECT_EQ(writeFileAtomically(FileSystem::real(), dir.file("taken"), bytesOf("x")), ErrIsFolder);
}

TEST(FileReplace, WritesIntoADeviceInPlace) {
  ASSERT_EQ(writeFileAtomically(FileSystem::real(), "/dev/null", bytesOf("gone")), 0);
  struct stat st {};
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(FileReplace, RemovesTemporaryFilesOfKilledSaves) {
  test::TempDir dir;
  const std::string target = dir.file("a.mer");
  const long dead = deadPid();
  const std::string stale = temporaryFileName(target, dead, "k3Xq9ZpA");
  const std::string running = temporaryFileName(target, 1, "AAAAAAAA");  // init never ends
  const std::string otherTarget = temporaryFileName(dir.file("b.mer"), dead, "BBBBBBBB");
  EXPECT_EQ(fs::path(stale).filename().string(), ".a.mer.vode-tmp-" + std::to_string(dead) + "-k3Xq9ZpA");
  for (const auto& p : {stale, running, otherTarget}) test::writeBytes(p, bytesOf("partial"));

  ASSERT_EQ(writeFileAtomically(FileSystem::real(), target, bytesOf("whole")), 0);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(running));
  EXPECT_TRUE(fs::exists(otherTarget));
  EXPECT_EQ(textOf(target), "whole");
}

TEST(FileReplace, WhatOthersLeaveUnderTemporaryNamesIsNeverOpenedNorRemoved) {
  test::TempDir dir;
  const std::string victim = dir.file("victim"), target = dir.file("a.mer");
  test::writeBytes(victim, bytesOf("kept"));
  fs::create_symlink(victim, dir.file("planted"));
  fs::create_symlink(dir.file("later"), dir.file("dangling"));
  for (const char* name : {"planted", "dangling"}) {
    int code = 0;
    EXPECT_EQ(FileSystem::real().create(dir.file(name), CreateMode::New, code), nullptr);
    EXPECT_EQ(code, ErrNameTaken);
  }
  EXPECT_FALSE(fs::exists(dir.file("later")));

  // Named as a killed save's leftovers: a link and a folder stay.
  const long dead = deadPid();
  fs::create_symlink(victim, temporaryFileName(target, dead, "CCCCCCCC"));
  fs::create_directory(temporaryFileName(target, dead, "DDDDDDDD"));
  ASSERT_EQ(writeFileAtomically(FileSystem::real(), target, bytesOf("new")), 0);
  EXPECT_TRUE(fs::is_symlink(temporaryFileName(target, dead, "CCCCCCCC")));
  EXPECT_TRUE(fs::is_directory(temporaryFileName(target, dead, "DDDDDDDD")));
  EXPECT_EQ(textOf(victim), "kept");
  EXPECT_EQ(textOf(target), "new");
}

TEST(FileReplace, TerminationDuringASaveRemovesItsTemporaryFile) {
  test::TempDir dir;
  const std::string target = dir.file("r.mer");
  const pid_t child = ::fork();
  if (child == 0) {
    installSaveSignalHandlers();
    writeFileAtomically(FileSystem::real(), target, [](OutputFile& out) {
      out.write("half", 4);
      ::kill(::getpid(), SIGTERM);
      return 0;
    });
    ::_exit(0);  // not reached: the signal ends the process
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_TRUE(namesIn(dir.path()).empty());
}

TEST(BoundedRead, DevicesAndPipesStayWithinTheLimit) {
  test::TempDir dir;
  // /dev/zero as the recent list and as a recording: refused, nothing read.
  fs::create_symlink("/dev/zero", dir.file("MERO.INI"));
  RecentFiles list;
  list.load(dir.path().string());
  EXPECT_TRUE(list.entries().empty());
  fs::create_symlink("/dev/zero", dir.file("zero.mer"));
  Document doc;
  SilentPrompter silent;
  NullProgress progress;
  EXPECT_EQ(loadBlockFile(doc, dir.file("zero.mer"), silent, progress), 5);

  // A pipe that goes on is cut off one byte past the limit. Held open for
  // writing here, it has more to come for as long as the test runs.
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  static const char block[4096] = {};
  ASSERT_EQ(::write(writer, block, sizeof block), static_cast<ssize_t>(sizeof block));
  std::vector<uint8_t> bytes;
  EXPECT_EQ(readBoundedFile(FileSystem::real(), fifo, 1000, bytes), ErrTooLarge);
  EXPECT_TRUE(bytes.empty());
  ::close(writer);
}

TEST(BoundedRead, LargeFilesAreRefusedBeforeTheyAreRead) {
  test::TempDir dir;
  test::FaultyFileSystem counting;
  Document doc;
  SilentPrompter silent;
  NullProgress progress;
  // Sparse: no disk space, but the size a hostile file would have.
  const std::string bin = dir.file("huge.bin");
  test::writeBytes(bin, {});
  fs::resize_file(bin, MaxImportFileBytes + 1);
  EXPECT_EQ(importBin(doc, bin, silent, progress, counting), ErrTooLarge);
  EXPECT_EQ(counting.largestRead, 0u);

  // A block file's magic is looked at before the rest.
  const std::string mer = dir.file("other.mer");
  test::writeBytes(mer, bytesOf("RIFF"));
  fs::resize_file(mer, 64 << 20);
  EXPECT_EQ(loadBlockFile(doc, mer, silent, progress, counting), ErrFormat);
  EXPECT_EQ(counting.largestRead, 4u);
}
