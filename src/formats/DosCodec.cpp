#include "formats/DosCodec.h"

#include <algorithm>

namespace vode {

bool decodeDosGroup(DosWordStream& in, int count, uint16_t* values) {
  if (in.remaining() < 2) return false;
  const uint16_t head = in.next();
  const uint16_t base = in.next();
  const int width = head & 0x0F;
  const std::size_t packed = dosPackedWords(count, width);
  if (in.remaining() < packed) return false;

  values[0] = static_cast<uint16_t>(head >> 4);
  uint32_t bits = 0;  // unread bits, at the bottom of the word
  int available = 0;
  std::size_t used = 0;
  for (int k = 1; k < count; ++k) {
    while (available < width) {
      bits = (bits << 16) | in.next();
      available += 16;
      ++used;
    }
    available -= width;
    const uint32_t number = (bits >> available) & ((1u << width) - 1);
    bits &= (1u << available) - 1;
    values[k] = static_cast<uint16_t>(values[k - 1] + base + number);
  }
  // The rest of the last word is padding; a group that packs nothing still
  // holds one word.
  for (; used < packed; ++used) in.next();
  return true;
}

void encodeDosGroup(const uint16_t* values, int count, std::vector<uint16_t>& words) {
  int lo = 0, hi = 0;
  for (int k = 1; k < count; ++k) {
    const int d = values[k] - values[k - 1];
    if (k == 1 || d < lo) lo = d;
    if (k == 1 || d > hi) hi = d;
  }
  // Bit length of the spread of the differences, at least 1.
  int width = 1;
  while ((hi - lo) >> width) ++width;

  words.push_back(static_cast<uint16_t>(((values[0] & 0x0FFF) << 4) | width));
  words.push_back(static_cast<uint16_t>(static_cast<int16_t>(lo)));
  const std::size_t start = words.size();
  words.resize(start + dosPackedWords(count, width), 0);
  std::size_t next = start;
  uint32_t bits = 0;  // pending bits, at the bottom
  int pending = 0;
  for (int k = 1; k < count; ++k) {
    bits = (bits << width) | static_cast<uint32_t>(values[k] - values[k - 1] - lo);
    pending += width;
    if (pending >= 16) {
      pending -= 16;
      words[next++] = static_cast<uint16_t>(bits >> pending);
      bits &= (1u << pending) - 1;
    }
  }
  // The last word is filled from its top.
  if (pending > 0) words[next] = static_cast<uint16_t>(bits << (16 - pending));
}

}  // namespace vode
