// The menus: captions, shortcuts, hidden entries, the recent slots, hints and
// the enabling by document state.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

TEST(MainFormMenus, CaptionsShortcutsAndHiddenEntries) {
  WindowFixture f;
  TMainForm& form = f.form();
  QStringList menus;
  for (QAction* a : form.menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&View", "&Analyze", "&Report", "&Help"}));

  const struct {
    const char* name;
    const char* caption;
    QKeySequence shortcut;
  } entries[] = {{"Open1", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O)},
                 {"Save1", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S)},
                 {"SaveAs1", "Save &As...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                 {"Close1", "&Close", QKeySequence(Qt::CTRL | Qt::Key_W)},
                 {"Exit1", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
                 {"Help1", "&Help", QKeySequence(Qt::Key_F1)},
                 {"PlayAfterOpening1", "Play After Opening", {}},
                 {"Undo1", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
                 {"Redo1", "&Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
                 {"Include1", "Include", QKeySequence(Qt::Key_Insert)},
                 {"Clear1", "Clear", QKeySequence(Qt::Key_Delete)},
                 {"Background1", "Background", QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
                 {"Exclude1", "Exclude", QKeySequence(Qt::CTRL | Qt::Key_Insert)},
                 {"MarkInspiration1", "Mark &Inspiration", QKeySequence(Qt::CTRL | Qt::Key_I)},
                 {"MarkExpiration1", "Mark &Expiration", QKeySequence(Qt::CTRL | Qt::Key_E)},
                 {"Capture1", "Captur&e BMP/WAV", QKeySequence(Qt::CTRL | Qt::Key_C)},
                 {"OctaveBands1", "O&ctave bands", {}},
                 {"ShowHints1", "&Show Hints", {}}};
  for (const auto& e : entries) {
    QAction* a = form.action(e.name);
    ASSERT_NE(a, nullptr) << e.name;
    EXPECT_EQ(a->text(), e.caption);
    EXPECT_EQ(a->shortcut(), e.shortcut) << e.name;
  }

  // Undo and Redo head the Edit menu; Redo answers Ctrl+Y too. No key does two things.
  const QList<QAction*> edit = form.menuBar()->actions()[1]->menu()->actions();
  EXPECT_EQ(edit.mid(0, 2), (QList<QAction*>{form.action("Undo1"), form.action("Redo1")}));
  EXPECT_EQ(form.action("Redo1")->shortcuts().value(1), QKeySequence(Qt::CTRL | Qt::Key_Y));
  QStringList keys;
  for (const QAction* a : form.findChildren<QAction*>())
    for (const QKeySequence& key : a->shortcuts()) keys << key.toString();
  EXPECT_EQ(keys.removeDuplicates(), 0) << keys.join(" ").toStdString();

  for (const char* hidden : {"Report1", "Print1", "FFTTest1", "TestARLPF1", "TestCrackle1", "TestWheeze1",
                             "MakeSineWav1", "MakeBMPs1", "ZUZU1", "Capture1"})
    EXPECT_FALSE(form.action(hidden)->isVisible()) << hidden;
  EXPECT_FALSE(form.action("FFT1")->isEnabled());
  EXPECT_FALSE(form.action("AR1")->isEnabled());
  EXPECT_FALSE(form.action("New1")->isEnabled());

  // Nine recent slots between two separators, hidden while the list is empty.
  EXPECT_EQ(form.recentSlotCount(), 9);
  EXPECT_FALSE(form.action("Recent1")->isVisible());
  form.showRecentFiles({"/data/a&b.mer", "/data/c.mer"});
  EXPECT_EQ(form.action("Recent1")->text(), "&1 /data/a&&b.mer");
  EXPECT_TRUE(form.action("Recent2")->isVisible());
  EXPECT_FALSE(form.action("Recent3")->isVisible());
  EXPECT_TRUE(form.findChild<QAction*>("RecentSeparator")->isVisible());
}

TEST(MainFormMenus, ShowHintsTogglesTheHints) {
  WindowFixture f;
  QAction* hints = f.form().action("ShowHints1");
  EXPECT_TRUE(hints->isChecked());
  EXPECT_TRUE(f.form().hintsShown());
  hints->trigger();
  EXPECT_FALSE(hints->isChecked());
  EXPECT_FALSE(f.form().hintsShown());
  hints->trigger();
  EXPECT_TRUE(f.form().hintsShown());
}

TEST(MainFormMenus, EnablingFollowsTheDocument) {
  WindowFixture f;
  TMainForm& form = f.form();
  for (const char* name : {"Save1", "SaveAs1", "Close1", "NormalizeChannels1", "DeleteChannel1", "AnalyzeMenu",
                           "ReportMenu"})
    EXPECT_FALSE(form.action(name)->isEnabled()) << name;
  EXPECT_TRUE(form.action("Open1")->isEnabled());

  f.load(makeRecording(20, 2), "/tmp/rec.MER");
  for (const char* name : {"Save1", "SaveAs1", "Close1", "NormalizeChannels1", "DeleteChannel1", "AnalyzeMenu"})
    EXPECT_TRUE(form.action(name)->isEnabled()) << name;
  EXPECT_FALSE(form.action("ReportMenu")->isEnabled());
  EXPECT_EQ(shownCaption(form), "R.E.Z.U. Vode - /tmp/rec.MER");

  // Save only for recording files; Delete Channel only for two channels.
  f.load(makeRecording(20, 1), "/tmp/rec.wav");
  EXPECT_FALSE(form.action("Save1")->isEnabled());
  EXPECT_FALSE(form.action("DeleteChannel1")->isEnabled());
  f.load(makeRecording(20, 3), "/tmp/rec.mer");
  EXPECT_FALSE(form.action("DeleteChannel1")->isEnabled());
  // The tag commands follow the recording; a WAV file takes no marks.
  for (const char* name : {"Include1", "Clear1", "Background1", "Exclude1", "MarkInspiration1"})
    EXPECT_TRUE(form.action(name)->isEnabled()) << name;
  f.load(makeRecording(20, 1), "/tmp/rec.wav");
  EXPECT_TRUE(form.action("Include1")->isEnabled());
  EXPECT_FALSE(form.action("MarkExpiration1")->isEnabled());
  EXPECT_FALSE(form.action("FFT1")->isEnabled());
}

TEST(MainFormMenus, DeveloperEntriesStayAndFftFollowsTheRecording) {
  WindowFixture f(true);
  TMainForm& form = f.form();
  for (const char* name : {"Report1", "Print1", "FFTTest1", "TestARLPF1", "TestCrackle1", "TestWheeze1",
                           "MakeSineWav1", "MakeBMPs1", "ZUZU1", "Capture1"})
    EXPECT_TRUE(form.action(name)->isVisible()) << name;
  EXPECT_FALSE(form.action("FFT1")->isEnabled());
  f.load(makeRecording(20, 1));
  EXPECT_TRUE(form.action("FFT1")->isEnabled());
  // Entries without work of their own stay disabled.
  for (const char* name : {"FFTTest1", "TestARLPF1", "AR1"}) EXPECT_FALSE(form.action(name)->isEnabled());
  EXPECT_TRUE(form.action("TestWheeze1")->isEnabled());
}
