#include "formats/Crc32.h"

#include <array>
#include <cstring>

#include "model/Bytes.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VODE_CRC_CARRYLESS 1
#endif

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

#ifdef VODE_CRC_CARRYLESS

// Folding works on the message as a polynomial over GF(2): a 16-byte chunk V
// that lies T bits before the chunk W may be replaced by V·x^T mod P added
// onto W, and the CRC of the shortened message is the same. With the bytes
// loaded little-endian, the low quadword of V holds the upper 64 coefficients
// (H, V = H·x^64 + L) in reflected order, and a carry-less product of two
// reflected values comes out multiplied by x once more; so H is multiplied by
// x^(T+63) mod P and L by x^(T-1) mod P, each as a reflected 64-bit value.
constexpr uint64_t xPowerModP(int n) {
  uint64_t r = 1;  // normal order, degree below 32
  for (int i = 0; i < n; ++i) {
    r <<= 1;
    if (r & (uint64_t{1} << 32)) r ^= 0x104C11DB7u;
  }
  return r;
}

constexpr uint64_t reflect64(uint64_t v) {
  uint64_t r = 0;
  for (int i = 0; i < 64; ++i)
    if (v & (uint64_t{1} << i)) r |= uint64_t{1} << (63 - i);
  return r;
}

struct FoldConstants {
  uint64_t high, low;  // for H and for L
};

constexpr FoldConstants foldBy(int bits) {
  return {reflect64(xPowerModP(bits + 63)), reflect64(xPowerModP(bits - 1))};
}

constexpr FoldConstants Fold512 = foldBy(512);
constexpr FoldConstants Fold128 = foldBy(128);

__attribute__((target("pclmul,sse2"))) inline __m128i fold(__m128i v, __m128i k, __m128i into) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(v, k, 0x00), _mm_clmulepi64_si128(v, k, 0x11)), into);
}

__attribute__((target("pclmul,sse2"))) uint32_t carrylessKernel(uint32_t crc, const uint8_t* p, std::size_t size) {
  // The running value enters as XOR onto the first four bytes; from there on
  // the message alone is folded, as if the CRC had started at 0.
  const auto load = [](const uint8_t* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
  __m128i a = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i b = load(p + 16), c = load(p + 32), d = load(p + 48);
  p += 64;
  size -= 64;
  const __m128i k512 = _mm_set_epi64x(static_cast<long long>(Fold512.low), static_cast<long long>(Fold512.high));
  while (size >= 64) {
    a = fold(a, k512, load(p));
    b = fold(b, k512, load(p + 16));
    c = fold(c, k512, load(p + 32));
    d = fold(d, k512, load(p + 48));
    p += 64;
    size -= 64;
  }
  const __m128i k128 = _mm_set_epi64x(static_cast<long long>(Fold128.low), static_cast<long long>(Fold128.high));
  a = fold(a, k128, b);
  a = fold(a, k128, c);
  a = fold(a, k128, d);
  while (size >= 16) {
    a = fold(a, k128, load(p));
    p += 16;
    size -= 16;
  }
  // The 16 bytes left stand for everything before them.
  uint8_t rest[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), a);
  return crc32UpdateSliced(crc32UpdateSliced(0, rest, 16), p, size);
}

const bool carryless = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");

#endif

}  // namespace

uint32_t crc32UpdateBytewise(uint32_t crc, const void* data, std::size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) crc = (crc >> 8) ^ tables[0][(crc ^ p[i]) & 0xFFu];
  return crc;
}

uint32_t crc32UpdateSliced(uint32_t crc, const void* data, std::size_t size) {
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

bool crc32CarrylessAvailable() {
#ifdef VODE_CRC_CARRYLESS
  return carryless;
#else
  return false;
#endif
}

uint32_t crc32UpdateCarryless(uint32_t crc, const void* data, std::size_t size) {
#ifdef VODE_CRC_CARRYLESS
  // Below 64 bytes there is nothing to fold.
  if (carryless && size >= 64) return carrylessKernel(crc, static_cast<const uint8_t*>(data), size);
#endif
  return crc32UpdateSliced(crc, data, size);
}

uint32_t crc32Update(uint32_t crc, const void* data, std::size_t size) {
  return crc32UpdateCarryless(crc, data, size);
}

}  // namespace vode
