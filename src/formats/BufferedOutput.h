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
