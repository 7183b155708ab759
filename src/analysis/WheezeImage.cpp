#include "analysis/WheezeImage.h"

#include "analysis/WheezeMap.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "model/Progress.h"

namespace vode {

namespace {

constexpr int GaugeStep = 20;  // segments between gauge updates

// The sonogram to paint over, or a blank picture when there is none of the
// map's width (no image yet, or spectra of another recording).
IndexedImage startingImage(const AnalysisResults& results, const WheezeMap& map, int c) {
  if (results.spectra && c < results.spectra->channelCount) {
    const IndexedImage& sonogram = results.spectra->sonogram[c];
    if (sonogram.width == map.segmentCount && sonogram.height == ImageRows) return sonogram;
  }
  IndexedImage blank;
  blank.allocate(map.segmentCount, ImageRows);
  return blank;
}

// Three rows high, centred on row r; row 0 has no row above it.
void markPoint(IndexedImage& picture, int s, int r) {
  for (int row = r - 1; row <= r + 1; ++row)
    if (row >= 0 && row < picture.height) picture.at(s, row) = WheezeMarkIndex;
}

}  // namespace

int binsPerImageRow(int maxFrequency) {
  if (maxFrequency >= 4800) return 4;
  if (maxFrequency >= 2400) return 2;
  return 1;
}

int CalculateWheezeImage(RecordingBundle& doc, AnalysisResults& results, int maxFrequency, ProgressSink& progress) {
  if (!results.wheezeMap || results.wheezeMap->scoreData.empty()) return 3;
  WheezeMap& map = *results.wheezeMap;
  const int a = binsPerImageRow(maxFrequency);
  const bool pairs = a == 2;  // the 2400 Hz rows hold two bins: their scores add
  progress.begin("Calculating Wheeze Image", map.channelCount * map.segmentCount);
  int done = 0;
  for (int c = 0; c < map.channelCount; ++c) {
    IndexedImage picture = startingImage(results, map, c);
    for (int s = 0; s < map.segmentCount; ++s) {
      const float* score = map.scoreRow(c, s);
      for (int r = 0; r < PaintedRows; ++r) {
        const int b = a * (PaintedRows - r);
        if (b + (pairs ? 1 : 0) >= map.binCount) continue;
        const float value = pairs ? score[b] + score[b + 1] : score[b];
        if (value > WheezeMarkThreshold) {
          markPoint(picture, s, r);
          if (doc.tagTable) doc.tagTable->addFlags(c, s, Wheeze);
        }
      }
      if (++done % GaugeStep == 0) progress.set(done);
    }
    map.image[c] = std::move(picture);
  }
  progress.end();
  return 0;
}

int sonogramFrequency(const PreferencesRecord& preferences) {
  static const int ranges[3] = {1200, 2400, 4800};
  const int index = preferences.frequency;
  return ranges[index >= 0 && index < 3 ? index : 0];
}

int CalculateWheezeImage(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress) {
  return CalculateWheezeImage(doc, results, sonogramFrequency(doc.preferences), progress);
}

}  // namespace vode
