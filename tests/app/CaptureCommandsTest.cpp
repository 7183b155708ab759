// Pictures of the window and the developer's test commands: numbered screen
// captures, the educational picture and its sound, the test recording.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <filesystem>
#include <QImage>

#include "app/CaptureCommands.h"
#include "formats/FileErrors.h"
#include "formats/Wav.h"
#include "model/SineTestRecording.h"
#include "support/GuiTestSupport.h"
#include "viewer/WindowScale.h"
#include "viewer/PowerPanel.h"

using namespace vode;
using namespace vode::test;

namespace {

// Runs a test inside its own current folder, where the numbered pictures go.
class InFolder {
 public:
  explicit InFolder(const TempDir& dir) : before_(QDir::currentPath()) {
    EXPECT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path().string())));
  }
  ~InFolder() { QDir::setCurrent(before_); }

 private:
  QString before_;
};

struct CaptureFixture : WindowFixture {
  CaptureFixture() : WindowFixture(true), captures(new CaptureCommands(form())) {}
  CaptureCommands* captures;
};

bool isBlack(const QImage& image, int x, int y) { return image.pixelColor(x, y) == QColor(Qt::black); }

}  // namespace

TEST(Capture, NamesRangesAndAxisFollowTheView) {
  EXPECT_EQ(educationalName("/data/subj12.mer", 2, 1), "subj12b");
  EXPECT_EQ(educationalName("/data/subj12.x.mer", 1, 0), "subj12");
  EXPECT_EQ(numberedPictureName("MERO", 3), "MERO003.BMP");
  EXPECT_EQ(numberedPictureName("test", 1000), "test1000.BMP");

  DisplayState state;
  state.SonoSeconds = 10;
  EXPECT_EQ(educationalAxisLabels(state, 300).join(","), "0.0,2.5,5.0,7.5,sec");
  auto range = educationalRange(state, 60);  // the screen cut at the last segment
  ASSERT_TRUE(range);
  EXPECT_EQ(range->last, 59);

  state.ViewMode = WaveformView;
  state.WaveformIndex = 4;  // 400 ms, centred: segments 9..12 around segment 10
  state.CurrentSegment = 10;
  EXPECT_EQ(educationalAxisLabels(state, 300).join(","), "0,100,200,300,msec");
  range = educationalRange(state, 13);
  ASSERT_TRUE(range);
  EXPECT_EQ(range->first, 9);
  EXPECT_EQ(range->last, 12);
  EXPECT_FALSE(educationalRange(state, 12));  // the window runs past the end
}

TEST(Capture, ScreenCapturesNeverReplaceAFile) {
  CaptureFixture f;
  InFolder here(f.temp);
  for (int i = 0; i < 3; ++i) f.captures->CaptureScreenClick();
  EXPECT_TRUE(f.prompter.saw("Captured screen to file: MERO003.BMP"));
  const QImage third(QString::fromStdString(f.temp.file("MERO003.BMP")));
  EXPECT_EQ(third.size(), QSize(ClientWidth, ClientHeight));

  // Another run's captures 4 and 5 are passed over.
  writeBytes(f.temp.file("MERO004.BMP"), {1});
  writeBytes(f.temp.file("MERO005.BMP"), {2});
  f.captures->CaptureScreenClick();
  EXPECT_TRUE(f.prompter.saw("Captured screen to file: MERO006.BMP"));
  EXPECT_EQ(readBytes(f.temp.file("MERO004.BMP")), std::vector<uint8_t>{1});
}

TEST(Capture, EducationalPairHoldsTheScreenAndAsksBeforeReplacing) {
  CaptureFixture f;
  f.load(makeRecording(30, 2), f.temp.file("subj12.mer"));
  f.form().ChooseChannel(1);
  const std::string base = f.temp.file("subj12b");
  f.prompter.saveChoices.push_back({base, 1});
  f.captures->Capture1Click();
  EXPECT_EQ(f.prompter.proposedSaveName, "subj12b");

  const QImage image(QString::fromStdString(base + ".bmp"));
  ASSERT_EQ(image.size(), QSize(488, 335));
  // Airflow: two short arrows above each other in the strip at x 442, y -8.
  EXPECT_TRUE(isBlack(image, 448, 32));   // inspiration
  EXPECT_TRUE(isBlack(image, 448, 60));   // expiration
  EXPECT_FALSE(isBlack(image, 448, 44));  // the gap between them
  EXPECT_FALSE(isBlack(image, 456, 50));

  // The sound of the screen: all 30 segments of channel 2.
  const std::vector<uint8_t> wav = readBytes(base + ".wav");
  ASSERT_EQ(wav.size(), WavHeaderSize + 30 * SegmentSamples * 2);
  EXPECT_EQ(static_cast<int16_t>(wav[44 + 2 * 700] | wav[45 + 2 * 700] << 8), f.doc().recording->sound[1][700]);

  // Both files exist now: the sound is asked about too, and No keeps it.
  writeBytes(base + ".wav", {7});
  f.prompter.answers = {Answer::Yes, Answer::No};
  f.prompter.saveChoices.push_back({base, 1});
  f.captures->Capture1Click();
  EXPECT_TRUE(f.prompter.asked("Overwrite " + base + ".bmp?"));
  EXPECT_TRUE(f.prompter.asked("Overwrite " + base + ".wav?"));
  EXPECT_EQ(readBytes(base + ".wav"), std::vector<uint8_t>{7});

  // A respiration band: long arrows side by side.
  f.doc().channelSetup.airflowKind = 1;
  f.prompter.saveChoices.push_back({f.temp.file("resp"), 1});
  f.captures->Capture1Click();
  const QImage resp(QString::fromStdString(f.temp.file("resp.bmp")));
  EXPECT_TRUE(isBlack(resp, 448, 44));
  EXPECT_TRUE(isBlack(resp, 456, 50));
}

TEST(Capture, PicturesInPowerDisplayAreOfThePanes) {
  VODE_NEEDS_TESTDATA();
  CaptureFixture f;
  const std::string path = f.copyOfTestdata("flow2_tagged.mer", "tagged.mer");
  ASSERT_EQ(f.open(path), 0);
  f.form().StopBitBtnClick();
  // Right of the frequency labels and below the flow pane: power display
  // hides the one and draws the power trace in the other.
  const QRect panes(40, 80, 448, 255);
  const QImage flow = f.captures->educationalImage().copy(panes);

  click(f.form(), "VolumeButton");
  click(f.form(), "VolumeButton");
  InFolder here(f.temp);
  f.captures->MakeBMPsClick();
  waitUntilIdle(f.form().workspace());
  const QImage segment(QString::fromStdString(f.temp.file("test000.BMP")));
  f.form().findChild<QComboBox*>("SpinType")->setCurrentIndex(static_cast<int>(ChartType::FlowDb));
  ASSERT_FALSE(control(f.form(), "Chart")->isHidden());
  EXPECT_EQ(f.captures->educationalImage().copy(panes), flow);
  f.captures->MakeBMPsClick();
  waitUntilIdle(f.form().workspace());
  EXPECT_EQ(QImage(QString::fromStdString(f.temp.file("test000.BMP"))), segment);
  for (const char* shown : {"AvgPanel", "Chart"}) EXPECT_FALSE(control(f.form(), shown)->isHidden()) << shown;
}

TEST(Capture, FailedPictureLeavesTheWindowAsItWas) {
  CaptureFixture f;
  f.load(makeRecording(30, 1), f.temp.file("band.mer"));
  f.doc().channelSetup.airflowKind = 1;
  f.form().adjust_to_prefs();
  FaultyFileSystem failing;
  failing.fault = FaultyFileSystem::Fault::Write;
  f.captures->fileSystem = &failing;
  f.prompter.saveChoices.push_back({f.temp.file("band"), 1});
  f.captures->Capture1Click();

  ASSERT_FALSE(f.prompter.messages.empty());
  EXPECT_EQ(f.prompter.messages.back().text, "Unable to save " + f.temp.file("band.bmp") + "... " + FileErrorText(101));
  EXPECT_TRUE(readBytes(f.temp.file("band.wav")).empty());
  TMainForm& form = f.form();
  for (const char* shown : {"TagPanel", "ScrollBar", "VolumeButton", "FlowMaxLabel", "RightTimeLabel", "SonoShape"})
    EXPECT_FALSE(control(form, shown)->isHidden()) << shown;
  for (const char* hidden : {"IEPanel", "AxisPanel"}) EXPECT_TRUE(control(form, hidden)->isHidden()) << hidden;
  EXPECT_EQ(control(form, "DBArea")->x(), 456);
  EXPECT_EQ(labelText(form, "FlowUnitsLabel"), "Volts");
}

TEST(Capture, WaveformPastTheEndIsRefused) {
  CaptureFixture f;
  f.doc().preferences.waveformTime = 6;  // 1600 ms
  f.load(makeRecording(10, 1));
  f.form().TimeBoxClick();
  f.captures->Capture1Click();
  EXPECT_TRUE(f.prompter.saw("Waveform must occupy the full width.\rPlease try again."));
  EXPECT_EQ(f.prompter.proposedSaveName, "");
}

TEST(Capture, MakeBMPsWritesOnePicturePerSegmentOfTheScreen) {
  CaptureFixture f;
  InFolder here(f.temp);
  f.load(makeRecording(3, 1));
  f.captures->MakeBMPsClick();
  waitUntilIdle(f.form().workspace());
  for (const char* name : {"test000.BMP", "test001.BMP", "test002.BMP"})
    EXPECT_EQ(QImage(QString::fromStdString(f.temp.file(name))).size(), QSize(442, 334)) << name;
  EXPECT_EQ(f.state().CurrentSegment, 2);
}

TEST(Capture, SineTestRecordingHasItsTonesWhereExpected) {
  const Recording r = makeSineTestRecording();
  ASSERT_EQ(r.segmentCount, 200);
  ASSERT_EQ(r.channelCount, 1);
  const auto sine = [](double volts, double hz, int k) {
    return std::nearbyint(volts * std::sin(2 * M_PI * hz * k / SoundRate) / 5 * 32767);
  };
  const std::vector<int16_t>& s = r.sound[0];
  for (int k : {0, 7, 43, 512, 1000}) EXPECT_NEAR(s[k], sine(0.2, 60, k), 1) << k;
  // Segment 18 goes on at 120 Hz from where the 60 Hz tone had got to.
  const int k18 = 18 * SegmentSamples;
  const double phase = 2 * M_PI * 60 * k18 / SoundRate;
  EXPECT_NEAR(s[k18 + 30], std::nearbyint(0.2 * std::sin(phase + 2 * M_PI * 120 * 30 / SoundRate) / 5 * 32767), 1);
  for (int k = 90 * SegmentSamples; k < 110 * SegmentSamples; ++k) ASSERT_EQ(s[k], 0) << k;
  const int k110 = 110 * SegmentSamples;
  for (int k : {0, 43, 1000}) EXPECT_NEAR(s[k110 + k], sine(1.3, 60, k), 1) << k;
  EXPECT_NEAR(s[128 * SegmentSamples + 5], sine(0.65, 120, 5), 1);
}

TEST(Capture, MakeSineWavAsksFirstAndReplacesTheRecording) {
  CaptureFixture f;
  f.load(makeRecording(30, 2), f.temp.file("kept.mer"));
  f.doc().state.modified = true;
  f.prompter.answers = {Answer::Cancel};
  f.captures->MakeSineWav1Click();
  EXPECT_TRUE(f.prompter.asked("Save changes to " + f.temp.file("kept.mer") + "?"));
  EXPECT_EQ(f.doc().recording->segmentCount, 30);

  f.doc().state.modified = false;
  f.captures->MakeSineWav1Click();
  EXPECT_EQ(f.doc().recording->segmentCount, 200);
  EXPECT_EQ(f.doc().state.currentFileName, "Untitled");
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_EQ(f.doc().spectra, nullptr);
  EXPECT_EQ(shownCaption(f.form()), "R.E.Z.U. Vode - Untitled*");
  // Nothing of the old breath phases is left to read.
  f.form().set_current_segment(57);
  EXPECT_EQ(f.form().segmentStatus(), "Time 5.7s, N/A, 0.00 L/s");
}

TEST(Capture, PrintReportsOnlyAfterTheDialogIsConfirmed) {
  CaptureFixture f;
  f.prompter.printChoices = {false, true};
  f.captures->Print1Click();
  EXPECT_TRUE(f.prompter.messages.empty());
  f.captures->Print1Click();
  EXPECT_EQ(f.prompter.printDialogs, 2);
  EXPECT_TRUE(f.prompter.saw("Print screen is not available"));
}

TEST(Capture, AWiderWindowGivesThePictureOfTheNaturalProportions) {
  CaptureFixture f;
  f.load(makeRecording(30, 2), f.temp.file("wide.mer"));
  f.form().show();
  const QImage one = f.captures->educationalImage();
  f.form().resize(f.form().size() + QSize(250, 0));
  QCoreApplication::processEvents();
  ASSERT_GT(f.form().windowScale().extraWidth(), 0);
  EXPECT_EQ(f.captures->educationalImage(), one);
  EXPECT_GT(f.form().windowScale().extraWidth(), 0);  // and stretched again after it
}

TEST(Capture, ZoomedWindowGivesTheSamePictureEnlarged) {
  CaptureFixture f;
  f.load(makeRecording(30, 2), f.temp.file("zoom.mer"));
  const QImage one = f.captures->educationalImage();
  f.form().zoomWindow(2.0);
  const QImage two = f.captures->educationalImage();
  ASSERT_EQ(two.size(), one.size() * 2);
  // The dB bar, moved against the large pane for the picture, lands where
  // the natural picture has it, and goes back to its place afterwards.
  const QRect bar(442, 192, 23, 128);
  int differing = 0;
  for (int y = 0; y < 2 * bar.height(); ++y)
    for (int x = 0; x < 2 * bar.width(); ++x)
      differing += two.pixel(2 * bar.x() + x, 2 * bar.y() + y) != one.pixel(bar.x() + x / 2, bar.y() + y / 2);
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(control(f.form(), "DBArea")->x(), 912);
}
