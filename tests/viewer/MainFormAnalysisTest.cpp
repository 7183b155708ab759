// The window's side of the analysis: the images follow the frequency range;
// Analyze/"Detect Wheezes (Tonal)" flags the wheezing segments and offers the
// wheeze picture.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <cmath>
#include <numbers>

#include "analysis/Spectra.h"
#include "analysis/WheezeDetection.h"
#include "analysis/WheezeImage.h"
#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

TEST(FrequencyZoom, RebuildsSonogramAndWheezeImages) {
  VODE_NEEDS_TESTDATA();
  WindowFixture f;
  ASSERT_EQ(f.open(testdata("flow2_tagged.mer")), 0);
  Document& doc = f.doc();
  SilentPrompter quiet;
  NullProgress none;
  ASSERT_EQ(DetectWheezes(doc, doc, none, quiet), 0);
  ASSERT_TRUE(doc.wheezeMap && doc.wheezeMap->hasImage(0));
  const std::vector<uint8_t> sonogram1200 = doc.spectra->sonogram[0].pixels;
  const std::vector<uint8_t> wheeze1200 = doc.wheezeMap->image[0].pixels;

  f.form().ZoomOutYClick();  // Sonogram view: 1200 -> 2400 Hz
  EXPECT_EQ(doc.preferences.frequency, 1);
  EXPECT_TRUE(f.form().isEnabled());
  const std::vector<uint8_t> sonogram2400 = doc.spectra->sonogram[0].pixels;
  const std::vector<uint8_t> wheeze2400 = doc.wheezeMap->image[0].pixels;
  EXPECT_NE(sonogram2400, sonogram1200);
  EXPECT_NE(wheeze2400, wheeze1200);
  // They are the images of the new range: building them again changes nothing.
  CalculateImage(doc, doc, Palette::grey(), none);
  CalculateWheezeImage(doc, doc, none);
  EXPECT_EQ(doc.spectra->sonogram[0].pixels, sonogram2400);
  EXPECT_EQ(doc.wheezeMap->image[0].pixels, wheeze2400);
}

TEST(TonalWheezeMenu, FlagsTheToneAndEnablesTheWheezePicture) {
  WindowFixture f;
  QAction* entry = f.form().action("DetectWheezesTonal1");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->text(), "Detect Wheezes (Tonal)");
  EXPECT_TRUE(entry->isVisible());

  // Quiet noise with a 500 Hz tone over segments 10 to 19 of channel 1.
  Recording rec = makeRecording(40, 2, 3);
  for (int i = 10 * SegmentSamples; i < 20 * SegmentSamples; ++i)
    rec.sound[0][i] = static_cast<int16_t>(rec.sound[0][i] / 4 +
                                           4000.0 * std::sin(2.0 * std::numbers::pi * 500.0 * i / SoundRate));
  f.load(std::move(rec));
  entry->trigger();  // not analysed yet
  EXPECT_TRUE(f.prompter.saw("No PSD"));
  f.form().DoAnalyzeClick();
  entry->trigger();

  // Our own command says it is done in the status bar, not in a box.
  EXPECT_FALSE(f.prompter.saw("Wheeze analysis completed"));
  QCoreApplication::processEvents();
  EXPECT_EQ(f.form().cursorStatus(), "Wheeze analysis completed");
  ASSERT_NE(f.doc().tagTable, nullptr);
  const TagTable& tags = *f.doc().tagTable;
  for (int s = 11; s < 19; ++s) EXPECT_TRUE(tags.flags(0, s) & Wheeze) << s;
  ASSERT_NE(f.doc().wheezeMap, nullptr);
  EXPECT_TRUE(f.doc().wheezeMap->hasImage(0));
  EXPECT_TRUE(f.form().findChild<QCheckBox*>("WheezesCheckBox")->isEnabled());
}

TEST(AnalyzeMenu, TestWheezeFlagsAndShowsTheWheezeImage) {
  VODE_NEEDS_TESTDATA();
  WindowFixture f(true);
  f.form().TestWheezeClick();
  EXPECT_TRUE(f.prompter.saw("No data"));
  ASSERT_EQ(f.open(testdata("flow2_tagged.mer")), 0);
  auto* wheezes = f.form().findChild<QCheckBox*>("WheezesCheckBox");
  EXPECT_FALSE(wheezes->isEnabled());
  QWidget* sono = control(f.form(), "SonoBox");
  const QImage sonogram = sono->grab().toImage();
  f.form().action("TestWheeze1")->trigger();
  EXPECT_TRUE(f.prompter.saw("Wheeze analysis completed"));
  ASSERT_TRUE(wheezes->isEnabled());
  wheezes->click();
  EXPECT_TRUE(f.state().WheezesChecked);
  // The wheeze image is the sonogram with black marks at the wheezes of
  // 3.9 - 4.6 s, on the first screen.
  EXPECT_TRUE(f.doc().tagTable->flags(0, 42) & Wheeze);
  EXPECT_NE(sono->grab().toImage(), sonogram);
}

TEST(AnalyzeMenu, TestCrackleCopiesTheFirstChannelWithoutMarkingTheDocument) {
  WindowFixture f(true);
  f.load(makeRecording(20, 1));
  f.form().action("TestCrackle1")->trigger();
  EXPECT_TRUE(f.prompter.saw("Data has only one channel"));
  Recording two = makeRecording(20, 2, 5);
  f.load(std::move(two));
  f.form().action("TestCrackle1")->trigger();
  EXPECT_TRUE(f.prompter.saw("ST data created"));
  EXPECT_EQ(f.doc().recording->sound[1], f.doc().recording->sound[0]);
  EXPECT_FALSE(f.doc().state.modified);
}

TEST(AnalyzeMenu, FftAgainKeepsHandEditedPhases) {
  VODE_NEEDS_TESTDATA();
  WindowFixture f(true);
  ASSERT_EQ(f.open(testdata("flow2_tagged.mer")), 0);
  f.form().set_current_segment(40);
  f.form().action("Background1")->trigger();
  ASSERT_EQ(f.doc().tagTable->phase(40), Background);
  f.form().action("FFT1")->trigger();
  EXPECT_EQ(f.doc().tagTable->phase(40), Background);
  EXPECT_TRUE(f.form().isEnabled());
}
