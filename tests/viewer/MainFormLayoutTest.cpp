// The window as a user first sees it: its size, font, texts and hints, and
// what is hidden or disabled.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>

#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

TEST(MainFormLayout, FontTextsAndStartState) {
  WindowFixture f;
  TMainForm& form = f.form();
  EXPECT_EQ(form.centralWidget()->size(), QSize(632, 444));
  const QFont font = form.centralWidget()->font();
  EXPECT_EQ(font.family(), "Liberation Sans");
  EXPECT_EQ(font.pixelSize(), 13);
  EXPECT_TRUE(font.bold());
  EXPECT_EQ(f.prompter.startUpBoxes, 1);
  EXPECT_EQ(shownCaption(form), "R.E.Z.U. Vode");

  const struct {
    const char* label;
    const char* text;
  } texts[] = {{"FlowTitleLabel", "Flow"}, {"FlowMaxLabel", "1.5"}, {"FlowUnitsLabel", "L/s"},
               {"FlowMinLabel", "-1.5"},   {"SonoLabel5", "Hz"},    {"SonoLabel4", "900"},
               {"SonoLabel3", "600"},      {"SonoLabel2", "300"},   {"SonoLabel1", "0"},
               {"VoltsMaxLabel", "5.0"},   {"VoltsLabel", "Volts"}, {"VoltsMinLabel", "-5.0"},
               {"FreqLabel", "1200"},      {"LeftTimeLabel", "0.0s"}, {"RightTimeLabel", "5.0s"}};
  for (const auto& t : texts) EXPECT_EQ(labelText(form, t.label), t.text) << t.label;
  EXPECT_EQ(form.segmentStatus(), "No file loaded");
  EXPECT_EQ(form.cursorStatus(), "N/A");

  EXPECT_FALSE(control(form, "StatusGauge")->isVisibleTo(&form));
  EXPECT_FALSE(control(form, "AvgPanel")->isVisibleTo(&form));
  EXPECT_FALSE(control(form, "ChannelComboBox")->isVisibleTo(&form));
  EXPECT_FALSE(control(form, "VolumeMaxLabel")->isVisibleTo(&form));
  EXPECT_TRUE(control(form, "DisplayGroupBox")->isVisibleTo(&form));
  EXPECT_FALSE(control(form, "ChannelRadioGroup")->isEnabled());
  EXPECT_FALSE(control(form, "CracklesCheckBox")->isEnabled());
  EXPECT_EQ(control(form, "TagBox")->toolTip(),
            "Click to include\nShift-click to background\nCtrl-click to exclude\nRight-click to clear");
  EXPECT_EQ(control(form, "FlowBox")->toolTip(), "Click to select current segment");
  EXPECT_EQ(control(form, "TimeBox")->toolTip(), "Click to zoom");
  EXPECT_EQ(control(form, "ZoomOutX")->toolTip(), "X-axis zoom out");
}

TEST(MainFormLayout, EveryBoxBarAndPictureButtonHasAName) {
  // A screen reader names a control by its accessible name; boxes, bars and
  // buttons that show only a picture have nothing else to offer.
  WindowFixture f;
  for (QWidget* w : f.form().centralWidget()->findChildren<QWidget*>()) {
    const auto* button = qobject_cast<QAbstractButton*>(w);
    const bool needsName = qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                           qobject_cast<QAbstractSlider*>(w) || (button && button->text().isEmpty());
    // A scroll area's own bars belong to the area, which carries the name.
    const bool partOfArea = w->parentWidget() && qobject_cast<QAbstractScrollArea*>(w->parentWidget()->parentWidget());
    if (needsName && !partOfArea) {
      EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    }
    // What the accessibility bus carries: the name, not the current item.
    if (auto* box = qobject_cast<QComboBox*>(w)) {
      QAccessibleInterface* read = QAccessible::queryAccessibleInterface(box);
      ASSERT_NE(read, nullptr);
      EXPECT_EQ(read->text(QAccessible::Name), box->accessibleName());
      EXPECT_EQ(read->text(QAccessible::Value), box->currentText());
      EXPECT_EQ(read->child(0)->object(), box->view());
    }
  }
}
