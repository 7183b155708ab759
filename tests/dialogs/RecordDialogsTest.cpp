// The record dialogs and the menu entries that show them: what OK stores,
// what a refused box leaves, when the document becomes modified or the
// settings file is rewritten, Extract from the File menu, and the names
// screen readers find the boxes by.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextCursor>
#include <filesystem>

#include "dialogs/DialogFixture.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/ExtractForm.h"
#include "dialogs/PatientForm.h"
#include "dialogs/PrefsForm.h"
#include "dialogs/RecordForms.h"
#include "dialogs/ReportForm.h"
#include "formats/BlockFile.h"
#include "formats/SettingsFiles.h"
#include "model/DateText.h"

using namespace vode;
using namespace vode::test;

namespace {

Document readBack(const std::string& path) {
  Document d;
  SilentPrompter quiet;
  NullProgress none;
  EXPECT_EQ(loadBlockFile(d, path, quiet, none), 0) << path;
  return d;
}

}  // namespace

TEST(RecordText, Latin1WithOneQuestionMarkPerForeignCharacter) {
  EXPECT_EQ(recordBytes(QString::fromUtf8("Müller")), "M\xFCller");
  EXPECT_EQ(recordBytes(QString::fromUtf8("Łódź 😀!")), "?\xF3" "d? ?!");
  EXPECT_EQ(recordText("M\xFCller"), QString::fromUtf8("Müller"));
  EXPECT_EQ(memoBytes("a\nb"), "a\r\nb");
  EXPECT_EQ(memoText("a\r\nb"), "a\nb");
  EXPECT_EQ(readFloat(" 2.5 "), 2.5f);
  for (const char* bad : {"", "1,5", "2.5x", "nan", "inf", "1e39"}) EXPECT_FALSE(readFloat(bad)) << bad;
  EXPECT_EQ(exponentText(1e-8f), "1.000E-008");
  EXPECT_EQ(exponentText(2.5e12), "2.500E+012");
}

TEST(RecordText, MemoKeepsWithinItsStoredLength) {
  QPlainTextEdit memo;
  limitMemo(&memo, 5);
  memo.setPlainText("ab\ncdef");  // the line break is stored as two bytes
  EXPECT_EQ(memo.toPlainText(), "ab\nc");
  memo.setPlainText("abc");
  QTextCursor at = memo.textCursor();
  at.setPosition(1);
  memo.setTextCursor(at);
  memo.insertPlainText("XYZ");  // what was typed last is dropped, the rest stays
  EXPECT_EQ(memo.toPlainText(), "aXYbc");
  EXPECT_EQ(memo.textCursor().position(), 3);
}

TEST(Subject, WeightLimitsAndNothingStoredWhenABoxIsRefused) {
  DialogFixture f;
  SubjectRecord& s = f.doc().subject;
  PatientForm d(s, f.prompter);
  EXPECT_EQ(d.windowTitle(), "Subject Information");
  EXPECT_EQ(DialogFixture::box(d, "WeightEdit")->text(), "50.0");
  for (const char* w : {"250", "1"}) {
    f.set(d, "WeightEdit", w);
    EXPECT_TRUE(d.WeightEditExit()) << w;
  }
  for (const char* w : {"250.1", "0.5"}) {
    f.set(d, "WeightEdit", w);
    EXPECT_FALSE(d.WeightEditExit()) << w;
  }
  EXPECT_EQ(f.prompter.messages.size(), 2u);
  EXPECT_TRUE(f.prompter.saw("Enter a value from 1 to 250"));

  // Every box is checked before any is stored.
  f.set(d, "WeightEdit", "80");
  f.set(d, "LastNameEdit", "Smith");
  f.set(d, "DOBMaskEdit", "31/02/1990");
  d.OKBitBtnClick();
  EXPECT_TRUE(f.prompter.saw("'31/02/1990' is not a valid date"));
  f.set(d, "DOBMaskEdit", "1/2/1990");
  f.set(d, "HeightEdit", "tall");
  d.OKBitBtnClick();
  EXPECT_TRUE(f.prompter.saw("'tall' is not a valid floating point value"));
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_TRUE(s.lastName.empty());
  EXPECT_FLOAT_EQ(s.weight, 50.0f);

  f.set(d, "HeightEdit", "181.5");
  f.set(d, "FirstNameEdit", QString::fromUtf8("Zoë ✓"));
  d.findChild<QRadioButton*>("SexRadioGroup1")->setChecked(true);
  d.OKBitBtnClick();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(s.lastName.str(), "Smith");
  EXPECT_EQ(s.firstName.str(), "Zo\xEB ?");
  EXPECT_EQ(s.sex, 1);
  EXPECT_EQ(formatDate(s.birthDate), "01/02/1990");
  EXPECT_FLOAT_EQ(s.weight, 80.0f);
  EXPECT_FLOAT_EQ(s.height, 181.5f);
}

TEST(Subject, EditsMarkAnOpenRecordingModifiedOnlyWhenSomethingChanged) {
  DialogFixture f;
  EXPECT_FALSE(f.form().action("Subject1")->isEnabled());
  f.load(makeRecording(20, 1));
  EXPECT_TRUE(f.form().action("Subject1")->isEnabled());
  f.doc().subject.weight = 72.25f;  // more digits than the box shows
  f.answer = [&](QDialog& d) { f.press(d, "OKBitBtn"); };
  f.form().action("Subject1")->trigger();
  EXPECT_EQ(f.title, "Subject Information");
  EXPECT_FALSE(f.doc().state.modified);
  EXPECT_FLOAT_EQ(f.doc().subject.weight, 72.25f);

  f.answer = [&](QDialog& d) {
    f.set(d, "DiagnosisEdit", "asthma");
    f.press(d, "OKBitBtn");
  };
  f.form().action("Subject1")->trigger();
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_EQ(f.doc().subject.diagnosis.str(), "asthma");
}

TEST(Laboratory, SettingsRuleWithAndWithoutARecording) {
  DialogFixture f;
  f.answer = [&](QDialog& d) {
    f.set(d, "NameEdit", "Sleep lab");
    d.findChild<QPlainTextEdit*>("AddressMemo")->setPlainText("1 Road\nTown");
    f.press(d, "OKBitBtn");
  };
  ASSERT_TRUE(f.form().action("Laboratory1")->isEnabled());
  f.form().action("Laboratory1")->trigger();
  EXPECT_EQ(f.title, "Laboratory Information");
  const Document saved = readBack(f.config.file(SettingsFileName));
  EXPECT_EQ(saved.laboratory.name.str(), "Sleep lab");
  EXPECT_EQ(saved.laboratory.address.str(), "1 Road\r\nTown");

  f.load(makeRecording(20, 1));
  std::filesystem::remove(f.config.file(SettingsFileName));
  f.form().action("Laboratory1")->trigger();
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_FALSE(std::filesystem::exists(f.config.file(SettingsFileName)));
}

TEST(Comments, EmptyMemoIsNoTextAndEditsMarkTheRecording) {
  DialogFixture f;
  f.load(makeRecording(20, 1), f.temp.file("c.mer"));
  f.doc().comments = "old note";
  f.answer = [&](QDialog& d) {
    auto* memo = d.findChild<QPlainTextEdit*>("Memo");
    EXPECT_EQ(memo->toPlainText(), "old note");
    memo->clear();
    f.press(d, "OKBitBtn");
  };
  f.form().action("Comments1")->trigger();
  EXPECT_EQ(f.title, "Comments");
  EXPECT_TRUE(f.doc().comments.empty());
  EXPECT_TRUE(f.doc().state.modified);
  // Saved as a comments block of length 0, read back as no text.
  f.form().action("Save1")->trigger();
  EXPECT_TRUE(readBack(f.temp.file("c.mer")).comments.empty());

  f.answer = [&](QDialog& d) { d.reject(); };
  f.form().action("Comments1")->trigger();
  EXPECT_FALSE(f.doc().state.modified);
}

TEST(AnalysisParameters, WholeNumbersOnlyAndTheSettingsRule) {
  DialogFixture f;
  AnalysisParameters& p = f.doc().analysisParameters;
  f.answer = [&](QDialog& d) {
    EXPECT_EQ(DialogFixture::box(d, "BreathEdit")->text(), "7");
    f.set(d, "BreathEdit", "9");
    f.set(d, "InEdit", "2.5");
    f.press(d, "OKBitBtn");
    EXPECT_EQ(d.result(), QDialog::Rejected);
    f.set(d, "InEdit", "99999");
    f.press(d, "OKBitBtn");
    EXPECT_EQ(d.result(), QDialog::Rejected);
    f.set(d, "InEdit", "5");
    f.press(d, "OKBitBtn");
  };
  ASSERT_TRUE(f.form().action("AnalysisParameters1")->isEnabled());
  EXPECT_EQ(f.form().action("AnalysisParameters1")->text(), "&Analysis Parameters...");
  f.form().action("AnalysisParameters1")->trigger();
  EXPECT_EQ(f.title, "Analysis");
  ASSERT_EQ(f.prompter.messages.size(), 2u);
  EXPECT_EQ(f.prompter.messages[0].text, "'2.5' is not a valid integer value");
  EXPECT_EQ(f.prompter.messages[1].text, "Enter a value from -32768 to 32767");
  EXPECT_EQ(p.breaths, 9);
  EXPECT_EQ(p.inspTags, 5);
  EXPECT_EQ(readBack(f.config.file(SettingsFileName)).analysisParameters.inspTags, 5);
}

TEST(Extract, TimesBecomeAnOrderedRangeInsideTheRecording) {
  auto range = [](float a, float b, int n) {
    const ExtractRange r = extractRange(a, b, n);
    return std::make_pair(r.first, r.last);
  };
  EXPECT_EQ(range(12.0f, 3.0f, 100), std::make_pair(30, 99));
  EXPECT_EQ(range(-2.0f, 1.0f, 100), std::make_pair(0, 10));
  EXPECT_EQ(range(0.25f, 0.35f, 100), std::make_pair(2, 4));  // halves to even
  EXPECT_EQ(range(-5.0f, -1.0f, 100), std::make_pair(0, 0));
  EXPECT_EQ(range(50.0f, 60.0f, 100), std::make_pair(99, 99));
  EXPECT_EQ(range(1e30f, -1e30f, 100), std::make_pair(0, 99));
}

TEST(Extract, FileMenuSavesTheRangeAndLeavesTheDocumentAsItWas) {
  DialogFixture f;
  EXPECT_FALSE(f.form().action("Extract1")->isEnabled());
  f.load(makeRecording(100, 2), f.temp.file("whole.mer"));
  f.doc().state.modified = true;
  ASSERT_TRUE(f.form().action("Extract1")->isEnabled());
  EXPECT_EQ(f.form().action("Extract1")->text(), "E&xtract...");
  const std::string target = f.temp.file("part.mer");
  writeBytes(target, {1, 2, 3});
  f.prompter.saveChoices = {{f.temp.file("part.xyz"), 1}};
  f.prompter.answers = {Answer::Yes};
  f.answer = [&](QDialog& d) {
    EXPECT_EQ(DialogFixture::box(d, "StartEdit")->text(), "0.0");
    EXPECT_EQ(DialogFixture::box(d, "EndEdit")->text(), "9.9");
    f.set(d, "StartEdit", "12");
    f.set(d, "EndEdit", "3");
    f.press(d, "OKBitBtn");
  };
  f.form().action("Extract1")->trigger();
  EXPECT_TRUE(f.prompter.asked("Overwrite " + target + "?"));
  EXPECT_EQ(f.title, QString::fromStdString("Extract to " + target));
  EXPECT_EQ(readBack(target).recording->segmentCount, 70);
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_EQ(f.doc().state.currentFileName, f.temp.file("whole.mer"));

  // Refusing to overwrite stops before the dialog; a failed save says why.
  f.prompter.saveChoices = {{target, 1}};
  f.prompter.answers = {Answer::No};
  f.form().action("Extract1")->trigger();
  EXPECT_EQ(f.shown, 1);
  f.prompter.saveChoices = {{f.temp.file("missing/part.mer"), 1}};
  f.form().action("Extract1")->trigger();
  ASSERT_FALSE(f.prompter.messages.empty());
  EXPECT_EQ(f.prompter.messages.back().text, "Unable to save " + f.temp.file("missing/part.mer") + "... File not found");
  EXPECT_TRUE(f.doc().state.modified);
}

TEST(Accessibility, EveryBoxIsNamedAfterItsCaption) {
  DialogFixture f;
  f.load(makeRecording(20, 2));
  PrefsForm prefs(f.doc(), f.prompter);
  PatientForm subject(f.doc().subject, f.prompter);
  FacilityForm lab(f.doc().laboratory);
  InterpForm comments(f.doc().comments);
  AparmsForm parameters(f.doc().analysisParameters, f.prompter);
  ExtractForm extract("x.mer", 20, f.prompter);
  RReportForm report(f.prompter);
  int named = 0;
  for (QDialog* d :
       std::initializer_list<QDialog*>{&prefs, &subject, &lab, &comments, &parameters, &extract, &report}) {
    QList<QWidget*> boxes;
    for (QWidget* w : d->findChildren<QWidget*>())
      if ((qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parent())) || qobject_cast<QComboBox*>(w) ||
          qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QPlainTextEdit*>(w))
        boxes << w;
    for (QWidget* w : boxes) {
      EXPECT_FALSE(w->accessibleName().isEmpty()) << d->objectName().toStdString() << " "
                                                  << w->objectName().toStdString();
      ++named;
    }
    // A box with a label carries the label's caption.
    for (QLabel* label : d->findChildren<QLabel*>())
      if (label->buddy()) {
        EXPECT_EQ(label->buddy()->accessibleName(), plainCaption(label->text()));
      }
  }
  EXPECT_EQ(named, 8 + 8 + 3 + 1 + 3 + 2 + 2);
  EXPECT_EQ(subject.findChild<QLineEdit*>("WeightEdit")->accessibleName(), "Weight");
  EXPECT_EQ(prefs.findChild<QLineEdit*>("OffsetEdit")->accessibleName(), "Offset by Z =");
  EXPECT_EQ(prefs.findChild<QLineEdit*>("ReferenceEdit")->accessibleName(), "dB Reference (watts)");
}

TEST(FirstStart, ANewConfigFolderGetsTheDefaultsSilently) {
  TempDir config, temp;
  ScriptedGuiPrompter prompter;
  WindowOptions options;
  options.configDir = config.path().string() + "/";
  options.tempDir = temp.path().string() + "/";
  options.newConfigFolder = true;
  {
    TMainForm form(prompter, options);
    (new DocumentCommands(form))->firstShown({});
  }
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(readBack(config.file(SettingsFileName)).analysisParameters.breaths, 7);

  // Once the folder exists a missing file is reported.
  std::filesystem::remove(config.file(SettingsFileName));
  options.newConfigFolder = false;
  TMainForm form(prompter, options);
  (new DocumentCommands(form))->firstShown({});
  EXPECT_TRUE(prompter.saw("Unable to load default settings"));
}
