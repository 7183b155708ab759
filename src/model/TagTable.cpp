#include "model/TagTable.h"

namespace vode {

int TagTable::create(int rows, int segments) {
  clear();
  if (rows < 1 || rows > MaxRows || segments < 1 || segments > MaxSegments) return 3;
  rows_ = rows;
  segments_ = segments;
  phase_.assign(segments, 0);
  work_.assign(segments, 0);
  flags_.assign(static_cast<size_t>(rows) * segments, 0);
  return 0;
}

int TagTable::deleteRow(int channel) {
  if (channel < 0 || channel >= rows_ || rows_ < 2) return 3;
  const auto row = flags_.begin() + static_cast<std::ptrdiff_t>(channel) * segments_;
  flags_.erase(row, row + segments_);
  --rows_;
  return 0;
}

void TagTable::clear() {
  rows_ = -1;
  segments_ = -1;
  phase_.clear();
  work_.clear();
  flags_.clear();
}

int TagTable::setPhase(int s, uint8_t value) {
  if (!containsSegment(s)) return 3;
  phase_[s] = value;
  return 0;
}

int TagTable::setFlags(int channel, int s, uint8_t value) {
  if (!contains(channel, s)) return 3;
  flags_[static_cast<size_t>(channel) * segments_ + s] = value;
  return 0;
}

int TagTable::addFlags(int channel, int s, uint8_t bits) {
  if (!contains(channel, s)) return 3;
  flags_[static_cast<size_t>(channel) * segments_ + s] |= bits;
  return 0;
}

int TagTable::clearFlags(int channel, int s, uint8_t bits) {
  if (!contains(channel, s)) return 3;
  flags_[static_cast<size_t>(channel) * segments_ + s] &= static_cast<uint8_t>(~bits);
  return 0;
}

bool TagTable::cleanEverywhere(int s) const {
  if (!containsSegment(s)) return false;
  for (int c = 0; c < rows_; ++c)
    if (flags(c, s) != 0) return false;
  return true;
}

std::string TagTable::StatusCode(int c, int s) const {
  std::string code;
  const uint8_t p = phase(s);
  if (p & Inspiration) code += "I";
  if (p & Expiration) code += "E";
  if (p & Background) code += "B";
  static const char* const letters[6] = {"C", "X", "Ar", "Cr", "Wz", "Ad"};
  const uint8_t f = flags(c, s);
  for (int bit = 0; bit < 6; ++bit)
    if (f & (1u << bit)) code += letters[bit];
  return code;
}

uint16_t TagTable::PackTagWord(int s) const {
  const uint8_t p = phase(s);
  // Background gives 3; inspiration and expiration bits add 1 and 2.
  unsigned high = (p & Background) ? 3 : 0;
  if (p & Inspiration) high += 1;
  if (p & Expiration) high += 2;
  return static_cast<uint16_t>((high << 8) | (flags(0, s) & 0x3F));
}

void TagTable::UnpackTagWord(int s, uint16_t word) {
  if (!containsSegment(s)) return;
  const unsigned high = word >> 8;
  phase_[s] = high == 1 ? Inspiration : high == 2 ? Expiration : high == 3 ? Background : 0;
  const uint8_t low = static_cast<uint8_t>(word & 0x3F);
  setFlags(0, s, low);
  if (rows_ >= 2) setFlags(1, s, low);
}

}  // namespace vode
