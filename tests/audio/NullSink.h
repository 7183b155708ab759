// A private PulseAudio server with one null sink, for tests that play through
// the real sound path on a machine without a sound card.
#pragma once

#include <sys/types.h>

#include <string>

namespace vode::test {

class NullSink {
 public:
  // Starts the server in a fresh runtime folder and points this process's
  // sound clients at it. Must run before anything opens a sound device.
  NullSink();
  // Stops the server and removes the folder.
  ~NullSink();
  NullSink(const NullSink&) = delete;
  NullSink& operator=(const NullSink&) = delete;

  // The server of this test program (main() starts one), or nullptr.
  static NullSink* current();

  bool running() const { return failure_.empty(); }
  // Why the server is not running.
  const std::string& failure() const { return failure_; }
  // The output of pactl with these arguments against this server.
  std::string pactl(const std::string& arguments) const;
  // How far ahead of the clock the sink has rendered; -1 when unknown.
  long sinkLatencyUs() const;

 private:
  std::string dir_;
  pid_t server_ = -1;
  pid_t keeper_ = -1;
  std::string failure_;
};

}  // namespace vode::test
