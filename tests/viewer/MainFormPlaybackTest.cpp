// Playback against a scripted sound output and clock: the range, the play
// line, the end one tick after the range, the rate check and the failures.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>

#include "audio/AudioOutput.h"
#include "formats/BlockFile.h"
#include "support/GuiTestSupport.h"
#include "viewer/PaneWidget.h"
#include "workspace/PlayRange.h"

using namespace vode;
using namespace vode::test;

namespace {

class ManualClock : public Clock {
 public:
  int64_t now = 1000;
  int64_t nowMs() const override { return now; }
};

// Plays nothing; the test sets the position and the failures.
class ScriptedOutput : public AudioOutput {
 public:
  bool device = true;
  std::string openFailure;
  std::string playingFailure;
  std::vector<int16_t> samples;
  int opens = 0;
  int64_t startMs = -1;
  int64_t pos = 0;
  bool closed = false;

  bool hasDevice() const override { return device; }
  bool open(std::vector<int16_t> s, int rate) override {
    ++opens;
    closed = false;
    error_ = openFailure;
    samples = std::move(s);
    return error_.empty() && rate == SoundRate;
  }
  bool play(int64_t ms) override {
    startMs = pos = ms;
    return true;
  }
  int64_t position() override {
    error_ = playingFailure;
    return error_.empty() ? pos : -1;
  }
  void stop() override {}
  void close() override { closed = true; }
  std::string errorText() const override { return error_; }

 private:
  std::string error_;
};

struct PlayFixture : WindowFixture {
  ScriptedOutput* out = nullptr;
  ManualClock* clock = nullptr;

  PlayFixture() {
    auto o = std::make_unique<ScriptedOutput>();
    auto c = std::make_unique<ManualClock>();
    out = o.get();
    clock = c.get();
    form().usePlayback(std::move(o), std::move(c));
  }
  PaneWidget* pane(const char* name) { return static_cast<PaneWidget*>(control(form(), name)); }
  // One 20 ms tick of the window with the sound and the clock moved on by ms.
  void tick(int64_t ms = 20) {
    out->pos += ms;
    clock->now += ms;
    form().DATimerTimer();
  }
  // Ticks until playback ends; the number of ticks, or -1 past limit.
  int playToEnd(int limit = 2000) {
    for (int i = 1; i <= limit; ++i) {
      tick();
      if (!form().playing()) return i;
    }
    return -1;
  }
};

const char* const SlowWarning =
    "Playback took 4.5 versus 3.0 seconds.\rYour sound card may not support the required\r"
    "playback rate of 10240 Hz.";

}  // namespace

TEST(Playback, ScreenRangePastTheEndPlaysToTheLastSegmentAndStops) {
  PlayFixture f;
  f.load(makeRecording(30, 1));  // 3 s; the screen shows 5 s
  f.form().PlayBitBtnClick();
  ASSERT_TRUE(f.form().playing());
  EXPECT_EQ(f.state().PlayFirst, 0);
  EXPECT_EQ(f.state().PlayLast, 29);
  EXPECT_EQ(f.out->startMs, 0);
  // The line stands on the centre of segment 0 of both time-aligned panes.
  EXPECT_EQ(f.pane("FlowBox")->playLine(), 4);
  EXPECT_EQ(f.pane("SonoBox")->playLine(), 4);

  // A late tick moves the line by one segment only.
  f.tick(20);
  f.tick(230);
  EXPECT_EQ(f.state().PlayCounter, 1);
  EXPECT_EQ(f.pane("FlowBox")->playLine(), 12);

  f.out->pos = 2980;
  f.clock->now = 1000 + 2980;
  f.form().DATimerTimer();  // catches up one segment per tick from here
  int ticks = 0;
  while (f.state().PlayCounter < 29 && ticks < 100) f.tick(0), ++ticks;
  EXPECT_TRUE(f.form().playing());
  f.tick(20);  // position 3000: past the end of segment 29
  EXPECT_FALSE(f.form().playing());
  EXPECT_TRUE(f.out->closed);
  EXPECT_EQ(f.state().PlayCounter, -1);
  EXPECT_EQ(f.pane("FlowBox")->playLine(), -1);
  EXPECT_EQ(f.pane("SonoBox")->playLine(), -1);
  EXPECT_TRUE(f.prompter.messages.empty());  // 3.0 s for 3.0 s
}

TEST(Playback, RateWarningOnlyForACompletePlayback) {
  PlayFixture f;
  f.load(makeRecording(30, 1));
  f.form().PlayBitBtnClick();
  // The clock runs half as fast again as the sound.
  for (int i = 0; i < 1000 && f.form().playing(); ++i) {
    f.out->pos += 20;
    f.clock->now += 30;
    f.form().DATimerTimer();
  }
  ASSERT_EQ(f.prompter.messages.size(), 1u);
  EXPECT_EQ(f.prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(f.prompter.messages[0].text, SlowWarning);

  // Stopped by hand, however long it took: no check.
  f.prompter.messages.clear();
  f.form().PlayBitBtnClick();
  f.tick(1500);
  f.clock->now += 60000;
  f.form().StopBitBtnClick();
  EXPECT_FALSE(f.form().playing());
  EXPECT_TRUE(f.prompter.messages.empty());
}

TEST(Playback, RateCheckTimesTheSoundFromItsStartAndTheRangeOfThePlay) {
  PlayFixture f;
  f.load(makeRecording(100, 1));
  f.form().PlayBitBtnClick();  // the screen: 5 s
  // The sound server starts the sound 1.5 s after Play returned.
  for (int i = 0; i < 75; ++i) f.tick(0), f.clock->now += 20;
  f.tick();
  // Zooming while playing forgets the range chosen, not the one playing.
  f.form().ZoomOutXClick();
  EXPECT_EQ(f.state().PlayFirst, -1);
  EXPECT_GT(f.playToEnd(), 0);
  EXPECT_TRUE(f.prompter.messages.empty()) << f.prompter.messages[0].text;
}

TEST(Playback, RangeRules) {
  DisplayState s;
  s.FirstSegment = 0;
  s.SonoSeconds = 5;
  // Nothing chosen: the screen.
  ASSERT_TRUE(choosePlayRange(s, 1800, nullptr));
  EXPECT_EQ(s.PlayFirst, 0);
  EXPECT_EQ(s.PlayLast, 49);
  // A range chosen earlier plays again while it is on screen...
  s.PlayFirst = 30;
  s.PlayLast = 45;
  ASSERT_TRUE(choosePlayRange(s, 1800, nullptr));
  EXPECT_EQ(s.PlayFirst, 30);
  EXPECT_EQ(s.PlayLast, 45);
  EXPECT_DOUBLE_EQ(expectedPlaySeconds(s), 1.6);
  // ...and gives way to the screen once it is not.
  s.FirstSegment = 35;
  ASSERT_TRUE(choosePlayRange(s, 1800, nullptr));
  EXPECT_EQ(s.PlayFirst, 35);
  EXPECT_EQ(s.PlayLast, 84);

  // Waveform view: the 400 ms window starting at sample 10240.
  s.FirstSegment = 0;
  s.ViewMode = WaveformView;
  WaveWindow wave;
  wave.waveFirstSample = 10240;
  wave.waveSpan = 4095;  // trunc(400 x 10.24) - 1
  ASSERT_TRUE(choosePlayRange(s, 1800, &wave));
  EXPECT_EQ(s.PlayFirst, 10);
  EXPECT_EQ(s.PlayLast, 13);
  // The large pane's line sits on the segment's centre inside the window.
  EXPECT_EQ(largePlayLineX(s, 10, 400, &wave), 50);
  EXPECT_EQ(largePlayLineX(s, 13, 400, &wave), 350);
  EXPECT_EQ(playLineX(s, 13), 108);
}

TEST(Playback, PlaysWhatTheChosenChannelHoldsNow) {
  PlayFixture f;
  Recording r = makeRecording(20, 4);
  f.load(std::move(r));
  f.form().ChooseChannel(2);  // the third of four: no file of its own needed
  f.form().PlayBitBtnClick();
  ASSERT_TRUE(f.form().playing());
  EXPECT_EQ(f.out->samples, f.doc().recording->sound[2]);
  f.form().StopBitBtnClick();

  // An edit of the samples is heard at the next Play.
  for (int16_t& v : f.doc().recording->sound[2]) v = static_cast<int16_t>(v / 2 + 1);
  f.form().PlayBitBtnClick();
  EXPECT_EQ(f.out->samples, f.doc().recording->sound[2]);
}

TEST(Playback, IgnoresPlayAndPanePressesWhilePlaying) {
  PlayFixture f;
  f.load(makeRecording(100, 1));
  f.form().set_current_segment(3);
  f.form().PlayBitBtnClick();
  f.form().PlayBitBtnClick();
  EXPECT_EQ(f.out->opens, 1);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(200, 10), QPointF(200, 10), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(f.pane("FlowBox"), &press);
  EXPECT_EQ(f.state().CurrentSegment, 3);
  f.form().StopBitBtnClick();
  QCoreApplication::sendEvent(f.pane("FlowBox"), &press);
  EXPECT_EQ(f.state().CurrentSegment, 25);
}

TEST(Playback, FailuresOfTheOutput) {
  PlayFixture f;
  f.load(makeRecording(30, 1));
  // Without a device Play shows the output's text and does not start.
  f.out->openFailure = "There is no sound output device.";
  f.form().PlayBitBtnClick();
  EXPECT_FALSE(f.form().playing());
  EXPECT_EQ(f.state().PlayCounter, -1);
  EXPECT_EQ(f.pane("FlowBox")->playLine(), -1);
  ASSERT_EQ(f.prompter.messages.size(), 1u);
  EXPECT_EQ(f.prompter.messages[0].text, "There is no sound output device.");

  // After an open, no device at all is told in the status bar, not in a box.
  f.out->device = false;
  f.prompter.messages.clear();
  f.form().playAfterLoading();
  EXPECT_FALSE(f.form().playing());
  EXPECT_TRUE(f.prompter.messages.empty());
  EXPECT_EQ(f.form().cursorStatus(), "No sound output device");

  // A failure while playing stops, then tells.
  f.out->device = true;
  f.out->openFailure.clear();
  f.form().PlayBitBtnClick();
  ASSERT_TRUE(f.form().playing());
  f.out->playingFailure = "The sound output device failed.";
  f.tick();
  EXPECT_FALSE(f.form().playing());
  EXPECT_TRUE(f.out->closed);
  ASSERT_EQ(f.prompter.messages.size(), 1u);
  EXPECT_EQ(f.prompter.messages[0].text, "The sound output device failed.");
}

TEST(Playback, StartsAfterAnOpenButNotAfterTheMenuAnalysis) {
  PlayFixture f;
  const std::string path = f.temp.file("six.mer");
  {
    Document doc;
    doc.recording = std::make_unique<Recording>(makeRecording(60, 1));
    SilentPrompter quiet;
    NullProgress none;
    ASSERT_EQ(saveRecordingFile(doc, path, 0, 59, quiet, none), 0);
  }
  ASSERT_EQ(f.open(path), 0);
  EXPECT_TRUE(f.form().playing());
  EXPECT_EQ(f.out->opens, 1);
  f.form().StopBitBtnClick();
  f.form().DoAnalyzeClick();
  EXPECT_FALSE(f.form().playing());
  EXPECT_EQ(f.out->opens, 1);
}

namespace {

void mouse(QWidget* pane, QEvent::Type type, int x, Qt::MouseButtons held) {
  const QPointF at(x, 5);
  QMouseEvent event(type, at, at, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
  QCoreApplication::sendEvent(pane, &event);
}

// Presses on segment from, drags over the segments between and releases on to.
void drag(QWidget* pane, int from, int to) {
  mouse(pane, QEvent::MouseButtonPress, from * 8 + 3, Qt::LeftButton);
  const int step = to > from ? 1 : -1;
  for (int s = from; s != to; s += step) mouse(pane, QEvent::MouseMove, s * 8 + 3, Qt::LeftButton);
  mouse(pane, QEvent::MouseMove, to * 8 + 3, Qt::LeftButton);
  mouse(pane, QEvent::MouseButtonRelease, to * 8 + 3, Qt::NoButton);
}

}  // namespace

TEST(Playback, DraggedRangePlaysFromThePressToTheRelease) {
  PlayFixture f;
  f.load(makeRecording(100, 1));
  PaneWidget* flow = f.pane("FlowBox");
  mouse(flow, QEvent::MouseButtonPress, 30 * 8 + 3, Qt::LeftButton);
  EXPECT_TRUE(f.state().Dragging);
  EXPECT_EQ(f.state().CurrentSegment, 30);
  mouse(flow, QEvent::MouseMove, 30 * 8 + 5, Qt::LeftButton);
  EXPECT_EQ(flow->playLine(), -1);  // still on the current segment: no line
  mouse(flow, QEvent::MouseMove, 41 * 8 + 5, Qt::LeftButton);
  EXPECT_EQ(flow->playLine(), 41 * 8 + 4);  // the range's end so far
  EXPECT_EQ(flow->range(), std::make_pair(30 * 8, 42 * 8));  // shaded while dragged
  EXPECT_EQ(f.pane("SonoBox")->playLine(), 41 * 8 + 4);
  mouse(flow, QEvent::MouseMove, 45 * 8 + 5, Qt::LeftButton);
  mouse(flow, QEvent::MouseButtonRelease, 45 * 8 + 5, Qt::NoButton);
  EXPECT_FALSE(f.state().Dragging);
  ASSERT_TRUE(f.form().playing());
  EXPECT_EQ(f.state().PlayFirst, 30);
  EXPECT_EQ(f.state().PlayLast, 45);
  EXPECT_EQ(f.out->startMs, 3000);
  EXPECT_EQ(flow->playLine(), 30 * 8 + 4);
  EXPECT_EQ(f.pane("SonoBox")->range(), std::make_pair(30 * 8, 46 * 8));  // and while it plays
  EXPECT_GT(f.playToEnd(), 0);
  EXPECT_EQ(flow->range(), std::make_pair(0, 0));
  EXPECT_TRUE(f.prompter.messages.empty());  // 1.6 s of sound in 1.6 s

  // The range plays again from the button while it stays on screen.
  f.form().PlayBitBtnClick();
  EXPECT_EQ(f.out->startMs, 3000);
  EXPECT_EQ(f.state().PlayLast, 45);
}

TEST(Playback, DraggingLeftwardsOrInOtherViewsOnlySelects) {
  PlayFixture f;
  f.load(makeRecording(100, 1));
  drag(f.pane("SonoBox"), 30, 20);
  EXPECT_FALSE(f.form().playing());
  EXPECT_FALSE(f.state().Dragging);
  EXPECT_EQ(f.state().CurrentSegment, 30);
  EXPECT_EQ(f.pane("FlowBox")->playLine(), -1);
  EXPECT_EQ(f.out->opens, 0);

  // The large pane takes no range outside Sonogram view.
  f.form().TimeBoxClick();
  drag(f.pane("SonoBox"), 10, 20);
  EXPECT_FALSE(f.form().playing());
  EXPECT_EQ(f.out->opens, 0);
}

TEST(Playback, PlayLineFollowsTheLargePanesView) {
  PlayFixture f;
  f.load(makeRecording(100, 1));
  f.form().set_current_segment(11);
  f.form().TimeBoxClick();  // the expanded waveform around segment 11
  f.pane("SonoBox")->grab();
  f.form().PlayBitBtnClick();
  ASSERT_TRUE(f.form().playing());
  const int first = f.state().PlayFirst;
  const std::optional<WaveWindow> wave = shownWave(f.doc(), f.state());
  ASSERT_TRUE(wave.has_value());
  EXPECT_EQ(f.pane("SonoBox")->playLine(),
            largePlayLineX(f.state(), first, f.pane("SonoBox")->width(), &*wave));
  EXPECT_EQ(f.pane("FlowBox")->playLine(), first * 8 + 4);
  // Back to the sonogram while playing: the segment's centre again.
  f.form().TimeBoxClick();
  f.pane("SonoBox")->grab();
  EXPECT_EQ(f.pane("SonoBox")->playLine(), first * 8 + 4);
}

TEST(Playback, ANewDocumentStopsWithoutTheRateCheck) {
  PlayFixture f;
  f.load(makeRecording(3, 1));
  f.form().PlayBitBtnClick();
  f.out->pos = 250;  // in the last segment, a long way off the clock
  f.form().DATimerTimer();
  f.form().DATimerTimer();
  ASSERT_TRUE(f.form().playing());
  ASSERT_EQ(f.state().PlayCounter, 2);
  f.form().resetViewer();
  EXPECT_FALSE(f.form().playing());
  EXPECT_TRUE(f.out->closed);
  EXPECT_TRUE(f.prompter.messages.empty());
  EXPECT_EQ(f.state().PlayFirst, -1);
}
