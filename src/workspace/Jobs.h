// Where a job's work runs. The program runs it on a thread of its own and
// hands the end back to the window's thread through its event loop; tests of
// the window's commands may run it at once, on the calling thread.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <thread>

namespace vode {

class JobRunner {
 public:
  virtual ~JobRunner() = default;
  // Calls work, then finished on the thread of context. One job at a time.
  virtual void run(std::function<void()> work, std::function<void()> finished, QObject* context) = 0;
  // Returns once the work of the last run has ended (not its finish).
  virtual void waitForWork() = 0;
  // Whether work runs on the calling thread.
  virtual bool inline_() const = 0;
};

class ThreadJobRunner : public JobRunner {
 public:
  ~ThreadJobRunner() override { waitForWork(); }
  void run(std::function<void()> work, std::function<void()> finished, QObject* context) override;
  void waitForWork() override;
  bool inline_() const override { return false; }

 private:
  std::thread worker_;
};

class InlineJobRunner : public JobRunner {
 public:
  void run(std::function<void()> work, std::function<void()> finished, QObject*) override {
    work();
    finished();
  }
  void waitForWork() override {}
  bool inline_() const override { return true; }
};

}  // namespace vode
