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
  double droppedSeconds = 0;   // the incomplete last segment left out
};

// Resets the document and fills it with the resampled sound: full scale of
// the input becomes ±32768 counts, an incomplete last segment is dropped and
// at most 1800 segments are kept. false with a message in error when the
// file cannot be read or holds nothing usable.
bool resampleImport(RecordingBundle& doc, const std::string& path, ResampleSummary& summary, std::string& error);

}  // namespace vode
