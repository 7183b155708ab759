// The sound input device on a private PulseAudio null sink: a tone played
// into the sink comes back from its monitor source as the take's channels,
// at 10240 Hz whether or not the input itself runs at that rate.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "audio/InputDevices.h"
#include "audio/NullSink.h"
#include "audio/SoundInputDevice.h"

extern char** environ;

using namespace vode;
using namespace vode::test;

namespace {

// The power of one frequency in a block's channel (Goertzel), relative.
double toneLevel(const int16_t* x, double hz) {
  const double w = 2.0 * std::numbers::pi * hz / 10240.0;
  double s1 = 0, s2 = 0;
  for (int i = 0; i < 1024; ++i) {
    const double s = x[i] + 2.0 * std::cos(w) * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  return s1 * s1 + s2 * s2 - 2.0 * std::cos(w) * s1 * s2;
}

// Plays 2 s of stereo into the sink: 1000 Hz at ±8000 left, 400 Hz at ±3000 right.
pid_t playTone(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < 2 * 10240; ++i) {
    const int16_t frame[2] = {static_cast<int16_t>(std::lround(8000 * std::sin(2 * std::numbers::pi * 1000 * i / 10240.0))),
                              static_cast<int16_t>(std::lround(3000 * std::sin(2 * std::numbers::pi * 400 * i / 10240.0)))};
    out.write(reinterpret_cast<const char*>(frame), sizeof frame);
  }
  out.close();
  std::string args[] = {"pacat", "--raw", "--format=s16le", "--channels=2", "--rate=10240", "--device=nullsink", path};
  char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(),
                  args[4].data(), args[5].data(), args[6].data(), nullptr};
  pid_t pid = -1;
  if (posix_spawnp(&pid, "pacat", nullptr, nullptr, argv, environ) != 0) return -1;
  return pid;
}

void hearsTheTone(int requiredRate) {
  NullSink* sink = NullSink::current();
  if (!sink || !sink->running()) GTEST_SKIP() << "no sound server";
  // Qt offers no monitor source as an input; a remapped copy of it is an
  // ordinary source, as a sound card's line input is.
  sink->pactl("load-module module-remap-source master=nullsink.monitor source_name=nullsink_input");
  std::string error;
  std::unique_ptr<AcquisitionDevice> made;
  QElapsedTimer listed;
  listed.start();
  while (!(made = makeAcquisitionDevice("audio:nullsink_input", error)) && listed.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(50);
  }
  ASSERT_TRUE(made) << error;
  auto& device = dynamic_cast<SoundInputDevice&>(*made);
  device.setRequiredRate(requiredRate);
  EXPECT_FALSE(device.start(3, 100, error));  // the input has two channels
  ASSERT_TRUE(device.start(2, 100, error)) << error;
  EXPECT_EQ(device.deviceFormat().sampleRate(), requiredRate > 0 ? requiredRate : 10240);

  const std::string tone = (std::filesystem::temp_directory_path() / ("vode-tone-" + std::to_string(getpid()))).string();
  const pid_t player = playTone(tone);
  ASSERT_GT(player, 0);
  std::vector<int16_t> blocks;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 3500) {
    device.read(blocks);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(20);
  }
  device.stop();
  waitpid(player, nullptr, 0);
  std::filesystem::remove(tone);

  // The blocks in the middle of the tone: each channel carries its own tone
  // at the level played, and the breath signal is zero.
  const std::size_t blockSize = 3 * 1024;
  ASSERT_EQ(blocks.size() % blockSize, 0u);
  int toneBlocks = 0;
  for (std::size_t at = 0; at < blocks.size(); at += blockSize) {
    const int16_t* b = blocks.data() + at;
    EXPECT_TRUE(std::all_of(b + 2048, b + 3072, [](int16_t v) { return v == 0; }));
    const double left = toneLevel(b, 1000), right = toneLevel(b + 1024, 400);
    if (left < 1e12 || right < 1e11) continue;  // before, after or at an edge
    int peak1 = 0, peak2 = 0;
    for (int i = 0; i < 1024; ++i) {
      peak1 = std::max(peak1, std::abs(int{b[i]}));
      peak2 = std::max(peak2, std::abs(int{b[1024 + i]}));
    }
    if (peak1 < 7000) continue;
    ++toneBlocks;
    EXPECT_LT(peak1, 8800);
    EXPECT_NEAR(peak2, 3000, 400);
    EXPECT_LT(toneLevel(b, 400), left / 100);  // channel 1 is the left, not a mix
    EXPECT_LT(toneLevel(b + 1024, 1000), right / 100);
  }
  EXPECT_GE(toneBlocks, 12) << blocks.size() / blockSize << " blocks";
}

}  // namespace

TEST(SoundInput, DeliversTheTonePlayedIntoTheSink) { hearsTheTone(0); }

TEST(SoundInput, ResamplesAnInputRunningAtAnotherRate) { hearsTheTone(48000); }
