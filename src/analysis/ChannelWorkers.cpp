#include "analysis/ChannelWorkers.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#ifdef __linux__
#include <sched.h>
#endif

namespace vode {

int analysisThreads() {
#ifdef __linux__
  cpu_set_t set;
  CPU_ZERO(&set);
  // Honour an affinity mask (taskset, containers), which hardware_concurrency ignores.
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
#endif
  return std::max(1u, std::thread::hardware_concurrency());
}

void SegmentCounter::flush() {
  if (pending_ == 0) return;
  const int n = done_.fetch_add(pending_, std::memory_order_relaxed) + pending_;
  pending_ = 0;
  if (!sink_) return;
  const int at = n - n % 20;
  if (at > *reported_) {
    *reported_ = at;
    sink_->set(at);
  }
}

int workerCount(int channels, int threads) {
  if (threads <= 0) threads = analysisThreads();
  return std::max(1, std::min(threads, channels));
}

void forEachChannel(int channels, int threads, ProgressSink& progress,
                    const std::function<void(int, int, SegmentCounter&)>& work) {
  const int workers = workerCount(channels, threads);
  std::atomic<int> nextChannel{0};
  std::atomic<int> done{0};
  int reported = 0;
  std::vector<std::exception_ptr> failures(workers);

  auto run = [&](int worker, SegmentCounter& counter) {
    try {
      for (int c = nextChannel++; c < channels; c = nextChannel++) {
        work(c, worker, counter);
        counter.flush();
      }
    } catch (...) {
      failures[worker] = std::current_exception();
      nextChannel = channels;  // the others stop after their current channel
    }
  };

  std::vector<std::thread> pool;
  for (int w = 1; w < workers; ++w) {
    try {
      pool.emplace_back([&, w] {
        SegmentCounter counter(done, nullptr, nullptr);
        run(w, counter);
      });
    } catch (const std::system_error&) {
      // No more threads to be had (a process limit, memory): the channels go
      // to the threads running, this one included, with the same results.
      break;
    }
  }
  SegmentCounter mine(done, &progress, &reported);
  run(0, mine);
  for (std::thread& t : pool) t.join();

  // Segments finished by the other threads after this one ran out of work.
  const int total = done.load();
  const int at = total - total % 20;
  if (at > reported) progress.set(at);

  for (const std::exception_ptr& e : failures)
    if (e) std::rethrow_exception(e);
}

}  // namespace vode
