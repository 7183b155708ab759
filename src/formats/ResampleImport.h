// Recordings from other equipment: any sound file libsndfile reads (WAV of
// any rate and depth, FLAC, OGG; one to eight channels), resampled to
// 10240 Hz with libsoxr and turned into a recording with zero flow.
#pragma once

#include <cstdint>
#include <string>

namespace vode {

struct RecordingBundle;

struct ResampleSummary {
  int inputRate = 0;
  int channels = 0;
  int32_t segments = 0;
  int64_t clippedSamples = 0;  // beyond the 16-bit range after scaling
  bool cut = false;            // the input was longer than 180 s
  double heldSeconds = -1;     // when its header promised more: the length it held
  int64_t droppedSamples = 0;  // per channel: the incomplete last segment left out
  // A WAV whose data size is 0 or runs past the end of the file: the bytes
  // of sound it holds, which were read instead (-1 for a sound header).
  int64_t mendedDataBytes = -1;
};

// Resets the document and fills it with the resampled sound: full scale of
// the input becomes ±32768 counts, an incomplete last segment is dropped and
// at most 1800 segments are kept. A pipe is read whole first (within the
// readers' size limit and waiting for its writer only so long). false with a
// message in error when the file cannot be read, holds nothing usable, or
// holds samples that are not finite numbers (then nothing is converted).
bool resampleImport(RecordingBundle& doc, const std::string& path, ResampleSummary& summary, std::string& error);

}  // namespace vode
