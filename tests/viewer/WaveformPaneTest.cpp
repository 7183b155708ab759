// The small waveform pane: the current segment and the level under the mouse.
#include "PaintFixture.h"
#include "viewer/PaneDrawing.h"

namespace vode::test {
namespace {

class WaveformPane : public PaintFixture {};

TEST_F(WaveformPane, ShowsTheCurrentSegment) {
  Recording& rec = makeRecording(30, 1);
  std::fill(rec.sound[0].begin(), rec.sound[0].end(), int16_t{8192});
  std::fill(rec.sound[0].begin() + 3 * 1024, rec.sound[0].begin() + 4 * 1024, int16_t{16384});
  state.CurrentSegment = 3;
  for (qreal dpr : {1.0, 2.0}) {
    const QImage image = render(Pane::Time, dpr);
    EXPECT_EQ(at(image, 60, 32), draw::Navy);  // 16384 / 512 counts per pixel
    EXPECT_EQ(at(image, 119, 32), draw::Navy);
    EXPECT_EQ(at(image, 60, 64), draw::Olive);
  }
  state.CurrentSegment = 2;
  EXPECT_EQ(at(render(Pane::Time), 60, 48), draw::Navy);  // 8192
}

TEST_F(Readouts, WaveformPaneAtItsMiddleReadsSample512) {
  state.CurrentSegment = 3;
  EXPECT_EQ(read(Pane::Time, {60, 40}), "50 ms, 2.50 V");
  EXPECT_EQ(read(Pane::Time, {0, 40}), "0 ms, 0.00 V");
  EXPECT_EQ(read(Pane::Time, {-1, 40}), "N/A");
  EXPECT_EQ(read(Pane::Time, {120, 40}), "N/A");
  state.CurrentChannel = 1;
  state.CurrentSegment = 0;
  EXPECT_EQ(read(Pane::Time, {60, 40}), "50 ms, 0.00 V");
  state.CurrentChannel = 2;  // no such channel
  EXPECT_EQ(read(Pane::Time, {60, 40}), "<unchanged>");
}

}  // namespace
}  // namespace vode::test
