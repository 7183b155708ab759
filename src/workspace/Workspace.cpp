#include "workspace/Workspace.h"

#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>

namespace vode {

namespace {

// Thrown into a cancelled job at its next progress step or question.
struct JobCancelled {};

// A job's progress: carried out on the workspace's thread, in order.
class JobProgress : public ProgressSink {
 public:
  JobProgress(Workspace& workspace, const std::atomic<bool>& cancelled, bool onThisThread)
      : workspace_(workspace), cancelled_(cancelled), onThisThread_(onThisThread) {}
  void begin(const std::string& text, int steps) override {
    post([&ws = workspace_, message = QString::fromStdString(text), steps] { emit ws.progressBegan(message, steps); });
  }
  void setMaximum(int steps) override {
    post([&ws = workspace_, steps] { emit ws.progressMaximum(steps); });
  }
  void set(int position) override {
    post([&ws = workspace_, position] { emit ws.progressMoved(position); });
  }
  void end() override {
    post([&ws = workspace_] { emit ws.progressEnded(); });
  }

 private:
  template <typename F>
  void post(F f) {
    if (cancelled_) throw JobCancelled{};
    if (onThisThread_)
      f();
    else
      QMetaObject::invokeMethod(&workspace_, std::move(f), Qt::QueuedConnection);
  }
  Workspace& workspace_;
  const std::atomic<bool>& cancelled_;
  bool onThisThread_;
};

// A job's messages and questions: shown on the workspace's thread while the
// job waits for the answer, or until it is cancelled.
class JobPrompter : public Prompter {
 public:
  JobPrompter(Workspace& workspace, const std::atomic<bool>& cancelled, bool onThisThread)
      : workspace_(workspace), cancelled_(cancelled), onThisThread_(onThisThread) {}
  void message(MessageKind kind, const std::string& text) override {
    inThread([kind, text](Prompter& p) {
      p.message(kind, text);
      return Answer::Yes;
    });
  }
  Answer ask(const std::string& text, Buttons buttons, Answer defaultAnswer) override {
    return inThread([=](Prompter& p) { return p.ask(text, buttons, defaultAnswer); });
  }

 private:
  struct Reply {
    std::mutex lock;
    std::condition_variable ready;
    bool done = false;
    Answer answer = Answer::Yes;
  };

  template <typename F>
  Answer inThread(F f) {
    if (cancelled_) throw JobCancelled{};
    if (onThisThread_) return f(workspace_.prompter());
    auto reply = std::make_shared<Reply>();
    QMetaObject::invokeMethod(
        &workspace_,
        [reply, f, &ws = workspace_] {
          const Answer answer = f(ws.prompter());
          const std::lock_guard<std::mutex> hold(reply->lock);
          reply->answer = answer;
          reply->done = true;
          reply->ready.notify_one();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> hold(reply->lock);
    while (!reply->done) {
      // A job cancelled while its box is open goes; the box stays until answered.
      if (cancelled_) throw JobCancelled{};
      reply->ready.wait_for(hold, std::chrono::milliseconds(50));
    }
    return reply->answer;
  }

  Workspace& workspace_;
  const std::atomic<bool>& cancelled_;
  bool onThisThread_;
};

}  // namespace

// Progress of work on the workspace's own thread.
class Workspace::GuiProgress : public ProgressSink {
 public:
  explicit GuiProgress(Workspace& workspace) : workspace_(workspace) {}
  void begin(const std::string& text, int steps) override {
    emit workspace_.progressBegan(QString::fromStdString(text), steps);
  }
  void setMaximum(int steps) override { emit workspace_.progressMaximum(steps); }
  void set(int position) override { emit workspace_.progressMoved(position); }
  void end() override { emit workspace_.progressEnded(); }

 private:
  Workspace& workspace_;
};

Workspace::Workspace(GuiPrompter& prompter, QObject* parent)
    : QObject(parent),
      prompter_(prompter),
      progress_(std::make_unique<GuiProgress>(*this)),
      runner_(std::make_unique<ThreadJobRunner>()) {
  commands_.setChangeHandler([this] { notify({}); });
}

Workspace::~Workspace() {
  // The work reads this document: it must have ended before the document goes.
  cancelled_ = true;
  runner_->waitForWork();
}

ProgressSink& Workspace::progress() { return *progress_; }

void Workspace::notify(Changes what) {
  // What was found in one recording does not belong to the next, nor its
  // history of edits.
  if (what & Change::Recording) {
    state_.CycleMarks.clear();
    state_.CracklesDetected = false;
    state_.CracklesChecked = false;
    history_.clear(doc_.state.modified);
  } else if (!editing_) {
    // A change made while an edit runs is judged when the edit has ended.
    history_.follow(doc_.state.modified);
  }
  emit changed(what);
}

void Workspace::useJobRunner(std::unique_ptr<JobRunner> runner) {
  runner_->waitForWork();
  runner_ = std::move(runner);
}

void Workspace::setBusy(bool busy) {
  if (busy_ == busy) return;
  busy_ = busy;
  notify(Change::Busy);
}

void Workspace::cancel() {
  if (busy_) cancelled_ = true;
}

void Workspace::whenIdle(std::function<void()> then) {
  if (!busy_) {
    then();
    return;
  }
  idle_.push_back(std::move(then));
}

void Workspace::beginWork() { setBusy(true); }

void Workspace::endWork() {
  setBusy(false);
  runIdle();
}

void Workspace::runIdle() {
  // A callback may start a job; the rest wait for that one.
  while (!busy_ && !idle_.empty()) {
    const std::function<void()> then = std::move(idle_.front());
    idle_.erase(idle_.begin());
    then();
  }
}

bool Workspace::startJob(std::function<void(ProgressSink&, Prompter&)> work, std::function<void()> done) {
  if (busy_) return false;
  cancelled_ = false;
  setBusy(true);
  const bool here = runner_->inline_();
  auto progress = std::make_shared<JobProgress>(*this, cancelled_, here);
  auto prompter = std::make_shared<JobPrompter>(*this, cancelled_, here);
  auto failure = std::make_shared<std::exception_ptr>();
  runner_->run(
      [work = std::move(work), progress, prompter, failure] {
        try {
          work(*progress, *prompter);
        } catch (const JobCancelled&) {
        } catch (...) {
          *failure = std::current_exception();
        }
      },
      [this, failure, done = std::move(done)] {
        const bool cancelled = cancelled_.exchange(false);
        setBusy(false);
        if (*failure) {
          try {
            std::rethrow_exception(*failure);
          } catch (const std::bad_alloc&) {
            prompter_.message(MessageKind::Error, "Not enough memory");
          } catch (const std::exception& e) {
            prompter_.message(MessageKind::Error, e.what());
          } catch (...) {
            prompter_.message(MessageKind::Error, "Unknown");
          }
        } else if (!cancelled) {
          done();
        }
        runIdle();
      },
      this);
  return true;
}

}  // namespace vode
