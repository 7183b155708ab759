// Progress of a long core operation: a task text and a gauge of some number of
// steps. The window shows it in its status bar and stays disabled in between.
#pragma once

#include <string>

namespace vode {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void begin(const std::string& text, int steps) = 0;
  virtual void setMaximum(int steps) = 0;
  virtual void set(int position) = 0;
  virtual void end() = 0;
};

class NullProgress : public ProgressSink {
 public:
  void begin(const std::string&, int) override {}
  void setMaximum(int) override {}
  void set(int) override {}
  void end() override {}
};

}  // namespace vode
