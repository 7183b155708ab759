// Playback through QAudioSink on a private PulseAudio null sink: the sound
// server receives the channel as 16-bit mono, and a short range plays to its
// end at the recording's rate, without the rate warning.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstring>

#include "audio/NullSink.h"
#include "audio/SinkAudioOutput.h"
#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

namespace {

NullSink* sink = nullptr;

struct SinkPlay {
  WindowFixture f;
  SinkAudioOutput* out = nullptr;
  std::string streams;  // the server's list of playing streams, taken mid-way

  explicit SinkPlay(int requiredRate = 0) {
    auto output = std::make_unique<SinkAudioOutput>();
    out = output.get();
    if (requiredRate > 0) out->setRequiredRate(requiredRate);
    f.form().usePlayback(std::move(output), std::make_unique<SteadyClock>());
  }

  // Plays segments first..last; the milliseconds until playback ended by
  // itself, or -1 when it had not ended after 15 s.
  int64_t play(int32_t first, int32_t last) {
    f.state().PlayFirst = first;
    f.state().PlayLast = last;
    QElapsedTimer clock;
    clock.start();
    f.form().PlayBitBtnClick();
    while (f.form().playing()) {
      if (clock.elapsed() > 15000) {
        f.form().StopBitBtnClick();
        return -1;
      }
      if (streams.empty() && clock.elapsed() > 300) streams = sink->pactl("list sink-inputs");
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      QThread::msleep(2);
    }
    return clock.elapsed();
  }
};

}  // namespace

TEST(SinkPlayback, ShortRangePlaysToItsEndAtTheRecordingsRate) {
  if (!sink->running()) GTEST_SKIP() << "no sound server: " << sink->failure();
  SinkPlay p;
  p.f.load(makeRecording(40, 1));
  const int64_t ms = p.play(10, 19);  // one second
  EXPECT_TRUE(p.f.prompter.messages.empty()) << p.f.prompter.messages.front().text;
  EXPECT_GE(ms, 950);
  EXPECT_LT(ms, 1500);
  EXPECT_EQ(p.out->deviceFormat().sampleRate(), SoundRate);
  EXPECT_EQ(p.out->deviceFormat().channelCount(), 1);
  EXPECT_EQ(p.out->deviceFormat().sampleFormat(), QAudioFormat::Int16);
  EXPECT_NE(p.streams.find("s16le 1ch 10240Hz"), std::string::npos) << p.streams;
}

TEST(SinkPlayback, ResamplesForADeviceThatTakesAnotherRate) {
  if (!sink->running()) GTEST_SKIP() << "no sound server: " << sink->failure();
  SinkPlay p(44100);
  p.f.load(makeRecording(40, 2));
  p.f.form().ChooseChannel(1);
  const int64_t ms = p.play(0, 7);
  EXPECT_TRUE(p.f.prompter.messages.empty()) << p.f.prompter.messages.front().text;
  EXPECT_GE(ms, 750);
  EXPECT_NE(p.streams.find("44100Hz"), std::string::npos) << p.streams;
}

int main(int argc, char** argv) {
  bool listing = false;
  for (int i = 1; i < argc; ++i) listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  if (listing) return RUN_ALL_TESTS();
  // The server comes first: Qt looks for sound devices once, when first asked.
  NullSink server;
  sink = &server;
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
