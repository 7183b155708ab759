// The document lifecycle through the window: open, the save-changes prompt,
// Save, Save As, Close, the close query, the channel commands.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <filesystem>

#include "analysis/AnalysisCommand.h"
#include "analysis/Spectra.h"
#include "analysis/WheezeDetection.h"
#include "analysis/WheezeImage.h"
#include "document/OpenDocument.h"
#include "formats/BlockFile.h"
#include "formats/SettingsFiles.h"
#include "model/Palette.h"
#include "reports/ReportWriter.h"
#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

namespace {

// A small recording written as a recording file, for the open tests.
std::string writeRecordingFile(const TempDir& dir, const std::string& name, int segments, int channels) {
  Document doc;
  doc.recording = std::make_unique<Recording>(makeRecording(segments, channels));
  doc.channelSetup.channelNames[0] = "TRA";
  doc.channelSetup.channelNames[1] = "RUant";
  SilentPrompter quiet;
  NullProgress none;
  const std::string path = dir.file(name);
  EXPECT_EQ(saveRecordingFile(doc, path, 0, segments - 1, quiet, none), 0);
  return path;
}

}  // namespace

TEST(Open, ReadsAnalysesAndListsTheFile) {
  WindowFixture f;
  const std::string path = writeRecordingFile(f.temp, "breath.mer", 80, 2);
  EXPECT_EQ(f.open(path), 0);
  EXPECT_TRUE(f.doc().hasRecording());
  EXPECT_NE(f.doc().spectra, nullptr);  // the analysis ran
  EXPECT_NE(f.doc().tagTable, nullptr);
  EXPECT_FALSE(f.doc().state.modified);
  EXPECT_TRUE(f.form().isEnabled());
  EXPECT_EQ(shownCaption(f.form()), QString::fromStdString("R.E.Z.U. Vode - " + path));
  ASSERT_FALSE(f.commands().recentFiles().empty());
  EXPECT_EQ(f.commands().recentFiles().entries().front(), path);
  EXPECT_TRUE(f.form().action("Recent1")->isVisible());
  EXPECT_TRUE(f.form().action("ReportMenu")->isEnabled());
  EXPECT_TRUE(f.form().segmentStatus().startsWith("Time 0.0s, "));
}

// A WAV shorter than one segment opens as a recording of no segment: full
// scale, and every view, zoom, channel choice, paint and read-out copes.
TEST(Open, RecordingOfNoSegmentIsSafeEverywhere) {
  WindowFixture f;
  TMainForm& form = f.form();
  const std::string wav = f.temp.file("short.wav");
  writeShortWav(wav, 500);
  ASSERT_EQ(f.open(wav), 0);
  ASSERT_TRUE(f.doc().hasRecording());
  EXPECT_EQ(f.doc().recording->segmentCount, 0);
  EXPECT_EQ(f.doc().peakAmplitude, 32768);

  auto exercise = [&] {
    for (const char* zoom : {"ZoomInX", "ZoomOutX", "ZoomOutX", "ZoomInY", "ZoomOutY", "ZoomOutY"}) click(form, zoom);
    for (int channel : {1, 0}) form.ChooseChannel(channel);
    form.set_current_segment(0);
    for (const char* pane : {"FlowBox", "SonoBox", "TagBox", "TimeBox", "FreqBox", "DBBox"})
      sendMouse(control(form, pane), QEvent::MouseMove, QPoint(5, 5));
    // A press on the small panes switches views; these select and play.
    for (const char* pane : {"FlowBox", "SonoBox", "TagBox"}) {
      sendMouse(control(form, pane), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
      sendMouse(control(form, pane), QEvent::MouseButtonRelease, QPoint(30, 5), Qt::LeftButton);
    }
    EXPECT_FALSE(form.grab().isNull());
  };
  exercise();                     // sonogram view
  form.TimeBoxClick();            // waveform view
  exercise();
  EXPECT_EQ(f.state().ViewMode, WaveformView);
  click(form, "ZoomOutY");        // the automatic amplitude scale
  EXPECT_EQ(f.doc().preferences.amplitude, AutoAmplitudeIndex);
  EXPECT_EQ(labelText(form, "VoltsMaxLabel"), "5.0");
  form.FreqBoxClick();            // spectrum view
  EXPECT_EQ(f.state().ViewMode, SpectrumView);
  exercise();
  form.TimeBoxClick();
  form.TimeBoxClick();            // and back to the sonogram
  EXPECT_EQ(f.state().ViewMode, SonogramView);
  exercise();
  // Only the word that the samples short of a segment were dropped.
  for (const auto& m : f.prompter.messages)
    if (m.text.find("ends part-way through a 0.1 s segment") == std::string::npos) ADD_FAILURE() << m.text;
}

// The window opens through the same sequence as vode-cli, so its document
// gives the same report; this also keeps the window library linkable with the
// report writers.
TEST(Open, WindowDocumentGivesTheReportOfTheSharedOpenSequence) {
  VODE_NEEDS_TESTDATA();
  WindowFixture f;
  const std::string path = testdata("flow2_tagged.mer");
  ASSERT_EQ(f.open(path), 0);
  Document core;
  SilentPrompter quiet;
  NullProgress none;
  ASSERT_EQ(openPath(core, path, quiet, none), 0);
  DoAnalyzeClick(core, core, Palette::grey(), none, quiet);
  for (ReportKind kind : {ReportKind::BreathAverages, ReportKind::Summary}) {
    std::string fromWindow, fromCore;
    ASSERT_EQ(ReportText(f.doc(), f.doc(), kind, ReportOptions{}, quiet, fromWindow), 0);
    ASSERT_EQ(ReportText(core, core, kind, ReportOptions{}, quiet, fromCore), 0);
    EXPECT_EQ(fromWindow, fromCore);
    EXPECT_GT(fromWindow.size(), 200u);
  }
}

TEST(Open, FailureWithNothingOpenTellsWhy) {
  WindowFixture f;
  const std::string missing = f.temp.file("missing.mer");
  EXPECT_NE(f.open(missing), 0);
  EXPECT_TRUE(f.prompter.saw("Unable to open " + missing + "... File not found"));
  EXPECT_FALSE(f.doc().hasRecording());
  EXPECT_TRUE(f.doc().state.currentFileName.empty());
  EXPECT_EQ(shownCaption(f.form()), "R.E.Z.U. Vode");
  EXPECT_EQ(f.form().segmentStatus(), "No file loaded");
  EXPECT_FALSE(f.form().action("SaveAs1")->isEnabled());
  EXPECT_TRUE(f.commands().recentFiles().empty());
}

TEST(Open, PipesNobodyWritesToEndInAMessageAndLeaveTheWindowUsable) {
  WindowFixture f;
  // Started again with MERO.SET a FIFO: the window comes up without it.
  ASSERT_EQ(::mkfifo(f.config.file("MERO.SET").c_str(), 0600), 0);
  f.commands().firstShown({});
  EXPECT_TRUE(f.prompter.saw("Unable to load default settings"));
  const std::string pipe = f.temp.file("pipe.mer");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(f.open(pipe), 5);
  EXPECT_TRUE(f.prompter.saw("Unable to open " + pipe + "... File access denied"));
  EXPECT_TRUE(f.form().isEnabled());
  EXPECT_EQ(f.open(writeRecordingFile(f.temp, "good.mer", 30, 1)), 0);
  EXPECT_TRUE(f.doc().hasRecording());
}

TEST(Open, MenuAsksAboutChangesFirstAndOffersTheFourTypes) {
  WindowFixture f;
  f.load(makeRecording(30, 1), f.temp.file("a.mer"));
  f.doc().state.modified = true;
  f.prompter.answers = {Answer::Cancel};
  f.form().action("Open1")->trigger();
  EXPECT_TRUE(f.prompter.asked("Save changes to " + f.temp.file("a.mer") + "?"));
  EXPECT_TRUE(f.doc().state.modified);  // cancelled: nothing else happened

  ASSERT_EQ(DocumentCommands::openTypes().size(), 5u);
  EXPECT_EQ(DocumentCommands::openTypes()[4].description, "DOS M.E.R.O. File");
  EXPECT_EQ(DocumentCommands::saveTypes().size(), 4u);
  EXPECT_EQ(DocumentCommands::saveTypes()[3].description, "DOS M.E.R.O. File");
}

TEST(Open, RecentEntryAsksAboutUnsavedChanges) {
  WindowFixture f;
  const std::string path = writeRecordingFile(f.temp, "recent.mer", 40, 1);
  ASSERT_EQ(f.open(path), 0);
  f.doc().state.modified = true;
  f.prompter.answers = {Answer::Cancel};
  f.form().action("Recent1")->trigger();
  EXPECT_TRUE(f.prompter.asked("Save changes to " + path + "?"));
  EXPECT_TRUE(f.doc().state.modified);
  f.prompter.answers = {Answer::No};
  f.form().action("Recent1")->trigger();
  EXPECT_FALSE(f.doc().state.modified);
  EXPECT_TRUE(f.doc().hasRecording());
}

TEST(CloseQuery, CancelKeepsTheWindowNoDiscards) {
  WindowFixture f;
  const std::string path = writeRecordingFile(f.temp, "keep.mer", 30, 1);
  ASSERT_EQ(f.open(path), 0);
  const std::vector<uint8_t> before = readBytes(path);
  f.doc().state.modified = true;

  f.prompter.answers = {Answer::Cancel};
  EXPECT_FALSE(f.form().close());
  EXPECT_TRUE(f.doc().state.modified);

  f.prompter.answers = {Answer::No};
  EXPECT_TRUE(f.form().close());
  EXPECT_FALSE(f.doc().state.modified);
  EXPECT_EQ(readBytes(path), before);
  // Closing wrote the recent-file list.
  EXPECT_FALSE(readBytes(f.config.file("MERO.INI")).empty());
}

TEST(CloseQuery, YesSavesAndAFailedSaveCancels) {
  WindowFixture f;
  f.load(makeRecording(30, 1), f.temp.file("yes.mer"));
  f.doc().state.modified = true;
  f.prompter.answers = {Answer::Yes};
  EXPECT_TRUE(f.commands().saveChangesPrompt());
  EXPECT_FALSE(readBytes(f.temp.file("yes.mer")).empty());
  EXPECT_FALSE(f.doc().state.modified);

  // A save into a folder that does not exist fails: the close is cancelled.
  f.doc().state.currentFileName = f.temp.file("no/such/folder.mer");
  f.doc().state.modified = true;
  f.prompter.answers = {Answer::Yes};
  EXPECT_FALSE(f.commands().saveChangesPrompt());
  EXPECT_TRUE(f.doc().state.modified);
}

TEST(CloseQuery, YesOnAnImportGoesThroughSaveAs) {
  WindowFixture f;
  const std::string wav = f.temp.file("import.wav");
  f.load(makeRecording(30, 1), wav);
  f.doc().state.modified = true;
  f.prompter.answers = {Answer::Yes};
  f.prompter.saveChoices = {{f.temp.file("import.mer"), 1}};
  EXPECT_TRUE(f.commands().saveChangesPrompt());
  EXPECT_EQ(f.prompter.proposedSaveName, "import");
  EXPECT_TRUE(readBytes(wav).empty());  // never overwritten in the recording format
  EXPECT_FALSE(readBytes(f.temp.file("import.mer")).empty());
}

TEST(Save, UntitledGoesToSaveAs) {
  WindowFixture f;
  f.load(makeRecording(30, 1), "Untitled");
  f.doc().state.modified = true;
  f.prompter.saveChoices = {{f.temp.file("named.txt"), 1}};
  f.commands().SaveClick();
  EXPECT_TRUE(f.prompter.saw("Should not get SaveAs from Save"));
  EXPECT_EQ(f.prompter.proposedSaveName, "Untitled");
  EXPECT_EQ(f.prompter.proposedSaveType, 1);
  const std::string saved = f.temp.file("named.mer");
  EXPECT_FALSE(readBytes(saved).empty());
  EXPECT_EQ(f.doc().state.currentFileName, saved);
  EXPECT_EQ(shownCaption(f.form()), QString::fromStdString("R.E.Z.U. Vode " + saved));
  EXPECT_FALSE(f.doc().state.modified);
  EXPECT_TRUE(f.form().action("Save1")->isEnabled());
}

TEST(SaveAs, WavExportLeavesNameAndCaption) {
  WindowFixture f;
  const std::string name = f.temp.file("x.mer");
  f.load(makeRecording(30, 2), name);
  const QString caption = shownCaption(f.form());
  f.prompter.saveChoices = {{name, 3}};
  EXPECT_TRUE(f.commands().SaveAsClick());
  EXPECT_FALSE(readBytes(f.temp.file("x.wav")).empty());
  EXPECT_TRUE(readBytes(name).empty());
  EXPECT_EQ(f.doc().state.currentFileName, name);
  EXPECT_EQ(shownCaption(f.form()), caption);
}

TEST(SaveAs, ProposesTheNameBeforeTheFirstDotAndAsksBeforeOverwriting) {
  WindowFixture f;
  f.load(makeRecording(30, 1), f.temp.file("rec.old.mer"));
  const std::string target = f.temp.file("taken.mer");
  writeBytes(target, {1, 2, 3});
  f.prompter.saveChoices = {{f.temp.file("taken"), 1}};
  f.prompter.answers = {Answer::No};
  EXPECT_FALSE(f.commands().SaveAsClick());
  EXPECT_EQ(f.prompter.proposedSaveName, "rec");
  EXPECT_TRUE(f.prompter.asked("Overwrite " + target + "?"));
  EXPECT_EQ(readBytes(target), (std::vector<uint8_t>{1, 2, 3}));

  f.prompter.saveChoices = {{target, 2}};
  f.prompter.answers = {Answer::Yes};
  EXPECT_TRUE(f.commands().SaveAsClick());
  EXPECT_FALSE(readBytes(f.temp.file("taken.bin")).empty());
}

TEST(Close, ReturnsToAnEmptyDocumentWithDefaults) {
  WindowFixture f;
  f.load(makeRecording(30, 1), f.temp.file("c.mer"));
  f.doc().preferences.sonogramTime = 2;
  f.form().action("Close1")->trigger();
  EXPECT_FALSE(f.doc().hasRecording());
  EXPECT_EQ(f.doc().preferences.sonogramTime, 0);
  EXPECT_TRUE(f.prompter.saw("Unable to load default settings"));
  EXPECT_EQ(shownCaption(f.form()), "R.E.Z.U. Vode");
  EXPECT_FALSE(f.form().action("Close1")->isEnabled());
}

TEST(ChannelCommands, DeleteChannel) {
  WindowFixture f;
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.doc().channelSetup.channelNames[1] = "RUant";
  Recording two = makeRecording(30, 2);
  two.sound[1][700] = 20000;  // the loud channel goes
  f.load(std::move(two), f.temp.file("two.mer"));
  EXPECT_EQ(labelText(f.form(), "VoltsMaxLabel"), "3.5");
  f.form().display().CurrentChannel = 1;
  f.prompter.answers = {Answer::No};
  f.form().action("DeleteChannel1")->trigger();
  EXPECT_TRUE(f.prompter.asked("Are you sure you want to delete channel #2:RUant"));
  EXPECT_EQ(f.doc().recording->channelCount, 2);

  f.prompter.answers = {Answer::Yes};
  f.form().action("DeleteChannel1")->trigger();
  EXPECT_EQ(f.doc().recording->channelCount, 1);
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_EQ(f.form().display().CurrentChannel, 0);
  EXPECT_FALSE(f.form().action("DeleteChannel1")->isEnabled());
  // The automatic amplitude scale follows the channel that is left.
  EXPECT_EQ(labelText(f.form(), "VoltsMaxLabel"), "0.5");
}

TEST(ChannelCommands, DeleteChannelAfterAnalysisAnalysesTheChannelLeft) {
  VODE_NEEDS_TESTDATA();
  WindowFixture f;
  const std::string path = f.copyOfTestdata("flow2_tagged.mer", "two.mer");
  ASSERT_EQ(f.open(path), 0);
  SilentPrompter quiet;
  NullProgress none;
  ASSERT_EQ(DetectWheezes(f.doc(), f.doc(), none, quiet), 0);
  f.form().showWheezes(true);
  // A hand edit on the first channel, which is the one deleted.
  f.doc().tagTable->setPhase(3, Background);
  const std::vector<uint8_t> secondFlags(f.doc().tagTable->flagRow(1), f.doc().tagTable->flagRow(1) + 150);
  f.prompter.answers = {Answer::Yes};
  f.form().action("DeleteChannel1")->trigger();
  EXPECT_TRUE(f.prompter.asked("Are you sure you want to delete channel #1:RUant"));
  ASSERT_EQ(f.doc().recording->channelCount, 1);
  ASSERT_EQ(f.doc().tagTable->rows(), 1);
  EXPECT_EQ(std::vector<uint8_t>(f.doc().tagTable->flagRow(0), f.doc().tagTable->flagRow(0) + 150), secondFlags);
  EXPECT_EQ(f.doc().tagTable->phase(3), Background);
  EXPECT_EQ(f.doc().spectra->channelCount, 1);
  EXPECT_TRUE(f.doc().averages->contains(0));
  EXPECT_EQ(f.doc().wheezeMap, nullptr);
  auto* wheezes = f.form().findChild<QCheckBox*>("WheezesCheckBox");
  EXPECT_FALSE(wheezes->isEnabled() || wheezes->isChecked());
  EXPECT_FALSE(f.state().WheezesChecked);
}

TEST(ChannelCommands, NormalizeAsksThenAmplifies) {
  WindowFixture f;
  Recording r = Recording::create(20, 1);
  r.sound[0][100] = 1000;
  r.sound[0][200] = -1000;
  f.load(std::move(r), f.temp.file("n.mer"));
  f.prompter.answers = {Answer::No};
  f.form().action("NormalizeChannels1")->trigger();
  EXPECT_EQ(f.doc().recording->sound[0][100], 1000);
  f.prompter.answers = {Answer::Yes};
  f.form().action("NormalizeChannels1")->trigger();
  EXPECT_TRUE(f.prompter.asked("Are you sure you want to normalize the channel(s)?"));
  EXPECT_GT(f.doc().recording->sound[0][100], 16000);
  EXPECT_TRUE(f.doc().state.modified);
}

TEST(Help, AboutAndTheManual) {
  WindowFixture f;
  f.form().action("About1")->trigger();
  EXPECT_EQ(f.prompter.aboutBoxes, 1);
  const std::string manual = f.config.file("manual.html");
  f.form().action("Help1")->trigger();
  EXPECT_TRUE(f.prompter.desktopOpens.empty());
  EXPECT_TRUE(f.prompter.saw("The manual is not installed: " + manual + " was not found."));
  writeBytes(manual, {'x'});
  f.prompter.messages.clear();
  f.form().action("Help1")->trigger();
  EXPECT_EQ(f.prompter.desktopOpens, std::vector<std::string>{manual});
  EXPECT_TRUE(f.prompter.messages.empty());
}
