#include "analysis/CrackleTest.h"

#include <algorithm>
#include <cstddef>

#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "model/Prompter.h"

namespace vode {

namespace {

// The crackle filter passes every sample unchanged.
int16_t crackleFilter(int16_t sample) { return sample; }

}  // namespace

int TestCrackle(RecordingBundle& doc, Prompter& prompter) {
  if (!doc.hasRecording()) {
    prompter.message(MessageKind::Error, "No data");
    return 3;
  }
  Recording& r = *doc.recording;
  if (r.channelCount < 2) {
    prompter.message(MessageKind::Error, "Data has only one channel");
    return 3;
  }
  // The sample count is checked against both arrays, so a recording whose
  // arrays are shorter than its count is never read or written past the end.
  const std::size_t count = std::min({static_cast<std::size_t>(std::max(r.soundSampleCount, 0)),
                                      r.sound[0].size(), r.sound[1].size()});
  for (std::size_t i = 0; i < count; ++i) r.sound[1][i] = crackleFilter(r.sound[0][i]);
  prompter.message(MessageKind::Information, "ST data created");
  return 0;
}

}  // namespace vode
