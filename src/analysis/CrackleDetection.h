// Crackles found in the samples: short explosive transients (under 20 ms)
// that stand far above the breath sound around them in the band where their
// first sharp deflection carries its energy, recurring within a breath. Each
// is called fine or coarse by the length of its first two cycles. The method
// and the reason for every constant are in docs/DESIGN.md ("Crackles").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vode {

struct Recording;
class TagTable;
class ProgressSink;

// The choices the evaluation tunes; every other value is a constant of
// CrackleDetection.cpp with its reason beside it.
struct CrackleParameters {
  float peakDb = 20.0f;       // a transient's loudest 1.2 ms over the breath sound around it
  float narrowPeakDb = 15.0f; // the same on a chest piece that passes little above 1 kHz
  float edgeDb = 6.0f;        // the transient lasts while it stays this far above
  float longestMs = 10.0f;    // and ends within this time (longer bursts are rubs, knocks, voices)
  float pairSeconds = 0.5f;   // a transient counts when another lies this close on its channel

  // Sets the value called name ("peak", "narrow-peak", "edge", "longest",
  // "pair"); false for another name or a value outside its sensible range.
  bool set(const std::string& name, double value);
};

enum class CrackleKind { Fine, Coarse };

// "fine" or "coarse".
const char* CrackleKindName(CrackleKind kind);

struct Crackle {
  int channel = 0;     // 0-based
  double time = 0.0;   // s, the start of the transient
  int segment = 0;     // the 100 ms segment holding time
  CrackleKind kind = CrackleKind::Fine;
  float levelDb = 0.0f;  // its loudest 1.2 ms over the breath sound around it
};

// A crackle whose first two cycles take less than this is fine, else coarse.
constexpr double FineTwoCycleSeconds = 0.010;

// The crackles of one channel of count samples at 10240 Hz, in time order
// (channel 0; the caller sets it).
std::vector<Crackle> FindCrackles(const int16_t* samples, int64_t count, const CrackleParameters& p = {});

struct CrackleResult {
  int channelCount = 0;
  int segmentCount = 0;
  std::vector<Crackle> crackles;  // channel by channel, each in time order
  std::vector<int> counts;        // crackles per channel and segment, channel after channel

  int count(int channel, int segment) const;
};

// Runs FindCrackles on every channel, `threads` at a time (0: one per core;
// any count gives the same result), and adds the crackle flag (CrFlag) to
// every segment of a channel holding one of its crackles (flags are only
// added; a table without that row or segment is left alone). Progress:
// "Detecting Crackles", one step per channel and segment.
CrackleResult DetectCrackles(const Recording& rec, TagTable& tags, ProgressSink& progress, int threads = 0,
                             const CrackleParameters& p = {});

}  // namespace vode
