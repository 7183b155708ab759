// The tonal wheeze detector: finds continuous musical sounds in the samples
// themselves. Each channel is cut into short overlapping frames; a frame's
// candidates are narrow spectral peaks above 100 Hz that stand well above the
// spectrum on both sides of them and above the recording's own floor at that
// frequency; candidates whose frequency moves smoothly from frame to frame
// for at least 100 ms make a track, and a track is a wheeze. The method and
// the reason for every constant are in docs/DESIGN.md ("Tonal wheeze
// detector").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vode {

struct Recording;
class TagTable;
struct WheezeMap;
class ProgressSink;

// 50 ms frames every 25 ms: four frame centres per 100 ms segment.
constexpr int TonalFrameLength = 512;
constexpr int TonalHop = 256;

// The decision thresholds, chosen on the training half of the synthetic test
// set (docs/DESIGN.md). Other values only serve tuning.
struct TonalParameters {
  float peakProminenceDb = 9.0f;   // a frame's peak over the higher side of its neighbourhood
  float floorHeightDb = 8.0f;      // a frame's peak over the recording's floor at its frequency
  float trackProminenceDb = 10.0f; // mean prominence of a track
  int minFrames = 5;               // frames a track spans (one missing frame allowed inside)
  float maxStepHz = 40.0f;         // largest frequency step between consecutive frames
  float burstDb = 6.0f;            // a frame this much louder than both sides is a burst
  float levelStepDb = 2.5f;        // largest mean level change between neighbouring frames
  float shortExtraDb = 4.0f;       // a track one frame short, none missing, needs this much more

  // Sets the value called name ("peak", "floor", "track", "frames", "step",
  // "burst", "steady", "short"); false for another name or a value outside its
  // sensible range.
  bool set(const std::string& name, double value);
};

// One frame's share of a track.
struct TonalPoint {
  int frame = 0;
  int bin = 0;              // 5 Hz bins, as the segment spectra
  float prominenceDb = 0.0f;
};

struct TonalTrack {
  std::vector<TonalPoint> points;  // in frame order
  float meanProminenceDb = 0.0f;
  // Mean change of the peak's level between neighbouring frames: a tone's
  // level moves smoothly, narrow-band noise (a resonance ringing with the
  // breath) jumps by several dB from frame to frame.
  float levelStepDb = 0.0f;
  int firstFrame() const { return points.front().frame; }
  int lastFrame() const { return points.back().frame; }
};

// The segment holding the centre of frame j.
inline int32_t tonalFrameSegment(int frame) { return (frame * TonalHop + TonalFrameLength / 2) / 1024; }

// The accepted tracks of one channel of count samples at 10240 Hz, in order
// of their first frame. Fewer samples than one frame give none.
std::vector<TonalTrack> FindTonalTracks(const int16_t* samples, int64_t count, const TonalParameters& p = {});

// Runs FindTonalTracks on every channel of the recording, `threads` at a time
// (0: one per core; any count gives the same result). Each track point's
// segment gets the Wheeze flag of its channel (flags are only added), and the
// map, which must have the recording's channels and segments, gets the
// point's prominence in dB as the score of its segment and bin (the strongest
// when several fall together; every other score 0). Progress: "Calculating
// Wheeze", one step per channel and segment.
void DetectTonalWheezes(const Recording& rec, TagTable& tags, WheezeMap& map, ProgressSink& progress,
                        int threads = 0, const TonalParameters& p = {});

}  // namespace vode
