#include <gtest/gtest.h>

#include <cstdlib>

#include "formats/BlockFile.h"
#include "formats/BlockTestDocs.h"
#include "formats/RecentFiles.h"
#include "formats/SettingsFiles.h"

using namespace vode;

namespace {

std::string settingsPath(const test::TempDir& dir) { return dir.file("MERO.SET"); }

}  // namespace

TEST(SettingsFiles, SaveWritesTheSettingsOnlyWithoutARecording) {
  test::TempDir dir;
  Document doc;
  test::fillRecords(doc);
  test::ScriptedPrompter prompter;
  NullProgress progress;
  doc.recording = std::make_unique<Recording>(Recording::create(1, 1));
  doc.state.ioError = 7;
  EXPECT_EQ(saveSettings(doc, dir.path().string(), prompter, progress), 0);
  EXPECT_FALSE(std::filesystem::exists(settingsPath(dir)));
  EXPECT_EQ(doc.state.ioError, 7);

  doc.recording.reset();
  EXPECT_EQ(saveSettings(doc, dir.path().string(), prompter, progress), 0);
  EXPECT_EQ(doc.state.ioError, 0);
  EXPECT_EQ(test::readBytes(settingsPath(dir)), settingsFileImage(doc));
}

TEST(SettingsFiles, SettingsChangedMarksARecordingOrRewritesTheFile) {
  test::TempDir dir;
  const std::string folder = dir.path().string() + "/";
  test::ScriptedPrompter prompter;
  NullProgress progress;
  Document doc;
  doc.recording = std::make_unique<Recording>(Recording::create(1, 1));
  doc.laboratory.name = "With recording";
  settingsChanged(doc, folder, prompter, progress);
  EXPECT_TRUE(doc.state.modified);
  EXPECT_FALSE(std::filesystem::exists(settingsPath(dir)));

  Document empty;
  empty.laboratory.name = "New lab";
  settingsChanged(empty, folder, prompter, progress);
  EXPECT_FALSE(empty.state.modified);
  Document loaded;
  ASSERT_EQ(loadDefaultSettings(loaded, folder, prompter, progress), 0);
  EXPECT_EQ(loaded.laboratory.name.str(), "New lab");
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(SettingsFiles, LoadDefaultsKeepsIoErrorAndWarnsWhenMissingOrDamaged) {
  test::TempDir dir;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  Document doc;
  test::fillRecords(doc);
  doc.state.ioError = 154;
  EXPECT_EQ(loadDefaultSettings(doc, dir.path().string(), prompter, progress), 2);
  EXPECT_EQ(doc.state.ioError, 154);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Unable to load default settings");
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_TRUE(doc.laboratory.name.empty());
  EXPECT_EQ(doc.preferences.waveformTime, 2);

  Document source;
  test::fillRecords(source);
  auto bytes = settingsFileImage(source);
  bytes[bytes.size() - 30] ^= 1;  // inside the analysis parameters
  test::writeBytes(settingsPath(dir), bytes);
  Document damaged;
  EXPECT_EQ(loadDefaultSettings(damaged, dir.path().string(), prompter, progress), 154);
  EXPECT_EQ(damaged.state.ioError, 0);
  EXPECT_TRUE(damaged.laboratory.name.empty());
  EXPECT_EQ(prompter.messages.size(), 2u);
}

TEST(SettingsFiles, ConfigFolderFollowsXdgConfigHome) {
  test::TempDir dir;
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  bool created = false;
  const std::string folder = defaultConfigFolder(&created);
  EXPECT_EQ(folder, dir.path().string() + "/rezu-vode/");
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_TRUE(created);  // a first start
  defaultConfigFolder(&created);
  EXPECT_FALSE(created);
  // A relative value is ignored.
  setenv("XDG_CONFIG_HOME", "relative", 1);
  EXPECT_NE(defaultConfigFolder().find("/.config/rezu-vode/"), std::string::npos);
  if (old)
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(configFilePath("/a/b", "MERO.SET"), "/a/b/MERO.SET");
  EXPECT_EQ(configFilePath("/a/b/", "MERO.SET"), "/a/b/MERO.SET");
}

TEST(RecentFiles, AddMovesAPathToTheTopIgnoringCase) {
  RecentFiles list;
  list.add("/data/One.mer");
  list.add("/data/two.mer");
  list.add("/DATA/ONE.MER");
  EXPECT_EQ(list.entries(), (std::vector<std::string>{"/DATA/ONE.MER", "/data/two.mer"}));
  list.add("/data/two.mer");
  EXPECT_EQ(list.entries(), (std::vector<std::string>{"/data/two.mer", "/DATA/ONE.MER"}));
}

TEST(RecentFiles, ATenthFilePushesTheOldestOut) {
  RecentFiles list;
  for (int i = 1; i <= 10; ++i) list.add("/f" + std::to_string(i) + ".mer");
  ASSERT_EQ(list.entries().size(), 9u);
  EXPECT_EQ(list.entries().front(), "/f10.mer");
  EXPECT_EQ(list.entries().back(), "/f2.mer");
  EXPECT_EQ(RecentFiles::slotCaption(1, "/f10.mer"), "&1 /f10.mer");
}

TEST(RecentFiles, SaveAndLoadDropMissingFilesAndTrim) {
  test::TempDir dir;
  const std::string folder = dir.path().string();
  RecentFiles missing;
  missing.load(folder);
  EXPECT_TRUE(missing.empty());

  for (const char* name : {"r0.mer", "r1.mer", "r2.mer", "r3.mer"}) test::writeBytes(dir.file(name), {1});
  RecentFiles list;
  list.add(dir.file("r0.mer"));
  list.add(dir.file("gone.mer"));
  list.add(dir.file("r1.mer"));
  ASSERT_EQ(list.save(folder), 0);
  const auto bytes = test::readBytes(dir.file("MERO.INI"));
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text, dir.file("r1.mer") + "\r\n" + dir.file("gone.mer") + "\r\n" + dir.file("r0.mer") + "\r\n");

  RecentFiles back;
  back.load(folder);
  EXPECT_EQ(back.entries(), (std::vector<std::string>{dir.file("r1.mer"), dir.file("r0.mer")}));

  // Bare LF lines, a blank line, more entries than slots.
  std::string lines = dir.file("r3.mer");
  lines.append("\n\n").append(dir.file("r2.mer")).append("\r\n").append(dir.file("r1.mer"));
  test::writeBytes(dir.file("MERO.INI"), std::vector<uint8_t>(lines.begin(), lines.end()));
  RecentFiles two(2);
  two.load(folder);
  EXPECT_EQ(two.entries(), (std::vector<std::string>{dir.file("r3.mer"), dir.file("r2.mer")}));
  // Lone CR line ends.
  lines = dir.file("r2.mer") + "\r" + dir.file("r0.mer") + "\r";
  test::writeBytes(dir.file("MERO.INI"), std::vector<uint8_t>(lines.begin(), lines.end()));
  RecentFiles mac;
  mac.load(folder);
  EXPECT_EQ(mac.entries(), (std::vector<std::string>{dir.file("r2.mer"), dir.file("r0.mer")}));
  EXPECT_EQ(parentDirectory(two.entries()[0]), folder);
  EXPECT_EQ(parentDirectory("/x.mer"), "/");
  EXPECT_EQ(parentDirectory("x.mer"), "");
}

TEST(RecentFiles, FailedSaveKeepsTheOldList) {
  test::TempDir dir;
  test::writeBytes(dir.file("MERO.INI"), {'a', '\r', '\n'});
  test::FaultyFileSystem fs;
  fs.fault = test::FaultyFileSystem::Fault::Write;
  RecentFiles list;
  list.add("/b.mer");
  EXPECT_EQ(list.save(dir.path().string(), fs), 101);
  EXPECT_EQ(test::readBytes(dir.file("MERO.INI")), (std::vector<uint8_t>{'a', '\r', '\n'}));
}
