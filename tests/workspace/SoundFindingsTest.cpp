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

#include "analysis/PhaseMarks.h"
#include "support/GuiTestSupport.h"
#include "viewer/PaneDrawing.h"

using namespace vode;
using namespace vode::test;

namespace {

struct Findings : WindowFixture {
  // Chooses an Analyze entry and lets its job and its status report finish.
  void choose(const char* entry) {
    ASSERT_TRUE(form().action(entry)->isEnabled()) << entry;
    form().action(entry)->trigger();
    waitUntilIdle(form().workspace());
    QCoreApplication::processEvents();
  }
  QColor stripAt(int x) {
    const WindowPalette palette = makeWindowPalette(Palette::grey());
    return TagStripPane(PaneContext{doc(), state(), palette}).render().pixelColor(x, 5);
  }
  int breathCount(int c) { return doc().averages->inspCountOf(c) + doc().averages->expCountOf(c); }
  std::string path = temp.file("synth.mer");
};

}  // namespace

TEST(SoundFindings, CyclesAreMarkedAndTheirPhasesGiveAveragesThatSurviveASave) {
  Findings f;
  saveSyntheticRecording(f.path, {.seed = 3, .seconds = 40.0, .breathSignal = false});
  ASSERT_EQ(f.open(f.path), 0);
  EXPECT_EQ(f.breathCount(0), 0);
  // Asked once; No leaves the marks and nothing else.
  f.prompter.answers = {Answer::No};
  f.choose("EstimateBreathCycles1");
  ASSERT_EQ(f.prompter.questions.size(), 1u);
  const std::vector<double> marks = f.state().CycleMarks;
  EXPECT_EQ(marks, EstimateBreathCycles(*f.doc().recording, -1).boundaries);
  ASSERT_GE(marks.size(), 4u);
  EXPECT_FALSE(f.doc().state.modified);
  EXPECT_TRUE(f.form().segmentStatus().endsWith(" breath cycles estimated"));
  const int x = static_cast<int>(std::lround(marks[0] * 10.0 * 8));  // 8 pixels a segment
  EXPECT_EQ(f.stripAt(x), CycleMarkColour);

  f.prompter.answers = {Answer::Yes};
  f.choose("EstimateBreathCycles1");
  EXPECT_TRUE(hasBreathSignal(*f.doc().recording));
  const int breaths = f.breathCount(0);
  EXPECT_GT(f.doc().averages->inspCountOf(0), 50);
  EXPECT_GT(f.doc().averages->expCountOf(0), 50);
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_TRUE(f.form().segmentStatus().startsWith("Phases marked from "));

  const std::string saved = f.temp.file("marked.mer");
  f.prompter.saveChoices = {{saved, 1}};
  ASSERT_TRUE(f.commands().SaveAsClick());
  ASSERT_EQ(f.open(saved), 0);
  EXPECT_TRUE(f.state().CycleMarks.empty());  // they belong to the recording they were found in
  EXPECT_EQ(f.breathCount(0), breaths);
  // With a breath signal there is nothing to offer.
  f.choose("EstimateBreathCycles1");
  EXPECT_EQ(f.prompter.questions.size(), 2u);
}

TEST(SoundFindings, CrackleFlagsAreTheCommandLinesAndShowWhenTicked) {
  Findings f;
  // Seed 3 puts its crackles on the second channel.
  saveSyntheticRecording(f.path, {.seed = 3, .seconds = 30.0, .crackles = true});
  ASSERT_EQ(f.open(f.path), 0);
  auto* box = static_cast<QCheckBox*>(control(f.form(), "CracklesCheckBox"));
  EXPECT_FALSE(box->isEnabled());
  const int clean = f.breathCount(1);
  f.choose("DetectCrackles1");

  QProcess cli;
  cli.start(VODE_CLI_PATH, {"crackles", QString::fromStdString(f.path)});
  ASSERT_TRUE(cli.waitForFinished(60000));
  const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).mid(1);
  std::set<std::pair<int, int>> expected, flagged;  // channel, segment
  for (const QString& line : lines) expected.insert({line.section(',', 0, 0).toInt() - 1, line.section(',', 2, 2).toInt()});
  const TagTable& tags = *f.doc().tagTable;
  std::set<int> segments;
  for (int c = 0; c < tags.rows(); ++c)
    for (int s = 0; s < tags.segments(); ++s)
      if (tags.flags(c, s) & CrFlag) flagged.insert({c, s}), segments.insert(s);
  ASSERT_FALSE(flagged.empty());
  EXPECT_EQ(flagged, expected);
  // Flagged segments are not clean and leave the averages.
  EXPECT_LT(f.breathCount(1), clean);
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_EQ(f.form().segmentStatus(), QString("%1 crackles in %2 segments").arg(lines.size()).arg(segments.size()));

  // Their own colour only while "&Crackles" is ticked.
  ASSERT_TRUE(box->isEnabled());
  f.form().ChooseChannel(1);
  int s = -1;
  for (const auto& [c, cell] : flagged)
    if (c == 1 && tags.flags(1, cell) == CrFlag && tags.phase(cell) != 0) s = cell;
  ASSERT_GE(s, 0) << "no segment flagged for crackles alone";
  f.form().set_current_segment(s);
  const int x = (s - f.state().FirstSegment) * 8 + 4;
  EXPECT_NE(f.stripAt(x), draw::Magenta);
  box->click();
  EXPECT_EQ(f.stripAt(x), draw::Magenta);

  f.doc().state.modified = false;
  ASSERT_EQ(f.open(f.path), 0);
  EXPECT_FALSE(box->isEnabled());
  EXPECT_FALSE(f.state().CracklesChecked);
}
