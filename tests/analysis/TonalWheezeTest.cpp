// The tonal wheeze detector on sounds made here: breath-like noise with a
// wheeze, and the sounds it must leave alone.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "AnalysisFixtures.h"
#include "analysis/SoundBands.h"
#include "analysis/TonalWheeze.h"
#include "analysis/WheezeMap.h"
#include "model/Progress.h"
#include "model/Recording.h"
#include "model/Synthetic.h"
#include "model/TagTable.h"

using namespace vode;

namespace {

constexpr double Pi = std::numbers::pi;

// Breath-like noise (falling about 6 dB an octave above 200 Hz) of rms 300
// counts, with sound added by `extra` (time in s → counts) on top.
std::vector<int16_t> channel(double seconds, uint64_t seed, const std::function<double(double)>& extra) {
  SynthRandom random(seed);
  const auto n = static_cast<size_t>(seconds * SoundRate);
  std::vector<int16_t> out(n);
  const double a = std::exp(-2.0 * Pi * 200.0 / SoundRate);
  double y = 0.0;
  for (size_t i = 0; i < n; ++i) {
    y = (1.0 - a) * random.normal() + a * y;
    // A one-pole low-pass of unit-variance noise has variance (1-a)/(1+a).
    const double v = 300.0 * y / std::sqrt((1.0 - a) / (1.0 + a)) + extra(static_cast<double>(i) / SoundRate);
    out[i] = static_cast<int16_t>(std::clamp(std::nearbyint(v), -32768.0, 32767.0));
  }
  return out;
}

// A tone from start for length s with 10 ms raised-cosine edges, rms·√2 high.
double tone(double t, double start, double length, double hz, double rms) {
  const double u = t - start;
  if (u < 0.0 || u > length) return 0.0;
  const double edge = std::min({1.0, u / 0.01, (length - u) / 0.01});
  return rms * std::sqrt(2.0) * std::sin(Pi * edge / 2.0) * std::sin(Pi * edge / 2.0) * std::sin(2.0 * Pi * hz * u);
}

// Breathing: the noise of channel() swelling and fading in 3 s cycles (1 s
// at full strength, 1 s at 0.6, a 1 s pause at 0.1), plus what a stethoscope
// adds at 750 Hz: nothing, a steady line of constant strength, or the breath
// noise ringing in a resonance (quality 15, 20 dB up at its peak); and a
// 300 ms wheeze at 400 Hz in the second inspiration.
enum class Device { Plain, SteadyLine, Resonance };

std::vector<int16_t> breathing(Device device, uint64_t seed) {
  SynthRandom random(seed);
  const auto n = static_cast<size_t>(9.0 * SoundRate);
  std::vector<int16_t> out(n);
  const double a = std::exp(-2.0 * Pi * 200.0 / SoundRate);
  // Two-pole resonator at 750 Hz of bandwidth 50 Hz.
  const double r = std::exp(-Pi * 50.0 / SoundRate), w = 2.0 * Pi * 750.0 / SoundRate;
  double y = 0.0, z1 = 0.0, z2 = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / SoundRate;
    const double phase = std::fmod(t, 3.0);
    const double gain = phase < 1.0 ? 1.0 : phase < 2.0 ? 0.6 : 0.1;
    const double e = random.normal();
    y = (1.0 - a) * e + a * y;
    const double ring = 2.0 * r * std::cos(w) * z1 - r * r * z2 + (1.0 - r) * e;
    z2 = z1;
    z1 = ring;
    double v = gain * 300.0 * y / std::sqrt((1.0 - a) / (1.0 + a));
    if (device == Device::Resonance) v += gain * 3000.0 * ring;
    if (device == Device::SteadyLine) v += 60.0 * std::sin(w * static_cast<double>(i));
    v += tone(t, 3.3, 0.3, 400.0, 300.0);
    out[i] = static_cast<int16_t>(std::clamp(std::nearbyint(v), -32768.0, 32767.0));
  }
  return out;
}

std::vector<TonalTrack> tracksOf(const std::vector<int16_t>& samples) {
  return FindTonalTracks(samples.data(), static_cast<int64_t>(samples.size()));
}

}  // namespace

TEST(TonalWheeze, FindsA400HzWheezeOf300msAt5dB) {
  // 5 dB over the noise's 300 counts rms.
  const double rms = 300.0 * std::pow(10.0, 5.0 / 20.0);
  const std::vector<int16_t> samples =
      channel(4.0, 7, [&](double t) { return tone(t, 2.0, 0.3, 400.0, rms); });
  const std::vector<TonalTrack> tracks = tracksOf(samples);
  ASSERT_EQ(tracks.size(), 1u);
  const TonalTrack& t = tracks[0];
  // Frame centres inside the tone, at 400 Hz.
  EXPECT_NEAR(t.firstFrame() * TonalHop + TonalFrameLength / 2, 2.0 * SoundRate, 0.06 * SoundRate);
  EXPECT_NEAR(t.lastFrame() * TonalHop + TonalFrameLength / 2, 2.3 * SoundRate, 0.06 * SoundRate);
  for (const TonalPoint& p : t.points) EXPECT_NEAR(p.bin * 5, 400, 10);
  EXPECT_TRUE(t.wheeze());
  EXPECT_GE(t.marginDb, 0.0f);
}

TEST(TonalWheeze, SixtyMillisecondsIsTheShortestWheeze) {
  // 120 ms at 5 dB is a wheeze, and so is a squawk of 60 ms; 50 ms is not,
  // even at 20 dB.
  const struct {
    double seconds, db;
    size_t tracks;
  } cases[] = {{0.12, 5.0, 1}, {0.06, 20.0, 1}, {0.05, 20.0, 0}};
  for (const auto& c : cases) {
    const double rms = 300.0 * std::pow(10.0, c.db / 20.0);
    const std::vector<int16_t> samples =
        channel(3.0, 9, [&](double t) { return tone(t, 1.5, c.seconds, 500.0, rms); });
    EXPECT_EQ(tracksOf(samples).size(), c.tracks) << c.seconds;
  }
}

TEST(TonalWheeze, FollowsAGlide) {
  // 300 → 600 Hz over 600 ms, a rise of 12.5 Hz a frame.
  const std::vector<int16_t> samples = channel(3.0, 8, [](double t) {
    const double u = t - 1.0;
    if (u < 0.0 || u > 0.6) return 0.0;
    return 1500.0 * std::sin(2.0 * Pi * (300.0 * u + 250.0 * u * u));
  });
  const std::vector<TonalTrack> tracks = tracksOf(samples);
  ASSERT_EQ(tracks.size(), 1u);
  EXPECT_LT(tracks[0].points.front().bin * 5, 350);
  EXPECT_GT(tracks[0].points.back().bin * 5, 550);
}

TEST(TonalWheeze, IgnoresWhatIsNotAWheeze) {
  struct Case {
    const char* name;
    std::function<double(double)> sound;
  };
  const Case cases[] = {
      // Mains hum and its harmonics through the whole recording, loud.
      {"50 Hz hum", [](double t) {
         double v = 0.0;
         for (int k = 1; k <= 5; ++k) v += 2000.0 / k * std::sin(2.0 * Pi * 50.0 * k * t);
         return v;
       }},
      // A tone too short to be a wheeze, however loud.
      {"60 ms tone", [](double t) { return tone(t, 1.5, 0.06, 500.0, 3000.0); }},
      // Twelve crackles 15-40 ms apart, each a 600 Hz ring of 3 ms.
      {"crackle train", [](double t) {
         double v = 0.0, at = 1.0;
         for (int k = 0; k < 12; ++k, at += 0.015 + 0.025 * ((k * 7) % 5) / 4.0) {
           const double u = t - at;
           if (u >= 0.0 && u < 0.015) v += 8000.0 * std::exp(-u / 0.003) * std::sin(2.0 * Pi * 600.0 * u);
         }
         return v;
       }},
      // A 250 ms knock of the chest piece, a 40 Hz swing clipped at full
      // scale into a square-ish wave with a comb of odd harmonics.
      {"clipped knock", [](double t) {
         const double u = t - 2.0;
         if (u < 0.0 || u > 0.25) return 0.0;
         return 2e5 * std::sin(Pi * u / 0.25) * std::sin(2.0 * Pi * 40.0 * u);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<int16_t> samples = channel(4.0, 11, c.sound);
    EXPECT_TRUE(tracksOf(samples).empty());
  }
}

TEST(TonalWheeze, WhatTheStethoscopeAlwaysAddsIsNotAWheeze) {
  // A line of constant strength stands out of the pauses and a resonance out
  // of every breath; measured against the recording's usual spectrum, only
  // the wheeze is left.
  for (Device device : {Device::Plain, Device::SteadyLine, Device::Resonance}) {
    SCOPED_TRACE(static_cast<int>(device));
    const std::vector<int16_t> samples = breathing(device, 31);
    const std::vector<TonalTrack> tracks = tracksOf(samples);
    ASSERT_EQ(tracks.size(), 1u);
    const TonalTrack& t = tracks[0];
    EXPECT_NEAR(t.points[t.points.size() / 2].bin * 5, 400, 10);
    EXPECT_NEAR((t.firstFrame() * TonalHop + TonalFrameLength / 2) / double(SoundRate), 3.3, 0.05);
    EXPECT_NEAR((t.lastFrame() * TonalHop + TonalFrameLength / 2) / double(SoundRate), 3.6, 0.05);
  }
}

TEST(TonalWheeze, OnANarrowChestPieceAToneNeedsASecondWithinTheReach) {
  // 300 ms at 400 Hz from 1 s, and another at 350 Hz from `second` (0: none),
  // through a chest piece that passes little above 1 kHz.
  auto sound = [](double second) {
    return test::narrowed(channel(6.0, 41, [=](double t) {
      return tone(t, 1.0, 0.3, 400.0, 900.0) + (second > 0.0 ? tone(t, second, 0.3, 350.0, 900.0) : 0.0);
    }));
  };
  const std::vector<int16_t> alone = sound(0.0);
  const auto count = static_cast<int64_t>(alone.size());
  ASSERT_TRUE(MeasureBandBalance(alone.data(), count).narrow());
  // Of the tracks weighed (the breath noise's own fall short by 5 dB or more),
  // the tone's would be a wheeze through any other chest piece.
  int strong = 0;
  for (const TonalTrack& t : MeasureTonalTracks(alone.data(), count)) {
    EXPECT_FALSE(t.wheeze());
    if (t.marginDb < TonalNarrowMarginDb) continue;
    ++strong;
    EXPECT_NEAR(t.points[0].bin * 5, 400, 10);
    EXPECT_GE(t.marginDb, TonalPairMarginDb);
  }
  EXPECT_EQ(strong, 1);
  EXPECT_TRUE(tracksOf(alone).empty());

  EXPECT_EQ(tracksOf(sound(1.8)).size(), 2u);  // 0.5 s apart: a pair
  const std::vector<int16_t> apart = sound(4.0);
  EXPECT_TRUE(tracksOf(apart).empty());  // 2.7 s apart
  TonalParameters farther;
  ASSERT_TRUE(farther.set("reach", 3.0));
  EXPECT_EQ(FindTonalTracks(apart.data(), count, farther).size(), 2u);
}

TEST(TonalWheeze, SilenceAndShortInputsGiveNoTracks) {
  const std::vector<int16_t> zeros(SoundRate * 2, 0);
  EXPECT_TRUE(tracksOf(zeros).empty());
  EXPECT_TRUE(FindTonalTracks(zeros.data(), TonalFrameLength - 1).empty());
  EXPECT_TRUE(FindTonalTracks(zeros.data(), 0).empty());
}

TEST(TonalWheeze, SameFlagsAndScoresForAnyThreadCount) {
  constexpr int Segments = 40, Channels = 3;
  Recording rec = Recording::create(Segments, Channels);
  for (int c = 0; c < Channels; ++c) {
    const double hz = 250.0 + 150.0 * c;
    rec.sound[c] = channel(Segments / 10.0, 20 + c, [&](double t) { return tone(t, 0.5 + c, 0.8, hz, 900.0); });
  }
  std::vector<std::vector<float>> scores;
  std::vector<std::vector<uint8_t>> flags;
  for (int threads : {1, 2, 3}) {
    TagTable tags;
    ASSERT_EQ(tags.create(Channels, Segments), 0);
    tags.setFlags(0, 0, Clipped);  // flags are only added
    WheezeMap map;
    ASSERT_TRUE(map.create(Channels, Segments));
    NullProgress progress;
    DetectTonalWheezes(rec, tags, map, progress, threads);
    EXPECT_EQ(tags.flags(0, 0), Clipped);
    scores.push_back(map.scoreData);
    flags.emplace_back(tags.flagRow(0), tags.flagRow(0) + Channels * Segments);
  }
  EXPECT_EQ(scores[1], scores[0]);
  EXPECT_EQ(scores[2], scores[0]);
  EXPECT_EQ(flags[1], flags[0]);
  EXPECT_EQ(flags[2], flags[0]);

  // Each channel's tone, and nothing else, is flagged and scored at its pitch.
  const std::vector<uint8_t>& f = flags[0];
  for (int c = 0; c < Channels; ++c) {
    SCOPED_TRACE(c);
    const int first = 5 + 10 * c, last = 12 + 10 * c;
    for (int s = 0; s < Segments; ++s) {
      const bool flagged = (f[c * Segments + s] & Wheeze) != 0;
      if (s > first && s < last) {
        EXPECT_TRUE(flagged) << s;
      } else if (s < first || s > last) {
        EXPECT_FALSE(flagged) << s;
      }
    }
    const float* row = scores[0].data() + (static_cast<size_t>(c) * Segments + 8 + 10 * c) * BinCount;
    const int bin = static_cast<int>(std::max_element(row, row + BinCount) - row);
    EXPECT_NEAR(bin * 5, 250 + 150 * c, 10);
    EXPECT_GT(row[bin], WheezeMarkThreshold);
  }
}

TEST(TonalWheeze, ParametersRefuseUnknownNamesAndSillyValues) {
  TonalParameters p;
  EXPECT_TRUE(p.set("track", 14));
  EXPECT_EQ(p.trackProminenceDb, 14.0f);
  EXPECT_TRUE(p.set("length", 3.0));
  EXPECT_EQ(p.lengthDb, 3.0f);
  EXPECT_TRUE(p.set("frames", 6));
  EXPECT_EQ(p.minFrames, 6);
  EXPECT_FALSE(p.set("frames", 4.5));
  EXPECT_TRUE(p.set("narrow", -2.5));
  EXPECT_EQ(p.narrowMarginDb, -2.5f);
  EXPECT_TRUE(p.set("pair", 3));
  EXPECT_EQ(p.pairMarginDb, 3.0f);
  EXPECT_FALSE(p.set("reach", -1.0));
  EXPECT_FALSE(p.set("peak", 1.0));  // marks need more than the image's threshold
  EXPECT_FALSE(p.set("steady", 3.0));
  EXPECT_EQ(p.peakProminenceDb, TonalParameters{}.peakProminenceDb);
}
