// Recordings from other equipment in the window: any sound file opens as
// vode-cli convert --resample imports it, the status bar says what was done
// and that there is no breath signal, a failed open keeps the recording, and
// a file dropped onto the window opens.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

#include "analysis/PhaseMarks.h"
#include "document/OpenDocument.h"
#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

namespace {

std::string soundFile(const TempDir& dir, const std::string& name, int format, int rate, int channels,
                      double seconds) {
  const std::string path = dir.file(name);
  EXPECT_TRUE(writeSoundFile(path, format, rate, channels, static_cast<int>(seconds * rate)));
  return path;
}

// What vode-cli convert --resample makes of path, opened as any recording
// file is, and what the conversion says on stderr.
Document converted(const std::string& path, std::string& warnings) {
  const QString mer = QString::fromStdString(path) + ".mer";
  QProcess cli;
  cli.start(VODE_CLI_PATH, {"convert", "--resample", QString::fromStdString(path), mer});
  EXPECT_TRUE(cli.waitForFinished(60000));
  EXPECT_EQ(cli.exitCode(), 0);
  warnings = cli.readAllStandardError().toStdString();
  Document doc;
  SilentPrompter quiet;
  NullProgress none;
  EXPECT_EQ(openPath(doc, mer.toStdString(), quiet, none), 0);
  return doc;
}

void drop(TMainForm& form, const std::string& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &enter);
  QDropEvent event(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &event);
  QCoreApplication::processEvents();
}

}  // namespace

TEST(OpenAnyRecording, StethoscopeFilesOpenAsConvertResampleImportsThem) {
  WindowFixture f;
  for (const auto& [path, from] :
       {std::pair{soundFile(f.temp, "steth.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 2, 2.03),
                  "Resampled from 44100 Hz, 24-bit, 2 channels"},
        std::pair{soundFile(f.temp, "steth.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, 1.55),
                  "Resampled from 22050 Hz, 16-bit, 1 channel"}}) {
    std::string warnings;
    const Document expected = converted(path, warnings);
    ASSERT_TRUE(expected.recording);
    f.prompter.messages.clear();
    ASSERT_EQ(f.open(path), 0) << path;
    const Recording& rec = *f.doc().recording;
    ASSERT_EQ(rec.channelCount, expected.recording->channelCount);
    EXPECT_EQ(rec.segmentCount, expected.recording->segmentCount);
    for (int ch = 0; ch < rec.channelCount; ++ch) EXPECT_EQ(rec.sound[ch], expected.recording->sound[ch]);
    std::string shown;
    for (const auto& m : f.prompter.messages) shown += m.text + "\n";
    EXPECT_EQ(shown, warnings);
    EXPECT_NE(f.doc().spectra, nullptr);
    EXPECT_EQ(shownCaption(f.form()), QString::fromStdString("R.E.Z.U. Vode - " + path));

    // The notices one after the other; the last stays.
    EXPECT_EQ(f.form().statusNotice().toStdString(), from);
    f.form().nextStatusNotice();
    EXPECT_EQ(f.form().statusNotice(), NoBreathSignalStatus);

    // Never written back in the recording format under its own name.
    EXPECT_FALSE(f.form().action("Save1")->isEnabled());
    f.form().action("SaveAs1")->trigger();
    EXPECT_EQ(f.prompter.proposedSaveName, "steth");
    EXPECT_EQ(f.prompter.proposedSaveType, 1);  // .mer, in the file's folder
    EXPECT_EQ(QDir::currentPath().toStdString(), f.temp.path().string());
  }
  // A click on a pane puts the read-outs back.
  sendMouse(control(f.form(), "FlowBox"), QEvent::MouseButtonPress, QPoint(20, 5), Qt::LeftButton);
  EXPECT_EQ(f.form().statusNotice(), "");
}

// A file that cannot be opened says why and changes nothing: the recording,
// its unsaved changes, its name and the menus stay.
TEST(OpenAnyRecording, FailedOpenKeepsTheOpenRecording) {
  WindowFixture f;
  const std::string good = f.temp.file("good.mer");
  saveMadeRecording(good, 40, 2);
  ASSERT_EQ(f.open(good), 0);
  EXPECT_EQ(f.form().statusNotice(), "");  // a breath signal, its own format
  f.doc().recording->sound[0][7] = 1234;
  f.doc().state.modified = true;
  f.form().workspace().notify(Change::FileName);
  const Recording* before = f.doc().recording.get();
  const QString caption = shownCaption(f.form());
  for (const char* junk : {"junk.mer", "junk.flac"}) writeBytes(f.temp.file(junk), std::vector<uint8_t>(300, 'x'));
  for (const std::string name : {"missing.mer", "junk.mer", "junk.flac", "missing.ogg"}) {
    const std::string path = f.temp.file(name);
    f.prompter.messages.clear();
    EXPECT_NE(f.open(path), 0) << name;
    EXPECT_FALSE(f.prompter.messages.empty()) << name;
    ASSERT_EQ(f.doc().recording.get(), before) << name;
    EXPECT_EQ(f.doc().recording->sound[0][7], 1234);
    EXPECT_TRUE(f.doc().state.modified);
    EXPECT_NE(f.doc().spectra, nullptr);
    EXPECT_EQ(f.doc().state.currentFileName, good);
    EXPECT_EQ(shownCaption(f.form()), caption);
    EXPECT_TRUE(f.form().isEnabled());
    EXPECT_TRUE(f.form().action("Save1")->isEnabled());
  }
  EXPECT_TRUE(f.prompter.saw("Unable to open " + f.temp.file("missing.ogg") + "... File not found"));
  EXPECT_EQ(f.commands().recentFiles().entries().size(), 1u);
}

TEST(OpenAnyRecording, DroppedFileOpensAfterTheSaveChangesQuestion) {
  WindowFixture f;
  f.load(makeRecording(30, 1), f.temp.file("a.mer"));
  f.doc().state.modified = true;
  const std::string flac = soundFile(f.temp, "drop.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1, 1.0);
  f.prompter.answers = {Answer::Cancel};
  drop(f.form(), flac);
  EXPECT_TRUE(f.prompter.asked("Save changes to " + f.temp.file("a.mer") + "?"));
  EXPECT_EQ(f.doc().state.currentFileName, f.temp.file("a.mer"));
  f.prompter.answers = {Answer::No};
  drop(f.form(), flac);
  EXPECT_EQ(f.doc().state.currentFileName, flac);
  EXPECT_EQ(f.doc().recording->segmentCount, 10);
}

TEST(OpenAnyRecording, OpenOffersEveryRecordingTogetherFirst) {
  const std::vector<FileType>& types = DocumentCommands::openTypes();
  ASSERT_EQ(types.size(), 5u);
  EXPECT_EQ(types[0].description, "All recordings");
  for (const char* pattern : {"*.mer", "*.bin", "*.wav", "*.dat", "*.flac", "*.ogg", "*.aiff"})
    EXPECT_NE((" " + types[0].pattern + " ").find(std::string(" ") + pattern + " "), std::string::npos) << pattern;
  for (std::size_t i = 1; i < types.size(); ++i) EXPECT_EQ(types[i].pattern, DocumentCommands::saveTypes()[i - 1].pattern);
}
