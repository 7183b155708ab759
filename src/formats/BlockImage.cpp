// Building the byte image of a block file in memory: the savers write it with
// one call, so a failed write can never leave half a file behind.
#include <algorithm>
#include <bit>
#include <cstring>

#include "formats/BlockFile.h"
#include "formats/Crc32.h"
#include "model/Bytes.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

// Appends to the image while keeping the running CRC of the current block.
class BlockWriter {
 public:
  explicit BlockWriter(std::vector<uint8_t>& out) : out_(out) {}

  // Magic and version; fed, but no CRC follows them.
  void header() {
    crc_ = CrcStart;
    u32(BlockFileMagic, true);
    u16(BlockFileVersion, true);
  }

  // The id as a counted item of length 2, then a placeholder for the size.
  void beginBlock(uint16_t id) {
    crc_ = CrcStart;
    uint8_t bytes[2];
    putU16(bytes, id);
    countedItem(bytes, 2);
    sizeAt_ = out_.size();
    u32(0, false);
  }

  // The closing CRC; the size counts from its own field to the block's end.
  void endBlock() {
    crcField();
    putU32(out_.data() + sizeAt_, static_cast<uint32_t>(out_.size() - sizeAt_));
  }

  void countedItem(const uint8_t* data, uint16_t length) {
    u16(length, true);
    crcField();
    bytes(data, length, true);
    crcField();
  }

  void crcField() { u32(crc_, false); }

  void bytes(const void* data, std::size_t size, bool fed) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + size);
    if (fed) crc_ = crc32Update(crc_, p, size);
  }

  void u16(uint16_t v, bool fed) {
    uint8_t b[2];
    putU16(b, v);
    bytes(b, 2, fed);
  }
  void u32(uint32_t v, bool fed) {
    uint8_t b[4];
    putU32(b, v);
    bytes(b, 4, fed);
  }

  // 16-bit samples, little-endian, fed.
  void samples(const int16_t* data, std::size_t count) {
    const std::size_t at = out_.size();
    out_.resize(at + 2 * count);
    uint8_t* p = out_.data() + at;
    if constexpr (std::endian::native == std::endian::little) {
      if (count > 0) std::memcpy(p, data, 2 * count);
    } else {
      for (std::size_t i = 0; i < count; ++i) putI16(p + 2 * i, data[i]);
    }
    crc_ = crc32Update(crc_, p, 2 * count);
  }

 private:
  std::vector<uint8_t>& out_;
  uint32_t crc_ = CrcStart;
  std::size_t sizeAt_ = 0;
};

template <typename Record>
void recordBlock(BlockWriter& w, uint16_t id, const Record& record) {
  const auto image = imageOf(record);
  w.beginBlock(id);
  w.countedItem(image.data(), static_cast<uint16_t>(image.size()));
  w.endBlock();
}

void settingsBlocks(BlockWriter& w, const RecordingBundle& doc) {
  recordBlock(w, BlockLaboratory, doc.laboratory);
  recordBlock(w, BlockPreferences, doc.preferences);
  recordBlock(w, BlockChannelSetup, doc.channelSetup);
  recordBlock(w, BlockAnalysisParameters, doc.analysisParameters);
}

// Neither the length nor the text is fed: the comments are not covered.
void commentsBlock(BlockWriter& w, const std::string& comments) {
  const std::size_t n = std::min(comments.size(), MaxCommentsLength);
  w.beginBlock(BlockComments);
  w.u16(static_cast<uint16_t>(n), false);
  w.bytes(comments.data(), n, false);
  w.endBlock();
}

// The segments actually written: first..last inside the recording.
struct SegmentRange {
  int32_t first = 0;
  int32_t count = 0;
};

SegmentRange writtenRange(const RecordingBundle& doc, int first, int last) {
  SegmentRange r;
  if (!doc.recording) return r;
  first = std::max(first, 0);
  last = std::min(last, doc.recording->segmentCount - 1);
  r.first = first;
  r.count = last >= first ? last - first + 1 : 0;
  return r;
}

void recordingBlock(BlockWriter& w, const Recording& rec, SegmentRange range) {
  w.beginBlock(BlockRecording);
  w.u16(static_cast<uint16_t>(rec.channelCount), true);
  w.u32(static_cast<uint32_t>(range.count), true);
  w.u16(SegmentFlowSamples, true);
  w.u16(SegmentSamples, true);
  w.crcField();
  if (range.count > 0) {
    const std::size_t flowFrom = static_cast<std::size_t>(range.first) * SegmentFlowSamples;
    w.samples(rec.flow.data() + flowFrom, static_cast<std::size_t>(range.count) * SegmentFlowSamples);
    const std::size_t soundFrom = static_cast<std::size_t>(range.first) * SegmentSamples;
    for (int c = 0; c < rec.channelCount; ++c)
      w.samples(rec.sound[c].data() + soundFrom, static_cast<std::size_t>(range.count) * SegmentSamples);
  }
  w.endBlock();
}

// Phase bytes, then one row of flag bytes per channel, for the written
// segments only. The analysis-only byte is not stored.
void tagBlock(BlockWriter& w, const TagTable& tags, SegmentRange range) {
  w.beginBlock(BlockTags);
  w.u32(static_cast<uint32_t>(tags.rows() - 1), true);
  w.u32(static_cast<uint32_t>(range.count - 1), true);
  w.crcField();
  std::vector<uint8_t> row(static_cast<std::size_t>(range.count));
  for (int32_t i = 0; i < range.count; ++i) row[i] = tags.phase(range.first + i);
  w.bytes(row.data(), row.size(), true);
  for (int c = 0; c < tags.rows(); ++c) {
    for (int32_t i = 0; i < range.count; ++i) row[i] = tags.flags(c, range.first + i);
    w.bytes(row.data(), row.size(), true);
  }
  w.endBlock();
}

bool hasTagTable(const RecordingBundle& doc) { return doc.tagTable && !doc.tagTable->empty(); }

void endBlock(BlockWriter& w) {
  w.beginBlock(BlockEnd);
  w.endBlock();
}

}  // namespace

std::vector<uint8_t> recordingFileImage(const RecordingBundle& doc, int first, int last) {
  const SegmentRange range = writtenRange(doc, first, last);
  std::vector<uint8_t> out;
  out.reserve(static_cast<std::size_t>(std::max<int64_t>(recordingFileEstimate(doc, first, last), 0)) + 256);
  BlockWriter w(out);
  w.header();
  settingsBlocks(w, doc);
  recordBlock(w, BlockSubject, doc.subject);
  commentsBlock(w, doc.comments);
  if (doc.recording) recordingBlock(w, *doc.recording, range);
  if (hasTagTable(doc)) tagBlock(w, *doc.tagTable, range);
  endBlock(w);
  return out;
}

std::vector<uint8_t> settingsFileImage(const RecordingBundle& doc) {
  std::vector<uint8_t> out;
  out.reserve(700);
  BlockWriter w(out);
  w.header();
  settingsBlocks(w, doc);
  endBlock(w);
  return out;
}

int64_t recordingFileEstimate(const RecordingBundle& doc, int first, int last) {
  int64_t bytes = 1025 + static_cast<int64_t>(std::min(doc.comments.size(), MaxCommentsLength)) + 2;
  if (doc.recording) {
    const Recording& r = *doc.recording;
    bytes += 18 + 2 * static_cast<int64_t>(r.channelCount) * r.soundSampleCount + 2 * static_cast<int64_t>(r.flowSampleCount);
  }
  if (hasTagTable(doc)) {
    const SegmentRange range = writtenRange(doc, first, last);
    bytes += 20 + (static_cast<int64_t>(range.count) * (doc.tagTable->rows() + 1) + 12);
  }
  return bytes;
}

}  // namespace vode
