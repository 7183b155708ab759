// Reading a block file from memory. Every step does nothing once an error is
// set, so the first failure ends the load and its code is the one reported.
// No count read from the file sizes anything before it has been checked.
#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <string>

#include "formats/BlockFile.h"
#include "formats/Crc32.h"
#include "formats/FileErrors.h"
#include "model/Bytes.h"
#include "model/RecordingBundle.h"
#include "model/Progress.h"
#include "model/Prompter.h"

namespace vode {

const char* const OldFormatWarning =
    "Old data format detected.  Please save this file to ensure it is updated to the new format.";

namespace {

// The gauge moves each time the position passes a multiple of this.
constexpr std::size_t ProgressStep = 100000;

class BlockReader {
 public:
  BlockReader(const uint8_t* data, std::size_t size, ProgressSink& progress)
      : data_(data), size_(size), progress_(progress) {}

  int error() const { return error_; }
  void fail(int code) {
    if (error_ == 0) error_ = code;
  }
  void resetCrc() { crc_ = CrcStart; }

  // The next n bytes, or null (and 100) when the file ends first.
  const uint8_t* take(std::size_t n, bool fed) {
    if (error_ != 0) return nullptr;
    if (n > size_ - pos_) {
      fail(ErrShortRead);
      return nullptr;
    }
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    if (fed) crc_ = crc32Update(crc_, p, n);
    if (pos_ >= nextMark_) {
      progress_.set(static_cast<int>(pos_ / 1000));
      nextMark_ = (pos_ / ProgressStep + 1) * ProgressStep;
    }
    return p;
  }

  // Readers of single fields give 0 after an error.
  uint16_t u16(bool fed) {
    const uint8_t* p = take(2, fed);
    return p ? getU16(p) : 0;
  }
  int16_t i16(bool fed) { return static_cast<int16_t>(u16(fed)); }
  uint32_t u32(bool fed) {
    const uint8_t* p = take(4, fed);
    return p ? getU32(p) : 0;
  }
  int32_t i32(bool fed) { return static_cast<int32_t>(u32(fed)); }

  // A stored CRC (not fed) must equal the running value.
  void checkCrc() {
    const uint8_t* p = take(4, false);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // The fuzz drivers' build lets mutated files past the checksums, so that
    // the parsing behind them is reached; a hostile file can carry right
    // checksums anyway.
    return;
#endif
    if (p && getU32(p) != crc_) fail(ErrCrc);
  }

  // A counted item: length (fed), CRC, data (fed), CRC. The stored length
  // decides how much is read; more than capacity bytes is refused, since no
  // writer of ours stores a longer item than the record it belongs to.
  const uint8_t* countedItem(std::size_t capacity, std::size_t& length) {
    length = u16(true);
    checkCrc();
    if (error_ == 0 && length > capacity) fail(ErrFormat);
    const uint8_t* p = take(length, true);
    checkCrc();
    return error_ == 0 ? p : nullptr;
  }

  // Forward over n bytes without feeding them; past the end is a short read.
  void skip(uint64_t n) {
    if (error_ == 0 && n > size_ - pos_) fail(ErrShortRead);
    if (error_ == 0) take(static_cast<std::size_t>(n), false);
  }

  // n little-endian 16-bit samples, fed.
  void samples(int16_t* out, std::size_t count) {
    if (count > (size_ - pos_) / 2) {
      fail(ErrShortRead);
      return;
    }
    const uint8_t* p = take(2 * count, true);
    if (!p) return;
    if constexpr (std::endian::native == std::endian::little) {
      if (count > 0) std::memcpy(out, p, 2 * count);
    } else {
      for (std::size_t i = 0; i < count; ++i) out[i] = getI16(p + 2 * i);
    }
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  uint32_t crc_ = CrcStart;
  int error_ = 0;
  ProgressSink& progress_;
  std::size_t nextMark_ = ProgressStep;
};

// A counted item that fills a fixed record from its start.
template <typename Record>
void readRecord(BlockReader& r, Record& record) {
  std::size_t length = 0;
  const uint8_t* p = r.countedItem(Record::Size, length);
  if (p) overlayImage(record, p, length);
}

// The text replaces the comments; neither its length nor its bytes are fed.
void readComments(BlockReader& r, std::string& comments) {
  const std::size_t n = r.u16(false);
  const uint8_t* p = r.take(n, false);
  if (r.error() == 0) comments.assign(reinterpret_cast<const char*>(p), n);
}

void readRecording(BlockReader& r, RecordingBundle& doc, Prompter& prompter) {
  const int16_t channels = r.i16(true);
  const int32_t segments = r.i32(true);
  const int16_t flowPerSegment = r.i16(true);
  const int16_t soundPerSegment = r.i16(true);
  r.checkCrc();
  // The warning names the stored count even when its checksum failed just
  // before; the code stays the first failure's.
  if (segments > MaxSegments) {
    r.fail(ErrTooManySegments);
    prompter.message(MessageKind::Warning, "Maximum segments exceeded (" + std::to_string(segments) + " vs " +
                                               std::to_string(MaxSegments) + ")");
  }
  if (r.error() != 0) return;
  // Counts no writer of ours produces: refuse them rather than size by them.
  if (segments < 0 || channels < 0 || channels > MaxChannels || flowPerSegment != SegmentFlowSamples ||
      soundPerSegment != SegmentSamples) {
    r.fail(ErrFormat);
    return;
  }
  auto rec = std::make_unique<Recording>(Recording::create(segments, channels));
  r.samples(rec->flow.data(), rec->flow.size());
  for (int c = 0; c < channels; ++c) r.samples(rec->sound[c].data(), rec->sound[c].size());
  if (r.error() != 0) return;
  if (doc.state.fileVersion == 1) rec->upgradeOldFlow();
  doc.recording = std::move(rec);
}

// Version-1 spectra: read past them, fed, and drop them.
bool readOldSpectra(BlockReader& r) {
  const int16_t channels = r.i16(true);
  const int32_t segments = r.i32(true);
  const int16_t bins = r.i16(true);
  r.i16(true);
  r.checkCrc();
  if (r.error() != 0) return false;
  if (channels < 0 || segments < 0 || bins < 0) {
    r.fail(ErrFormat);
    return false;
  }
  // At most 32767 × 2^31 × 32767 × 6: fits 64 bits.
  const uint64_t bytes = static_cast<uint64_t>(channels) * static_cast<uint64_t>(segments) *
                         static_cast<uint64_t>(bins) * 6u;
  constexpr uint64_t chunk = 1u << 20;
  for (uint64_t done = 0; done < bytes && r.error() == 0; done += chunk)
    r.take(static_cast<std::size_t>(std::min(chunk, bytes - done)), true);
  return r.error() == 0;
}

// A table outside its limits is not made and nothing more is read, so the
// closing CRC check reads tag bytes and fails.
void readTags(BlockReader& r, RecordingBundle& doc) {
  const int32_t lastRow = r.i32(true);
  const int32_t lastSegment = r.i32(true);
  r.checkCrc();
  if (r.error() != 0 || lastSegment < 0) return;
  if (lastRow < 0 || lastRow >= TagTable::MaxRows || lastSegment >= TagTable::MaxSegments) return;
  auto table = std::make_unique<TagTable>();
  if (table->create(lastRow + 1, lastSegment + 1) != 0) return;
  const std::size_t n = static_cast<std::size_t>(lastSegment) + 1;
  const uint8_t* p = r.take(n, true);
  if (p) std::memcpy(table->phaseData(), p, n);
  for (int c = 0; c <= lastRow; ++c) {
    p = r.take(n, true);
    if (p) std::memcpy(table->flagRow(c), p, n);
  }
  if (r.error() == 0) doc.tagTable = std::move(table);
}

// One block; false after the end block.
bool readBlock(BlockReader& r, RecordingBundle& doc, Prompter& prompter, bool& oldSpectraRead) {
  r.resetCrc();
  std::size_t idLength = 0;
  const uint8_t* idBytes = r.countedItem(2, idLength);
  if (!idBytes) return false;
  uint8_t idImage[2] = {0, 0};
  std::memcpy(idImage, idBytes, idLength);
  const uint16_t id = getU16(idImage);
  const uint32_t size = r.u32(false);
  if (r.error() != 0) return false;
  switch (id) {
    case BlockSubject: readRecord(r, doc.subject); break;
    case BlockLaboratory: readRecord(r, doc.laboratory); break;
    case BlockPreferences: readRecord(r, doc.preferences); break;
    case BlockComments: readComments(r, doc.comments); break;
    case BlockChannelSetup: readRecord(r, doc.channelSetup); break;
    case BlockAnalysisParameters: readRecord(r, doc.analysisParameters); break;
    case BlockRecording: readRecording(r, doc, prompter); break;
    case BlockOldSpectra:
      if (readOldSpectra(r)) oldSpectraRead = true;
      break;
    case BlockTags: readTags(r, doc); break;
    case BlockEnd:
      // Nothing is read after the end block, so where its size points does
      // not matter: a file missing the end block's closing CRC, or carrying
      // any size there, is complete.
      return false;
    default:
      // Unknown ids: skip by the size, which counts its own four bytes; a size
      // below that cannot belong to a block, and one pointing past the end of
      // the file leaves the next block unreadable.
      if (size < 4) {
        r.fail(ErrFormat);
        return false;
      }
      r.skip(size - 4u);
      return r.error() == 0;
  }
  r.checkCrc();
  return r.error() == 0;
}

// A tag table describes the recording beside it: a phase byte per segment
// and a row of flags per channel. One of another length, or with a channel's
// row missing, would have the analysis count phases and flags of segments and
// channels that do not exist: it refuses the file. Rows beyond the channels
// carry nothing the program reads; they are dropped with a word.
int checkTagTable(RecordingBundle& doc, Prompter& prompter) {
  if (!doc.tagTable || doc.tagTable->empty()) return 0;
  TagTable& tags = *doc.tagTable;
  const int channels = doc.recording ? doc.recording->channelCount : 0;
  const int segments = doc.recording ? doc.recording->segmentCount : -1;
  if (tags.segments() != segments || tags.rows() < channels) return ErrFormat;
  const int kept = std::max(channels, 1);  // a table keeps at least one row
  if (tags.rows() > kept) {
    prompter.message(MessageKind::Warning, "The tag table holds flags of " + std::to_string(tags.rows()) +
                                               " channels, the recording " + std::to_string(channels) +
                                               ": the flags of the others were dropped");
    while (tags.rows() > kept) tags.deleteRow(tags.rows() - 1);
  }
  return 0;
}

}  // namespace

int readBlockImage(RecordingBundle& doc, const uint8_t* data, std::size_t size, Prompter& prompter,
                   ProgressSink& progress) {
  BlockReader r(data, size, progress);
  r.resetCrc();
  const uint32_t magic = r.u32(true);
  if (r.error() != 0) return r.error();
  if (magic != BlockFileMagic) return ErrFormat;

  progress.begin("Loading file...", static_cast<int>(size / 1000));
  const uint16_t version = r.u16(true);
  if (r.error() == 0) {
    doc.state.fileVersion = version;
    // 0, 1 and 2 are read; only 1 is treated as old.
    if (version > BlockFileVersion) r.fail(ErrFormat);
  }
  bool oldSpectraRead = false;
  while (r.error() == 0 && readBlock(r, doc, prompter, oldSpectraRead)) {
  }
  progress.end();
  if (r.error() == 0)
    if (const int mismatch = checkTagTable(doc, prompter)) r.fail(mismatch);

  // The stored spectra were dropped above; the warning only makes sense for a
  // file that is now open and can be saved again.
  if (r.error() == 0 && doc.state.fileVersion == 1 && oldSpectraRead)
    prompter.message(MessageKind::Warning, OldFormatWarning);
  return r.error();
}

}  // namespace vode
