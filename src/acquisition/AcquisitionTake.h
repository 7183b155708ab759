// Turns the blocks an acquisition device delivers into segments of a new
// Recording: 1024 sound samples per channel and 32 flow samples in mL/s, each
// the mean of 32 consecutive breath samples, (mean − zero offset) × flow scale.
// Keeps what the New Recording window shows while monitoring and recording:
// the last breath level, the monitored channel's peak, the clipped count.
// Plain C++; the window owns the Recording and the device.
#pragma once

#include <cstdint>
#include <span>

namespace vode {

struct PreferencesRecord;
struct Recording;
class TagTable;

struct AcquisitionCalibration {
  int zeroOffset = 0;     // converter counts
  float flowScale = 0.0f;  // mL/s per count

  // From the calibration offset Z (V) and scale C (L/s per V) of the
  // preferences: zero offset round(Z / 5 × 2048), flow scale 5000 × C / 2048.
  static AcquisitionCalibration fromPreferences(const PreferencesRecord& preferences);
};

class AcquisitionTake {
 public:
  AcquisitionTake(int soundChannels, AcquisitionCalibration calibration);

  int soundChannels() const { return channels_; }
  // Samples in one block: (sound channels + 1) × 1024.
  int blockSamples() const;

  const AcquisitionCalibration& calibration() const { return calibration_; }
  // The background counter clicked while monitoring: the level measured now
  // becomes the zero of the breath signal.
  void setZeroOffset(int counts) { calibration_.zeroOffset = counts; }

  // From now on every block also becomes the next segment of recording,
  // from segment 0; the recorded and clipped counts start again. With tags,
  // a channel that clipped in a segment gets that segment's Clipped flag.
  // The recording must have this take's sound channels and 1024 samples a
  // segment; it and tags must outlive the recording phase.
  void startRecording(Recording& recording, TagTable* tags = nullptr);
  // Back to measuring only (Stop); the counts stay readable.
  void stopRecording();
  bool recording() const { return target_ != nullptr; }

  // One block of blockSamples() samples (a shorter span is ignored, -1).
  // Measures it and, while recording, writes it as the next segment. Returns
  // the segment written, or -1 when nothing was written (monitoring, or the
  // recording is full).
  int addBlock(std::span<const std::int16_t> block);

  // Recording and every segment filled: the window stops as Stop does.
  bool full() const;
  int recordedSegments() const { return recorded_; }
  // Sound samples at +32767, −32767 or −32768 and breath samples beyond
  // ±2047 counts, over the recorded blocks.
  std::int64_t clippedSamples() const { return clipped_; }

  // The mean of the last 32 breath samples of the last block, in counts
  // (0 before any block).
  int lastBreathLevel() const { return lastLevel_; }
  // That level converted to the breath signal's unit (mL/s for a pneumotach).
  int lastFlow() const;
  // The largest |sample| of the last block, 0..32768, of sound channel 0 or
  // 1; a one-channel take answers with its channel for both.
  int lastChannelPeak(int channel) const;

 private:
  int channels_;
  AcquisitionCalibration calibration_;
  Recording* target_ = nullptr;
  TagTable* tags_ = nullptr;
  int recorded_ = 0;
  std::int64_t clipped_ = 0;
  int lastLevel_ = 0;
  int peaks_[2] = {0, 0};
};

}  // namespace vode
