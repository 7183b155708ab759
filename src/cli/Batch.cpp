#include "cli/Batch.h"

#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <system_error>
#include <thread>

#include "analysis/ChannelWorkers.h"
#include "formats/FileErrors.h"

namespace vode::cli {

namespace {

// A task that throws (memory exhausted by a hostile file, say) is one failed
// file, reported with the others' messages, not the end of the batch.
int runGuarded(const std::string& input, const FileTask& task, std::size_t index, FileOutput& output) {
  try {
    return task(index, output);
  } catch (const std::bad_alloc&) {
    output.err << "vode-cli: " << input << ": " << FileErrorText(ErrNoMemory) << "\n";
  } catch (const std::exception& e) {
    output.err << "vode-cli: " << input << ": " << e.what() << "\n";
  } catch (...) {
    output.err << "vode-cli: " << input << ": failed\n";
  }
  return ExitFileError;
}

struct Slot {
  std::ostringstream out, err;
  int status = ExitOk;
  bool done = false;
};

constexpr const char* ClearLine = "\r\033[K";

}  // namespace

bool readJobsOption(const ParsedArgs& args, int& jobs, std::string& error) {
  if (!args.has("--jobs")) {
    jobs = analysisThreads();
    return true;
  }
  long long n = 0;
  if (!parseInt(args.value("--jobs"), n) || n < 1 || n > MaxJobs) {
    error = "--jobs needs a whole number from 1 to " + std::to_string(MaxJobs);
    return false;
  }
  jobs = static_cast<int>(n);
  return true;
}

int runBatch(const std::vector<std::string>& inputs, int jobs, const FileTask& task, std::ostream& out) {
  jobs = std::clamp(jobs, 1, MaxJobs);
  if (inputs.size() == 1) {
    FileOutput direct{out, std::cerr, jobs};
    return runGuarded(inputs.front(), task, 0, direct);
  }

  const std::size_t count = inputs.size();
  const int workers = static_cast<int>(std::min<std::size_t>(jobs, count));
  // The files in flight share the threads; the analysis gives the same
  // results on any number of them.
  const int threadsPerFile = std::max(1, jobs / std::max(1, workers));
  std::vector<Slot> slots(count);
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t next = 0, finished = 0, failed = 0;

  auto work = [&] {
    for (;;) {
      std::size_t i;
      {
        std::lock_guard lock(mutex);
        if (next >= count) return;
        i = next++;
      }
      Slot& slot = slots[i];
      FileOutput output{slot.out, slot.err, threadsPerFile};
      const int status = runGuarded(inputs[i], task, i, output);
      std::lock_guard lock(mutex);
      slot.status = status;
      slot.done = true;
      ++finished;
      if (status != ExitOk) ++failed;
      changed.notify_one();
    }
  };
  std::vector<std::thread> threads;
  for (int w = 0; w < workers; ++w) {
    try {
      threads.emplace_back(work);
    } catch (const std::system_error&) {
      // The files go to the workers that did start; with none, this thread
      // runs them all before it prints.
      if (threads.empty()) work();
      break;
    }
  }

  // Only this thread prints: a finished file waits until every file before it
  // has been printed, so the output reads as a sequential run's.
  const bool terminal = isatty(STDERR_FILENO) == 1;
  std::size_t printed = 0, shown = 0;
  if (terminal) std::cerr << "0/" << count << " files, 0 failed" << std::flush;
  std::unique_lock lock(mutex);
  while (printed < count) {
    changed.wait(lock, [&] { return slots[printed].done || finished != shown; });
    const std::size_t from = printed;
    while (printed < count && slots[printed].done) ++printed;
    shown = finished;
    const std::size_t failedNow = failed;
    lock.unlock();
    if (terminal) std::cerr << ClearLine;
    for (std::size_t i = from; i < printed; ++i) {
      std::cerr << slots[i].err.str() << std::flush;
      out << slots[i].out.str() << std::flush;
      slots[i].err.str({});
      slots[i].out.str({});
    }
    if (terminal && printed < count) std::cerr << shown << "/" << count << " files, " << failedNow << " failed" << std::flush;
    lock.lock();
  }
  lock.unlock();
  for (std::thread& t : threads) t.join();
  if (terminal) std::cerr << ClearLine;
  std::cerr << count << " files, " << failed << " failed\n";
  return failed ? ExitFileError : ExitOk;
}

int prepareOutputs(const std::vector<std::string>& inputs, const std::string& out,
                   const std::function<std::string(const std::string&)>& name, std::vector<std::string>& targets,
                   const std::string& usage) {
  namespace fs = std::filesystem;
  std::error_code ec;
  targets.clear();
  if (inputs.size() == 1 && !fs::is_directory(out, ec)) {
    targets.push_back(out);
    return ExitOk;
  }
  std::map<std::string, std::size_t> firstInput;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    targets.push_back((fs::path(out) / name(inputs[i])).string());
    const auto [it, added] = firstInput.emplace(targets.back(), i);
    if (!added)
      return usageError(inputs[it->second] + " and " + inputs[i] + " would both write " + targets.back(), usage);
  }
  if (!fs::is_directory(out, ec) && !fs::create_directories(out, ec)) {
    std::cerr << "vode-cli: cannot make the folder " << out << "\n";
    return ExitFileError;
  }
  return ExitOk;
}

std::string stemOf(const std::string& input) { return std::filesystem::path(input).stem().string(); }

}  // namespace vode::cli
