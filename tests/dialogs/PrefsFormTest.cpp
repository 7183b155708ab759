// The preferences dialog: its field checks, labels and enabling, the OK
// steps with and without a recording, Cancel, and what the window does after.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <filesystem>

#include "dialogs/DialogFixture.h"
#include "dialogs/PrefsForm.h"
#include "formats/BlockFile.h"
#include "formats/SettingsFiles.h"

using namespace vode;
using namespace vode::test;

namespace {

QRadioButton* item(QDialog& d, const QString& group, int i) {
  return d.findChild<QRadioButton*>(group + QString::number(i));
}

// The settings file as another run would read it.
Document settingsOnDisk(const TempDir& config) {
  Document d;
  SilentPrompter quiet;
  NullProgress none;
  EXPECT_EQ(loadBlockFile(d, config.file(SettingsFileName), quiet, none), 0);
  return d;
}

// Where the focus goes after each of `count` presses of Tab (Shift+Tab with
// backwards), sent to the focused widget as a keyboard sends them.
std::string tabStops(int count, bool backwards = false) {
  QStringList names;
  for (int i = 0; i < count; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
    QApplication::processEvents();
    names << QApplication::focusWidget()->objectName();
  }
  return names.join(' ').toStdString();
}

void showActive(QDialog& d) {
  d.show();
  QApplication::setActiveWindow(&d);
}

}  // namespace

TEST(Preferences, FieldChecksKeepTheFocusAndNameTheLimits) {
  DialogFixture f;
  PrefsForm d(f.doc(), f.prompter);
  EXPECT_EQ(d.windowTitle(), "Preferences");
  ASSERT_EQ(d.notebook()->count(), 4);
  EXPECT_EQ(d.notebook()->tabText(3), "Analysis");
  EXPECT_EQ(DialogFixture::box(d, "ReferenceEdit")->text(), "1.000E-008");

  for (const char* z : {"5.0", "-5.0", "0.000"}) {
    f.set(d, "OffsetEdit", z);
    EXPECT_TRUE(d.OffsetEditExit()) << z;
  }
  f.set(d, "OffsetEdit", "5.01");
  EXPECT_FALSE(d.OffsetEditExit());
  for (const char* c : {"100.0", "-100.0"}) {
    f.set(d, "ScaleEdit", c);
    EXPECT_FALSE(d.ScaleEditExit()) << c;
  }
  f.set(d, "ScaleEdit", "99.9");
  EXPECT_TRUE(d.ScaleEditExit());
  f.set(d, "ReferenceEdit", "0");
  EXPECT_FALSE(d.ReferenceEditExit());
  f.set(d, "ReferenceEdit", "abc");
  EXPECT_FALSE(d.ReferenceEditExit());
  ASSERT_EQ(f.prompter.messages.size(), 5u);
  EXPECT_EQ(f.prompter.messages[0].text, "Z must be between -5.0 and +5.0");
  EXPECT_EQ(f.prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(f.prompter.messages[2].text, "C must be between -100.0 and +100.0");
  EXPECT_EQ(f.prompter.messages[3].text, "dB Reference must exceed 1e-50");
  EXPECT_EQ(f.prompter.messages[4].text, "'abc' is not a valid floating point value");

  // OK runs the same checks: a refused value is never stored.
  f.prompter.messages.clear();
  f.set(d, "OffsetEdit", "1");
  DialogFixture::box<QComboBox>(d, "Sound1ComboBox")->setEditText("TRA");
  d.OKBitBtnClick();
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_TRUE(f.prompter.saw("'abc' is not a valid floating point value"));
  EXPECT_FLOAT_EQ(f.doc().preferences.dBReference, 1e-8f);
}

TEST(Preferences, LeavingABoxRunsItsCheckButGoingToTheButtonsDoesNot) {
  DialogFixture f;
  PrefsForm d(f.doc(), f.prompter);
  d.show();
  QApplication::setActiveWindow(&d);
  d.notebook()->setCurrentIndex(2);
  QLineEdit* offset = DialogFixture::box(d, "OffsetEdit");
  offset->setFocus(Qt::TabFocusReason);
  offset->setText("7");
  DialogFixture::box<QAbstractButton>(d, "CancelBitBtn")->setFocus(Qt::TabFocusReason);
  offset->setFocus(Qt::TabFocusReason);
  DialogFixture::box<QAbstractButton>(d, "OKBitBtn")->setFocus(Qt::TabFocusReason);  // OK checks for itself
  EXPECT_TRUE(f.prompter.messages.empty());
  offset->setFocus(Qt::TabFocusReason);
  DialogFixture::box(d, "ScaleEdit")->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  EXPECT_TRUE(f.prompter.saw("Z must be between -5.0 and +5.0"));
  EXPECT_EQ(QApplication::focusWidget(), offset);
}

TEST(Preferences, TabRunsFromTheTabBarThroughThePageToOkAndCancel) {
  DialogFixture f;
  f.doc().preferences.amplitude = 4;
  f.doc().channelSetup.targetFlowChoice = 3;
  PrefsForm d(f.doc(), f.prompter);
  showActive(d);
  QTabBar* bar = d.notebook()->tabBar();
  bar->setFocus(Qt::TabFocusReason);
  // Each radio group is one stop, at its checked item.
  EXPECT_EQ(tabStops(5), "WaveformRadioGroup2 AmplitudeRadioGroup4 OKBitBtn CancelBitBtn qt_tabwidget_tabbar");
  for (int i = 0; i < 3; ++i) QTest::keyClick(bar, Qt::Key_Right);
  EXPECT_EQ(d.notebook()->currentIndex(), 3);
  EXPECT_EQ(tabStops(9), "Sound1ComboBox Sound2ComboBox TargetFlowRadioGroup3 FlowEdit BreathRadioGroup0 "
                         "BackgroundRadioGroup0 MLsEdit AnalyzeCheckBox OKBitBtn");
  EXPECT_EQ(tabStops(2, true), "AnalyzeCheckBox MLsEdit");
  // Arrow keys move the choice, and Tab comes back to where it moved.
  item(d, "BreathRadioGroup", 0)->setFocus(Qt::TabFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(tabStops(2, true), "FlowEdit TargetFlowRadioGroup3");
  EXPECT_EQ(tabStops(2), "FlowEdit BreathRadioGroup1");
}

TEST(Preferences, ARefusedBoxIsShownOnItsTabWithTheCaretInIt) {
  DialogFixture f;
  PrefsForm d(f.doc(), f.prompter);  // channel 1 unnamed
  showActive(d);
  d.notebook()->setCurrentIndex(1);
  d.notebook()->tabBar()->setFocus(Qt::TabFocusReason);
  QTest::mouseClick(DialogFixture::box<QAbstractButton>(d, "OKBitBtn"), Qt::LeftButton);
  EXPECT_TRUE(f.prompter.saw("Channel #1 must be utilized"));
  EXPECT_EQ(d.notebook()->currentIndex(), 3);
  auto* name = DialogFixture::box<QComboBox>(d, "Sound1ComboBox");
  EXPECT_EQ(QApplication::focusWidget(), name);
  name->setEditText("TRA");

  // Leaving a box for another tab: one message, and the box's tab comes back.
  f.prompter.messages.clear();
  d.notebook()->setCurrentIndex(2);
  QLineEdit* offset = DialogFixture::box(d, "OffsetEdit");
  offset->setFocus(Qt::TabFocusReason);
  offset->selectAll();
  QTest::keyClicks(offset, "9");
  QTabBar* bar = d.notebook()->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
  QApplication::processEvents();
  EXPECT_EQ(f.prompter.messages.size(), 1u);
  EXPECT_TRUE(f.prompter.saw("Z must be between -5.0 and +5.0"));
  EXPECT_EQ(d.notebook()->currentIndex(), 2);
  EXPECT_EQ(QApplication::focusWidget(), offset);
  EXPECT_EQ(offset->selectedText(), "9");
}

TEST(Preferences, ChoicesRelabelRefuseAndNormalise) {
  DialogFixture f;
  PrefsForm d(f.doc(), f.prompter);
  item(d, "WaveformRadioGroup", 0)->click();
  EXPECT_TRUE(f.prompter.saw("25 and 50 msec modes are not available"));
  EXPECT_TRUE(item(d, "WaveformRadioGroup", 2)->isChecked());

  auto* target = DialogFixture::box<QGroupBox>(d, "TargetFlowRadioGroup");
  EXPECT_EQ(target->title(), "Target Flow");
  EXPECT_EQ(item(d, "TargetFlowRadioGroup", 0)->text(), "Tidal (7.5)");
  EXPECT_EQ(item(d, "TargetFlowRadioGroup", 3)->text(), "              L/s");
  item(d, "BreathRadioGroup", 1)->click();
  EXPECT_EQ(target->title(), "Amplitude Scale");
  EXPECT_EQ(item(d, "TargetFlowRadioGroup", 1)->text(), "Medium (2.5)");
  EXPECT_EQ(item(d, "TargetFlowRadioGroup", 3)->text(), "              V");
  EXPECT_EQ(target->toolTip(), "Select amplitude scale\nin Volts");
  EXPECT_EQ(DialogFixture::box(d, "FlowEdit")->accessibleName(), "Amplitude Scale");

  QLineEdit* flow = DialogFixture::box(d, "FlowEdit");
  EXPECT_FALSE(flow->isEnabled());
  flow->setText("0.04");
  item(d, "TargetFlowRadioGroup", 3)->click();
  EXPECT_TRUE(flow->isEnabled());
  EXPECT_EQ(flow->text(), "0.10");

  EXPECT_TRUE(DialogFixture::box(d, "MLsEdit")->isEnabled());
  EXPECT_FALSE(DialogFixture::box(d, "MLEdit")->isEnabled());
  item(d, "BackgroundRadioGroup", 1)->click();
  EXPECT_FALSE(DialogFixture::box(d, "MLsEdit")->isEnabled());
  EXPECT_TRUE(DialogFixture::box(d, "MLEdit")->isEnabled());
}

TEST(Preferences, EnablingFollowsTheOpenRecording) {
  DialogFixture f;
  auto enabled = [&](const char* name) {
    PrefsForm d(f.doc(), f.prompter);
    return d.findChild<QWidget*>(name)->isEnabled();
  };
  EXPECT_TRUE(enabled("Sound2ComboBox"));
  EXPECT_TRUE(enabled("OffsetEdit"));
  EXPECT_TRUE(enabled("BreathRadioGroup"));
  f.load(makeRecording(20, 1));
  EXPECT_FALSE(enabled("Sound2ComboBox"));
  EXPECT_TRUE(enabled("Sound1ComboBox"));
  EXPECT_FALSE(enabled("OffsetEdit"));
  EXPECT_FALSE(enabled("ScaleEdit"));
  EXPECT_FALSE(enabled("BreathRadioGroup"));
  f.load(makeRecording(20, 2));
  EXPECT_TRUE(enabled("Sound2ComboBox"));
  f.load(makeRecording(20, 3));
  EXPECT_FALSE(enabled("Sound1ComboBox"));
  EXPECT_FALSE(enabled("Sound2ComboBox"));
}

TEST(Preferences, WithoutARecordingOkStoresAndRewritesTheSettingsFileAtOnce) {
  DialogFixture f;
  f.answer = [&](QDialog& d) {
    d.findChild<QComboBox*>("Sound1ComboBox")->setEditText("  RUant  ");
    item(d, "TargetFlowRadioGroup", 3)->click();
    f.set(d, "FlowEdit", "0.75");
    item(d, "BreathRadioGroup", 1)->click();
    item(d, "FrequencyRadioGroup", 2)->click();
    f.set(d, "ReferenceEdit", "2.5e-9");
    f.press(d, "OKBitBtn");
  };
  f.doc().preferences.flowDisplay = 1;
  f.form().action("Preferences1")->trigger();
  EXPECT_EQ(f.shown, 1);
  EXPECT_TRUE(f.prompter.questions.empty());  // nothing to re-analyse
  const Document saved = settingsOnDisk(f.config);
  EXPECT_EQ(saved.channelSetup.channelNames[0].str(), "RUant");
  EXPECT_EQ(saved.channelSetup.targetFlowChoice, 3);
  EXPECT_FLOAT_EQ(saved.channelSetup.targetFlow, 0.75f);
  EXPECT_EQ(saved.channelSetup.airflowKind, 1);
  EXPECT_EQ(saved.preferences.flowDisplay, 0);  // a strain gauge shows flow only
  EXPECT_EQ(saved.preferences.frequency, 2);
  EXPECT_FLOAT_EQ(saved.preferences.dBReference, 2.5e-9f);
  EXPECT_EQ(f.state().MaxFrequency, 4800);  // the window follows
  EXPECT_FALSE(f.doc().state.modified);
}

TEST(Preferences, ChannelNamesMustBeGivenAndRenamesAreAsked) {
  DialogFixture f;
  {
    PrefsForm d(f.doc(), f.prompter);  // name 1 is empty after a reset
    d.OKBitBtnClick();
    EXPECT_TRUE(f.prompter.saw("Channel #1 must be utilized"));
    EXPECT_EQ(d.result(), QDialog::Rejected);
  }
  f.load(makeRecording(20, 1));
  f.doc().channelSetup.channelNames[0] = "TRA";
  {
    PrefsForm d(f.doc(), f.prompter);  // one channel: name 2 is not examined
    d.OKBitBtnClick();
    EXPECT_EQ(d.result(), QDialog::Accepted);
  }
  f.load(makeRecording(20, 2));
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.doc().channelSetup.channelNames[1] = "RML";
  f.prompter.messages.clear();
  PrefsForm d(f.doc(), f.prompter);
  auto* second = DialogFixture::box<QComboBox>(d, "Sound2ComboBox");
  second->setEditText(" ");
  d.OKBitBtnClick();
  EXPECT_TRUE(f.prompter.saw("Channel #2 must be utilized"));

  // A confirmed rename is stored at once; a later refusal keeps the dialog
  // open, and Cancel then puts everything back.
  DialogFixture::box<QComboBox>(d, "Sound1ComboBox")->setEditText("LLbas");
  second->setEditText("RLbas");
  f.prompter.answers = {Answer::Yes, Answer::No};
  const auto before = imageOf(f.doc().channelSetup);
  d.OKBitBtnClick();
  EXPECT_TRUE(f.prompter.asked("Rename channel #1 from TRA to LLbas?"));
  EXPECT_TRUE(f.prompter.asked("Rename channel #2 from RML to RLbas?"));
  EXPECT_EQ(f.doc().channelSetup.channelNames[0].str(), "LLbas");
  EXPECT_EQ(second->currentText(), "RML");
  EXPECT_EQ(d.result(), QDialog::Rejected);
  d.reject();
  EXPECT_EQ(imageOf(f.doc().channelSetup), before);
}

TEST(Preferences, TargetChangeOnAPneumotachRecordingIsAskedAndReanalyses) {
  DialogFixture f;
  f.load(makeRecording(60, 1));
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.form().DoAnalyzeClick();
  const float before = f.doc().phaseTable->inspLow;
  auto choose = [&](QDialog& d) {
    item(d, "TargetFlowRadioGroup", 3)->click();
    f.set(d, "FlowEdit", "0.30");
    f.press(d, "OKBitBtn");
  };
  const char* question =
      "Are you sure you want to change the target flow?  Reanalysis will be performed if you answer yes.  "
      "This will recalculate all segment flow tags.";

  f.answer = [&](QDialog& d) {
    choose(d);
    EXPECT_EQ(DialogFixture::box(d, "FlowEdit")->text(), "1.00");  // back to the stored value
    EXPECT_TRUE(item(d, "TargetFlowRadioGroup", 0)->isChecked());
    d.reject();
  };
  f.prompter.answers = {Answer::No};
  f.form().action("Preferences1")->trigger();
  EXPECT_TRUE(f.prompter.asked(question));
  EXPECT_FALSE(f.doc().state.modified);

  f.answer = choose;
  f.prompter.answers = {Answer::Yes};
  f.form().action("Preferences1")->trigger();
  EXPECT_EQ(f.doc().channelSetup.targetFlow, 0.30f);
  EXPECT_TRUE(f.doc().state.modified);  // travels with the recording
  EXPECT_FALSE(std::filesystem::exists(f.config.file(SettingsFileName)));
  EXPECT_FLOAT_EQ(f.doc().phaseTable->inspLow, 0.24f);  // 0.30 less 20 %
  EXPECT_NE(before, f.doc().phaseTable->inspLow);
}

TEST(Preferences, ACustomTargetIsStoredAsTheTargetRuleGivesIt) {
  DialogFixture f;
  f.load(makeRecording(60, 1));
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.answer = [&](QDialog& d) {
    item(d, "TargetFlowRadioGroup", 3)->click();
    f.set(d, "FlowEdit", "0.04");
    f.press(d, "OKBitBtn");
  };
  f.prompter.answers = {Answer::Yes};
  f.form().action("Preferences1")->trigger();
  EXPECT_EQ(f.doc().channelSetup.targetFlow, 0.10f);

  // Reopened, the box shows what is stored, and OK with nothing changed asks
  // nothing; nor does a value stored unrounded by an earlier version.
  for (const float stored : {0.10f, 0.004f}) {
    f.doc().channelSetup.targetFlow = stored;
    f.prompter.questions.clear();
    f.answer = [&](QDialog& d) {
      EXPECT_EQ(DialogFixture::box(d, "FlowEdit")->text(), "0.10");
      f.press(d, "OKBitBtn");
    };
    f.form().action("Preferences1")->trigger();
    EXPECT_TRUE(f.prompter.questions.empty()) << stored;
  }
}

TEST(Preferences, StrainGaugeTargetIsNotAskedButTheBackgroundIs) {
  DialogFixture f;
  f.load(makeRecording(60, 1));
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.doc().channelSetup.airflowKind = 1;
  f.form().DoAnalyzeClick();
  f.answer = [&](QDialog& d) {
    item(d, "TargetFlowRadioGroup", 2)->click();
    item(d, "BackgroundRadioGroup", 1)->click();
    f.set(d, "MLEdit", "250");
    f.press(d, "OKBitBtn");
  };
  f.prompter.answers = {Answer::Yes};
  f.form().action("Preferences1")->trigger();
  ASSERT_EQ(f.prompter.questions.size(), 1u);
  EXPECT_EQ(f.prompter.questions[0].substr(0, 54), "Are you sure you want to change the background flow?  ");
  EXPECT_EQ(f.doc().channelSetup.targetFlowChoice, 2);
  EXPECT_FLOAT_EQ(f.doc().phaseTable->backgroundFlow, 0.25f);  // re-tagged
}

TEST(Preferences, NewFrequencyRebuildsThePictures) {
  DialogFixture f;
  f.load(makeRecording(40, 1));
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.form().DoAnalyzeClick();
  const std::vector<uint8_t> before = f.doc().spectra->sonogram[0].pixels;
  f.answer = [&](QDialog& d) {
    item(d, "FrequencyRadioGroup", 1)->click();
    f.press(d, "OKBitBtn");
  };
  f.form().action("Preferences1")->trigger();
  EXPECT_NE(f.doc().spectra->sonogram[0].pixels, before);
  EXPECT_TRUE(f.form().isEnabled());
}
