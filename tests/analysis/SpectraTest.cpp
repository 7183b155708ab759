#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>

#include "analysis/Spectra.h"
#include "document/Document.h"
#include "model/Palette.h"
#include "support/TestSupport.h"

namespace vode {
namespace {

// Records the progress calls of a run.
struct ProgressLog : ProgressSink {
  std::vector<std::string> texts;
  std::vector<int> steps, positions, maxima;
  int ends = 0;
  void begin(const std::string& text, int n) override {
    texts.push_back(text);
    steps.push_back(n);
  }
  void setMaximum(int n) override { maxima.push_back(n); }
  void set(int p) override { positions.push_back(p); }
  void end() override { ++ends; }
};

std::unique_ptr<Document> analysedDocument(int segments, int channels, unsigned seed) {
  auto doc = std::make_unique<Document>();
  doc->recording = std::make_unique<Recording>(test::makeRecording(segments, channels, seed));
  doc->spectra = std::make_unique<SegmentSpectra>();
  doc->spectra->create(segments, channels);
  return doc;
}

// The power of one segment straight from the definition, in double precision.
std::vector<double> directPower(const Recording& r, int c, int s) {
  const std::vector<float> w = analysisWindow();
  std::vector<double> x(2048, 0.0);
  for (int k = 0; k < 2048; ++k) {
    const long long i = 1024LL * s - 512 + k;
    if (i >= 0 && i < r.soundSampleCount) x[k] = r.sound[c][i] * double(w[k]) * 0.0001525879;
  }
  std::vector<double> p(BinCount);
  for (int b = 0; b < BinCount; ++b) {
    std::complex<double> sum = 0.0;
    for (int k = 0; k < 2048; ++k) sum += x[k] * std::polar(1.0, -2.0 * M_PI * ((b * k) % 2048) / 2048.0);
    p[b] = std::norm(sum) / (2048.0 * 2048.0);
  }
  return p;
}

TEST(CalculatePower, MatchesTheDefinitionAtBothEndsAndInside) {
  auto doc = analysedDocument(3, 1, 11);
  NullProgress progress;
  CalculatePower(*doc, *doc, progress, 1);
  for (int s : {0, 1, 2}) {
    const std::vector<double> ref = directPower(*doc->recording, 0, s);
    double total = 0.0;
    for (double v : ref) total += v;
    const float* p = doc->spectra->power(0, s);
    for (int b = 0; b < BinCount; ++b)
      ASSERT_NEAR(p[b], ref[b], 1e-5 * ref[b] + 1e-7 * total / BinCount) << "segment " << s << " bin " << b;
  }
}

TEST(CalculatePower, SilenceGivesZeroPowerAndProgressEveryTwentySegments) {
  auto doc = analysedDocument(50, 2, 3);
  std::fill(doc->recording->sound[1].begin(), doc->recording->sound[1].end(), int16_t{0});
  ProgressLog log;
  CalculatePower(*doc, *doc, log, 1);
  EXPECT_EQ(log.texts, std::vector<std::string>{"Calculating Power"});
  EXPECT_EQ(log.steps, std::vector<int>{100});
  EXPECT_EQ(log.positions, (std::vector<int>{20, 40, 60, 80, 100}));
  EXPECT_EQ(log.ends, 1);
  for (int s = 0; s < 50; ++s)
    for (int b = 0; b < BinCount; ++b) ASSERT_EQ(doc->spectra->power(1, s)[b], 0.0f);
}

TEST(CalculatePower, ThreadsGiveBitIdenticalSpectraAndImages) {
  auto one = analysedDocument(30, 4, 5);
  auto many = analysedDocument(30, 4, 5);
  one->preferences.frequency = many->preferences.frequency = 2;
  ProgressLog log;
  NullProgress quiet;
  CalculatePower(*one, *one, quiet, 1);
  CalculatePower(*many, *many, log, 4);
  ASSERT_EQ(one->spectra->powerData.size(), many->spectra->powerData.size());
  EXPECT_EQ(std::memcmp(one->spectra->powerData.data(), many->spectra->powerData.data(),
                        one->spectra->powerData.size() * sizeof(float)),
            0);
  // Reported from this thread only, in order, ending at the total.
  ASSERT_FALSE(log.positions.empty());
  EXPECT_EQ(log.positions.back(), 120);
  EXPECT_TRUE(std::is_sorted(log.positions.begin(), log.positions.end()));

  CalculateImage(*one, *one, Palette::grey(), quiet, 1);
  CalculateImage(*many, *many, Palette::grey(), quiet, 3);
  for (int c = 0; c < 4; ++c) EXPECT_EQ(one->spectra->sonogram[c].pixels, many->spectra->sonogram[c].pixels);
}

// A document whose spectra are filled by hand: 2 segments, 1 channel.
std::unique_ptr<Document> handSpectra() {
  auto doc = std::make_unique<Document>();
  doc->spectra = std::make_unique<SegmentSpectra>();
  doc->spectra->create(2, 1);
  return doc;
}

// The power with the given level in dB above the 1e-8 W reference.
float powerAt(double dB) { return static_cast<float>(1e-8 * std::pow(10.0, dB / 10.0)); }

TEST(CalculateImage, RowsCoverTheThreeFrequencyRanges) {
  auto doc = handSpectra();
  float* p = doc->spectra->power(0, 1);
  p[0] = powerAt(50);  // bin 0 is never drawn
  p[1] = powerAt(10.5);
  p[239] = powerAt(20.5);
  p[478] = powerAt(30.5);  // with an empty bin 479: 3 dB less on average
  p[4] = p[5] = p[6] = p[7] = powerAt(40.5);
  p[959] = powerAt(46.5);  // with three empty bins: 6 dB less
  NullProgress progress;
  const IndexedImage& image = doc->spectra->sonogram[0];

  doc->preferences.frequency = 0;  // 1200 Hz: one bin per row
  CalculateImage(*doc, *doc, Palette::grey(), progress);
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 480);
  EXPECT_EQ(image.at(1, 0), 20);    // bin 239
  EXPECT_EQ(image.at(1, 238), 10);  // bin 1
  EXPECT_EQ(image.at(1, 235), 40);  // bin 4
  EXPECT_EQ(image.at(0, 0), 0);     // silent column

  doc->preferences.frequency = 1;  // 2400 Hz: bins 478 and 479 on top
  CalculateImage(*doc, *doc, Palette::grey(), progress);
  EXPECT_EQ(image.at(1, 0), 27);
  EXPECT_EQ(image.at(1, 238), 0);   // bins 2 and 3
  EXPECT_EQ(image.at(1, 237), 40);  // bins 4 and 5

  doc->preferences.frequency = 2;  // 4800 Hz: bins 956..959 on top, 4..7 at the bottom
  CalculateImage(*doc, *doc, Palette::grey(), progress);
  EXPECT_EQ(image.at(1, 0), 40);
  EXPECT_EQ(image.at(1, 238), 40);
  EXPECT_EQ(image.at(1, 237), 0);
  for (int r = 239; r < 480; ++r) ASSERT_EQ(image.at(1, r), 0) << r;
}

TEST(SonogramLevel, TruncatesAndLimits) {
  EXPECT_EQ(sonogramLevel(63.9f), 63);
  EXPECT_EQ(sonogramLevel(64.0f), 63);
  EXPECT_EQ(sonogramLevel(1000.0f), 63);
  EXPECT_EQ(sonogramLevel(-0.5f), 0);
  EXPECT_EQ(sonogramLevel(-200.0f), 0);
  EXPECT_EQ(sonogramLevel(0.99f), 0);
  EXPECT_EQ(sonogramLevel(1.0f), 1);
  EXPECT_EQ(sonogramLevel(12.999f), 12);
  EXPECT_EQ(sonogramLevel(std::nanf("")), 0);
}

TEST(DbLevels, AgreesWithTheDirectConversionEverywhere) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> dB(-30.0, 90.0);
  for (float reference : {1e-8f, 3.7e-5f, 1e-44f, 2.0f}) {
    const DbLevels levels(reference);
    auto direct = [&](float p) { return sonogramLevel(PowerTodB(p, reference)); };
    EXPECT_EQ(levels.level(0.0f), 0);
    for (int i = 0; i < 20000; ++i) {
      const float p = static_cast<float>(reference * std::pow(10.0, dB(rng) / 10.0));
      ASSERT_EQ(levels.level(p), direct(p)) << p << " ref " << reference;
    }
    // Both sides of every level boundary.
    for (int l = 1; l < 64; ++l) {
      float p = static_cast<float>(reference * std::pow(10.0, l / 10.0));
      for (int step = 0; step < 3; ++step) p = std::nextafter(p, 0.0f);
      for (int step = 0; step < 6; ++step, p = std::nextafter(p, INFINITY))
        ASSERT_EQ(levels.level(p), direct(p)) << "level " << l;
    }
  }
  const DbLevels broken(-1.0f);  // a negative reference yields no level at all
  EXPECT_EQ(broken.level(1.0f), 0);
}

TEST(CalculateImage, LevelLimitsOfThePicture) {
  auto doc = handSpectra();
  float* p = doc->spectra->power(0, 0);
  p[239] = powerAt(63.9);
  p[238] = powerAt(70.0);
  p[237] = powerAt(-0.5);
  p[236] = powerAt(0.5);
  NullProgress progress;
  CalculateImage(*doc, *doc, Palette::grey(), progress);
  const IndexedImage& image = doc->spectra->sonogram[0];
  EXPECT_EQ(image.at(0, 0), 63);
  EXPECT_EQ(image.at(0, 1), 63);
  EXPECT_EQ(image.at(0, 2), 0);
  EXPECT_EQ(image.at(0, 3), 0);
}

}  // namespace
}  // namespace vode
