#include "model/Palette.h"

#include <gtest/gtest.h>

namespace vode {
namespace {

TEST(Palette, GreyRampFromWhiteToNearBlackInSteps) {
  const Palette p = Palette::grey();
  EXPECT_EQ(p.entries[0].red, 255);
  EXPECT_EQ(p.entries[3].green, 255);
  EXPECT_EQ(p.entries[4].blue, 247);
  EXPECT_EQ(p.entries[20].red, 207);   // level[5]
  EXPECT_EQ(p.entries[44].red, 79);    // level[11]
  EXPECT_EQ(p.entries[63].red, 15);
  for (const PaletteEntry& e : p.entries) {
    EXPECT_EQ(e.red, e.green);
    EXPECT_EQ(e.green, e.blue);
    EXPECT_EQ(e.flags, 0);
  }
}

}  // namespace
}  // namespace vode
