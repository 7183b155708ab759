#include <cmath>
#include <vector>

#include "analysis/ChannelWorkers.h"
#include "analysis/Fft.h"
#include "analysis/SegmentSpectra.h"
#include "analysis/Spectra.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"

namespace vode {

std::vector<float> analysisWindow() {
  const float h = static_cast<float>(2.0 * M_PI / WindowSamples);
  std::vector<float> w(WindowSamples);
  for (int k = 0; k < WindowSamples; ++k)
    w[k] = static_cast<float>(0.5 - 0.5 * std::cos(static_cast<double>(h) * (k + 0.5)));
  return w;
}

namespace {

// Per-thread scratch space, allocated once per run.
struct PowerBuffers {
  std::vector<int16_t> samples = std::vector<int16_t>(WindowSamples);
  RealFft2048::Work fft;
};

void channelPower(const Recording& recording, SegmentSpectra& spectra, int c, const std::vector<float>& w,
                  const RealFft2048& fft, PowerBuffers& buf, SegmentCounter& counter) {
  const int16_t* sound = recording.sound[c].data();
  const int64_t total = recording.soundSampleCount;
  for (int s = 0; s < spectra.segmentCount; ++s) {
    // The 2048 samples centred on the segment: read in place where they all
    // exist, copied with zeros around them at the ends of the recording.
    const int64_t first = static_cast<int64_t>(s) * SegmentSamples - SegmentSamples / 2;
    const int16_t* window = buf.samples.data();
    if (first >= 0 && first + WindowSamples <= total && recording.hasSamples(c))
      window = sound + first;
    else
      recording.segmentWindow(c, s, buf.samples.data());
    // Windowed, scaled to volts, transformed and squared, in single precision.
    fft.power(window, w.data(), CountsToVolts, PowerScale, BinCount, spectra.power(c, s), buf.fft);
    counter.step();
  }
}

}  // namespace

void CalculatePower(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress, int threads) {
  SegmentSpectra* spectra = results.spectra.get();
  if (!doc.recording || !spectra || !spectra->hasPower()) return;
  const Recording& recording = *doc.recording;
  progress.begin("Calculating Power", spectra->channelCount * spectra->segmentCount);

  const std::vector<float> w = analysisWindow();
  const RealFft2048 fft;
  std::vector<PowerBuffers> buffers(workerCount(spectra->channelCount, threads));
  forEachChannel(spectra->channelCount, threads, progress, [&](int c, int worker, SegmentCounter& counter) {
    channelPower(recording, *spectra, c, w, fft, buffers[worker], counter);
  });

  progress.end();
}

}  // namespace vode
