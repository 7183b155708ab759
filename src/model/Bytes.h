// Little-endian field access for the fixed byte images of the file formats.
// Every stored record is placed field by field through these, never by copying
// a C++ struct.
#pragma once

#include <cstdint>
#include <cstring>

namespace vode {

inline uint16_t getU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline int16_t getI16(const uint8_t* p) { return static_cast<int16_t>(getU16(p)); }
inline uint32_t getU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t getI32(const uint8_t* p) { return static_cast<int32_t>(getU32(p)); }
inline uint64_t getU64(const uint8_t* p) {
  return static_cast<uint64_t>(getU32(p)) | (static_cast<uint64_t>(getU32(p + 4)) << 32);
}
inline float getF32(const uint8_t* p) {
  uint32_t u = getU32(p);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
inline double getF64(const uint8_t* p) {
  uint64_t u = getU64(p);
  double d;
  std::memcpy(&d, &u, 8);
  return d;
}

inline void putU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void putI16(uint8_t* p, int16_t v) { putU16(p, static_cast<uint16_t>(v)); }
inline void putU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void putI32(uint8_t* p, int32_t v) { putU32(p, static_cast<uint32_t>(v)); }
inline void putU64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void putF32(uint8_t* p, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  putU32(p, u);
}
inline void putF64(uint8_t* p, double d) {
  uint64_t u;
  std::memcpy(&u, &d, 8);
  putU64(p, u);
}

}  // namespace vode
