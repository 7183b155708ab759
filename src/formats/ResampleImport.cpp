#include "formats/ResampleImport.h"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "model/Numeric.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

constexpr std::size_t MostFrames = std::size_t{MaxSegments} * SegmentSamples;
constexpr sf_count_t ChunkFrames = 16384;

struct SndfileCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};
struct SoxrDeleter {
  void operator()(soxr_t s) const { soxr_delete(s); }
};

// Input full scale (±1.0) becomes ±32768 counts, rounded halves to even.
int16_t toCounts(float x, int64_t& clipped) {
  double v = roundEvenD(static_cast<double>(x) * 32768.0);
  if (std::isnan(v)) v = 0.0;
  if (v > 32767.0 || v < -32768.0) {
    ++clipped;
    v = v > 0 ? 32767.0 : -32768.0;
  }
  return static_cast<int16_t>(v);
}

}  // namespace

bool resampleImport(RecordingBundle& doc, const std::string& path, ResampleSummary& summary, std::string& error) {
  SF_INFO info{};
  std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) {
    error = "Unable to open " + path + "... " + sf_strerror(nullptr);
    return false;
  }
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
  // 180 s of output exist.
  bool inputEnded = false;
  sf_count_t framesRead = 0;
  while (resampled.size() < MostFrames * c) {
    const sf_count_t n = inputEnded ? 0 : sf_readf_float(file.get(), input.data(), inChunk);
    if (n <= 0) inputEnded = true;
    else framesRead += n;
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
  if (!summary.cut) summary.droppedSeconds = static_cast<double>(frames % SegmentSamples) / SoundRate;
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
