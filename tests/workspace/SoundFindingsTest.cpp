// Breath cycles and crackles found from the sound, run from the Analyze menu:
// the marks and the phases they give a recording without a breath signal,
// the crackle flags (as vode-cli crackles sets them) and "&Crackles".
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QProcess>
#include <cmath>
#include <set>
#include <utility>

#include "analysis/PhaseMarks.h"
#include "formats/BlockFile.h"
#include "model/Synthetic.h"
#include "support/GuiTestSupport.h"
#include "viewer/PaneDrawing.h"

using namespace vode;
using namespace vode::test;

namespace {

std::string syntheticFile(WindowFixture& f, const char* name, SynthOptions options) {
  Document synth;
  makeSyntheticRecording(synth, options);
  SilentPrompter quiet;
  NullProgress none;
  const std::string path = f.temp.file(name);
  EXPECT_EQ(saveRecordingFile(synth, path, 0, synth.recording->segmentCount - 1, quiet, none), 0);
  return path;
}

// Chooses an Analyze entry and lets its job and its status report finish.
void choose(WindowFixture& f, const char* entry) {
  ASSERT_TRUE(f.form().action(entry)->isEnabled()) << entry;
  f.form().action(entry)->trigger();
  waitUntilIdle(f.form().workspace());
  QCoreApplication::processEvents();
}

QImage tagStrip(WindowFixture& f) {
  const WindowPalette palette = makeWindowPalette(Palette::grey());
  TagStripPane strip(PaneContext{f.doc(), f.state(), palette});
  return strip.render();
}

using Cells = std::set<std::pair<int, int>>;  // channel, segment

Cells flaggedCells(const TagTable& tags, uint8_t flag) {
  Cells cells;
  for (int c = 0; c < tags.rows(); ++c)
    for (int s = 0; s < tags.segments(); ++s)
      if (tags.flags(c, s) & flag) cells.insert({c, s});
  return cells;
}

}  // namespace

TEST(SoundFindings, CyclesAreMarkedAndTheirPhasesGiveAveragesThatSurviveASave) {
  WindowFixture f;
  SynthOptions options;
  options.seed = 3;
  options.seconds = 40.0;
  options.breathSignal = false;
  ASSERT_EQ(f.open(syntheticFile(f, "quiet.mer", options)), 0);
  EXPECT_EQ(f.doc().averages->inspCountOf(0), 0);

  // Asked once; "No" leaves the marks and nothing else.
  f.prompter.answers = {Answer::No};
  choose(f, "EstimateBreathCycles1");
  ASSERT_EQ(f.prompter.questions.size(), 1u);
  EXPECT_NE(f.prompter.questions[0].find("no breath signal"), std::string::npos);
  const std::vector<double> marks = f.state().CycleMarks;
  EXPECT_EQ(marks, EstimateBreathCycles(*f.doc().recording, -1).boundaries);
  ASSERT_GE(marks.size(), 4u);
  EXPECT_FALSE(f.doc().state.modified);
  EXPECT_TRUE(f.form().segmentStatus().endsWith("breath cycles estimated from the sound"));
  // The first mark on the first screen (8 pixels a segment) is a thin line.
  const int x = static_cast<int>(std::lround(marks[0] * 10.0 * 8));
  ASSERT_LT(x, 398);
  const QImage strip = tagStrip(f);
  EXPECT_EQ(strip.pixelColor(x, 5), CycleMarkColour);
  EXPECT_NE(strip.pixelColor(x + 2, 5), CycleMarkColour);

  f.prompter.answers = {Answer::Yes};
  choose(f, "EstimateBreathCycles1");
  EXPECT_TRUE(hasBreathSignal(*f.doc().recording));
  const int insp = f.doc().averages->inspCountOf(0);
  const int exp = f.doc().averages->expCountOf(0);
  EXPECT_GT(insp, 50);
  EXPECT_GT(exp, 50);
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_TRUE(f.form().segmentStatus().startsWith("Phases marked from "));

  const std::string saved = f.temp.file("marked.mer");
  f.prompter.saveChoices = {{saved, 1}};
  ASSERT_TRUE(f.commands().SaveAsClick());
  ASSERT_EQ(f.open(saved), 0);
  EXPECT_TRUE(f.state().CycleMarks.empty());  // marks belong to the recording they were found in
  EXPECT_EQ(f.doc().averages->inspCountOf(0), insp);
  EXPECT_EQ(f.doc().averages->expCountOf(0), exp);
  // With a breath signal there is nothing to offer.
  f.prompter.questions.clear();
  choose(f, "EstimateBreathCycles1");
  EXPECT_TRUE(f.prompter.questions.empty());
  EXPECT_FALSE(f.state().CycleMarks.empty());
}

TEST(SoundFindings, CrackleFlagsAreTheCommandLinesAndShowWhenTicked) {
  WindowFixture f;
  SynthOptions options;
  options.seed = 3;
  options.seconds = 30.0;
  options.crackles = true;  // on the second channel
  const std::string path = syntheticFile(f, "crackling.mer", options);
  ASSERT_EQ(f.open(path), 0);
  auto* box = static_cast<QCheckBox*>(control(f.form(), "CracklesCheckBox"));
  EXPECT_FALSE(box->isEnabled());
  const int clean = f.doc().averages->inspCountOf(1) + f.doc().averages->expCountOf(1);

  choose(f, "DetectCrackles1");
  QProcess cli;
  cli.start(VODE_CLI_PATH, {"crackles", QString::fromStdString(path)});
  ASSERT_TRUE(cli.waitForFinished(60000));
  Cells expected;
  const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  for (const QString& line : lines.mid(1)) expected.insert({line.section(',', 0, 0).toInt() - 1, line.section(',', 2, 2).toInt()});
  const TagTable& tags = *f.doc().tagTable;
  const Cells flagged = flaggedCells(tags, CrFlag);
  ASSERT_FALSE(flagged.empty());
  EXPECT_EQ(flagged, expected);

  // Flagged segments are not clean and leave the averages.
  EXPECT_LT(f.doc().averages->inspCountOf(1) + f.doc().averages->expCountOf(1), clean);
  EXPECT_TRUE(f.doc().state.modified);
  std::set<int> segments;
  for (const auto& cell : flagged) segments.insert(cell.second);
  EXPECT_EQ(f.form().segmentStatus(),
            QString("%1 crackles in %2 segments").arg(lines.size() - 1).arg(segments.size()));

  // Shown in their own colour only while "&Crackles" is ticked.
  ASSERT_TRUE(box->isEnabled());
  EXPECT_FALSE(box->isChecked());
  f.form().ChooseChannel(1);
  int s = -1;
  for (const auto& [c, cell] : flagged)
    if (c == 1 && tags.flags(1, cell) == CrFlag && tags.phase(cell) != 0) s = cell;
  ASSERT_GE(s, 0) << "no segment flagged for crackles alone";
  f.form().set_current_segment(s);
  const int x = (s - f.state().FirstSegment) * 8 + 4;
  EXPECT_NE(tagStrip(f).pixelColor(x, 5), draw::Magenta);
  box->click();
  EXPECT_EQ(tagStrip(f).pixelColor(x, 5), draw::Magenta);

  f.doc().state.modified = false;
  ASSERT_EQ(f.open(path), 0);
  EXPECT_FALSE(box->isEnabled());
  EXPECT_FALSE(box->isChecked());
  EXPECT_FALSE(f.state().CracklesChecked);
}
