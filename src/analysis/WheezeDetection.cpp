#include "analysis/WheezeDetection.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/ChannelWorkers.h"
#include "analysis/WheezeImage.h"
#include "analysis/WheezeMap.h"
#include "analysis/WheezeScoring.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "model/Progress.h"
#include "model/Prompter.h"

namespace vode {

namespace {

constexpr int StepsPerSegment = 22;  // 1 log spectrum + 20 scoring + 1 linking
constexpr int GaugeStep = 40;

// Sets the gauge each time the count passes the next mark.
class Gauge {
 public:
  Gauge(ProgressSink& progress, int64_t maximum) : progress_(progress), maximum_(maximum) {}
  void report(int64_t count) {
    if (count < next_) return;
    progress_.set(static_cast<int>(std::min(count, maximum_)));
    next_ = (count / GaugeStep + 1) * GaugeStep;
  }

 private:
  ProgressSink& progress_;
  int64_t maximum_;
  int64_t next_ = GaugeStep;
};

using ChannelJob = std::function<void(int c, const ProgressTick& tick)>;

// Runs job for every channel. With one thread the work runs here and reports
// as it goes; otherwise workers take channels in turn and only count, while
// this thread reports the count, so the sink never sees another thread.
void scoreChannels(int channels, int threads, const ChannelJob& job, Gauge& gauge) {
  if (threads <= 1) {
    int64_t count = 0;
    const ProgressTick tick = [&](int steps) {
      count += steps;
      gauge.report(count);
    };
    for (int c = 0; c < channels; ++c) job(c, tick);
    return;
  }

  std::atomic<int64_t> count{0};
  std::atomic<int> next{0};
  std::mutex mutex;
  std::condition_variable finished;
  int running = threads;
  std::exception_ptr error;
  const ProgressTick tick = [&](int steps) { count += steps; };

  const auto work = [&] {
    try {
      for (int c = next++; c < channels; c = next++) job(c, tick);
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex);
      if (!error) error = std::current_exception();
      next = channels;  // the others stop at their next channel
    }
    std::lock_guard<std::mutex> lock(mutex);
    --running;
    finished.notify_one();
  };
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      // No more threads to be had: this one works in place of those missing.
      {
        std::lock_guard<std::mutex> lock(mutex);
        running -= threads - t - 1;
      }
      work();
      break;
    }
  }
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (running > 0) {
      finished.wait_for(lock, std::chrono::milliseconds(25));
      gauge.report(count.load());
    }
  }
  for (std::thread& worker : workers) worker.join();
  if (error) std::rethrow_exception(error);
  gauge.report(count.load());  // the workers may all have ended before the first wait
}

int threadCount(int requested, int channels) {
  const int n = requested > 0 ? requested : analysisThreads();
  return std::clamp(n, 1, std::max(1, channels));
}

}  // namespace

int DetectWheezes(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress, Prompter& prompter, int threads) {
  if (!doc.hasRecording()) {
    prompter.message(MessageKind::Error, "No data");
    return 3;
  }
  if (!results.spectra || !results.spectra->hasPower()) {
    prompter.message(MessageKind::Error, "No PSD");
    return 3;
  }
  const SegmentSpectra& spectra = *results.spectra;

  results.wheezeMap.reset();
  auto map = std::make_unique<WheezeMap>();
  if (!map->create(spectra.channelCount, spectra.segmentCount, BinCount)) {
    prompter.message(MessageKind::Error, "Memory allocation failed: WheezeMap");
    return 3;
  }
  map->setBinRange(20, 350);

  // Detection: each channel's peak scoring, then its linking. Channels do
  // not share anything they write, so any thread count gives the same map.
  const int64_t steps = int64_t{StepsPerSegment} * map->channelCount * map->segmentCount;
  progress.begin("Calculating Wheeze", static_cast<int>(steps));
  Gauge gauge(progress, steps);
  std::vector<ScoringFailure> failures(map->channelCount);
  WheezeMap& m = *map;
  scoreChannels(
      m.channelCount, threadCount(threads, m.channelCount),
      [&](int c, const ProgressTick& tick) {
        failures[c] = ScoreChannel(spectra, m, c, tick);
        LinkChannel(m, c, tick);
      },
      gauge);
  for (const ScoringFailure& failure : failures)
    if (failure.failed()) prompter.message(MessageKind::Information, ScoringFailureText(failure));
  progress.end();

  results.wheezeMap = std::move(map);
  CalculateWheezeImage(doc, results, progress);
  prompter.message(MessageKind::Information, "Wheeze analysis completed");
  return 0;
}

}  // namespace vode
