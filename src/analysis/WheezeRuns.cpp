#include "analysis/WheezeRuns.h"

#include "analysis/WheezeImage.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

// The largest value of segments first..last over the image rows, as the
// wheeze image tests them; of equal values the earliest segment and the
// lowest frequency.
void strongestScore(const WheezeMap& map, int maxFrequency, WheezeRun& run) {
  if (!map.hasScores(run.channel)) return;
  const int a = binsPerImageRow(maxFrequency);
  for (int s = run.firstSegment; s <= run.lastSegment && s < map.segmentCount; ++s) {
    const float* row = map.scoreRow(run.channel, s);
    for (int r = PaintedRows - 1; r >= 0; --r) {
      const int b = a * (PaintedRows - r);
      if (b + (a == 2 ? 1 : 0) >= map.binCount) continue;
      const float value = a == 2 ? row[b] + row[b + 1] : row[b];
      if (run.maxScoreBin < 0 || value > run.maxScore) {
        run.maxScore = value;
        run.maxScoreBin = b;
      }
    }
  }
}

}  // namespace

std::vector<WheezeRun> FindWheezeRuns(const RecordingBundle& doc, const AnalysisResults& results, int c, int maxFrequency) {
  std::vector<WheezeRun> runs;
  if (!doc.tagTable || c < 0 || c >= doc.tagTable->rows()) return runs;
  const TagTable& tags = *doc.tagTable;
  for (int s = 0; s < tags.segments(); ++s) {
    if (!(tags.flags(c, s) & Wheeze)) continue;
    if (!runs.empty() && runs.back().lastSegment == s - 1) {
      runs.back().lastSegment = s;
    } else {
      runs.push_back(WheezeRun{c, s, s});
    }
  }
  if (results.wheezeMap)
    for (WheezeRun& run : runs) strongestScore(*results.wheezeMap, maxFrequency, run);
  return runs;
}

}  // namespace vode
