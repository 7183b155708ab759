#include "formats/Wav.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "formats/BufferedOutput.h"
#include "formats/FileErrors.h"
#include "model/Bytes.h"
#include "model/RecordingBundle.h"
#include "model/Progress.h"
#include "model/Prompter.h"

namespace vode {

namespace {

constexpr uint32_t SegmentFrameBytes = SegmentSamples * 2;  // per channel

// The first failed header check's message, or null when the header is usable.
// The order of the checks decides which message a bad file gets.
const char* headerFailure(const uint8_t* h) {
  if (std::memcmp(h, "RIFF", 4) != 0) return "RIFF not found";
  if (std::memcmp(h + 8, "WAVEfmt ", 8) != 0) return "WAVE not found";
  if (getU32(h + 16) != 16) return "WAVE not 16-bit";
  if (getU16(h + 20) != 1) return "WAVE not PCM format";
  if (getU32(h + 24) != static_cast<uint32_t>(SoundRate)) return "WAVE sampling rate not 10240 Hz";
  if (getU16(h + 34) != 16) return "WAVE not 16-bit";
  if (std::memcmp(h + 36, "data", 4) != 0) return "WAVE data not found";
  // The channel count sizes the de-interleaving: a file without sound
  // channels, or with more than the recording can hold, is refused here.
  const uint16_t channels = getU16(h + 22);
  if (channels < 1 || channels > MaxChannels) return "WAVE channel count not 1 to 8";
  return nullptr;
}

int writeWav(const std::string& path, FileSystem& fs, int channels, uint32_t segments,
             const std::function<void(BufferedOutput&)>& samples) {
  const uint32_t dataBytes = static_cast<uint32_t>(channels) * SegmentFrameBytes * segments;
  return writeFileAtomically(fs, path, [&](OutputFile& file) {
    BufferedOutput out(file);
    const auto header = wavHeader(channels, dataBytes);
    out.bytes(header.data(), header.size());
    samples(out);
    return out.flush();
  });
}

// Says what of a file's samples was left out: all beyond 1800 segments, or
// a last segment the file holds only part of.
void warnIfShortened(const std::string& path, uint32_t dataBytes, uint32_t frameBytes, Prompter& prompter) {
  if (dataBytes / frameBytes > static_cast<uint32_t>(MaxSegments)) {
    prompter.message(MessageKind::Warning, path + " is longer than 180 s: only the first 180 s were kept");
  } else if (const uint32_t rest = dataBytes % frameBytes) {
    // A frame of every channel is one sample time; a stray byte counts as one.
    const uint32_t frame = frameBytes / SegmentSamples;
    prompter.message(MessageKind::Warning,
                     path + " ends part-way through a 0.1 s segment: " + droppedTailText((rest + frame - 1) / frame));
  }
}

}  // namespace

bool wavHeaderUsable(const uint8_t* header) { return headerFailure(header) == nullptr; }

std::string droppedTailText(int64_t samples) {
  if (samples == 1) return "its last 1 sample was dropped";
  // Under a millisecond the seconds would read 0.000 or 0.001: a count says more.
  if (samples <= 10) return "its last " + std::to_string(samples) + " samples were dropped";
  char text[64];
  std::snprintf(text, sizeof text, "its last %.3f s were dropped", static_cast<double>(samples) / SoundRate);
  return text;
}

std::array<uint8_t, WavHeaderSize> wavHeader(int channels, uint32_t dataBytes) {
  std::array<uint8_t, WavHeaderSize> h{};
  const uint32_t c = static_cast<uint32_t>(channels);
  std::memcpy(h.data(), "RIFF", 4);
  putU32(h.data() + 4, dataBytes + 36);
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  putU32(h.data() + 16, 16);
  putU16(h.data() + 20, 1);
  putU16(h.data() + 22, static_cast<uint16_t>(c));
  // The samples are always at 10240 Hz, whatever rate a loaded set-up claims.
  putU32(h.data() + 24, SoundRate);
  putU32(h.data() + 28, c * SoundRate * 2);
  putU16(h.data() + 32, static_cast<uint16_t>(c * 2));
  putU16(h.data() + 34, 16);
  std::memcpy(h.data() + 36, "data", 4);
  putU32(h.data() + 40, dataBytes);
  return h;
}

int exportWav(const RecordingBundle& doc, const std::string& path, FileSystem& fs) {
  if (!doc.recording) return 0;
  const Recording& r = *doc.recording;
  const int channels = r.channelCount;
  if (channels < 1 || channels > MaxChannels) return ErrFormat;
  return writeWav(path, fs, channels, static_cast<uint32_t>(r.segmentCount), [&](BufferedOutput& out) {
    for (int32_t i = 0; i < r.segmentCount * SegmentSamples; ++i)
      for (int c = 0; c < channels; ++c) out.i16(r.sound[c][i]);
  });
}

int exportWavRange(const Recording& r, int channel, int first, int last, const std::string& path, FileSystem& fs) {
  if (!r.hasSamples(channel) || first < 0 || last < first || last >= r.segmentCount) return ErrFormat;
  const uint32_t segments = static_cast<uint32_t>(last - first + 1);
  return writeWav(path, fs, 1, segments, [&](BufferedOutput& out) {
    const int16_t* from = r.sound[channel].data() + static_cast<std::size_t>(first) * SegmentSamples;
    out.i16s(from, segments * SegmentSamples);
  });
}

int importWav(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress, FileSystem& fs) {
  int& ioError = doc.state.ioError;
  // Only the first 1800 segments of the widest file are ever used.
  constexpr std::size_t MostBytes = WavHeaderSize + std::size_t{MaxSegments} * MaxChannels * SegmentFrameBytes;
  std::vector<uint8_t> bytes;
  ioError = fs.readPrefix(path, MostBytes, bytes);
  if (ioError != 0) return ioError;
  if (bytes.size() < WavHeaderSize) return ioError = ErrShortRead;

  ioError = ErrFormat;
  if (const char* failure = headerFailure(bytes.data())) {
    prompter.message(MessageKind::Error, failure);
    return ioError;
  }
  ioError = 0;

  const int channels = getU16(bytes.data() + 22);
  const uint32_t frameBytes = static_cast<uint32_t>(channels) * SegmentFrameBytes;
  // Integer division drops an incomplete last segment; only the first 1800
  // are kept, but the question below is about the file's own length, so a
  // longer file never matches an open recording.
  const uint32_t fileSegments = getU32(bytes.data() + 40) / frameBytes;
  const int32_t segments = static_cast<int32_t>(std::min<uint32_t>(fileSegments, MaxSegments));
  // A file shorter than its data size is found before anything is replaced.
  if (bytes.size() < WavHeaderSize + std::size_t{frameBytes} * segments) return ioError = ErrShortRead;

  bool keepOpenRecording = false;
  if (doc.recording && static_cast<uint32_t>(doc.recording->segmentCount) == fileSegments &&
      doc.recording->channelCount == channels)
    keepOpenRecording =
        prompter.ask("Maintain airflow from previous recording?", Buttons::YesNo, Answer::Yes) == Answer::Yes;
  if (!keepOpenRecording) {
    doc.reset();
    doc.recording = std::make_unique<Recording>(Recording::create(segments, channels));
  }

  Recording& r = *doc.recording;
  progress.begin("Loading file...", segments);
  const uint8_t* p = bytes.data() + WavHeaderSize;
  for (int32_t s = 0; s < segments; ++s) {
    for (int32_t i = s * SegmentSamples; i < (s + 1) * SegmentSamples; ++i)
      for (int c = 0; c < channels; ++c, p += 2) r.sound[c][i] = getI16(p);
    progress.set(s + 1);
  }
  progress.end();
  warnIfShortened(path, getU32(bytes.data() + 40), frameBytes, prompter);
  return ioError;
}

}  // namespace vode
