// Builds DOS recordings byte by byte for the reader's tests, independently of
// the program's own writer: every field is set here at its place.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/DosCodec.h"
#include "model/Bytes.h"

namespace vode::test {

struct DosFileBuilder {
  uint32_t magic = 0xE705C29C;
  uint16_t version = 1;
  bool calibration = true;
  int16_t zeroLevel = 2048;
  std::string nameA, nameB;
  bool segmentLists = false;
  std::vector<std::vector<uint8_t>> extraTags;  // whole tagged records, before the end tag
  std::string subjectName, subjectId, diagnosis;
  std::string studyName, equipment, measurements;
  bool flowFlag = true;
  bool invert = false;
  double scale = 4.096;
  int16_t first = 2, last = 4, segments = 1;
  uint16_t rate = 10240;
  int16_t c1 = 0, c2 = 0, c3 = 0;
  std::array<int16_t, 4> groups{32, 32, 128, 128};
  std::vector<uint16_t> stream;
  int64_t dataOffset = -1;  // -1: where the data section really starts

  // Appends the groups of one channel's values for one segment.
  void addValues(const std::vector<uint16_t>& values, int groupLength) {
    for (std::size_t k = 0; k < values.size(); k += static_cast<std::size_t>(groupLength))
      encodeDosGroup(values.data() + k, groupLength, stream);
  }
  // Every channel first..last of every segment held at one value each.
  void addConstantSegments(uint16_t aux, uint16_t breath, uint16_t a, uint16_t b) {
    for (int s = 0; s < segments; ++s)
      for (int j = first; j <= last; ++j) {
        const int count = j <= 2 ? 32 : (rate == 5120 ? 512 : 1024);
        const uint16_t v = j == 1 ? aux : j == 2 ? breath : j == 3 ? a : b;
        addValues(std::vector<uint16_t>(static_cast<std::size_t>(count), v), groups[j - 1]);
      }
  }

  std::vector<uint8_t> build() const {
    std::vector<uint8_t> f;
    auto u8 = [&](uint8_t v) { f.push_back(v); };
    auto u16 = [&](uint16_t v) { u8(static_cast<uint8_t>(v)); u8(static_cast<uint8_t>(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(static_cast<uint16_t>(v)); u16(static_cast<uint16_t>(v >> 16)); };
    auto zeros = [&](std::size_t n) { f.insert(f.end(), n, 0); };
    auto text = [&](const std::string& s, std::size_t capacity) {
      u8(static_cast<uint8_t>(s.size()));
      for (std::size_t i = 0; i < capacity; ++i) u8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
    };
    u32(magic);
    u16(version);
    if (calibration) {
      u16(5);
      for (int e = 0; e < 4; ++e) {
        zeros(20);
        u16(static_cast<uint16_t>(zeroLevel));
        zeros(8);
      }
    }
    u16(9);
    text(nameA, 7);
    text(nameB, 7);
    if (segmentLists) u16(8);
    for (const auto& tag : extraTags) f.insert(f.end(), tag.begin(), tag.end());
    u16(0);
    const std::size_t offsetAt = f.size();
    u32(0);
    text(subjectName, 30);
    zeros(2);
    text(subjectId, 8);
    text(diagnosis, 30);
    text(studyName, 17);
    text(equipment, 30);
    text(measurements, 48);
    u16(rate);
    zeros(18 + 10);
    u8(flowFlag ? 1 : 0);
    u8(invert ? 1 : 0);
    uint8_t d[8];
    putF64(d, scale);
    f.insert(f.end(), d, d + 8);
    zeros(8);
    zeros(102 + 55 + 116 + 1);
    putU32(f.data() + offsetAt, dataOffset >= 0 ? static_cast<uint32_t>(dataOffset) : static_cast<uint32_t>(f.size()));
    zeros(48);
    u16(static_cast<uint16_t>(first));
    u16(static_cast<uint16_t>(last));
    u16(static_cast<uint16_t>(segments));
    u16(rate);
    u16(static_cast<uint16_t>(c1));
    u16(static_cast<uint16_t>(c2));
    zeros((c1 > 0 ? c1 : 0) * 24 + (c2 > 0 ? c2 : 0) * 24);
    u16(static_cast<uint16_t>(c3));
    zeros((c3 > 0 ? c3 : 0) * 32);
    if (segmentLists) {
      u16(1);
      u16(2);
      zeros(6);
    }
    for (int16_t g : groups) u16(static_cast<uint16_t>(g));
    for (uint16_t w : stream) u16(w);
    return f;
  }
};

}  // namespace vode::test
