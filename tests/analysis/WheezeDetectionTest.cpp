#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "analysis/WheezeDetection.h"
#include "analysis/WheezeFixtures.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

// Records what the gauge was told, and from which thread.
class RecordingProgress : public ProgressSink {
 public:
  struct Task {
    std::string text;
    int steps = 0;
    int highest = 0;
    bool ended = false;
  };
  std::vector<Task> tasks;
  bool otherThread = false;

  void begin(const std::string& text, int steps) override {
    check();
    tasks.push_back({text, steps});
  }
  void setMaximum(int steps) override {
    check();
    tasks.back().steps = steps;
  }
  void set(int position) override {
    check();
    tasks.back().highest = std::max(tasks.back().highest, position);
  }
  void end() override {
    check();
    tasks.back().ended = true;
  }

 private:
  void check() {
    if (std::this_thread::get_id() != owner_) otherThread = true;
  }
  std::thread::id owner_ = std::this_thread::get_id();
};

bool hasWheeze(const Document& doc, int c, int s) { return (doc.tagTable->flags(c, s) & Wheeze) != 0; }

// Three channels of breath noise (a smooth floor with random periodogram
// scatter), a 400 Hz tone on segments 10 to 14 of every channel and a 600 Hz
// one on segments 20 to 23 of channel 2 only.
float noisyTone(int c, int s, int b) {
  static std::vector<float> scatter = [] {
    std::mt19937 rng(11);
    std::exponential_distribution<float> periodogram(1.0f);
    std::vector<float> v(3 * 30 * BinCount);
    for (float& x : v) x = periodogram(rng);
    return v;
  }();
  float p = test::smoothFloor(b) * scatter[(static_cast<size_t>(c) * 30 + s) * BinCount + b];
  if (s >= 10 && s <= 14) p += test::floorWithTone(b, 80, 3e4f) - test::smoothFloor(b);
  if (c == 2 && s >= 20 && s <= 23) p += test::floorWithTone(b, 120, 3e4f) - test::smoothFloor(b);
  return p;
}

}  // namespace

TEST(WheezeCommand, RefusesWithoutDataOrSpectra) {
  Document doc;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  EXPECT_EQ(DetectWheezes(doc, doc, progress, prompter), 3);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(prompter.messages[0].text, "No data");

  doc.recording = std::make_unique<Recording>(Recording::create(10, 1));
  EXPECT_EQ(DetectWheezes(doc, doc, progress, prompter), 3);
  EXPECT_EQ(prompter.messages.back().text, "No PSD");
  EXPECT_EQ(doc.wheezeMap, nullptr);
}

TEST(WheezeCommand, SilenceCompletesWithoutMarks) {
  Document doc;
  test::fillSpectraDocument(doc, 2, 12, [](int, int, int) { return 0.0f; });
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(DetectWheezes(doc, doc, progress, prompter, 1), 0);
  ASSERT_EQ(prompter.messages.size(), 1u);  // no arithmetic-failure box
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(prompter.messages[0].text, "Wheeze analysis completed");
  ASSERT_NE(doc.wheezeMap, nullptr);
  for (float v : doc.wheezeMap->scoreData) ASSERT_EQ(v, 0.0f);
  for (int c = 0; c < 2; ++c)
    for (int s = 0; s < 12; ++s) EXPECT_EQ(doc.tagTable->flags(c, s), 0);

  // Recordings too short for the linking (which needs a row on each side).
  for (int segments : {1, 2}) {
    Document tiny;
    test::fillSpectraDocument(tiny, 1, segments, [](int, int, int b) { return test::floorWithTone(b, 80, 3e4f); });
    ASSERT_EQ(DetectWheezes(tiny, tiny, progress, prompter, 1), 0) << segments;
    for (int s = 0; s < segments; ++s) EXPECT_TRUE(hasWheeze(tiny, 0, s)) << segments;
  }
}

TEST(WheezeCommand, ToneOverFiveSegmentsFlagsThoseSegmentsOnEveryChannel) {
  Document doc;
  test::fillSpectraDocument(doc, 3, 30, noisyTone);
  doc.tagTable->setFlags(1, 0, Rejected);
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(DetectWheezes(doc, doc, progress, prompter, 1), 0);
  EXPECT_EQ(prompter.messages.size(), 1u);
  for (int c = 0; c < 3; ++c) {
    for (int s = 10; s <= 14; ++s) EXPECT_TRUE(hasWheeze(doc, c, s)) << c << "/" << s;
    EXPECT_GT(doc.wheezeMap->score(c, 12, 80), 3.1f);
    // Rows of bin 80 at 1200 Hz: 159 ± 1.
    EXPECT_EQ(doc.wheezeMap->image[c].at(12, 159), WheezeMarkIndex);
  }
  for (int s = 20; s <= 23; ++s) {
    EXPECT_TRUE(hasWheeze(doc, 2, s));
    EXPECT_FALSE(hasWheeze(doc, 0, s));
  }
  // Quiet segments well away from the tones carry no flag.
  for (int c = 0; c < 2; ++c)
    for (int s : {2, 5, 7, 17, 26, 28}) EXPECT_FALSE(hasWheeze(doc, c, s)) << c << "/" << s;
  EXPECT_EQ(doc.tagTable->flags(1, 0) & Rejected, Rejected);  // other flags kept
}

TEST(WheezeCommand, ThreadCountDoesNotChangeTheResult) {
  Document one, many;
  test::fillSpectraDocument(one, 3, 30, noisyTone);
  test::fillSpectraDocument(many, 3, 30, noisyTone);
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(DetectWheezes(one, one, progress, prompter, 1), 0);
  ASSERT_EQ(DetectWheezes(many, many, progress, prompter, 3), 0);
  EXPECT_EQ(one.wheezeMap->scoreData, many.wheezeMap->scoreData);  // bit for bit
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(one.wheezeMap->image[c].pixels, many.wheezeMap->image[c].pixels);
    for (int s = 0; s < 30; ++s) EXPECT_EQ(one.tagTable->flags(c, s), many.tagTable->flags(c, s));
  }
}

TEST(WheezeCommand, ProgressTasksAndStepsFromTheCallingThread) {
  Document doc;
  test::fillSpectraDocument(doc, 2, 30, noisyTone);
  test::ScriptedPrompter prompter;
  RecordingProgress progress;
  ASSERT_EQ(DetectWheezes(doc, doc, progress, prompter, 2), 0);
  ASSERT_EQ(progress.tasks.size(), 2u);
  EXPECT_EQ(progress.tasks[0].text, "Calculating Wheeze");
  EXPECT_EQ(progress.tasks[0].steps, 22 * 2 * 30);
  EXPECT_LE(progress.tasks[0].highest, 22 * 2 * 30);
  EXPECT_GT(progress.tasks[0].highest, 0);
  EXPECT_TRUE(progress.tasks[0].ended);
  EXPECT_EQ(progress.tasks[1].text, "Calculating Wheeze Image");
  EXPECT_EQ(progress.tasks[1].steps, 2 * 30);
  EXPECT_EQ(progress.tasks[1].highest, 60);
  EXPECT_TRUE(progress.tasks[1].ended);
  EXPECT_FALSE(progress.otherThread);
}

TEST(WheezeCommand, ArithmeticFailureShowsTheBoxAndTheOtherChannelsGoOn) {
  Document doc;
  test::fillSpectraDocument(doc, 2, 30, [](int c, int s, int b) {
    if (c == 0 && s == 3 && b == 200) return std::numeric_limits<float>::infinity();
    return noisyTone(c, s, b);
  });
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(DetectWheezes(doc, doc, progress, prompter, 2), 0);
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(prompter.messages[0].text.rfind("S3, F", 0), 0u) << prompter.messages[0].text;
  EXPECT_EQ(prompter.messages[1].text, "Wheeze analysis completed");
  // Channel 0 stopped at segment 3, so its tone is never scored; channel 1's is.
  EXPECT_FALSE(hasWheeze(doc, 0, 12));
  EXPECT_TRUE(hasWheeze(doc, 1, 12));
}

TEST(WheezeCommand, ANewRunReplacesThePreviousMap) {
  Document doc;
  test::fillSpectraDocument(doc, 1, 30, noisyTone);
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(DetectWheezes(doc, doc, progress, prompter, 1), 0);
  const WheezeMap* first = doc.wheezeMap.get();
  const std::vector<float> scores = first->scoreData;
  ASSERT_EQ(DetectWheezes(doc, doc, progress, prompter, 1), 0);
  EXPECT_EQ(doc.wheezeMap->scoreData, scores);  // not scored on top of the old map
  EXPECT_EQ(doc.wheezeMap->lowBin, 20);
  EXPECT_EQ(doc.wheezeMap->highBin, 350);
}
