#include "formats/WindowSizeFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

using namespace vode;

namespace {

void writeText(const std::string& path, const std::string& text) { test::writeBytes(path, {text.begin(), text.end()}); }

}  // namespace

TEST(WindowSizeFile, ReadsWhatEarlierVersionsWroteAndWritesItBack) {
  test::TempDir dir;
  const std::string folder = dir.path().string();
  writeText(dir.file("window.ini"), "[General]\nclientSize=@Size(1 1)\n\n[Window]\r\nclientSize=@Size(948 666)\r\n"
                                     "maximized=true\r\n");
  KeptWindowSize kept = loadWindowSize(folder);
  EXPECT_EQ(kept.width, 948);
  EXPECT_EQ(kept.height, 666);
  EXPECT_TRUE(kept.maximized);

  kept = {1264, 888, false};
  ASSERT_EQ(saveWindowSize(folder, kept), 0);
  const auto bytes = test::readBytes(dir.file("window.ini"));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "[Window]\nclientSize=@Size(1264 888)\nmaximized=false\n");
}

TEST(WindowSizeFile, DamagedOrForeignFilesGiveNoSize) {
  test::TempDir dir;
  const std::string folder = dir.path().string();
  for (const char* text : {"[Window]\nclientSize=@Size(-5 700)\n", "[Window]\nclientSize=@Size(900 7000000)\n",
                           "[Window]\nclientSize=@Size(900 99999999999999999999)\n",
                           "[Window]\nclientSize=@Size(900 700\n", "[Window]\nclientSize=900x700\n"}) {
    writeText(dir.file("window.ini"), text);
    EXPECT_FALSE(loadWindowSize(folder).hasSize()) << text;
  }
  // Longer than any size file: not read at all, even when it starts well.
  writeText(dir.file("window.ini"), "[Window]\nclientSize=@Size(948 666)\n" + std::string(8192, ';'));
  EXPECT_FALSE(loadWindowSize(folder).hasSize());
  std::filesystem::remove(dir.file("window.ini"));
  std::filesystem::create_symlink("/dev/zero", dir.file("window.ini"));
  EXPECT_FALSE(loadWindowSize(folder).hasSize());
}
