#include "audio/NullSink.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

extern char** environ;

namespace vode::test {

namespace {

pid_t spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

void end(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      pid = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

NullSink* currentSink = nullptr;

}  // namespace

NullSink* NullSink::current() { return currentSink; }

NullSink::NullSink() {
  currentSink = this;
  std::string pattern = (std::filesystem::temp_directory_path() / "vode-sink-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    failure_ = "no temporary folder for the sound server";
    return;
  }
  dir_ = pattern;
  // The server and its clients meet in this folder only; HOME keeps the
  // server's cookie and state out of the user's own.
  setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  setenv("HOME", dir_.c_str(), 1);
  setenv("PULSE_COOKIE", (dir_ + "/cookie").c_str(), 1);
  unsetenv("PULSE_SERVER");

  server_ = spawn({"pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--log-target=stderr",
                   "--log-level=error", "--load=module-null-sink sink_name=nullsink",
                   "--load=module-native-protocol-unix auth-anonymous=1"});
  if (server_ <= 0) {
    failure_ = "pulseaudio could not be started (is it installed?)";
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (pactl("info").find("nullsink") == std::string::npos) {
    if (waitpid(server_, nullptr, WNOHANG) == server_) {
      server_ = -1;
      failure_ = "pulseaudio stopped while starting";
      return;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      end(server_);
      failure_ = "pulseaudio did not answer within 15 s";
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  // An idle null sink renders up to 2 s of silence ahead, so a new stream
  // would only be heard seconds later. A quiet stream at low latency keeps it
  // running as a sound card's sink runs.
  keeper_ = spawn({"pacat", "--raw", "--format=s16le", "--channels=1", "--rate=10240", "--latency-msec=20",
                   "/dev/zero"});
  // The silence rendered ahead drains in real time.
  const auto drained = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (sinkLatencyUs() > 100000 && std::chrono::steady_clock::now() < drained)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

long NullSink::sinkLatencyUs() const {
  const std::string text = pactl("list sinks");
  const std::string::size_type at = text.find("\tLatency: ");
  if (at == std::string::npos) return -1;
  return std::strtol(text.c_str() + at + 10, nullptr, 10);
}

NullSink::~NullSink() {
  if (currentSink == this) currentSink = nullptr;
  end(keeper_);
  end(server_);
  if (!dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
}

std::string NullSink::pactl(const std::string& arguments) const {
  std::string text;
  FILE* pipe = popen(("pactl " + arguments + " 2>/dev/null").c_str(), "r");
  if (!pipe) return text;
  std::array<char, 4096> buffer;
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) text.append(buffer.data(), n);
  pclose(pipe);
  return text;
}

}  // namespace vode::test
