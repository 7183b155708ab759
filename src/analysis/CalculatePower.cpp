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
  std::vector<float> x = std::vector<float>(WindowSamples);
  std::vector<float> re = std::vector<float>(BinCount);
  std::vector<float> im = std::vector<float>(BinCount);
  RealFft2048::Work fft;
};

void channelPower(const Recording& recording, SegmentSpectra& spectra, int c, const std::vector<float>& w,
                  const RealFft2048& fft, PowerBuffers& buf, SegmentCounter& counter) {
  for (int s = 0; s < spectra.segmentCount; ++s) {
    // The 2048 samples centred on the segment.
    recording.segmentWindow(c, s, buf.samples.data());
    // Windowed and scaled to volts, in single precision.
    for (int k = 0; k < WindowSamples; ++k)
      buf.x[k] = static_cast<float>(buf.samples[k]) * w[k] * CountsToVolts;
    // The transform.
    fft.transform(buf.x.data(), BinCount, buf.re.data(), buf.im.data(), buf.fft);
    // Power per 5 Hz bin.
    float* power = spectra.power(c, s);
    for (int b = 0; b < BinCount; ++b)
      power[b] = (buf.re[b] * buf.re[b] + buf.im[b] * buf.im[b]) * PowerScale;
    // Progress.
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
