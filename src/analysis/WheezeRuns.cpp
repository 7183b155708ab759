#include "analysis/WheezeRuns.h"

#include "model/Document.h"

namespace vode {

namespace {

// The first largest score of segments first..last over the searched bins.
void strongestScore(const WheezeMap& map, WheezeRun& run) {
  if (!map.hasScores(run.channel)) return;
  for (int s = run.firstSegment; s <= run.lastSegment && s < map.segmentCount; ++s) {
    const float* row = map.scoreRow(run.channel, s);
    for (int b = map.lowBin; b <= map.highBin; ++b) {
      if (run.maxScoreBin < 0 || row[b] > run.maxScore) {
        run.maxScore = row[b];
        run.maxScoreBin = b;
      }
    }
  }
}

}  // namespace

std::vector<WheezeRun> FindWheezeRuns(const Document& doc, int c) {
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
  if (doc.wheezeMap)
    for (WheezeRun& run : runs) strongestScore(*doc.wheezeMap, run);
  return runs;
}

}  // namespace vode
