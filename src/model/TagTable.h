// Per-segment breath-phase tags and per-channel segment flags.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vode {

// Phase bytes.
constexpr uint8_t Inspiration = 1;
constexpr uint8_t Expiration = 2;
constexpr uint8_t Background = 4;

// Flag bits (only the low six are used).
constexpr uint8_t Clipped = 1;
constexpr uint8_t Rejected = 2;
constexpr uint8_t ArFlag = 4;
constexpr uint8_t CrFlag = 8;
constexpr uint8_t Wheeze = 16;
constexpr uint8_t AdFlag = 32;

class TagTable {
 public:
  static constexpr int MaxRows = 8;
  static constexpr int MaxSegments = 16384;

  // An empty table: rows and segments -1.
  TagTable() = default;

  // 0, or 3 when the dimensions are outside 1..8 rows and 1..16384 segments;
  // then the table is left empty. A new table is all zero.
  int create(int rows, int segments);
  void clear();
  // Removes one channel's row of flags (a deleted channel); the rows after it
  // move up. The last row cannot go: a table keeps at least one.
  int deleteRow(int channel);

  bool empty() const { return rows_ < 1; }
  int rows() const { return rows_; }
  int segments() const { return segments_; }
  bool contains(int channel, int s) const {
    return channel >= 0 && channel < rows_ && s >= 0 && s < segments_;
  }
  bool containsSegment(int s) const { return s >= 0 && s < segments_; }

  // Reads give 0 outside the table; writes report 3 and do nothing.
  uint8_t phase(int s) const { return containsSegment(s) ? phase_[s] : 0; }
  int setPhase(int s, uint8_t value);
  uint8_t flags(int channel, int s) const {
    return contains(channel, s) ? flags_[static_cast<size_t>(channel) * segments_ + s] : 0;
  }
  int setFlags(int channel, int s, uint8_t value);
  int addFlags(int channel, int s, uint8_t bits);
  int clearFlags(int channel, int s, uint8_t bits);

  // The analysis-only byte per segment, never stored.
  uint8_t work(int s) const { return containsSegment(s) ? work_[s] : 0; }
  void setWork(int s, uint8_t value) {
    if (containsSegment(s)) work_[s] = value;
  }

  // Raw rows, for the file readers and writers.
  uint8_t* phaseData() { return phase_.data(); }
  const uint8_t* phaseData() const { return phase_.data(); }
  uint8_t* flagRow(int channel) { return flags_.data() + static_cast<size_t>(channel) * segments_; }
  const uint8_t* flagRow(int channel) const {
    return flags_.data() + static_cast<size_t>(channel) * segments_;
  }

  // Segment predicates; all false outside the table.
  bool clean(int c, int s) const { return contains(c, s) && flags(c, s) == 0; }
  bool taggedClean(int c, int s) const { return contains(c, s) && phase(s) != 0 && flags(c, s) == 0; }
  bool breathClean(int c, int s) const {
    return contains(c, s) && (phase(s) == Inspiration || phase(s) == Expiration) && flags(c, s) == 0;
  }
  bool cleanEverywhere(int s) const;

  // "I", "E", "B" for the phase bits, then "C", "X", "Ar", "Cr", "Wz", "Ad".
  std::string StatusCode(int c, int s) const;

  // The legacy 16-bit tag word of the BIN format.
  uint16_t PackTagWord(int s) const;
  void UnpackTagWord(int s, uint16_t word);

 private:
  int rows_ = -1;
  int segments_ = -1;
  std::vector<uint8_t> phase_;
  std::vector<uint8_t> work_;
  std::vector<uint8_t> flags_;
};

}  // namespace vode
