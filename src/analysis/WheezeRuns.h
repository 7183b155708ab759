// Runs of consecutive segments that carry the Wheeze flag, with the strongest
// score of each run: what `vode-cli wheeze` prints.
#pragma once

#include <vector>

namespace vode {

class Document;

struct WheezeRun {
  int channel = 0;  // 0-based
  int firstSegment = 0;
  int lastSegment = 0;
  float maxScore = 0.0f;  // over the run's segments and the searched bins
  int maxScoreBin = -1;   // -1 when the map holds no scores for the channel
};

// The runs of channel c in segment order; none without a tag table.
std::vector<WheezeRun> FindWheezeRuns(const Document& doc, int c);

}  // namespace vode
