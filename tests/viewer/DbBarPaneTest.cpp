// The dB colour bar.
#include "PaintFixture.h"
#include "viewer/PaneDrawing.h"

namespace vode::test {
namespace {

class ColourBar : public PaintFixture {};

TEST_F(ColourBar, HighestLevelOnTopOverTheWholePane) {
  // A palette with 64 distinct colours.
  for (int i = 0; i < 64; ++i) palette[i] = qRgb(4 * i, 255 - 4 * i, 7);
  for (qreal dpr : {1.0, 2.0}) {
    const QImage image = render(Pane::DB, dpr);
    EXPECT_EQ(at(image, 0, 0), QColor(palette[63]));
    EXPECT_EQ(at(image, 22, 1), QColor(palette[63]));
    EXPECT_EQ(at(image, 11, 2), QColor(palette[62]));
    EXPECT_EQ(at(image, 11, 64), QColor(palette[31]));
    EXPECT_EQ(at(image, 22, 127), QColor(palette[0]));
  }
}

}  // namespace
}  // namespace vode::test
