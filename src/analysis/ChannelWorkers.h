// Spreads per-channel work over the processor's cores. Each channel is
// computed by exactly one thread with the same code as a single-threaded run,
// so the results do not depend on the number of threads. Progress is reported
// from the calling thread only.
#pragma once

#include <atomic>
#include <functional>

#include "model/Progress.h"

namespace vode {

// Cores this process may run on (at least 1).
int analysisThreads();

// Counts finished segments over all channels; the calling thread's counter
// moves the gauge to the count at every multiple of 20.
class SegmentCounter {
 public:
  SegmentCounter(std::atomic<int>& done, ProgressSink* sink, int* reported)
      : done_(done), sink_(sink), reported_(reported) {}
  // Steps are gathered here and handed to the shared count 20 at a time (and
  // at the end of each channel), so threads rarely touch the same cache line.
  void step() {
    if (++pending_ == 20) flush();
  }
  void flush();

 private:
  int pending_ = 0;
  std::atomic<int>& done_;
  ProgressSink* sink_;  // null on worker threads
  int* reported_;
};

// Number of threads forEachChannel uses: threads (0 = all cores), at most one
// per channel, at least 1.
int workerCount(int channels, int threads);

// Calls work(channel, worker, counter) once for every channel 0..channels-1;
// worker is 0..workerCount-1 and identifies per-thread scratch space. An
// exception thrown by the work is rethrown here after every thread ended.
void forEachChannel(int channels, int threads, ProgressSink& progress,
                    const std::function<void(int channel, int worker, SegmentCounter& counter)>& work);

}  // namespace vode
