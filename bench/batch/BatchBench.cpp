// vode-cli over a study: `report --kind all` on 64 two-channel 60-s synthetic
// recordings, with --jobs 1 and with --jobs 2. Each iteration is one whole
// run of the program, timed by the wall clock; compare the medians. The
// counter cpu_s is the processor time the run used (user + system), and
// busiest_thread_s that of its busiest thread: on a machine others share, the
// wall clock depends on their load, these do not.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int Recordings = 64;

// Seconds each thread of process pid has run so far, by thread id, from the
// scheduler's own account (nanoseconds on a processor).
void sampleThreads(pid_t pid, std::map<std::string, double>& seconds) {
  std::error_code ec;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
    std::ifstream stat(task.path() / "schedstat");
    long long onCpu = 0;
    if (stat >> onCpu) seconds[task.path().filename().string()] = onCpu / 1e9;
  }
}

// Runs the built vode-cli with its output thrown away, watching its threads;
// its exit code, and in busiest the processor time of its busiest thread.
// That thread's time is what a run takes on processors of its own: on a
// machine shared with other work the wall clock measures mostly the others.
int runCli(const std::vector<std::string>& args, double* busiest = nullptr) {
  std::vector<std::string> argv = {VODE_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execv(raw[0], raw.data());
    _exit(127);
  }
  if (pid < 0) return -1;
  std::map<std::string, double> threads;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (busiest) sampleThreads(pid, threads);
    usleep(2000);
  }
  if (busiest) {
    *busiest = 0.0;
    for (const auto& [id, seconds] : threads) *busiest = std::max(*busiest, seconds);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double childrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The recordings, written once per process into a temporary folder that is
// removed at exit.
struct Study {
  std::string folder;
  std::vector<std::string> files;
  bool ready = true;

  Study() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vode-batch-XXXXXX").string();
    folder = mkdtemp(pattern.data()) ? pattern : "";
    for (int i = 0; i < Recordings && !folder.empty(); ++i) {
      files.push_back(folder + "/rec" + std::to_string(i) + ".mer");
      ready = ready && runCli({"synth", files.back(), "--seconds", "60", "--channels", "2", "--seed",
                               std::to_string(i + 1)}) == 0;
    }
    ready = ready && !folder.empty();
  }
  ~Study() {
    std::error_code ec;
    if (!folder.empty()) std::filesystem::remove_all(folder, ec);
  }
};

Study& study() {
  static Study s;
  return s;
}

// One run of the program per iteration, with the processor time of all the
// runs and that of the last run's busiest thread as counters.
void runTimed(benchmark::State& state, const std::vector<std::string>& args) {
  const double cpuBefore = childrenCpuSeconds();
  double busiest = 0.0;
  for (auto _ : state)
    if (runCli(args, &busiest) != 0) state.SkipWithError("vode-cli failed");
  state.counters["cpu_s"] = childrenCpuSeconds() - cpuBefore;
  state.counters["busiest_thread_s"] = busiest;
}

void BM_ReportAllOverAStudy(benchmark::State& state) {
  Study& s = study();
  if (!s.ready) {
    state.SkipWithError("could not write the recordings");
    return;
  }
  const std::string jobs = std::to_string(state.range(0));
  std::vector<std::string> args = {"report"};
  args.insert(args.end(), s.files.begin(), s.files.end());
  for (const std::string& a : {std::string("-o"), s.folder + "/reports" + jobs, std::string("--kind"),
                               std::string("all"), std::string("--jobs"), jobs})
    args.push_back(a);
  runTimed(state, args);
  state.counters["files"] = Recordings;
}
BENCHMARK(BM_ReportAllOverAStudy)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7);

// `table` of one full recording (8 channels × 1800 segments) with 8 bands:
// opening, the analysis and the table, in one run of the program.
void BM_TableOfAFullRecording(benchmark::State& state) {
  Study& s = study();
  const std::string file = s.folder + "/full.mer";
  if (!s.ready || runCli({"synth", file, "--seconds", "180", "--channels", "8", "--seed", "7"}) != 0) {
    state.SkipWithError("could not write the recording");
    return;
  }
  std::vector<std::string> args = {"table", file, "-o", "-"};
  const int bands[8][2] = {{75, 150}, {150, 300}, {300, 600}, {600, 1200}, {1200, 2400}, {2400, 4800}, {100, 1000},
                           {1000, 2000}};
  for (const auto& band : bands)
    for (const std::string& a : {std::string("--band"), std::to_string(band[0]), std::to_string(band[1])})
      args.push_back(a);
  runTimed(state, args);
}
BENCHMARK(BM_TableOfAFullRecording)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(7);

}  // namespace
