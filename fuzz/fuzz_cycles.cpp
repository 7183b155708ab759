// Breath-cycle annotations (vode-cli wheeze --cycles): the parser, the
// segments each cycle covers and the score line.
#include <cmath>

#include "FuzzSupport.h"
#include "cli/BreathCycles.h"

using namespace vode;
using namespace vode::cli;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<BreathCycle> cycles;
  std::string error;
  if (!parseCycles(text, "a.txt", cycles, error)) {
    // Every refusal names the file, and the line when it is about one.
    FUZZ_CHECK(error.rfind("a.txt:", 0) == 0);
    return 0;
  }
  FUZZ_CHECK(error.empty() && !cycles.empty());
  int lastLine = 0;
  CycleScore score;
  for (const BreathCycle& c : cycles) {
    FUZZ_CHECK(std::isfinite(c.start) && std::isfinite(c.end));
    FUZZ_CHECK(c.start >= 0.0 && c.end > c.start);
    FUZZ_CHECK(c.line > lastLine);
    lastLine = c.line;
    FUZZ_CHECK(c.crackles.has_value() == c.wheezes.has_value());
    for (const int segments : {0, 1, 1800}) {
      const SegmentRange r = segmentsInside(c, segments);
      if (r.first > r.last) continue;
      FUZZ_CHECK(r.first >= 0 && r.last < segments);
      // Every segment counted overlaps the cycle by about half a segment.
      FUZZ_CHECK(r.first / 10.0 < c.end && (r.last + 1) / 10.0 > c.start);
    }
    if (c.wheezes) score.add(c.start < 1.0, *c.wheezes);
  }
  FUZZ_CHECK(scoreLine(score).rfind("# sensitivity ", 0) == 0);
  return 0;
}
