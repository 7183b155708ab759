// The window as a user first sees it: controls at their places, texts, fonts,
// menus with their captions and shortcuts, and what is hidden or disabled.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>

#include "gui/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

namespace {

// Geometry in client coordinates (panes sit inside their frames).
QRect clientGeometry(TMainForm& form, const char* name) {
  QWidget* w = form.control(name);
  if (!w) return {};
  QWidget* client = form.centralWidget();
  return QRect(w->mapTo(client, QPoint(0, 0)), w->size());
}

}  // namespace

TEST(MainFormLayout, ControlsSitAtTheirPlaces) {
  WindowFixture f;
  TMainForm& form = f.form();
  EXPECT_EQ(form.centralWidget()->size(), QSize(632, 444));
  const struct {
    const char* name;
    QRect geometry;
  } expected[] = {
      {"FlowPanel", {40, 15, 402, 58}},      {"FlowBox", {41, 16, 400, 56}},
      {"VolumeButton", {444, 32, 25, 25}},   {"SonoPanel", {40, 80, 402, 242}},
      {"SonoBox", {41, 81, 400, 240}},       {"TagPanel", {40, 322, 402, 12}},
      {"TagBox", {41, 323, 400, 10}},        {"ScrollBar", {40, 334, 401, 17}},
      {"StatusPanel", {40, 352, 401, 23}},   {"SegmentStatus", {40, 352, 200, 23}},
      {"CursorStatus", {240, 352, 201, 23}}, {"TimePanel", {504, 15, 122, 131}},
      {"TimeBox", {505, 16, 120, 129}},      {"FreqPanel", {504, 192, 122, 130}},
      {"FreqBox", {505, 193, 120, 128}},     {"DBArea", {456, 184, 49, 145}},
      {"ZoomInY", {8, 384, 25, 25}},         {"ZoomOutY", {8, 412, 25, 25}},
      {"ZoomInX", {448, 384, 25, 25}},       {"ZoomOutX", {448, 412, 25, 25}},
      {"ChannelRadioGroup", {40, 376, 193, 61}}, {"DisplayGroupBox", {240, 376, 105, 61}},
      {"PlayBitBtn", {368, 384, 73, 25}},    {"StopBitBtn", {368, 412, 73, 25}},
      {"PSDRadioGroup", {480, 344, 146, 61}}, {"PrevBitBtn", {480, 412, 41, 25}},
      {"NextBitBtn", {528, 412, 41, 25}},    {"AvgPanel", {442, 0, 188, 361}},
  };
  for (const auto& e : expected) EXPECT_EQ(clientGeometry(form, e.name), e.geometry) << e.name;
  EXPECT_EQ(form.control("DBBox")->size(), QSize(23, 128));
  const QRect combo = clientGeometry(form, "ChannelComboBox");
  EXPECT_EQ(combo.topLeft(), QPoint(48, 400));
  EXPECT_EQ(combo.width(), 177);
  EXPECT_EQ(form.control("SonoLabel1")->geometry().right() + 1, 36);  // right-aligned at x 36
  EXPECT_EQ(form.control("SonoLabel5")->y(), 78);
  EXPECT_EQ(form.control("SonoLabel1")->y(), 312);
}

TEST(MainFormLayout, FontTextsAndStartState) {
  WindowFixture f;
  TMainForm& form = f.form();
  const QFont font = form.centralWidget()->font();
  EXPECT_EQ(font.family(), "Liberation Sans");
  EXPECT_EQ(font.pixelSize(), 13);
  EXPECT_TRUE(font.bold());
  EXPECT_EQ(f.prompter.startUpBoxes, 1);
  EXPECT_EQ(form.windowTitle(), "R.E.Z.U. Vode");

  const struct {
    const char* label;
    const char* text;
  } texts[] = {{"FlowTitleLabel", "Flow"}, {"FlowMaxLabel", "1.5"}, {"FlowUnitsLabel", "L/s"},
               {"FlowMinLabel", "-1.5"},   {"SonoLabel5", "Hz"},    {"SonoLabel4", "900"},
               {"SonoLabel3", "600"},      {"SonoLabel2", "300"},   {"SonoLabel1", "0"},
               {"VoltsMaxLabel", "5.0"},   {"VoltsLabel", "Volts"}, {"VoltsMinLabel", "-5.0"},
               {"FreqLabel", "1200"},      {"LeftTimeLabel", "0.0s"}, {"RightTimeLabel", "5.0s"}};
  for (const auto& t : texts) EXPECT_EQ(form.labelText(t.label), t.text) << t.label;
  EXPECT_EQ(form.segmentStatus(), "No file loaded");
  EXPECT_EQ(form.cursorStatus(), "N/A");

  EXPECT_FALSE(form.control("StatusGauge")->isVisibleTo(&form));
  EXPECT_FALSE(form.control("AvgPanel")->isVisibleTo(&form));
  EXPECT_FALSE(form.control("ChannelComboBox")->isVisibleTo(&form));
  EXPECT_FALSE(form.control("VolumeMaxLabel")->isVisibleTo(&form));
  EXPECT_TRUE(form.control("DisplayGroupBox")->isVisibleTo(&form));
  EXPECT_FALSE(form.control("ChannelRadioGroup")->isEnabled());
  EXPECT_FALSE(form.control("CracklesCheckBox")->isEnabled());
  EXPECT_EQ(form.control("TagBox")->toolTip(),
            "Click to include\nShift-click to background\nCtrl-click to exclude\nRight-click to clear");
  EXPECT_EQ(form.control("FlowBox")->toolTip(), "Click to select current segment");
  EXPECT_EQ(form.control("TimeBox")->toolTip(), "Click to zoom");
  EXPECT_EQ(form.control("ZoomOutX")->toolTip(), "X-axis zoom out");
}

TEST(MainFormMenus, CaptionsShortcutsAndHiddenEntries) {
  WindowFixture f;
  TMainForm& form = f.form();
  QStringList menus;
  for (QAction* a : form.menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&Analyze", "&Report", "&Help"}));

  const struct {
    const char* name;
    const char* caption;
    QKeySequence shortcut;
  } entries[] = {{"Open1", "&Open...", {}},
                 {"SaveAs1", "Save &As...", {}},
                 {"Exit1", "E&xit", {}},
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
  EXPECT_EQ(form.windowTitle(), "R.E.Z.U. Vode - /tmp/rec.MER");

  // Save only for recording files; Delete Channel only for two channels.
  f.load(makeRecording(20, 1), "/tmp/rec.wav");
  EXPECT_FALSE(form.action("Save1")->isEnabled());
  EXPECT_FALSE(form.action("DeleteChannel1")->isEnabled());
  f.load(makeRecording(20, 3), "/tmp/rec.mer");
  EXPECT_FALSE(form.action("DeleteChannel1")->isEnabled());
  // Commands of later work stay disabled with a recording.
  EXPECT_FALSE(form.action("Subject1")->isEnabled());
  EXPECT_FALSE(form.action("Include1")->isEnabled());
}
