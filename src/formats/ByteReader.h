// Bounds-checked little-endian reading from a file image in memory. A read
// past the end sets a sticky failure, yields zeros and moves nothing, so a
// reader can take several fields and check ok() once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "model/Bytes.h"

namespace vode {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  std::size_t position() const { return pos_; }
  std::size_t size() const { return size_; }
  std::size_t remaining() const { return size_ - pos_; }
  bool atEnd() const { return pos_ >= size_; }

  // Makes n bytes available at the current position, or fails.
  const uint8_t* take(std::size_t n) {
    if (!ok_ || n > size_ - pos_) {
      ok_ = false;
      return nullptr;
    }
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  bool skip(std::size_t n) {
    take(n);
    return ok_;
  }
  bool seek(std::size_t position) {
    if (!ok_ || position > size_) return ok_ = false;
    pos_ = position;
    return true;
  }
  bool bytes(uint8_t* out, std::size_t n) {
    const uint8_t* p = take(n);
    if (ok_ && n > 0) std::memcpy(out, p, n);
    return ok_;
  }

  uint8_t u8() {
    const uint8_t* p = take(1);
    return p ? p[0] : 0;
  }
  uint16_t u16() {
    const uint8_t* p = take(2);
    return p ? getU16(p) : 0;
  }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  // A run of samples, checked against the end once rather than per sample
  // (a recording holds millions). On failure out is left as it was.
  bool i16s(int16_t* out, std::size_t count) {
    if (!ok_ || count > (size_ - pos_) / 2) return ok_ = false;
    const uint8_t* p = data_ + pos_;
    pos_ += 2 * count;
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<int16_t>(getU16(p + 2 * i));
    return true;
  }
  uint32_t u32() {
    const uint8_t* p = take(4);
    return p ? getU32(p) : 0;
  }
  double f64() {
    const uint8_t* p = take(8);
    return p ? getF64(p) : 0.0;
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace vode
