// Reports from the window: the Research Report dialog, the Report menu, the
// power panel's Report and Log buttons, and what a failed write leaves.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>

#include "app/ReportCommands.h"
#include "dialogs/ReportForm.h"
#include "formats/BlockFile.h"
#include "model/Synthetic.h"
#include "reports/ReportWriter.h"
#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

namespace {

std::string text(const std::string& path) {
  const std::vector<uint8_t> bytes = readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// The window with an analysed synthetic recording open and its report
// dialog answered by the test.
class ReportFixture : public WindowFixture {
 public:
  explicit ReportFixture(int channels = 2) : reports(new ReportCommands(form())) {
    QLocale::setDefault(QLocale::c());
    reports->runDialog = [this](QDialog& dialog) {
      title = dialog.windowTitle();
      dialog.setResult(0);  // as exec() starts
      if (answer) answer(dialog);
      return dialog.result();
    };
    recording = temp.file("synth.mer");
    saveSyntheticRecording(recording, {7, channels, 12.0});
    EXPECT_EQ(open(recording), 0);
  }
  ~ReportFixture() { QLocale::setDefault(QLocale::system()); }

  // Answers the next dialog by typing name and pressing button.
  void type(const QString& name, const char* button = "SaveButton") {
    answer = [name, button](QDialog& dialog) {
      dialog.findChild<QLineEdit*>("FilenameEdit")->setText(name);
      dialog.findChild<QPushButton*>(button)->click();
    };
  }
  QString logCount() { return labelText(form(), "LogCount"); }

  ReportCommands* reports;  // owned by the form
  std::function<void(QDialog&)> answer;
  QString title;
  std::string recording;
};

}  // namespace

// The menu entry's dialog writes through the core writer, byte for byte what
// the writer and vode-cli write for the same recording, channel and kind.
TEST(ReportForm, MenuReportEqualsWriterAndCommandLine) {
  ReportFixture f;
  f.answer = [](QDialog& dialog) {
    dialog.findChild<QAbstractButton*>("ChannelRadio2")->click();
    dialog.findChild<QLineEdit*>("FilenameEdit")->setText("  results.csv ");
    dialog.findChild<QPushButton*>("SaveButton")->click();
  };
  f.form().action("AllSegments1")->trigger();
  EXPECT_EQ(f.title, "All Segments Report");
  const std::string written = text(f.temp.file("results.txt"));  // the window works in the file's folder
  ASSERT_FALSE(written.empty());
  EXPECT_TRUE(f.prompter.messages.empty());
  EXPECT_TRUE(control(f.form(), "LogButton")->isEnabled());

  ReportOptions options;
  options.channel = 1;
  options.maxFrequency = f.state().MaxFrequency;
  std::string expected;
  ASSERT_EQ(ReportText(f.doc(), f.doc(), ReportKind::AllSegments, options, f.prompter, expected), 0);
  EXPECT_EQ(written, expected);

  const QString cliOut = QString::fromStdString(f.temp.file("cli.txt"));
  ASSERT_EQ(QProcess::execute(VODE_CLI_PATH, {"report", QString::fromStdString(f.recording), "-o", cliOut, "--kind",
                                              "all", "--channel", "2"}),
            0);
  EXPECT_EQ(written, text(cliOut.toStdString()));

  // The panel's band and chart type reach the report as the tool's options
  // do; the dialog opens on the window's channel again.
  static_cast<QSpinBox*>(control(f.form(), "SpinMax"))->setValue(600);
  static_cast<QSpinBox*>(control(f.form(), "SpinMin"))->setValue(300);
  static_cast<QComboBox*>(control(f.form(), "SpinType"))->setCurrentIndex(2);
  f.type("band");
  static_cast<QPushButton*>(control(f.form(), "ReportButton"))->click();
  EXPECT_EQ(f.title, "Band Power Report");
  ASSERT_EQ(QProcess::execute(VODE_CLI_PATH, {"report", QString::fromStdString(f.recording), "-o", cliOut, "--kind",
                                              "band", "--band", "300", "600"}),
            0);
  EXPECT_EQ(text(f.temp.file("band.txt")), text(cliOut.toStdString()));
}

// Log to a missing file starts it as a Save ("000"); Logs then count on, the
// panel's Log button too, without a dialog, for the chart type's kind.
TEST(ReportForm, LogsNumberFromTheFirstSave) {
  ReportFixture f;
  f.type("log", "LogButton");
  f.form().action("OverallAverages1")->trigger();
  const std::string path = f.temp.file("log.txt");
  EXPECT_EQ(text(path).rfind("Overall Averages Report\r\n", 0), 0u);
  EXPECT_EQ(f.logCount(), "000");

  f.form().action("Summary1")->trigger();  // the same answer: now an append
  EXPECT_NE(text(path).find("\r\n\r\n+Log001\r\nSummary Report\r\n"), std::string::npos);
  EXPECT_EQ(f.logCount(), "001");

  f.answer = nullptr;
  static_cast<QComboBox*>(control(f.form(), "SpinType"))->setCurrentIndex(2);
  static_cast<QPushButton*>(control(f.form(), "LogButton"))->click();
  EXPECT_NE(text(path).find("+Log002\r\nBand Power Report\r\n"), std::string::npos);
  EXPECT_EQ(f.logCount(), "002");
  EXPECT_EQ(f.title, "Summary Report");  // no dialog for the Log button
  EXPECT_TRUE(f.prompter.messages.empty());
}

TEST(ReportForm, SaveOntoAFileAsksAndEmptyNameIsRefused) {
  ReportFixture f;
  const std::string path = f.temp.file("old.txt");
  writeBytes(path, {'o', 'l', 'd'});
  f.type("old.txt");
  f.prompter.answers = {Answer::No};
  f.form().action("BandPower1")->trigger();
  EXPECT_TRUE(f.prompter.asked("Overwrite old.txt?"));
  EXPECT_EQ(text(path), "old");
  EXPECT_FALSE(control(f.form(), "LogButton")->isEnabled());

  f.type("   ");
  f.form().action("BandPower1")->trigger();
  EXPECT_TRUE(f.prompter.saw("Please enter a valid filename"));
}

// More channels than two radio items: the drop-down lists them all and its
// choice names the report. Kinds 5-7 leave the units alone.
TEST(ReportForm, FourChannelsUseTheDropDownAndUnitsFollowTheKind) {
  ReportFixture f(4);
  bool radioEnabled = true, panelShown = false, unitsEnabled = true;
  int names = 0;
  f.answer = [&](QDialog& dialog) {
    radioEnabled = dialog.findChild<QGroupBox*>("ChannelRadioGroup")->isEnabled();
    panelShown = !dialog.findChild<QWidget*>("ChannelPanel")->isHidden();
    unitsEnabled = dialog.findChild<QGroupBox*>("PowerRadioGroup")->isEnabled();
    auto* combo = dialog.findChild<QComboBox*>("ChannelComboBox");
    names = combo->count();
    combo->setCurrentIndex(3);
    dialog.findChild<QLineEdit*>("FilenameEdit")->setText("four");
    dialog.findChild<QPushButton*>("SaveButton")->click();
  };
  f.form().action("FlowPower1")->trigger();
  EXPECT_FALSE(radioEnabled);
  EXPECT_TRUE(panelShown);
  EXPECT_FALSE(unitsEnabled);
  EXPECT_EQ(names, 4);
  EXPECT_NE(text(f.temp.file("four.txt")).find("Report for channel 4: "), std::string::npos);

  f.form().action("OctaveBands1")->trigger();
  EXPECT_TRUE(unitsEnabled);
}

// A failed Save leaves the previous report, a failed Log the file's old
// bytes; the count stays where it was and the error is shown.
TEST(ReportForm, FailedWriteKeepsFileAndCount) {
  ReportFixture f;
  f.type("kept");
  f.form().action("AllTagged1")->trigger();
  f.type("kept", "LogButton");
  f.form().action("AllTagged1")->trigger();
  ASSERT_EQ(f.logCount(), "001");
  const std::string path = f.temp.file("kept.txt");
  const std::string before = text(path);

  FaultyFileSystem faulty;
  f.reports->fileSystem = &faulty;
  faulty.fault = FaultyFileSystem::Fault::Write;
  f.form().action("AllTagged1")->trigger();  // Log
  f.prompter.answers = {Answer::Yes};
  f.type("kept");
  f.form().action("AllTagged1")->trigger();  // Save
  EXPECT_EQ(text(path), before);
  EXPECT_EQ(f.logCount(), "001");
  EXPECT_EQ(f.reports->logCounter().count, 1);
  EXPECT_TRUE(f.prompter.saw("Unable to save kept.txt... Insufficient disk space"));
}

// Browse proposes the typed name in the working folder and puts the chosen
// file into the box; Cancel keeps it there for the Log button.
TEST(ReportForm, BrowseFillsTheNameAndCancelKeepsIt) {
  ReportFixture f;
  f.prompter.saveChoices.push_back({f.temp.file("picked.csv"), 1});
  f.answer = [](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("FilenameEdit")->setText("typed");
    dialog.findChild<QPushButton*>("BrowseButton")->click();
    dialog.reject();
  };
  f.form().action("Summary1")->trigger();
  EXPECT_EQ(f.prompter.proposedSaveName, f.temp.file("typed"));
  EXPECT_EQ(f.reports->dialog().typedFileName(), "picked.txt");
}
