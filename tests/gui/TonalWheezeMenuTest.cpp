// Analyze/"Detect Wheezes (Tonal)": visible at start, flags the wheezing
// segments and offers the wheeze picture.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <cmath>
#include <numbers>

#include "gui/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

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
  f.form().DoAnalyzeClick(true);
  entry->trigger();

  EXPECT_TRUE(f.prompter.saw("Wheeze analysis completed"));
  ASSERT_NE(f.doc().tagTable, nullptr);
  const TagTable& tags = *f.doc().tagTable;
  for (int s = 11; s < 19; ++s) EXPECT_TRUE(tags.flags(0, s) & Wheeze) << s;
  ASSERT_NE(f.doc().wheezeMap, nullptr);
  EXPECT_TRUE(f.doc().wheezeMap->hasImage(0));
  EXPECT_TRUE(f.form().findChild<QCheckBox*>("WheezesCheckBox")->isEnabled());
}
