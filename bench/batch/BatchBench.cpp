// vode-cli over a study: `report --kind all` on 64 two-channel 60-s synthetic
// recordings, with --jobs 1 and with --jobs 2. Each iteration is one whole
// run of the program, timed by the wall clock; compare the medians. The
// counter cpu_s is the processor time the run used (user + system): on a
// machine others share, the wall clock depends on their load, this does not.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int Recordings = 64;

// Runs the built vode-cli through the shell with its output thrown away; its
// exit code.
int runCli(const std::vector<std::string>& args) {
  auto quoted = [](const std::string& a) {
    std::string q = "'";
    for (char ch : a) q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return q + "'";
  };
  std::string command = quoted(VODE_CLI_PATH);
  for (const std::string& a : args) command.append(" ").append(quoted(a));
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
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
  const double cpuBefore = childrenCpuSeconds();
  for (auto _ : state)
    if (runCli(args) != 0) state.SkipWithError("vode-cli report failed");
  state.counters["cpu_s"] = childrenCpuSeconds() - cpuBefore;
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

}  // namespace
