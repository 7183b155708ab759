// Breath-cycle annotations as public respiratory-sound collections publish
// them, and how the wheeze detector's segments score against them.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/BreathCycleEstimate.h"

namespace vode {
class TagTable;
}

namespace vode::cli {

struct BreathCycle {
  double start = 0.0;  // seconds from the start of the recording
  double end = 0.0;
  int line = 0;  // 1-based line of the annotation file, for messages
  std::optional<bool> crackles;
  std::optional<bool> wheezes;
};

// One cycle per line: start and end in seconds, optionally followed by two
// columns of 0 or 1 (crackles, wheezes); fields separated by spaces or tabs,
// blank lines skipped, a carriage return before the line break ignored. On
// the first malformed line: false and "PATH:LINE: reason" in error; a text
// without any cycle is refused too.
bool parseCycles(const std::string& text, const std::string& path, std::vector<BreathCycle>& cycles,
                 std::string& error);

// The file at path through parseCycles; a file that cannot be read, or of
// more than a few megabytes, is refused with its reason.
bool readCycles(const std::string& path, std::vector<BreathCycle>& cycles, std::string& error);

// The 100 ms segments counted inside a cycle: those whose span (segment s
// covers s/10 to (s+1)/10 s) overlaps the cycle by at least half, 50 ms.
// A cycle of under 50 ms holds none. first > last when the range is empty;
// segments at or beyond segmentCount are left out.
struct SegmentRange {
  int first = 0;
  int last = -1;
};
SegmentRange segmentsInside(const BreathCycle& cycle, int segmentCount);

// A cycle starting at or after the end of a recording of segmentCount
// segments means the annotation belongs to another recording: false, with
// "vode-cli: ANNOT:LINE: the cycle starts at … s, after the end of INPUT (… s)"
// on err.
bool cyclesFit(const std::string& input, const std::string& annotation, const std::vector<BreathCycle>& cycles,
               int segmentCount, std::ostream& err);

// The segments of range carrying `flag` on at least one of the channels
// firstChannel..lastChannel (0-based).
int flaggedSegmentsInside(const TagTable& tags, int firstChannel, int lastChannel, SegmentRange range, uint8_t flag);

struct ParsedArgs;

// --cycles ANNOT.txt, once for each input or not at all: the annotation
// paths in input order (none without the option). false with the usage
// message in error when the counts differ.
bool readCyclesOption(const ParsedArgs& args, std::size_t inputs, std::vector<std::string>& annotations,
                      std::string& error);

// The annotated cycles as spans, for boundary scoring.
std::vector<CycleSpan> spansOf(const std::vector<BreathCycle>& cycles);

// Cycles with an annotated wheeze value, by what the detector said of them.
struct CycleScore {
  int truePositives = 0;   // annotated 1, detected
  int falseNegatives = 0;  // annotated 1, not detected
  int trueNegatives = 0;   // annotated 0, not detected
  int falsePositives = 0;  // annotated 0, detected

  void add(bool detected, bool annotated);
  void add(const CycleScore& other);
  int annotated() const { return truePositives + falseNegatives + trueNegatives + falsePositives; }
  // NaN when there is no wheezing (no other) annotated cycle to divide by.
  double sensitivity() const;
  double specificity() const;
};

// The closing line of `vode-cli wheeze --cycles`, a comment for CSV readers:
// "# sensitivity 0.7500 (3/4), specificity 0.8333 (5/6), mean 0.7917"; an
// undefined ratio, and then the mean, reads "nan".
std::string scoreLine(const CycleScore& score);

// Cycles with an annotated value, a line each into out: prefix, then
// start_s,end_s,N,detected,annotated, where N counts the segments of the
// cycle carrying `flag` on channels firstChannel..lastChannel, detected is
// N > 0 and annotated the column (empty when the line has none). The
// annotated ones are counted into score.
void scoreFlaggedCycles(const std::vector<BreathCycle>& cycles, std::optional<bool> BreathCycle::*column,
                        const TagTable& tags, int segmentCount, int firstChannel, int lastChannel, uint8_t flag,
                        const std::string& prefix, std::ostream& out, CycleScore& score);

// The closing score line over every file's score, when any cycle was annotated.
void printTotalScore(const std::vector<CycleScore>& scores, std::ostream& out);

}  // namespace vode::cli
