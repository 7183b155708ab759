#include "formats/WindowSizeFile.h"
#include "formats/PlaybackOptionFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

using namespace vode;

TEST(WindowSizeFile, ReadsWhatEarlierVersionsWroteAndRefusesTheRest) {
  test::TempDir dir;
  const std::string folder = dir.path().string(), path = dir.file("window.ini");
  const auto write = [&](const std::string& text) { test::writeBytes(path, {text.begin(), text.end()}); };
  write("[General]\nclientSize=@Size(1 1)\n\n[Window]\r\nclientSize=@Size(948 666)\r\nmaximized=true\r\n");
  const KeptWindowSize kept = loadWindowSize(folder);
  EXPECT_EQ(kept.width, 948);
  EXPECT_EQ(kept.height, 666);
  EXPECT_TRUE(kept.maximized);
  ASSERT_EQ(saveWindowSize(folder, {1264, 888, false}), 0);
  const auto saved = test::readBytes(path);
  EXPECT_EQ(std::string(saved.begin(), saved.end()), "[Window]\nclientSize=@Size(1264 888)\nmaximized=false\n");

  for (const std::string size : {"-5 700", "900 7000000", "900 99999999999999999999", "900 700", "900x700"}) {
    write("[Window]\nclientSize=@Size(" + size + (size == "900 700" ? "\n" : ")\n"));
    EXPECT_FALSE(loadWindowSize(folder).hasSize()) << size;
  }
  write("[Window]\nclientSize=@Size(32767 700)\n");
  EXPECT_EQ(loadWindowSize(folder).width, MaxWindowSide);
  EXPECT_EQ(loadWindowSize(folder).height, 700);
  // Longer than any size file: not read at all, even when it starts well.
  write("[Window]\nclientSize=@Size(948 666)\n" + std::string(8192, ';'));
  EXPECT_FALSE(loadWindowSize(folder).hasSize());
  std::filesystem::remove(path);
  std::filesystem::create_symlink("/dev/zero", path);
  EXPECT_FALSE(loadWindowSize(folder).hasSize());
}

TEST(PlaybackOptionFile, KeepsTheChoiceAndPlaysUnlessToldNotTo) {
  test::TempDir dir;
  const std::string folder = dir.path().string();
  EXPECT_TRUE(loadPlayAfterOpening(folder));
  ASSERT_EQ(savePlayAfterOpening(folder, false), 0);
  EXPECT_FALSE(loadPlayAfterOpening(folder));
  ASSERT_EQ(savePlayAfterOpening(folder, true), 0);
  EXPECT_TRUE(loadPlayAfterOpening(folder));
  // Another section's line, or a file far too long to be ours, is not the choice.
  const std::string other = "[Window]\nafterOpening=false\n";
  test::writeBytes(dir.file("playback.ini"), {other.begin(), other.end()});
  EXPECT_TRUE(loadPlayAfterOpening(folder));
  const std::string longer = "[Playback]\r\nafterOpening=false\r\n" + std::string(4000, '#');
  test::writeBytes(dir.file("playback.ini"), {longer.begin(), longer.end()});
  EXPECT_TRUE(loadPlayAfterOpening(folder));
}
