// The arithmetic of a take (blocks to segments, calibration, clipping, the
// levels the window shows) and the simulated subject's pacing.
#include <gtest/gtest.h>

#include <cmath>

#include "acquisition/AcquisitionTake.h"
#include "acquisition/SimulatedDevice.h"
#include "model/Recording.h"
#include "model/Numeric.h"
#include "model/Records.h"
#include "model/Synthetic.h"
#include "model/TagTable.h"

using namespace vode;

namespace {

// A two-channel block: channel 1 a ramp with both clip levels in it, channel 2
// a quiet constant, the breath signal flowCounts[k] for flow sample k with
// alternate samples one count higher (so each mean ends in .5).
std::vector<int16_t> twoChannelBlock(int base) {
  std::vector<int16_t> block(3 * 1024);
  for (int i = 0; i < 1024; ++i) block[i] = static_cast<int16_t>(i - 512);
  block[10] = 32767;
  block[11] = -32768;
  std::fill(block.begin() + 1024, block.begin() + 2048, int16_t{-700});
  for (int i = 0; i < 1024; ++i) block[2048 + i] = static_cast<int16_t>(base + i / 32 + (i % 2));
  return block;
}

}  // namespace

TEST(AcquisitionTake, CalibrationFromPreferencesRoundsHalvesToEven) {
  PreferencesRecord prefs;
  prefs.calibrationOffset = 5.0f / 4096;  // half a count
  prefs.calibrationScale = 2.0f;
  AcquisitionCalibration c = AcquisitionCalibration::fromPreferences(prefs);
  EXPECT_EQ(c.zeroOffset, 0);
  EXPECT_FLOAT_EQ(c.flowScale, 4.8828125f);
  prefs.calibrationOffset = 3 * 5.0f / 4096;  // a count and a half
  EXPECT_EQ(AcquisitionCalibration::fromPreferences(prefs).zeroOffset, 2);
  prefs.calibrationOffset = -0.5f;
  EXPECT_EQ(AcquisitionCalibration::fromPreferences(prefs).zeroOffset, -205);  // -204.8
}

TEST(AcquisitionTake, BlocksBecomeSegmentsOnlyWhileRecording) {
  AcquisitionTake take(2, {10, 2.44140625f});
  Recording r = Recording::create(MaxSegments, 2);
  TagTable tags;
  tags.create(2, MaxSegments);
  const std::vector<int16_t> block = twoChannelBlock(100);

  EXPECT_EQ(take.addBlock(block), -1);  // monitoring: measured, not written
  EXPECT_EQ(take.lastBreathLevel(), 132);  // mean 131.5 of the last 32 samples, to even
  EXPECT_EQ(take.lastFlow(), 298);         // (132 − 10) × 2.44
  EXPECT_EQ(take.lastChannelPeak(0), 32768);
  EXPECT_EQ(take.lastChannelPeak(1), 700);
  EXPECT_EQ(take.clippedSamples(), 0);
  EXPECT_EQ(r.sound[0][10], 0);

  take.startRecording(r, &tags);
  EXPECT_EQ(take.addBlock(block), 0);
  EXPECT_EQ(take.addBlock(std::span(block).first(100)), -1);  // a short block is no segment
  EXPECT_EQ(take.addBlock(block), 1);
  EXPECT_EQ(take.recordedSegments(), 2);
  EXPECT_EQ(take.clippedSamples(), 2 * 2);
  EXPECT_EQ(tags.flags(0, 1), Clipped);
  EXPECT_EQ(tags.flags(1, 1), 0);
  EXPECT_EQ(r.sound[0][1024 + 10], 32767);
  EXPECT_EQ(r.sound[1][1024 + 5], -700);
  // Flow sample k: mean 100.5 + k, less the zero offset, × 2.44140625, to even.
  for (int k : {0, 7, 31})
    EXPECT_EQ(r.flow[32 + k], std::nearbyint((100.5 + k - 10) * 2.44140625)) << k;

  // Beyond ±2047 counts the breath converter clipped.
  std::vector<int16_t> loud = twoChannelBlock(0);
  std::fill(loud.begin() + 2048, loud.begin() + 2050, int16_t{2048});
  loud[2050] = -2048;
  loud[10] = 100;
  loud[11] = -32767;
  take.startRecording(r);
  EXPECT_EQ(take.addBlock(loud), 0);
  EXPECT_EQ(take.clippedSamples(), 1 + 3);

  // The take stops taking at the recording's last segment.
  for (int s = 1; s < MaxSegments; ++s) take.addBlock(block);
  EXPECT_TRUE(take.full());
  EXPECT_EQ(take.addBlock(block), -1);
  EXPECT_EQ(take.recordedSegments(), MaxSegments);
  take.stopRecording();
  EXPECT_FALSE(take.full());
}

TEST(SimulatedDevice, DeliversABlockPer100MsOfItsClock) {
  int64_t now = 5000;
  SimulatedDevice device({7, false}, [&now] { return now; });
  std::string error;
  EXPECT_FALSE(device.start(2, 150, error));
  EXPECT_FALSE(error.empty());
  ASSERT_TRUE(device.start(2, 100, error)) << error;
  std::vector<int16_t> blocks;
  EXPECT_EQ(device.read(blocks), 0);
  now += 250;
  EXPECT_EQ(device.read(blocks), 2);
  EXPECT_EQ(blocks.size(), 2u * 3 * 1024);
  now += 49;
  EXPECT_EQ(device.read(blocks), 0);
  now += 1;
  EXPECT_EQ(device.read(blocks), 1);
  // A window that stops reading for a minute gets the last few seconds only.
  now += 60000;
  blocks.clear();
  EXPECT_EQ(device.read(blocks), SimulatedDevice::MaxPendingBlocks);
  device.stop();
  now += 1000;
  EXPECT_EQ(device.read(blocks), 0);
}

TEST(SimulatedDevice, TheTakeRecordsTheSubjectsOwnBreathingAndGainAmplifies) {
  int64_t now = 0;
  SimulatedDevice device({3, false}, [&now] { return now; });
  std::string error;
  ASSERT_TRUE(device.start(1, 100, error)) << error;
  now = 3000;
  std::vector<int16_t> quiet;
  ASSERT_EQ(device.read(quiet), 30);

  // The same subject as the generator makes from the seed, through the
  // pneumotach's counts (2.44 mL/s a count) and back.
  RecordingBundle reference;
  SynthOptions synth;
  synth.seed = 3;
  synth.channels = 1;
  synth.seconds = SimulatedDevice::LoopSeconds;
  makeSyntheticRecording(reference, synth);
  AcquisitionTake take(1, {0, 2.44140625f});
  Recording r = Recording::create(30, 1);
  take.startRecording(r);
  for (int b = 0; b < 30; ++b) take.addBlock(std::span(quiet).subspan(b * 2048, 2048));
  EXPECT_EQ(take.recordedSegments(), 30);
  EXPECT_EQ(r.sound[0], std::vector<int16_t>(reference.recording->sound[0].begin(),
                                             reference.recording->sound[0].begin() + 30 * 1024));
  int breathing = 0;
  for (int i = 0; i < 30 * 32; ++i) {
    EXPECT_NEAR(r.flow[i], reference.recording->flow[i], 1.3) << i;
    breathing += std::abs(r.flow[i]) > 100;
  }
  EXPECT_GT(breathing, 100);

  ASSERT_TRUE(device.start(1, 400, error));
  now += 100;
  std::vector<int16_t> loud;
  ASSERT_EQ(device.read(loud), 1);
  for (int i = 0; i < 1024; ++i) EXPECT_EQ(loud[i], clamp16(4 * quiet[i])) << i;

  // A respiration band instead: the generator's band trace, through the same counts.
  SimulatedDevice band({.seed = 3, .resp = true}, [&now] { return now; });
  ASSERT_TRUE(band.start(1, 100, error));
  now += 3000;
  std::vector<int16_t> blocks;
  ASSERT_EQ(band.read(blocks), 30);
  synth.resp = true;
  makeSyntheticRecording(reference, synth);
  take.startRecording(r);
  for (int b = 0; b < 30; ++b) take.addBlock(std::span(blocks).subspan(b * 2048, 2048));
  for (int i = 0; i < 30 * 32; ++i) EXPECT_NEAR(r.flow[i], reference.recording->flow[i], 1.3) << i;
}

// The subject breathes to the target the window shows, and follows a new one
// at once, as a person watching the gauge would.
TEST(SimulatedDevice, TheSubjectBreathesToTheTargetItIsShown) {
  int64_t now = 0;
  SimulatedDevice device({.seed = 5}, [&now] { return now; });
  device.followTarget(380);
  std::string error;
  ASSERT_TRUE(device.start(1, 100, error)) << error;
  auto peakFlow = [&] {  // mL/s at 1 L/s per volt, over the next 5 s
    now += 5000;
    std::vector<int16_t> blocks;
    int16_t peak = 0;
    for (int b = device.read(blocks) - 1; b >= 0; --b)  // each block: sound, then breath
      peak = std::max(peak, *std::max_element(blocks.begin() + b * 2048 + 1024, blocks.begin() + b * 2048 + 2048));
    return peak * 5000.0 / BreathFullScaleCounts;
  };
  EXPECT_NEAR(peakFlow(), 380 * 1.05, 380 * 0.1);
  device.followTarget(1500);
  EXPECT_NEAR(peakFlow(), 1500 * 1.05, 1500 * 0.1);
}
