// The group compression of DOS recordings. A group of G values is stored as
// a word holding the first value (high 12 bits) and a bit width w (low 4
// bits), a signed base delta, and the G - 1 sample-to-sample differences minus
// the base, as unsigned w-bit numbers packed most significant bit first into
// 16-bit words (the last word filled from its top; one word when nothing is
// packed). Values follow one another in 16-bit arithmetic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vode {

// The 16-bit little-endian words of a compressed stream.
class DosWordStream {
 public:
  DosWordStream(const uint8_t* data, std::size_t bytes) : data_(data), words_(bytes / 2) {}
  std::size_t remaining() const { return words_ - pos_; }
  uint16_t next() {
    const uint8_t* p = data_ + 2 * pos_++;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
  }

 private:
  const uint8_t* data_;
  std::size_t words_;
  std::size_t pos_ = 0;
};

// Packed words a group of `count` values takes for width w.
inline std::size_t dosPackedWords(int count, int width) {
  const std::size_t bits = static_cast<std::size_t>(count - 1) * static_cast<std::size_t>(width);
  return bits == 0 ? 1 : (bits + 15) / 16;
}

// Decodes one group of count >= 1 values into values[0..count-1]. false when
// the stream ends before the group does.
bool decodeDosGroup(DosWordStream& in, int count, uint16_t* values);

// Appends one group of count >= 1 values (each 0..4095) packed with the
// smallest width that holds its differences.
void encodeDosGroup(const uint16_t* values, int count, std::vector<uint16_t>& words);

}  // namespace vode
