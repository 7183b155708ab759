// WAV files: 16-bit PCM at 10240 Hz behind the canonical 44-byte header, with
// every field at its fixed offset (chunks are not searched).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "formats/FileSystem.h"

namespace vode {

struct RecordingBundle;
class Prompter;
class ProgressSink;
struct Recording;

constexpr std::size_t WavHeaderSize = 44;

// The header for a file of `channels` interleaved channels at 10240 Hz holding
// dataBytes bytes of samples.
std::array<uint8_t, WavHeaderSize> wavHeader(int channels, uint32_t dataBytes);

// The whole recording, one frame per sample time holding every channel in
// order. Without a recording nothing is written and 0 is returned; otherwise
// 0 or the error code.
int exportWav(const RecordingBundle& doc, const std::string& path, FileSystem& fs = FileSystem::real());

// One channel (0-based), segments first..last, as a mono file. 201 when the
// channel or the range lies outside the recording.
int exportWavRange(const Recording& recording, int channel, int first, int last, const std::string& path,
                   FileSystem& fs = FileSystem::real());

// True when the first WavHeaderSize bytes describe a file importWav takes:
// 16-bit PCM at 10240 Hz, 1 to 8 channels, behind the canonical header.
bool wavHeaderUsable(const uint8_t* header);

// The end of the warning about a last segment that is only partly there:
// "its last 0.049 s were dropped", or below a millisecond, where seconds to
// three places say little, "its last 1 sample was dropped".
std::string droppedTailText(int64_t samples);

// Reads a WAV file into the document. When the open recording has the file's
// channel and segment counts, the user may keep its flow, tags, records and
// results and take only the sound. Sets doc.state.ioError and returns it; a
// format failure has been shown through the prompter.
int importWav(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
              FileSystem& fs = FileSystem::real());

}  // namespace vode
