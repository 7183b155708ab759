// Little-endian writing through an OutputFile with a buffer in front, keeping
// the first error: after a failure every further write does nothing, so a
// writer can emit a whole file and check the result once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/FileSystem.h"
#include "model/Bytes.h"

namespace vode {

class BufferedOutput {
 public:
  explicit BufferedOutput(OutputFile& out, std::size_t capacity = 1 << 16) : out_(out), capacity_(capacity) {
    buffer_.reserve(capacity_);
  }

  int error() const { return error_; }

  void bytes(const void* data, std::size_t n) {
    if (error_) return;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    buffer_.insert(buffer_.end(), p, p + n);
    if (buffer_.size() >= capacity_) flush();
  }
  void u8(uint8_t v) { bytes(&v, 1); }
  void u16(uint16_t v) {
    uint8_t b[2];
    putU16(b, v);
    bytes(b, 2);
  }
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  // A run of samples, converted a block at a time: a recording holds
  // millions, and taking them one by one made saving it slow.
  void i16s(const int16_t* values, std::size_t count) {
    uint8_t block[4096];
    while (count > 0 && !error_) {
      const std::size_t n = count < sizeof block / 2 ? count : sizeof block / 2;
      for (std::size_t i = 0; i < n; ++i) putU16(block + 2 * i, static_cast<uint16_t>(values[i]));
      bytes(block, 2 * n);
      values += n;
      count -= n;
    }
  }
  void u32(uint32_t v) {
    uint8_t b[4];
    putU32(b, v);
    bytes(b, 4);
  }
  void text(const std::string& s) { bytes(s.data(), s.size()); }

  // Writes what is buffered; returns the first error so far.
  int flush() {
    if (!error_ && !buffer_.empty()) error_ = out_.write(buffer_.data(), buffer_.size());
    buffer_.clear();
    return error_;
  }

 private:
  OutputFile& out_;
  std::size_t capacity_;
  std::vector<uint8_t> buffer_;
  int error_ = 0;
};

}  // namespace vode
