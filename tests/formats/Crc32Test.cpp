#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "formats/Crc32.h"

using namespace vode;

TEST(Crc32, CheckValueWithoutFinalInversion) {
  const char* text = "123456789";
  EXPECT_EQ(crc32Update(CrcStart, text, 9), 0x340BC6D9u);
  EXPECT_EQ(crc32UpdateBytewise(CrcStart, text, 9), 0x340BC6D9u);
  // Entry 1 of the IEEE 802.3 table.
  const uint8_t one = 1;
  EXPECT_EQ(crc32UpdateBytewise(0, &one, 1), 0x77073096u);
  EXPECT_EQ(crc32Update(CrcStart, text, 0), CrcStart);
}

TEST(Crc32, SlicedEqualsBytewiseAtEveryLengthAndSplit) {
  std::vector<uint8_t> data(100);
  uint32_t x = 7;
  for (uint8_t& b : data) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 23);
  }
  for (std::size_t offset = 0; offset < 8; ++offset)
    for (std::size_t n = 0; offset + n <= data.size(); ++n)
      ASSERT_EQ(crc32Update(CrcStart, data.data() + offset, n),
                crc32UpdateBytewise(CrcStart, data.data() + offset, n))
          << offset << " " << n;
  // A running value fed in pieces equals the value fed at once.
  const uint32_t whole = crc32Update(CrcStart, data.data(), data.size());
  for (std::size_t split = 0; split <= data.size(); ++split) {
    const uint32_t part = crc32Update(CrcStart, data.data(), split);
    ASSERT_EQ(crc32Update(part, data.data() + split, data.size() - split), whole);
  }
}

// Every kernel against the byte-at-a-time definition, over lengths that end
// the folding loops at each offset and with running values other than the start.
TEST(Crc32, KernelsAgreeOverLongRuns) {
  std::vector<uint8_t> data(4096 + 64);
  uint32_t x = 11;
  for (uint8_t& b : data) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 23);
  }
  for (std::size_t n : {63u, 64u, 65u, 79u, 80u, 127u, 128u, 143u, 191u, 255u, 1000u, 4096u})
    for (std::size_t offset : {0u, 1u, 7u})
      for (uint32_t start : {CrcStart, 0u, 0x12345678u}) {
        const uint32_t want = crc32UpdateBytewise(start, data.data() + offset, n);
        ASSERT_EQ(crc32UpdateSliced(start, data.data() + offset, n), want) << n;
        ASSERT_EQ(crc32UpdateCarryless(start, data.data() + offset, n), want) << n << " " << offset;
      }
  if (!crc32CarrylessAvailable()) GTEST_SKIP() << "no carry-less multiply here: only the fallback was checked";
}
