#include <gtest/gtest.h>

#include "formats/Bin.h"
#include "formats/BlockFile.h"
#include "formats/DosDat.h"
#include "formats/FileErrors.h"
#include "formats/OpenFile.h"
#include "formats/Wav.h"
#include "document/Document.h"
#include "document/OpenDocument.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

struct OpenFileTest : ::testing::Test {
  test::TempDir dir;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  Document source;

  void SetUp() override {
    source.recording = std::make_unique<Recording>(test::makeRecording(3, 2));
    // A DC offset on channel 1 that opening removes.
    for (int16_t& v : source.recording->sound[0]) v = static_cast<int16_t>(v + 500);
    source.channelSetup.channelNames[0] = "TRA";
    source.subject.lastName = "Horvat";
  }
};

}  // namespace

TEST_F(OpenFileTest, ExtensionOfTheFileNamePart) {
  EXPECT_EQ(upperExtension("rec.wav"), ".WAV");
  EXPECT_EQ(upperExtension("/data/rec.old.Dat"), ".DAT");
  EXPECT_EQ(upperExtension("/data.d/rec"), "");
  EXPECT_EQ(upperExtension("rec."), ".");
  EXPECT_EQ(upperExtension("noext"), "");
}

TEST_F(OpenFileTest, EveryFormatIsWrittenAndReadByItsExtension) {
  for (const char* name : {"a.mer", "b.BIN", "c.Wav", "d.dat", "e.rec"}) {
    const std::string path = dir.file(name);
    ASSERT_EQ(saveByExtension(source, path, prompter, progress), 0) << name;
    Document doc;
    ASSERT_EQ(readByExtension(doc, path, prompter, progress), 0) << name;
    ASSERT_TRUE(doc.recording) << name;
    EXPECT_EQ(doc.recording->channelCount, 2) << name;
    EXPECT_EQ(doc.recording->segmentCount, 3) << name;
    const std::string ext = upperExtension(path);
    if (ext == ".DAT") {
      EXPECT_EQ(doc.recording->sound[1][9], ((source.recording->sound[1][9] + 32768) / 16 - 2048) * 16);
    } else {
      EXPECT_EQ(doc.recording->sound[0], source.recording->sound[0]) << name;
    }
    // Only the WAV file leaves the flow behind.
    EXPECT_EQ(doc.recording->flow[7] != 0, ext != ".WAV") << name;
    EXPECT_EQ(doc.channelSetup.channelNames[0].str(), ext == ".WAV" ? "" : "TRA") << name;
  }
  EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(OpenFileTest, OpeningPreparesTheRecordingAndKeepsTheProgramsPreferences) {
  source.preferences.flowDisplay = 1;
  source.preferences.dBReference = 1e-3f;
  source.preferences.frequency = 2;
  const std::string path = dir.file("rec.mer");
  ASSERT_EQ(saveByExtension(source, path, prompter, progress), 0);

  Document doc;
  doc.preferences.flowDisplay = 2;
  doc.preferences.dBReference = 1e-6f;
  doc.state.modified = true;
  ASSERT_EQ(openPath(doc, path, prompter, progress), 0);
  EXPECT_EQ(doc.state.currentFileName, path);
  EXPECT_FALSE(doc.state.modified);
  EXPECT_EQ(doc.preferences.flowDisplay, 2);
  EXPECT_EQ(doc.preferences.dBReference, 1e-6f);
  EXPECT_EQ(doc.preferences.frequency, 2);  // from the file
  EXPECT_EQ(doc.preferences.analyseOnOpen, 1);
  EXPECT_EQ(channelStats(doc.recording->sound[0]).mean, 0);
  EXPECT_EQ(doc.peakAmplitude, doc.recording->peakAmplitude());
  EXPECT_EQ(doc.recording->volume.size(), doc.recording->flow.size());
  EXPECT_GT(doc.recording->peakVolume, 0);
}

TEST_F(OpenFileTest, FailedOpenWarnsAndEmptiesTheDocument) {
  Document doc;
  doc.recording = std::make_unique<Recording>(test::makeRecording(1, 1));
  const std::string missing = dir.file("missing.wav");
  EXPECT_EQ(openPath(doc, missing, prompter, progress), 2);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(prompter.messages[0].text, "Unable to open " + missing + "... File not found");
  EXPECT_FALSE(doc.recording);
  EXPECT_EQ(doc.state.currentFileName, "");
  EXPECT_EQ(doc.state.ioError, 2);
  EXPECT_EQ(doc.preferences.analyseOnOpen, 1);

  // A format failure: the format's own message, then the open warning.
  const std::string bad = dir.file("bad.wav");
  test::writeBytes(bad, std::vector<uint8_t>(64, 'x'));
  prompter.messages.clear();
  EXPECT_EQ(openPath(doc, bad, prompter, progress), ErrFormat);
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].text, "RIFF not found");
  EXPECT_EQ(prompter.messages[1].text, "Unable to open " + bad + "... Invalid file format");
}

TEST_F(OpenFileTest, FailedSaveWarnsAndKeepsThePreviousFile) {
  for (const char* name : {"x.bin", "x.wav", "x.dat"}) {
    const std::string path = dir.file(name);
    test::writeBytes(path, {1, 2, 3});
    test::FaultyFileSystem fs;
    fs.fault = test::FaultyFileSystem::Fault::Write;
    prompter.messages.clear();
    EXPECT_EQ(saveByExtension(source, path, prompter, progress, fs), ErrShortWrite) << name;
    ASSERT_EQ(prompter.messages.size(), 1u) << name;
    EXPECT_EQ(prompter.messages[0].text, "Unable to save " + path + "... Insufficient disk space");
    EXPECT_EQ(test::readBytes(path), (std::vector<uint8_t>{1, 2, 3})) << name;
  }

  source.recording = std::make_unique<Recording>(test::makeRecording(1, 8));
  prompter.messages.clear();
  EXPECT_EQ(saveByExtension(source, dir.file("wide.bin"), prompter, progress), ErrFormat);
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[1].text, "Unable to save " + dir.file("wide.bin") + "... Invalid file format");
}
