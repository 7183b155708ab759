// The window palette and the colour table of the indexed images.
#include "PaintFixture.h"
#include "viewer/PaneDrawing.h"

namespace vode::test {
namespace {

TEST(WindowPaletteTable, GreyRampAndBlackAboveThePalette) {
  const WindowPalette grey = makeWindowPalette(Palette::grey());
  ASSERT_EQ(grey.size(), 64);
  EXPECT_EQ(grey[0], qRgb(255, 255, 255));
  EXPECT_EQ(grey[63], qRgb(15, 15, 15));
  const QVector<QRgb> table = indexedColorTable(grey);
  ASSERT_EQ(table.size(), 256);
  EXPECT_EQ(table[5], grey[5]);
  EXPECT_EQ(table[64], qRgb(0, 0, 0));
  EXPECT_EQ(table[BlackIndex], qRgb(0, 0, 0));
  // A short palette leaves the missing levels black rather than reading past it.
  EXPECT_EQ(indexedColorTable(WindowPalette{qRgb(1, 2, 3)})[1], qRgb(0, 0, 0));
}

}  // namespace
}  // namespace vode::test
