// A text field of fixed capacity as the files store it: one length byte, then
// N bytes. Longer text is cut to N. The bytes after the text are kept as they
// were read, so a record read from a file writes back byte for byte.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vode {

template <std::size_t N>
class ShortString {
 public:
  static constexpr std::size_t Capacity = N;
  static constexpr std::size_t ImageSize = N + 1;

  ShortString() { bytes_.fill(0); }
  ShortString(std::string_view text) { set(text); }  // NOLINT: implicit on purpose

  std::string str() const { return std::string(reinterpret_cast<const char*>(bytes_.data()), length_); }
  std::size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }

  // Stores text cut to the capacity; the unused bytes become zero.
  void set(std::string_view text) {
    bytes_.fill(0);
    length_ = static_cast<uint8_t>(std::min(text.size(), N));
    std::copy_n(text.data(), length_, bytes_.begin());
  }
  ShortString& operator=(std::string_view text) {
    set(text);
    return *this;
  }

  // A stored length above the capacity is limited to it.
  void read(const uint8_t* p) {
    length_ = static_cast<uint8_t>(std::min<std::size_t>(p[0], N));
    std::copy_n(p + 1, N, bytes_.begin());
  }
  void write(uint8_t* p) const {
    p[0] = length_;
    std::copy_n(bytes_.begin(), N, p + 1);
  }

  bool operator==(const ShortString& o) const { return str() == o.str(); }

 private:
  uint8_t length_ = 0;
  std::array<uint8_t, N> bytes_{};
};

}  // namespace vode
