#include <gtest/gtest.h>

#include "document/Document.h"
#include "model/Recording.h"
#include "model/Records.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

Recording flowRecording(std::initializer_list<int16_t> flow) {
  Recording r = Recording::create(1, 1);
  r.flow.assign(flow);
  r.flowSampleCount = static_cast<int32_t>(r.flow.size());
  return r;
}

}  // namespace

TEST(Recording, CreateClampsCountsAndZeroFills) {
  Recording r = Recording::create(2000, 12);
  EXPECT_EQ(r.segmentCount, 1800);
  EXPECT_EQ(r.channelCount, 8);
  EXPECT_EQ(r.flowSampleCount, 1800 * 32);
  EXPECT_EQ(r.soundSampleCount, 1800 * 1024);
  EXPECT_EQ(r.sound[7].size(), 1800u * 1024u);
  Recording none = Recording::create(-5, -1);
  EXPECT_EQ(none.segmentCount, 0);
  EXPECT_EQ(none.channelCount, 0);
}

TEST(Recording, TruncateKeepsDataAndRefusesOutsideRange) {
  Recording r = test::makeRecording(10, 2);
  const int16_t kept = r.sound[1][5 * 1024 - 1];
  EXPECT_EQ(r.truncateSegments(10), 3);
  EXPECT_EQ(r.truncateSegments(0), 3);
  EXPECT_EQ(r.segmentCount, 10);
  EXPECT_EQ(r.truncateSegments(5), 0);
  EXPECT_EQ(r.segmentCount, 5);
  EXPECT_EQ(r.soundSampleCount, 5 * 1024);
  EXPECT_EQ(r.flow.size(), 5u * 32u);
  EXPECT_EQ(r.sound[1].back(), kept);
}

TEST(Recording, ComputeVolumeResetsAtZeroAndDirectionChanges) {
  ChannelSetup setup;
  Recording r = flowRecording({100, 100, 0, -100});
  r.computeVolume(setup);
  EXPECT_EQ(r.volume, (std::vector<int16_t>{0, 1, 0, 0}));
  EXPECT_EQ(r.peakFlow, 100);
  EXPECT_FLOAT_EQ(setup.flowFullScale, 0.1f);
}

TEST(Recording, FullScalesRoundUpToTenths) {
  ChannelSetup setup;
  Recording r = flowRecording({1000, -20});
  r.computeVolume(setup);
  EXPECT_FLOAT_EQ(setup.flowFullScale, 1.0f);
  r = flowRecording({1001});
  r.computeVolume(setup);
  EXPECT_FLOAT_EQ(setup.flowFullScale, 1.1f);
  r = flowRecording({0, 0});
  r.computeVolume(setup);
  EXPECT_FLOAT_EQ(setup.flowFullScale, 0.1f);
  EXPECT_FLOAT_EQ(setup.volumeFullScale, 0.1f);
}

TEST(Recording, VolumeIntegratesOneSecondOfFlow) {
  ChannelSetup setup;
  Recording r = Recording::create(10, 1);
  std::fill(r.flow.begin(), r.flow.end(), int16_t{500});
  r.computeVolume(setup);
  // 320 samples of 500 mL/s: one second, 500 mL.
  EXPECT_EQ(r.volume[319], 500);
  EXPECT_EQ(r.peakVolume, 500);
  EXPECT_FLOAT_EQ(setup.volumeFullScale, 0.5f);
}

TEST(Recording, RemoveOffsetsOfConstantAndFullRangeChannels) {
  Recording r = Recording::create(1, 2);
  std::fill(r.sound[0].begin(), r.sound[0].end(), int16_t{5});
  EXPECT_EQ(channelStats(r.sound[0]).mean, 5);
  EXPECT_EQ(channelStats(r.sound[0]).range, 0);
  // Spanning the whole int16 range with mean 1: the mean moves to 0.
  for (size_t i = 0; i < r.sound[1].size(); ++i) r.sound[1][i] = 1;
  r.sound[1][0] = -32768;
  r.sound[1][1] = 32767;
  r.sound[1][2] = 2;
  EXPECT_EQ(channelStats(r.sound[1]).mean, 0);
  r.removeOffsets({1, 1, 1, 1, 1, 1, 1, 1});
  for (int16_t v : r.sound[0]) ASSERT_EQ(v, 0);
  EXPECT_EQ(r.sound[1][0], -32768);
  EXPECT_EQ(r.sound[1][1], 32767);
}

TEST(Recording, RemoveOffsetsHonoursFlagsAndLargeMeans) {
  Recording r = Recording::create(1800, 2);
  // A mean of 2000 over 1,843,200 samples overflows a 32-bit sum.
  std::fill(r.sound[0].begin(), r.sound[0].end(), int16_t{2000});
  std::fill(r.sound[1].begin(), r.sound[1].end(), int16_t{2000});
  r.removeOffsets({1, 0, 1, 1, 1, 1, 1, 1});
  EXPECT_EQ(r.sound[0][12345], 0);
  EXPECT_EQ(r.sound[1][12345], 2000);
}

TEST(Recording, MeanRoundsHalvesToEven) {
  std::vector<int16_t> s = {0, 1};  // 0.5 -> 0
  EXPECT_EQ(channelStats(s).mean, 0);
  s = {1, 2};  // 1.5 -> 2
  EXPECT_EQ(channelStats(s).mean, 2);
}

TEST(Recording, NormalizeScalesToHalfScaleAndRefusesSilence) {
  test::ScriptedPrompter prompter;
  Recording r = Recording::create(1, 2);
  r.sound[0][0] = 100;
  r.sound[0][1] = -100;
  r.sound[1][0] = 50;
  ASSERT_TRUE(r.normalizeChannels(prompter));
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Amplifying channel(s) by 163.8350 times");
  EXPECT_EQ(r.sound[0][0], 16384);   // 16383.5 rounds to even
  EXPECT_EQ(r.sound[0][1], -16384);
  EXPECT_EQ(r.sound[1][0], 8192);    // 8191.75

  Recording flat = Recording::create(1, 1);
  std::fill(flat.sound[0].begin(), flat.sound[0].end(), int16_t{7});
  EXPECT_FALSE(flat.normalizeChannels(prompter));
  EXPECT_EQ(flat.sound[0][3], 7);
}

TEST(Recording, DeleteChannelMovesNameAndSamples) {
  ChannelSetup setup;
  setup.channelNames[0] = "TRA";
  setup.channelNames[1] = "RML";
  Recording r = test::makeRecording(2, 2);
  const auto second = r.sound[1];
  r.deleteChannel(0, setup);
  EXPECT_EQ(r.channelCount, 1);
  EXPECT_EQ(r.sound[0], second);
  EXPECT_TRUE(r.sound[1].empty());
  EXPECT_EQ(setup.channelNames[0].str(), "RML");

  ChannelSetup keep;
  keep.channelNames[0] = "TRA";
  Recording r2 = test::makeRecording(2, 2);
  const auto first = r2.sound[0];
  r2.deleteChannel(1, keep);
  EXPECT_EQ(r2.sound[0], first);
  EXPECT_EQ(keep.channelNames[0].str(), "TRA");

  Recording three = test::makeRecording(2, 3);
  three.deleteChannel(0, setup);
  EXPECT_EQ(three.channelCount, 3);
}

TEST(Recording, SegmentWindowAlignsEverySegment) {
  Recording one = Recording::create(1, 1);
  for (int i = 0; i < 1024; ++i) one.sound[0][i] = static_cast<int16_t>(i + 1);
  int16_t w[2048];
  one.segmentWindow(0, 0, w);
  EXPECT_EQ(w[0], 0);
  EXPECT_EQ(w[511], 0);
  EXPECT_EQ(w[512], 1);
  EXPECT_EQ(w[1535], 1024);
  EXPECT_EQ(w[1536], 0);

  Recording r = Recording::create(3, 1);
  for (int i = 0; i < 3072; ++i) r.sound[0][i] = static_cast<int16_t>(i);
  r.segmentWindow(0, 1, w);
  EXPECT_EQ(w[0], 512);
  EXPECT_EQ(w[2047], 2559);
  r.segmentWindow(0, 2, w);
  EXPECT_EQ(w[0], 1536);
  EXPECT_EQ(w[1535], 3071);
  EXPECT_EQ(w[1536], 0);
}

TEST(Recording, PeakAmplitudeTakesTheLargerSide) {
  Recording r = Recording::create(1, 2);
  r.sound[1][4] = -32768;
  EXPECT_EQ(r.peakAmplitude(), 32768);
  r.sound[1][4] = 200;
  r.sound[0][1] = -100;
  EXPECT_EQ(r.peakAmplitude(), 200);
  EXPECT_EQ(Recording::create(1, 0).peakAmplitude(), -32767);
  EXPECT_EQ(Recording::create(0, 2).peakAmplitude(), -32767);
  Recording low = Recording::create(1, 1);
  std::fill(low.sound[0].begin(), low.sound[0].end(), int16_t{-40});
  EXPECT_EQ(low.peakAmplitude(), 40);
}

TEST(Recording, PeaksOfFullScaleFlowStayPositive) {
  // |-32768| has no int16 form: the peaks stop at 32767, so the full scales
  // stay positive instead of wrapping to -32.6.
  ChannelSetup setup;
  Recording r = flowRecording({-32768, -32768});
  r.computeVolume(setup);
  EXPECT_EQ(r.peakFlow, 32767);
  EXPECT_FLOAT_EQ(setup.flowFullScale, 32.8f);
  // A 16-bit volume wraps like the stored value; its peak is read from it.
  Recording big = Recording::create(1800, 0);
  std::fill(big.flow.begin(), big.flow.end(), int16_t{32767});
  big.computeVolume(setup);
  const int32_t sum = 32767 * static_cast<int32_t>(big.flow.size());
  EXPECT_EQ(big.volume.back(), static_cast<int16_t>(static_cast<uint16_t>((sum + 160) / 320)));
  EXPECT_GE(big.peakVolume, 0);
  EXPECT_GT(setup.volumeFullScale, 0.0f);
}

TEST(Recording, UpgradeOldFlowRampsStairSteps) {
  Recording r = Recording::create(1, 1);
  std::fill(r.flow.begin(), r.flow.end(), int16_t{10});
  r.flow[0] = r.flow[1] = r.flow[2] = 0;
  r.upgradeOldFlow();
  EXPECT_EQ(r.flow[0], 0);
  EXPECT_EQ(r.flow[1], 33);
  EXPECT_EQ(r.flow[2], 67);
  EXPECT_EQ(r.flow[3], 100);
  // A run still open at the end stays flat.
  EXPECT_EQ(r.flow[31], 100);
}

TEST(Recording, VolumeTextAndFlow) {
  Recording r = flowRecording({1234});
  r.volume = {-1505};
  EXPECT_EQ(r.volumeText(0), "-1.50 L");
  EXPECT_FLOAT_EQ(r.flowLps(0), 1.234f);
}

TEST(Recording, CopyPowerToFlowAlternatesBursts) {
  Recording r = Recording::create(6, 1);
  const float power[6] = {5.0f, 1.0f, 6.0f, 6.0f, 0.0f, 10.0f};
  r.copyPowerToFlow(power, 6, 10.0f, 3.0f, 0.0f);
  EXPECT_EQ(r.flow[0], 500);     // first burst: inspiration
  EXPECT_EQ(r.flow[32], 0);
  EXPECT_EQ(r.flow[64], -600);   // after silence: the other direction
  EXPECT_EQ(r.flow[96 + 31], -600);
  EXPECT_EQ(r.flow[160], 1000);
}

TEST(Document, ResetKeepsAnalysisParametersAndLaterNames) {
  Document doc;
  doc.analysisParameters.breaths = 11;
  doc.channelSetup.channelNames[0] = "TRA";
  doc.channelSetup.channelNames[4] = "LLbas";
  doc.preferences.frequency = 2;
  doc.recording = std::make_unique<Recording>(test::makeRecording(3, 1));
  doc.tagTable = std::make_unique<TagTable>();
  doc.comments = "note";
  doc.peakAmplitude = 100;
  doc.state.currentFileName = "x.mer";
  doc.reset();
  EXPECT_EQ(doc.analysisParameters.breaths, 11);
  EXPECT_TRUE(doc.channelSetup.channelNames[0].empty());
  EXPECT_EQ(doc.channelSetup.channelNames[4].str(), "LLbas");
  EXPECT_EQ(doc.preferences.frequency, 0);
  EXPECT_FALSE(doc.recording);
  EXPECT_FALSE(doc.tagTable);
  EXPECT_TRUE(doc.comments.empty());
  EXPECT_EQ(doc.peakAmplitude, 32768);
  EXPECT_TRUE(doc.state.currentFileName.empty());
}
