// The window's side of the analysis: the images follow the frequency range.
#include <gtest/gtest.h>

#include "analysis/Spectra.h"
#include "analysis/WheezeDetection.h"
#include "analysis/WheezeImage.h"
#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

TEST(FrequencyZoom, RebuildsSonogramAndWheezeImages) {
  WindowFixture f;
  ASSERT_EQ(f.commands().openPath(testdata("flow2_tagged.mer")), 0);
  Document& doc = f.doc();
  SilentPrompter quiet;
  NullProgress none;
  ASSERT_EQ(DetectWheezes(doc, none, quiet), 0);
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
  CalculateImage(doc, Palette::grey(), none);
  CalculateWheezeImage(doc, none);
  EXPECT_EQ(doc.spectra->sonogram[0].pixels, sonogram2400);
  EXPECT_EQ(doc.wheezeMap->image[0].pixels, wheeze2400);
}
