// Arithmetic rules shared by the whole program: rounding to nearest with ties
// to even (the C default rounding mode), and 16-bit wrap-around where stored
// values are 16-bit integers.
#pragma once

#include <cmath>
#include <cstdint>

namespace vode {

// Nearest integer, halves to even. Relies on the default FE_TONEAREST mode.
inline double roundEvenD(double x) { return std::nearbyint(x); }
inline int32_t roundEven(double x) { return static_cast<int32_t>(std::nearbyint(x)); }
inline int64_t roundEven64(double x) { return static_cast<int64_t>(std::nearbyint(x)); }

// The low 16 bits of v as a signed value (two's complement wrap-around).
inline int16_t wrap16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); }

// Keeps v inside the int16 range.
inline int16_t clamp16(int64_t v) {
  return static_cast<int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

}  // namespace vode
