#include "formats/ResampleImport.h"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "model/Numeric.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

constexpr std::size_t MostFrames = std::size_t{MaxSegments} * SegmentSamples;
constexpr sf_count_t ChunkFrames = 16384;
// Enough of a WAV file's start to find its data chunk behind the usual ones.
constexpr std::size_t HeaderBytes = 65536;

struct SndfileCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};
struct SoxrDeleter {
  void operator()(soxr_t s) const { soxr_delete(s); }
};

// Input full scale (±1.0) becomes ±32768 counts, rounded halves to even.
int16_t toCounts(float x, int64_t& clipped) {
  double v = roundEvenD(static_cast<double>(x) * 32768.0);
  if (std::isnan(v)) v = 0.0;  // inputs near the float limit can overflow the filter
  if (v > 32767.0 || v < -32768.0) {
    ++clipped;
    v = v > 0 ? 32767.0 : -32768.0;
  }
  return static_cast<int16_t>(v);
}

uint32_t u32At(const std::vector<uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void putU32At(std::vector<uint8_t>& b, std::size_t at, uint64_t value) {
  const auto v = static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX));
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Where the size field of a RIFF WAVE file's data chunk sits, found by walking
// the chunks in the bytes at hand; 0 when there is none among them.
std::size_t dataSizeField(const std::vector<uint8_t>& b) {
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) return 0;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    if (std::memcmp(b.data() + at, "data", 4) == 0) return at + 4;
    const uint64_t size = u32At(b, at + 4);
    at += 8 + size + (size & 1);
  }
  return 0;
}

// The bytes of sound behind a WAV header whose data size is 0 or more than the
// file holds (the header of a recording that was never finished); -1 when the
// size is right or the file is no WAV.
int64_t soundBytesToMend(const std::vector<uint8_t>& head, uint64_t fileBytes) {
  const std::size_t field = dataSizeField(head);
  if (field == 0 || fileBytes <= field + 4) return -1;
  const uint64_t present = fileBytes - (field + 4);
  const uint32_t declared = u32At(head, field);
  return declared == 0 || declared > present ? static_cast<int64_t>(present) : -1;
}

// A file held in memory, read by libsndfile through its virtual I/O.
struct MemoryFile {
  std::vector<uint8_t> bytes;
  sf_count_t position = 0;

  static sf_count_t length(void* self) { return static_cast<sf_count_t>(static_cast<MemoryFile*>(self)->bytes.size()); }
  static sf_count_t seek(sf_count_t offset, int whence, void* self) {
    auto& f = *static_cast<MemoryFile*>(self);
    const sf_count_t from = whence == SEEK_CUR ? f.position : whence == SEEK_END ? length(self) : 0;
    f.position = std::clamp<sf_count_t>(from + offset, 0, length(self));
    return f.position;
  }
  static sf_count_t read(void* to, sf_count_t count, void* self) {
    auto& f = *static_cast<MemoryFile*>(self);
    const sf_count_t n = std::clamp<sf_count_t>(length(self) - f.position, 0, count);
    std::memcpy(to, f.bytes.data() + f.position, static_cast<std::size_t>(n));
    f.position += n;
    return n;
  }
  static sf_count_t write(const void*, sf_count_t, void*) { return 0; }
  static sf_count_t tell(void* self) { return static_cast<MemoryFile*>(self)->position; }
};

// Opens the input for libsndfile: a regular file by its name; a pipe, and a
// WAV whose data size must be mended, from its bytes held in memory. A pipe
// with no writer, a device and a folder are refused as every reader refuses
// them. Null with a message in error when it cannot be opened.
std::unique_ptr<SNDFILE, SndfileCloser> openSound(const std::string& path, MemoryFile& memory, SF_INFO& info,
                                                  ResampleSummary& summary, std::string& error) {
  FileSystem& fs = FileSystem::real();
  const FileStatus st = fs.status(path);
  std::vector<uint8_t> head;
  // What keeps a missing or unreachable file from opening is what its open says.
  int code = st.folder ? ErrIsFolder : st.exists ? 0 : fs.readPrefix(path, 0, head);
  if (code == 0 && st.exists && !st.regular) {
    code = readBoundedFile(fs, path, MaxImportFileBytes, memory.bytes);
    summary.mendedDataBytes = code == 0 ? soundBytesToMend(memory.bytes, memory.bytes.size()) : -1;
  } else if (code == 0 && st.exists) {
    code = fs.readPrefix(path, HeaderBytes, head);
    summary.mendedDataBytes = code == 0 ? soundBytesToMend(head, st.size) : -1;
    if (summary.mendedDataBytes >= 0) code = readBoundedFile(fs, path, MaxImportFileBytes, memory.bytes);
  }
  if (code != 0) {
    error = openFailureText(path, code);
    return nullptr;
  }
  if (summary.mendedDataBytes >= 0) {
    putU32At(memory.bytes, 4, memory.bytes.size() - 8);
    putU32At(memory.bytes, dataSizeField(memory.bytes), static_cast<uint64_t>(summary.mendedDataBytes));
  }
  std::unique_ptr<SNDFILE, SndfileCloser> file;
  if (st.exists && (!st.regular || summary.mendedDataBytes >= 0)) {
    static SF_VIRTUAL_IO io{MemoryFile::length, MemoryFile::seek, MemoryFile::read, MemoryFile::write,
                            MemoryFile::tell};
    file.reset(sf_open_virtual(&io, SFM_READ, &info, &memory));
  } else {
    file.reset(sf_open(path.c_str(), SFM_READ, &info));
  }
  if (!file) error = "Unable to open " + path + "... " + sf_strerror(nullptr);
  return file;
}

}  // namespace

bool resampleImport(RecordingBundle& doc, const std::string& path, ResampleSummary& summary, std::string& error) {
  SF_INFO info{};
  MemoryFile memory;
  const auto file = openSound(path, memory, info, summary, error);
  if (!file) return false;
  const int channels = info.channels;
  if (channels < 1 || channels > MaxChannels) {
    error = path + " has " + std::to_string(channels) + " channels; 1 to 8 can be imported";
    return false;
  }
  if (info.samplerate <= 0) {
    error = path + " has no usable sample rate";
    return false;
  }
  summary.inputRate = info.samplerate;
  summary.channels = channels;

  soxr_error_t soxrError = nullptr;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  std::unique_ptr<soxr, SoxrDeleter> resampler(
      soxr_create(info.samplerate, SoundRate, static_cast<unsigned>(channels), &soxrError, &io, &quality, nullptr));
  if (soxrError || !resampler) {
    error = std::string("Unable to resample: ") + soxr_strerror(soxrError);
    return false;
  }

  const std::size_t c = static_cast<std::size_t>(channels);
  // Input is read in pieces that make at most about ChunkFrames output frames,
  // so a very low input rate cannot size a huge output buffer.
  const double ratio = static_cast<double>(SoundRate) / info.samplerate;
  const sf_count_t inChunk =
      std::clamp<sf_count_t>(static_cast<sf_count_t>(ChunkFrames / ratio), 1, ChunkFrames);
  const std::size_t outChunk = static_cast<std::size_t>(std::ceil(static_cast<double>(inChunk) * ratio)) + 64;
  std::vector<float> input(static_cast<std::size_t>(inChunk) * c);
  std::vector<float> output(outChunk * c);
  std::vector<float> resampled;  // interleaved, at 10240 Hz

  // Reads and resamples until the input ends (then flushes the resampler) or
  // 180 s of output exist. A sample that is not a finite number would spread
  // through the resampler's filter into the sound around it: such samples are
  // counted, and any refuses the file.
  bool inputEnded = false;
  sf_count_t framesRead = 0;
  int64_t nonFinite = 0;
  while (resampled.size() < MostFrames * c) {
    const sf_count_t n = inputEnded ? 0 : sf_readf_float(file.get(), input.data(), inChunk);
    if (n <= 0) inputEnded = true;
    else framesRead += n;
    for (sf_count_t i = 0; i < std::max<sf_count_t>(n, 0) * channels; ++i) nonFinite += !std::isfinite(input[i]);
    const float* in = inputEnded ? nullptr : input.data();
    std::size_t left = inputEnded ? 0 : static_cast<std::size_t>(n);
    for (;;) {
      std::size_t used = 0, made = 0;
      soxrError = soxr_process(resampler.get(), in, left, &used, output.data(), outChunk, &made);
      if (soxrError) {
        error = std::string("Unable to resample: ") + soxr_strerror(soxrError);
        return false;
      }
      resampled.insert(resampled.end(), output.begin(), output.begin() + static_cast<std::ptrdiff_t>(made * c));
      if (in) {
        if (used == 0 && made == 0) break;  // nothing moves: give up on this chunk
        in += used * c;
        left -= used;
        if (left == 0) break;
      } else if (made == 0) {
        break;
      }
    }
    if (inputEnded) break;
  }
  if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
    error = "Unable to open " + path + "... " + sf_strerror(file.get());
    return false;
  }
  if (nonFinite > 0) {
    error = path + " holds " + std::to_string(nonFinite) + (nonFinite == 1 ? " non-finite sample" : " non-finite samples") +
            "; nothing was converted";
    return false;
  }

  const double seconds = static_cast<double>(info.frames) / info.samplerate;
  const bool lengthKnown = info.frames > 0 && info.frames < SF_COUNT_MAX;
  // A header that promises more than the file holds ends the input early; the
  // length then is what was read, not what the header said.
  summary.heldSeconds = inputEnded && lengthKnown && framesRead < info.frames
                            ? static_cast<double>(framesRead) / info.samplerate
                            : -1;
  summary.cut = lengthKnown && summary.heldSeconds < 0 ? seconds > MaxSegments / 10.0
                                                       : resampled.size() > MostFrames * c;
  const std::size_t frames = std::min(resampled.size() / c, MostFrames);
  summary.segments = static_cast<int32_t>(frames / SegmentSamples);  // an incomplete segment is dropped
  if (!summary.cut) summary.droppedSamples = static_cast<int64_t>(frames % SegmentSamples);
  if (summary.segments < 1) {
    error = path + " is shorter than one segment (100 ms)";
    return false;
  }

  doc.reset();
  doc.recording = std::make_unique<Recording>(Recording::create(summary.segments, channels));
  Recording& r = *doc.recording;
  const float* p = resampled.data();
  for (int32_t i = 0; i < r.soundSampleCount; ++i)
    for (int ch = 0; ch < channels; ++ch) r.sound[ch][i] = toCounts(*p++, summary.clippedSamples);
  return true;
}

}  // namespace vode
