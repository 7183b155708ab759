// The large pane in Sonogram view: a stretched copy of the stored image.
#include "PaintFixture.h"
#include "viewer/PaneDrawing.h"

namespace vode::test {
namespace {

class SonogramPaint : public PaintFixture {
 protected:
  void SetUp() override {
    // No palette entry is black, so black means "not copied".
    for (int i = 0; i < 64; ++i) palette[i] = qRgb(4 * i, 255 - 4 * i, 100);
    makeRecording(150, 2);
    SegmentSpectra& spectra = makeSpectra(1e-6f);
    // Column s, row r holds level (s + r) mod 64 on channel 0 and 63 on channel 1.
    for (int s = 0; s < 150; ++s)
      for (int r = 0; r < ImageRows; ++r) {
        spectra.sonogram[0].at(s, r) = static_cast<uint8_t>((s + r) % 64);
        spectra.sonogram[1].at(s, r) = 63;
      }
  }
  QColor level(int s, int r) const { return QColor(palette[(s + r) % 64]); }
};

TEST_F(SonogramPaint, CopyCoversOnlyTheRecording) {
  setSeconds(20, 100);  // 200 segments per screen, 2 pixels each
  for (qreal dpr : {1.0, 2.0}) {
    const QImage image = render(Pane::Sono, dpr);
    for (int s : {100, 101, 125, 149})
      for (int r : {0, 1, 100, 238}) {
        EXPECT_EQ(at(image, 2 * (s - 100), r), level(s, r)) << s << "," << r;
        EXPECT_EQ(at(image, 2 * (s - 100) + 1, r), level(s, r)) << s << "," << r;
      }
    EXPECT_EQ(at(image, 99, 239), level(149, 239));
    for (int x : {100, 101, 250, 399}) EXPECT_EQ(at(image, x, 10), draw::Black) << x;
  }
}

TEST_F(SonogramPaint, StretchFollowsTheSegmentWidth) {
  setSeconds(5, 10);  // 8 pixels per segment
  const QImage image = render(Pane::Sono);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(at(image, x, 5), level(10, 5));
  EXPECT_EQ(at(image, 8, 5), level(11, 5));
  EXPECT_EQ(at(image, 399, 5), level(59, 5));
}

TEST_F(SonogramPaint, CurrentChannelAndWheezeImage) {
  state.CurrentChannel = 1;
  EXPECT_EQ(at(render(Pane::Sono), 0, 0), QColor(palette[63]));

  doc.wheezeMap = std::make_unique<WheezeMap>();
  doc.wheezeMap->channelCount = 2;
  doc.wheezeMap->segmentCount = 150;
  doc.wheezeMap->image[1] = doc.spectra->sonogram[1];
  doc.wheezeMap->image[1].at(0, 0) = BlackIndex;
  doc.wheezeMap->image[1].at(1, 0) = 5;
  state.WheezesChecked = true;
  const QImage image = render(Pane::Sono);
  EXPECT_EQ(at(image, 0, 0), draw::Black);
  EXPECT_EQ(at(image, 8, 0), QColor(palette[5]));
  EXPECT_EQ(at(image, 8, 1), QColor(palette[63]));
  state.WheezesChecked = false;
  EXPECT_EQ(at(render(Pane::Sono), 0, 0), QColor(palette[63]));
  // A channel without a wheeze image keeps showing its sonogram.
  state.WheezesChecked = true;
  state.CurrentChannel = 0;
  EXPECT_EQ(at(render(Pane::Sono), 8, 3), level(1, 3));
}

TEST_F(SonogramPaint, BlackWhileDisabledOrWithoutPower) {
  state.WindowEnabled = false;
  EXPECT_EQ(countInPane(render(Pane::Sono), draw::Black), 400 * 240);
  state.WindowEnabled = true;
  state.CurrentChannel = 2;  // beyond the analysed channels
  EXPECT_EQ(countInPane(render(Pane::Sono), draw::Black), 400 * 240);
  state.CurrentChannel = 0;
  doc.spectra->powerData.clear();
  EXPECT_EQ(countInPane(render(Pane::Sono), draw::Black), 400 * 240);
}

TEST_F(SonogramPaint, ImageNarrowerThanTheRecordingIsCut) {
  // An image made for fewer segments must not be read past its end.
  doc.spectra->sonogram[0].allocate(20, ImageRows);
  const QImage image = render(Pane::Sono);
  EXPECT_EQ(at(image, 159, 0), QColor(palette[0]));
  EXPECT_EQ(at(image, 160, 0), draw::Black);
}

}  // namespace
}  // namespace vode::test
