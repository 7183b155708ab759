// Breath phases given by hand in the window to a recording without a breath
// signal: range marks over a dragged range or the current segment, kept by a
// save and an open; label tracks in and out; the segment table.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <QAction>
#include <QProcess>

#include "analysis/PhaseMarks.h"
#include "app/LabelCommands.h"
#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

namespace {

int runCli(std::initializer_list<std::string> args) {
  QStringList list;
  for (const std::string& a : args) list << QString::fromStdString(a);
  return QProcess::execute(VODE_CLI_PATH, list);
}

std::string text(const std::string& path) {
  const std::vector<uint8_t> bytes = readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// A stethoscope's FLAC of 8 s (80 segments), opened: no breath signal.
struct HandPhases : ::testing::Test {
  WindowFixture f;
  LabelCommands* labels = new LabelCommands(f.form());  // owned by the window
  std::string flac = f.temp.file("steth.flac");
  // 1.0-2.5 s marked inspiration and 2.5-4.0 s expiration, from segment 9 on.
  const std::string marked = "-" + std::string(15, 'I') + std::string(15, 'E');

  void SetUp() override {
    ASSERT_TRUE(writeSoundFile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 2, 8 * 8000));
    ASSERT_EQ(f.open(flac), 0);
    ASSERT_EQ(f.doc().recording->segmentCount, 80);
    f.form().StopBitBtnClick();  // the play after an open
  }
  // A press on segment from and a release on segment to, over the flow pane, then the mark.
  void mark(int32_t from, int32_t to, const char* entry) {
    QWidget* flow = control(f.form(), "FlowBox");
    const int px = f.state().SegmentPixels;
    sendMouse(flow, QEvent::MouseButtonPress, QPoint(from * px + 2, 5), Qt::LeftButton);
    sendMouse(flow, QEvent::MouseButtonRelease, QPoint(to * px + 2, 5), Qt::LeftButton);
    f.form().StopBitBtnClick();
    f.form().action(entry)->trigger();
  }
  std::string phases(int32_t first, int32_t last) {
    std::string text;
    for (int32_t s = first; s <= last; ++s) text += "-IE-B"[f.doc().tagTable->phase(s)];
    return text;
  }
};

}  // namespace

TEST_F(HandPhases, RangeMarksTagTheDraggedRangeAndSurviveSaveAndOpen) {
  EXPECT_EQ(f.form().statusNotice(), "Resampled from 8000 Hz, 16-bit, 2 channels");
  EXPECT_TRUE(f.form().action("MarkRangeInspiration1")->isEnabled());
  mark(10, 24, "MarkRangeInspiration1");
  mark(39, 25, "MarkRangeExpiration1");  // leftwards: the same range either way round
  f.form().set_current_segment(45);  // no drag from here: the segment alone
  f.form().action("MarkRangeBackground1")->trigger();
  EXPECT_EQ(phases(9, 46), marked + "-----B-");
  const int16_t target = markFlowValue(f.doc(), PhaseMark::Inspiration);
  EXPECT_GT(target, 0);
  const auto flowAt = [&](int32_t s) { return f.doc().recording->flow[s * 32]; };
  EXPECT_EQ((std::vector<int16_t>{flowAt(12), flowAt(30), flowAt(45)}), (std::vector<int16_t>{target, int16_t(-target), 0}));
  EXPECT_TRUE(f.doc().tagTable->breathClean(0, 15));  // tagged, and in the averages
  // Each mark is one step of the edit history.
  f.form().action("Undo1")->trigger();
  EXPECT_EQ(phases(44, 46), "---");
  EXPECT_EQ(flowAt(45), 0);
  f.form().action("Redo1")->trigger();
  EXPECT_EQ(phases(44, 46), "-B-");
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_FALSE(f.form().action("Save1")->isEnabled());

  // Saved as a recording and opened again: the same phases and breath signal.
  const std::vector<int16_t> flow = f.doc().recording->flow;
  const std::string mer = f.temp.file("marked.mer");
  f.prompter.saveChoices = {{mer, 1}};
  f.form().action("SaveAs1")->trigger();
  ASSERT_EQ(f.open(mer), 0);
  EXPECT_EQ(phases(9, 46), marked + "-----B-");
  EXPECT_EQ(f.doc().recording->flow, flow);
  EXPECT_EQ(f.form().statusNotice(), "");  // it has a breath signal now
}

TEST_F(HandPhases, ClippedSegmentsStayAndSaySoWhenNothingElseWasMarked) {
  for (int32_t s = 20; s <= 22; ++s) f.doc().tagTable->addFlags(0, s, Clipped);
  mark(20, 22, "MarkRangeInspiration1");
  EXPECT_TRUE(f.prompter.saw("Clipped segments cannot be modified"));
  EXPECT_EQ(phases(20, 22), "---");
  EXPECT_FALSE(f.doc().state.modified);
  f.prompter.messages.clear();
  mark(19, 23, "MarkRangeInspiration1");  // the segments either side are marked, without a word
  EXPECT_EQ(phases(19, 23), "I---I");
  EXPECT_TRUE(f.prompter.messages.empty());
}

TEST_F(HandPhases, LabelTracksGoInAndOutAsVodeCliTakesAndWritesThem) {
  const std::string track = f.temp.file("track.txt"), lines = "1.0\t2.5\tI\n2.5\t4.0\texpiration\n4.1\t4.5\twheeze\n5.0\t5.3\tX\n";
  writeBytes(track, std::vector<uint8_t>(lines.begin(), lines.end()));
  f.prompter.openChoices = {track};
  f.form().action("ImportLabels1")->trigger();
  EXPECT_EQ(f.prompter.openTitle, "Import Labels");
  EXPECT_EQ(phases(9, 41), marked + "--");
  EXPECT_TRUE(f.doc().tagTable->flags(1, 51) & Rejected);
  ASSERT_EQ(f.prompter.messages.size(), 1u);  // the unknown label, skipped
  EXPECT_NE(f.prompter.messages[0].text.find("wheeze"), std::string::npos) << f.prompter.messages[0].text;
  f.form().action("Undo1")->trigger();
  EXPECT_EQ(phases(9, 41), std::string(33, '-'));
  EXPECT_FALSE(f.doc().tagTable->flags(1, 51) & Rejected);
  f.form().action("Redo1")->trigger();
  EXPECT_EQ(phases(9, 41), marked + "--");

  // Out again: what vode-cli writes after taking the same track into the file.
  const std::string exported = f.temp.file("exported");
  f.prompter.saveChoices = {{exported, 1}};
  f.form().action("ExportLabels1")->trigger();
  EXPECT_EQ(f.prompter.saveTitle, "Export Labels");
  EXPECT_EQ(f.prompter.proposedSaveName, "steth");
  const std::string cliMer = f.temp.file("cli.mer"), cliTrack = f.temp.file("cli.txt");
  ASSERT_EQ(runCli({"labels", "import", flac, track, "-o", cliMer}), 0);
  ASSERT_EQ(runCli({"labels", "export", cliMer, "-o", cliTrack}), 0);
  EXPECT_EQ(text(exported + ".txt"), text(cliTrack));
  // The first and last segments are always excluded.
  EXPECT_EQ(text(cliTrack), "0.0\t0.1\tX\n1.0\t2.5\tI\n2.5\t4.0\tE\n5.0\t5.3\tX\n7.9\t8.0\tX\n");

  // The track exported gives the same tags to the recording opened afresh.
  const std::vector<uint8_t> tags(f.doc().tagTable->phaseData(), f.doc().tagTable->phaseData() + 80);
  ASSERT_EQ(f.open(flac), 0);
  f.prompter.openChoices = {exported + ".txt"};
  f.form().action("ImportLabels1")->trigger();
  EXPECT_EQ(std::vector<uint8_t>(f.doc().tagTable->phaseData(), f.doc().tagTable->phaseData() + 80), tags);
}

TEST_F(HandPhases, ExportTableWritesWhatVodeCliTableWrites) {
  const std::string mer = f.temp.file("breath.mer"), table = f.temp.file("table.csv"), cli = f.temp.file("cli.csv");
  saveMadeRecording(mer, 60, 2);
  ASSERT_EQ(f.open(mer), 0);
  f.prompter.saveChoices = {{table, 1}};
  f.form().action("ExportTable1")->trigger();
  EXPECT_EQ(f.prompter.saveTitle, "Export Table");
  ASSERT_EQ(runCli({"table", mer, "-o", cli}), 0);
  EXPECT_EQ(text(table), text(cli));
  EXPECT_GT(text(table).size(), 60u * 2 * 40);

  // An existing file is replaced only when the answer is Yes.
  writeBytes(table, {'x'});
  f.prompter.saveChoices = {{table, 1}};
  f.form().action("ExportTable1")->trigger();
  EXPECT_TRUE(f.prompter.asked("Overwrite " + table + "?"));
  EXPECT_EQ(text(table), "x");
}
