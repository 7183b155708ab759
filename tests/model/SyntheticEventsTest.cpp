#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "document/Document.h"
#include "model/Synthetic.h"
#include "model/SyntheticEvents.h"

using namespace vode;

namespace {

struct Made {
  Document doc;
  std::vector<SynthEvent> events;
};

void make(Made& m, bool wheezes, bool crackles, uint64_t seed = 3, double seconds = 40) {
  SynthOptions options;
  options.seed = seed;
  options.channels = 3;
  options.seconds = seconds;
  options.wheezes = wheezes;
  options.crackles = crackles;
  makeSyntheticRecording(m.doc, options, &m.events);
}

// Every sample that differs from the plain recording lies inside an event.
void expectChangesOnlyInsideEvents(const Made& plain, const Made& with) {
  const Recording& a = *plain.doc.recording;
  const Recording& b = *with.doc.recording;
  ASSERT_EQ(a.soundSampleCount, b.soundSampleCount);
  EXPECT_EQ(a.flow, b.flow);
  int changed = 0;
  for (int c = 0; c < a.channelCount; ++c)
    for (int32_t i = 0; i < a.soundSampleCount; ++i) {
      if (a.sound[c][i] == b.sound[c][i]) continue;
      ++changed;
      const double t = static_cast<double>(i) / SoundRate;
      bool inside = false;
      for (const SynthEvent& e : with.events) inside = inside || (t >= e.start - 1e-9 && t <= e.end + 1e-9);
      ASSERT_TRUE(inside) << "channel " << c << " sample " << i;
    }
  EXPECT_GT(changed, 0);
}

}  // namespace

TEST(SyntheticWheezes, TonesOfTheRightRangeInBothPhases) {
  Made plain, with;
  make(plain, false, false);
  make(with, true, false);
  ASSERT_GE(with.events.size(), 2u);
  bool inspiration = false, expiration = false;
  for (const SynthEvent& e : with.events) {
    EXPECT_EQ(e.kind, SynthEvent::Kind::Wheeze);
    EXPECT_GE(e.end - e.start, 0.25 - 1e-9);
    EXPECT_LE(e.end - e.start, 1.5 + 1e-9);
    EXPECT_LE(e.end, 40.0);
    for (double hz : {e.startHz, e.endHz}) {
      EXPECT_GE(hz, 100.0);
      EXPECT_LE(hz, 1000.0);
    }
    const double glide = std::abs(e.endHz / e.startHz - 1.0);
    EXPECT_GT(glide, 0.0);
    EXPECT_LE(glide, 0.08 + 1e-9);  // slight
    (e.inspiration ? inspiration : expiration) = true;
  }
  EXPECT_TRUE(inspiration);
  EXPECT_TRUE(expiration);
  expectChangesOnlyInsideEvents(plain, with);
}

TEST(SyntheticWheezes, TheToneIsInTheSamples) {
  Made plain, with;
  make(plain, false, false);
  make(with, true, false);
  const SynthEvent& e = with.events.front();
  // Correlate the added signal with the tone's mid-point frequency over the
  // 20 ms around its middle: most of the added energy is at that frequency.
  const double mid = (e.start + e.end) / 2.0;
  const double hz = (e.startHz + e.endHz) / 2.0;
  const int64_t first = static_cast<int64_t>((mid - 0.01) * SoundRate);
  double re = 0, im = 0, energy = 0;
  const int n = SoundRate / 50;
  for (int k = 0; k < n; ++k) {
    const double added = with.doc.recording->sound[1][first + k] - plain.doc.recording->sound[1][first + k];
    re += added * std::cos(2 * M_PI * hz * k / SoundRate);
    im += added * std::sin(2 * M_PI * hz * k / SoundRate);
    energy += added * added;
  }
  const double atTone = 2.0 * (re * re + im * im) / n;
  EXPECT_GT(atTone, 0.7 * energy);
}

TEST(SyntheticCrackles, ShortAndMostlyEarlyInInspiration) {
  Made plain, with;
  make(plain, false, false);
  make(with, false, true);
  ASSERT_GE(with.events.size(), 3u);
  int early = 0;
  for (const SynthEvent& e : with.events) {
    EXPECT_EQ(e.kind, SynthEvent::Kind::Crackle);
    EXPECT_GT(e.end, e.start);
    EXPECT_LT(e.end - e.start, 0.020);
    EXPECT_TRUE(e.inspiration);
    // Early: the breath flow at the crackle is still rising or on its plateau
    // start; use the recording's own flow: inspiratory (positive).
    const int32_t k = static_cast<int32_t>(e.start * FlowRate);
    EXPECT_GT(with.doc.recording->flow[k], 0) << e.start;
    early += with.doc.recording->volume[k] < with.doc.recording->peakVolume / 2;
  }
  EXPECT_GT(early * 2, static_cast<int>(with.events.size()));
  expectChangesOnlyInsideEvents(plain, with);
}

TEST(SyntheticEvents, SameSeedSameEventsAndBothKindsInTimeOrder) {
  Made a, b;
  make(a, true, true, 9, 30);
  make(b, true, true, 9, 30);
  ASSERT_EQ(a.events.size(), b.events.size());
  EXPECT_EQ(a.doc.recording->sound[0], b.doc.recording->sound[0]);
  bool wheeze = false, crackle = false;
  for (size_t i = 0; i < a.events.size(); ++i) {
    EXPECT_EQ(a.events[i].start, b.events[i].start);
    if (i > 0) {
      EXPECT_LE(a.events[i - 1].start, a.events[i].start);
    }
    (a.events[i].kind == SynthEvent::Kind::Wheeze ? wheeze : crackle) = true;
  }
  EXPECT_TRUE(wheeze);
  EXPECT_TRUE(crackle);
}

TEST(SyntheticEvents, AShortRecordingStillGetsOneOfEachAndNoChannelsNone) {
  Made shortOne;
  make(shortOne, true, true, 4, 8);
  int wheezes = 0, crackles = 0;
  for (const SynthEvent& e : shortOne.events) {
    if (e.kind == SynthEvent::Kind::Wheeze) {
      ++wheezes;
    } else {
      ++crackles;
    }
  }
  EXPECT_GE(wheezes, 2);
  EXPECT_GE(crackles, 1);

  SynthOptions silent;
  silent.channels = 0;
  silent.wheezes = silent.crackles = true;
  Document doc;
  std::vector<SynthEvent> events{SynthEvent{}};
  makeSyntheticRecording(doc, silent, &events);
  EXPECT_TRUE(events.empty());
}
