// Runs of consecutive segments that carry the Wheeze flag, with the strongest
// score of each run: what `vode-cli wheeze` prints.
#pragma once

#include <vector>

namespace vode {

struct AnalysisResults;
struct RecordingBundle;

struct WheezeRun {
  int channel = 0;  // 0-based
  int firstSegment = 0;
  int lastSegment = 0;
  // The largest value the wheeze image tests over the run's segments (the
  // score of a row's bin; at 2400 Hz the sum of the row's two bins) and the
  // row's first bin; -1 when the map holds no scores for the channel.
  float maxScore = 0.0f;
  int maxScoreBin = -1;
};

// The runs of channel c in segment order, with the strongest value of each
// for the image of the sonogram range maxFrequency; none without a tag table.
std::vector<WheezeRun> FindWheezeRuns(const RecordingBundle& doc, const AnalysisResults& results, int c, int maxFrequency);

}  // namespace vode
