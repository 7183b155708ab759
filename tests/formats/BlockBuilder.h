// Hand-made block files for the reader tests: any id, any counts, any
// damage, with checksums computed here one byte at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/Crc32.h"

namespace vode::test {

class BlockBuilder {
 public:
  explicit BlockBuilder(uint16_t version = 2, uint32_t magic = 0xC746E59Bu) {
    u32(magic, false);
    u16(version, false);
  }

  BlockBuilder& begin(uint16_t id, uint16_t idLength = 2) {
    crc_ = CrcStart;
    u16(idLength, true);
    crcField();
    u16(id, true);
    crcField();
    sizeAt_ = bytes.size();
    u32(0, false);
    return *this;
  }
  BlockBuilder& end() {
    crcField();
    const uint32_t s = static_cast<uint32_t>(bytes.size() - sizeAt_);
    for (int i = 0; i < 4; ++i) bytes[sizeAt_ + i] = static_cast<uint8_t>(s >> (8 * i));
    return *this;
  }
  // A complete block holding one counted item.
  BlockBuilder& itemBlock(uint16_t id, const std::vector<uint8_t>& data) {
    begin(id);
    item(data);
    return end();
  }
  BlockBuilder& item(const std::vector<uint8_t>& data) {
    u16(static_cast<uint16_t>(data.size()), true);
    crcField();
    raw(data, true);
    return crcField();
  }
  BlockBuilder& endBlock() { return begin(0).end(); }

  BlockBuilder& crcField() { return u32(crc_, false); }
  BlockBuilder& u16(uint16_t v, bool fed) { return raw({uint8_t(v), uint8_t(v >> 8)}, fed); }
  BlockBuilder& u32(uint32_t v, bool fed) {
    return raw({uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}, fed);
  }
  BlockBuilder& raw(const std::vector<uint8_t>& data, bool fed) {
    bytes.insert(bytes.end(), data.begin(), data.end());
    if (fed) crc_ = crc32UpdateBytewise(crc_, data.data(), data.size());
    return *this;
  }
  BlockBuilder& i16s(const std::vector<int16_t>& values, bool fed) {
    for (int16_t v : values) u16(static_cast<uint16_t>(v), fed);
    return *this;
  }

  // Block 101 with the given header; the samples follow with raw/i16s.
  BlockBuilder& recordingHeader(int16_t channels, int32_t segments, int16_t flowPer = 32, int16_t soundPer = 1024) {
    begin(101);
    u16(static_cast<uint16_t>(channels), true);
    u32(static_cast<uint32_t>(segments), true);
    u16(static_cast<uint16_t>(flowPer), true);
    u16(static_cast<uint16_t>(soundPer), true);
    return crcField();
  }

  std::vector<uint8_t> bytes;

 private:
  uint32_t crc_ = CrcStart;
  std::size_t sizeAt_ = 0;
};

}  // namespace vode::test
