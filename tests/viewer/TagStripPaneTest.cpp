// Tag strip colours, partial repaints and the tag words under the mouse.
#include "PaintFixture.h"
#include "viewer/PaneDrawing.h"

namespace vode::test {
namespace {

TEST(TagColour, LaterRulesOverrideEarlierOnes) {
  EXPECT_FALSE(tagColour(0, 0).isValid());
  EXPECT_EQ(tagColour(Inspiration, 0), draw::Lime);
  EXPECT_EQ(tagColour(Expiration, 0), draw::Lime);
  EXPECT_EQ(tagColour(Background, 0), draw::Black);
  EXPECT_EQ(tagColour(Background, Wheeze), draw::Aqua);
  EXPECT_EQ(tagColour(Inspiration, Wheeze | Rejected), draw::Red);
  EXPECT_EQ(tagColour(Expiration, Rejected | Clipped), draw::Yellow);
  EXPECT_EQ(tagColour(0, Clipped | Wheeze), draw::Yellow);
  // The lettered flags without a colour leave the phase colour.
  EXPECT_EQ(tagColour(Inspiration, ArFlag | CrFlag | AdFlag), draw::Lime);
  EXPECT_FALSE(tagColour(0, ArFlag).isValid());
  // Crackles show only when asked for, under the wheeze colour.
  EXPECT_EQ(tagColour(Inspiration, CrFlag, true), draw::Magenta);
  EXPECT_EQ(tagColour(Inspiration, CrFlag | Wheeze, true), draw::Aqua);
}

class TagStripPaint : public PaintFixture {
 protected:
  void SetUp() override {
    makeRecording(6, 2);
    TagTable& tags = makeTags();
    tags.setPhase(0, Inspiration);
    tags.setPhase(1, Expiration);
    tags.setFlags(0, 1, Rejected | Clipped);
    tags.setPhase(3, Background);
    tags.setFlags(1, 3, Rejected);  // another channel: not shown on channel 0
    tags.setPhase(4, Inspiration);
    tags.setFlags(0, 5, Wheeze);
  }
};

TEST_F(TagStripPaint, CellsShowTheCurrentChannelAtAnyRatio) {
  for (qreal dpr : {1.0, 2.0}) {
    const QImage image = render(Pane::Tag, dpr);
    ASSERT_EQ(image.width(), static_cast<int>(400 * dpr));
    EXPECT_EQ(at(image, 0, 0), draw::Lime);
    EXPECT_EQ(at(image, 7, 9), draw::Lime);
    EXPECT_EQ(at(image, 8, 5), draw::Yellow);  // rejected and clipped
    EXPECT_EQ(at(image, 16, 5), PaneFace);     // untagged
    EXPECT_EQ(at(image, 24, 5), draw::Black);  // background, rejected only on channel 1
    EXPECT_EQ(at(image, 40, 5), draw::Aqua);
    EXPECT_EQ(at(image, 48, 5), PaneFace);  // past the recording
  }
  state.CurrentChannel = 1;
  EXPECT_EQ(at(render(Pane::Tag), 24, 5), draw::Red);
  EXPECT_EQ(at(render(Pane::Tag), 8, 5), draw::Lime);
}

TEST_F(TagStripPaint, CellsFollowTheTimeAxis) {
  setSeconds(20, 3);  // 2 pixels per segment from segment 3
  const QImage image = render(Pane::Tag);
  EXPECT_EQ(at(image, 0, 0), draw::Black);
  EXPECT_EQ(at(image, 1, 0), draw::Black);
  EXPECT_EQ(at(image, 2, 0), draw::Lime);
  EXPECT_EQ(at(image, 4, 0), draw::Aqua);
  EXPECT_EQ(at(image, 6, 0), PaneFace);
}

TEST_F(TagStripPaint, OnlyTheInvalidRegionIsPainted) {
  QImage image(400, 10, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    // Columns 10..29: the cells of segments 1, 2 and 3, cut by the region.
    tagStrip.paint(p, QSize(400, 10), QRect(10, 0, 20, 10));
  }
  EXPECT_EQ(at(image, 0, 5), QColor(Qt::white));
  EXPECT_EQ(at(image, 9, 5), QColor(Qt::white));
  EXPECT_EQ(at(image, 10, 5), draw::Yellow);
  EXPECT_EQ(at(image, 16, 5), PaneFace);
  EXPECT_EQ(at(image, 29, 5), draw::Black);
  EXPECT_EQ(at(image, 30, 5), QColor(Qt::white));
}

TEST_F(TagStripPaint, NothingWithoutTags) {
  doc.tagTable.reset();
  const QImage image = render(Pane::Tag);
  EXPECT_EQ(countInPane(image, PaneFace), 400 * 10);
}

TEST_F(Readouts, TagStripWords) {
  EXPECT_EQ(read(Pane::Tag, {12, 3}), "N/A");  // no tags yet
  TagTable& tags = makeTags();
  tags.setPhase(1, Inspiration);
  tags.setFlags(0, 1, Rejected);
  tags.setPhase(2, Expiration);
  tags.setFlags(0, 2, Rejected | Clipped);
  tags.setPhase(3, Background);
  tags.setFlags(0, 3, Wheeze);
  tags.setPhase(4, 7);
  tags.setFlags(0, 4, Clipped);
  EXPECT_EQ(read(Pane::Tag, {12, 3}), "Inspiration Rejected");
  EXPECT_EQ(read(Pane::Tag, {16, 3}), "Expiration");
  EXPECT_EQ(read(Pane::Tag, {24, 3}), "Background Wheeze");
  EXPECT_EQ(read(Pane::Tag, {32, 3}), "Untagged Clipped");
  EXPECT_EQ(read(Pane::Tag, {0, 3}), "Untagged");
  EXPECT_EQ(read(Pane::Tag, {160, 3}), "N/A");
  state.CurrentChannel = 1;
  EXPECT_EQ(read(Pane::Tag, {12, 3}), "Inspiration");
}

}  // namespace
}  // namespace vode::test
