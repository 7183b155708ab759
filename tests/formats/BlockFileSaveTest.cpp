// Saving never destroys the previous file.
#include <gtest/gtest.h>

#include "formats/BlockFile.h"
#include "formats/BlockTestDocs.h"
#include "formats/FileErrors.h"

using namespace vode;

namespace {

std::size_t entriesIn(const test::TempDir& dir) {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator{}));
}

}  // namespace

TEST(BlockFileSave, InjectedFailuresKeepTheOldFileAndLeaveNoTemporary) {
  using Fault = test::FaultyFileSystem::Fault;
  struct Case {
    Fault fault;
    int afterWrites;
    int code;
  };
  // Writes go out in 100000-byte pieces, so a later write fails mid-file.
  const Case cases[] = {{Fault::Create, 0, 5},  {Fault::Write, 0, 101}, {Fault::Write, 2, 160},
                        {Fault::Close, 0, 101}, {Fault::Rename, 0, 17}};
  for (const Case& c : cases) {
    test::TempDir dir;
    const std::string path = dir.file("keep.mer");
    const std::vector<uint8_t> old = {1, 2, 3, 4, 5};
    test::writeBytes(path, old);

    Document doc;
    test::fillDocument(doc, 40, 4);
    test::FaultyFileSystem fs;
    fs.fault = c.fault;
    fs.failAfterWrites = c.afterWrites;
    fs.code = c.code;
    test::ScriptedPrompter prompter;
    test::RecordingProgress progress;
    EXPECT_EQ(saveRecordingFile(doc, path, 0, 39, prompter, progress, fs), c.code);
    EXPECT_EQ(doc.state.ioError, c.code);
    EXPECT_TRUE(doc.state.modified);
    EXPECT_EQ(test::readBytes(path), old);
    EXPECT_EQ(entriesIn(dir), 1u);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter.messages[0].text, "Unable to save " + path + "... " + FileErrorText(c.code));
    EXPECT_EQ(progress.begins, 1);
    EXPECT_EQ(progress.ends, 1);
  }
}

TEST(BlockFileSave, SettingsSaveFailsTheSameWay) {
  test::TempDir dir;
  const std::string path = dir.file("MERO.SET");
  test::FaultyFileSystem fs;
  fs.fault = test::FaultyFileSystem::Fault::Close;
  fs.code = 160;
  Document doc;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  EXPECT_EQ(saveSettingsFile(doc, path, prompter, progress, fs), 160);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(entriesIn(dir), 0u);
  EXPECT_TRUE(prompter.saw("Unable to save " + path + "... Device write fault"));
  EXPECT_FALSE(doc.state.modified);  // only a recording save touches it
}

TEST(BlockFileSave, MissingFolderReportsThePlatformError) {
  test::TempDir dir;
  const std::string path = dir.file("no/such/folder/x.mer");
  Document doc;
  test::fillDocument(doc, 1, 1);
  test::ScriptedPrompter prompter;
  NullProgress progress;
  EXPECT_EQ(saveRecordingFile(doc, path, 0, 0, prompter, progress), 2);
  EXPECT_TRUE(prompter.saw("Unable to save " + path + "... File not found"));
  EXPECT_EQ(entriesIn(dir), 0u);
}

TEST(BlockFileSave, SuccessfulSaveReplacesTheFileAndGaugesTheWrite) {
  test::TempDir dir;
  const std::string path = dir.file("take.mer");
  test::writeBytes(path, std::vector<uint8_t>(10, 9));
  Document doc;
  test::fillDocument(doc, 40, 4);
  doc.state.modified = true;
  doc.state.fileVersion = 1;
  test::ScriptedPrompter prompter;
  test::RecordingProgress progress;
  ASSERT_EQ(saveRecordingFile(doc, path, 0, 39, prompter, progress), 0);
  const auto image = recordingFileImage(doc, 0, 39);
  EXPECT_EQ(test::readBytes(path), image);
  EXPECT_FALSE(doc.state.modified);
  EXPECT_EQ(doc.state.fileVersion, 2);
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(entriesIn(dir), 1u);
  EXPECT_EQ(progress.text, "Saving file...");
  EXPECT_EQ(progress.steps, recordingFileEstimate(doc, 0, 39) / 1000);
  EXPECT_EQ(progress.positions, (std::vector<int>{100, 200, 300}));
  EXPECT_EQ(progress.ends, 1);
}
