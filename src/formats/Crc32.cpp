#include "formats/Crc32.h"

#include <array>

#include "model/Bytes.h"

namespace vode {

namespace {

using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

// tables[0] is the classic byte table: entry b is b shifted right eight
// times, XORed with the polynomial whenever the bit shifted out is 1.
// tables[k][b] is the CRC of byte b followed by k zero bytes, which lets
// eight bytes be folded in at once.
constexpr CrcTables makeTables() {
  CrcTables t{};
  for (uint32_t b = 0; b < 256; ++b) {
    uint32_t c = b;
    for (int k = 0; k < 8; ++k) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    t[0][b] = c;
  }
  for (int k = 1; k < 8; ++k)
    for (uint32_t b = 0; b < 256; ++b) t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFFu];
  return t;
}

constexpr CrcTables tables = makeTables();

}  // namespace

uint32_t crc32UpdateBytewise(uint32_t crc, const void* data, std::size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) crc = (crc >> 8) ^ tables[0][(crc ^ p[i]) & 0xFFu];
  return crc;
}

uint32_t crc32Update(uint32_t crc, const void* data, std::size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (size >= 8) {
    const uint32_t one = getU32(p) ^ crc;
    const uint32_t two = getU32(p + 4);
    crc = tables[7][one & 0xFFu] ^ tables[6][(one >> 8) & 0xFFu] ^ tables[5][(one >> 16) & 0xFFu] ^
          tables[4][one >> 24] ^ tables[3][two & 0xFFu] ^ tables[2][(two >> 8) & 0xFFu] ^
          tables[1][(two >> 16) & 0xFFu] ^ tables[0][two >> 24];
    p += 8;
    size -= 8;
  }
  return crc32UpdateBytewise(crc, p, size);
}

}  // namespace vode
