#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "formats/DosCodec.h"

using namespace vode;

namespace {

std::vector<uint8_t> bytesOf(const std::vector<uint16_t>& words) {
  std::vector<uint8_t> b;
  for (uint16_t w : words) {
    b.push_back(static_cast<uint8_t>(w));
    b.push_back(static_cast<uint8_t>(w >> 8));
  }
  return b;
}

std::vector<uint16_t> decode(const std::vector<uint16_t>& words, int count, std::size_t* left = nullptr) {
  const auto b = bytesOf(words);
  DosWordStream in(b.data(), b.size());
  std::vector<uint16_t> values(static_cast<std::size_t>(count));
  EXPECT_TRUE(decodeDosGroup(in, count, values.data()));
  if (left) *left = in.remaining();
  return values;
}

}  // namespace

TEST(DosCodec, WidthOneBaseZeroZerosGiveAConstantRun) {
  // First value 1234, width 1, base 0, 31 zero bits in two words.
  const std::vector<uint16_t> words{static_cast<uint16_t>(1234 << 4 | 1), 0, 0, 0, 0xBEEF};
  std::size_t left = 0;
  const auto v = decode(words, 32, &left);
  EXPECT_EQ(v, std::vector<uint16_t>(32, 1234));
  EXPECT_EQ(left, 1u);  // the next group's word is untouched
}

TEST(DosCodec, DeltasArePackedMostSignificantBitFirst) {
  // Width 3, base -2: numbers 7, 0, 5, 1 give differences 5, -2, 3, -1.
  // Bits 111 000 101 001 then padding: 1110 0010 1001 0000.
  const std::vector<uint16_t> words{static_cast<uint16_t>(100 << 4 | 3), static_cast<uint16_t>(-2), 0xE290};
  EXPECT_EQ(decode(words, 5), (std::vector<uint16_t>{100, 105, 103, 106, 105}));
}

TEST(DosCodec, ArithmeticWrapsAtSixteenBits) {
  const std::vector<uint16_t> words{static_cast<uint16_t>(1 << 4 | 1), static_cast<uint16_t>(-3), 0};
  EXPECT_EQ(decode(words, 3), (std::vector<uint16_t>{1, 65534, 65531}));
}

TEST(DosCodec, PackedWordCounts) {
  EXPECT_EQ(dosPackedWords(1, 1), 1u);   // nothing packed still takes a word
  EXPECT_EQ(dosPackedWords(32, 0), 1u);
  EXPECT_EQ(dosPackedWords(17, 1), 1u);  // 16 bits
  EXPECT_EQ(dosPackedWords(18, 1), 2u);
  EXPECT_EQ(dosPackedWords(128, 13), 104u);
}

TEST(DosCodec, StreamEndingInsideAGroupIsReported) {
  const std::vector<uint16_t> words{static_cast<uint16_t>(5 << 4 | 4), 0, 0x1234};  // needs 8 packed words
  const auto b = bytesOf(words);
  DosWordStream in(b.data(), b.size());
  std::vector<uint16_t> v(32);
  EXPECT_FALSE(decodeDosGroup(in, 32, v.data()));
  DosWordStream one(b.data(), 2);
  EXPECT_FALSE(decodeDosGroup(one, 32, v.data()));
}

TEST(DosCodec, EncoderUsesTheSmallestWidthAndDecodesBack) {
  std::vector<uint16_t> words;
  const std::vector<uint16_t> ramp{10, 13, 16, 19, 22};  // all differences 3: spread 0
  encodeDosGroup(ramp.data(), 5, words);
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0], (10 << 4) | 1);
  EXPECT_EQ(static_cast<int16_t>(words[1]), 3);
  EXPECT_EQ(decode(words, 5), ramp);

  words.clear();
  const std::vector<uint16_t> jumps{0, 4095, 0, 4095};  // spread 8190 needs 13 bits
  encodeDosGroup(jumps.data(), 4, words);
  EXPECT_EQ(words[0] & 0xF, 13);
  EXPECT_EQ(static_cast<int16_t>(words[1]), -4095);
  EXPECT_EQ(decode(words, 4), jumps);

  words.clear();
  const uint16_t single = 4095;
  encodeDosGroup(&single, 1, words);
  EXPECT_EQ(words.size(), 3u);
  EXPECT_EQ(decode(words, 1), std::vector<uint16_t>{4095});
}

TEST(DosCodec, RandomGroupsRoundTrip) {
  std::mt19937 rng(7);
  for (int count : {1, 2, 16, 32, 128, 256, 1024}) {
    for (int spread : {1, 2, 100, 4095}) {
      std::uniform_int_distribution<int> value(0, spread);
      std::vector<uint16_t> values(static_cast<std::size_t>(count));
      for (auto& v : values) v = static_cast<uint16_t>(value(rng));
      std::vector<uint16_t> words;
      encodeDosGroup(values.data(), count, words);
      std::size_t left = 1;
      words.push_back(0);  // a following word must stay unread
      EXPECT_EQ(decode(words, count, &left), values) << count << " " << spread;
      EXPECT_EQ(left, 1u);
    }
  }
}
