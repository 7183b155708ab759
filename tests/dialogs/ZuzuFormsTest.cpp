// "ZUZU Channels" and "ZUZU Save As": their checks, what OK stores, the
// menu entry that shows with a device, and the DOS export of a wider
// recording through Save As.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>

#include "acquisition/SimulatedDevice.h"
#include "app/DocumentCommands.h"
#include "dialogs/DialogFixture.h"
#include "dialogs/ZuzuForms.h"
#include "formats/DosDat.h"

using namespace vode;
using namespace vode::test;

namespace {

void name(QDialog& d, int row, const QString& text) {
  DialogFixture::box<QComboBox>(d, qPrintable(QString("Sound%1").arg(row)))->setEditText(text);
}
void offset(QDialog& d, int row, bool on) {
  DialogFixture::box<QCheckBox>(d, qPrintable(QString("Offset%1").arg(row)))->setChecked(on);
}
QWidget* focusOf(QDialog& d) { return d.focusWidget(); }

}  // namespace

TEST(ZuzuChannels, ShowsWithADeviceAndChecksNamesAndOffsets) {
  DialogFixture f;
  QAction* zuzu = f.form().action("ZUZU1");
  EXPECT_FALSE(zuzu->isVisible());
  f.form().workspace().useAcquisitionDevice(std::make_unique<SimulatedDevice>(SimulatedDevice::Options{}));
  EXPECT_TRUE(zuzu->isVisible());
  EXPECT_TRUE(zuzu->isEnabled());
  EXPECT_FALSE(f.form().action("New1")->isEnabled());  // nothing to run yet
  int newRuns = 0;
  f.form().workspace().commands().bind("New1", [&] { ++newRuns; });
  f.form().UpdateMenus();
  f.form().action("New1")->trigger();
  EXPECT_EQ(newRuns, 1);

  std::vector<std::pair<std::string, QString>> refusals;  // message, focus
  f.answer = [&](QDialog& d) {
    EXPECT_EQ(DialogFixture::box<QComboBox>(d, "Sound1")->accessibleName(), "1:");
    EXPECT_EQ(DialogFixture::box<QComboBox>(d, "Sound1")->toolTip(), "Specify name for sound channel #1");
    auto attempt = [&] {
      const std::size_t before = f.prompter.messages.size();
      DialogFixture::press(d, "OKBitBtn");
      if (f.prompter.messages.size() > before)
        refusals.push_back({f.prompter.messages.back().text, focusOf(d) ? focusOf(d)->objectName() : ""});
    };
    name(d, 1, "TRA");
    name(d, 2, "");
    name(d, 3, "RML");
    attempt();
    name(d, 2, " RUant ");
    name(d, 3, "");
    offset(d, 2, false);
    attempt();
    name(d, 1, "  ");
    attempt();
    name(d, 1, "TRA");
    name(d, 3, "RML");
    for (int i = 1; i <= 7; ++i) offset(d, i, false);
    attempt();  // three channels need no offsets
  };
  f.form().action("ZUZU1")->trigger();
  EXPECT_EQ(f.title, "ZUZU Channels");
  ASSERT_EQ(refusals.size(), 3u);
  EXPECT_EQ(refusals[0], std::make_pair(std::string("Sequential channels must be utilized"), QString("Sound3")));
  EXPECT_EQ(refusals[1].first,
            "Channels 1 and 2 must have offset checked\rin order to be consistent with older recordings.");
  EXPECT_EQ(refusals[1].second, "Offset1");
  EXPECT_EQ(refusals[2], std::make_pair(std::string("Channel #1 must be utilized"), QString("Sound1")));
  const ChannelSetup& setup = f.doc().channelSetup;
  EXPECT_EQ(setup.setupChannelCount, 3);
  EXPECT_EQ(setup.channelNames[1].str(), "RUant");
  EXPECT_EQ(setup.channelNames[2].str(), "RML");
  EXPECT_EQ(setup.offsetRemoval[0], 0);
  EXPECT_EQ(setup.offsetRemoval[7], 1);  // the eighth is not shown and stays
  // Writing the settings shows progress, and re-enabling the window after it
  // must not bring back the menus that need a recording.
  EXPECT_FALSE(f.form().action("AnalyzeMenu")->isEnabled());
  EXPECT_FALSE(f.form().action("ReportMenu")->isEnabled());
}

TEST(ZuzuSaveAs, WiderRecordingIsSplitByTheRowsWhichAreKept) {
  DialogFixture f;
  const std::string chosen = f.temp.file("data.old.mer");
  f.load(makeRecording(5, 4), chosen);
  f.doc().channelSetup.channelNames[1] = "RUant";
  std::vector<std::string> messages;
  auto refused = [&](QDialog& d) {
    const std::size_t before = f.prompter.messages.size();
    DialogFixture::press(d, "OKBitBtn");
    if (f.prompter.messages.size() > before) messages.push_back(f.prompter.messages.back().text);
    return d.result() != QDialog::Accepted;
  };
  f.commands().runDialog = [&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "ZUZU Save As");
    EXPECT_EQ(DialogFixture::box<QLabel>(d, "PrefixLabel")->text().toStdString(), "Prefix = " + f.temp.file("data"));
    EXPECT_EQ(DialogFixture::box<QLabel>(d, "Heading")->text(), "DOS Channels + FLOW");
    auto* a1 = DialogFixture::box<QComboBox>(d, "A1");
    EXPECT_EQ(a1->itemText(2), "RUant");
    EXPECT_EQ(a1->accessibleName(), "Sound A 1");
    a1->setCurrentIndex(2);
    EXPECT_EQ(DialogFixture::box(d, "Postfix1")->text(), "020");
    DialogFixture::box<QComboBox>(d, "B2")->setCurrentIndex(1);
    DialogFixture::set(d, "Postfix2", "");
    EXPECT_TRUE(refused(d));
    DialogFixture::set(d, "Postfix2", "X");
    EXPECT_TRUE(refused(d));
    DialogFixture::box<QComboBox>(d, "B2")->setCurrentIndex(0);
    DialogFixture::set(d, "Postfix2", "");
    EXPECT_FALSE(refused(d));
    return d.result();
  };
  f.prompter.saveChoices = {{chosen, 4}};
  EXPECT_TRUE(f.commands().SaveAsClick());
  EXPECT_EQ(messages, (std::vector<std::string>{"Please specify a postfix for the filename",
                                                "Please make a choice for DOS channel 3 (Sound A)"}));
  const DosExportRow& row = f.commands().dosExportRows()[0];
  EXPECT_EQ(row.postfix.str(), "020");
  EXPECT_EQ(row.soundA, 2);
  Document back;
  NullProgress none;
  ASSERT_EQ(importDos(back, f.temp.file("data020.dat"), f.prompter, none), 0);
  EXPECT_EQ(back.recording->channelCount, 1);
  EXPECT_EQ(back.channelSetup.channelNames[0].str(), "RUant");

  // The next export starts from the kept rows and asks before replacing.
  f.commands().runDialog = [&](QDialog& d) {
    EXPECT_EQ(DialogFixture::box(d, "Postfix1")->text(), "020");
    EXPECT_EQ(DialogFixture::box<QComboBox>(d, "A1")->currentIndex(), 2);
    DialogFixture::press(d, "OKBitBtn");
    return d.result();
  };
  f.prompter.saveChoices = {{chosen, 4}};
  f.prompter.answers = {Answer::No};
  EXPECT_TRUE(f.commands().SaveAsClick());
  EXPECT_TRUE(f.prompter.asked("Overwrite " + f.temp.file("data020.dat") + "?"));
}
