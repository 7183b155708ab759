// Progress and long work: the window is disabled, the status shows the task,
// and a job's calls reach the window's thread.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QThread>
#include <optional>
#include <thread>

#include "support/GuiTestSupport.h"
#include "workspace/DisplayLogic.h"
#include "viewer/PaneWidget.h"

using namespace vode;
using namespace vode::test;

TEST(Progress, DisablesTheWindowAndRestoresTheStatus) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.load(makeRecording(60, 1));
  const QString status = form.segmentStatus();
  form.BeginProgress("Calculating Tags", 15);
  EXPECT_FALSE(form.isEnabled());
  EXPECT_FALSE(f.state().WindowEnabled);
  EXPECT_EQ(form.segmentStatus(), "Calculating Tags");
  EXPECT_TRUE(control(form, "StatusGauge")->isVisibleTo(&form));
  form.EndProgress();
  EXPECT_TRUE(form.isEnabled());
  EXPECT_EQ(form.segmentStatus(), status);
  EXPECT_FALSE(control(form, "StatusGauge")->isVisibleTo(&form));
}

TEST(Progress, JobCallsReachTheWindowThreadAndItsValueComesBack) {
  WindowFixture f;
  TMainForm& form = f.form();
  Workspace& ws = form.workspace();
  ws.useJobRunner(std::make_unique<ThreadJobRunner>());
  f.prompter.answers = {Answer::No};
  bool windowEnabledDuringJob = true;
  bool onGuiThread = false;
  f.prompter.onMessage = [&] {
    onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    windowEnabledDuringJob = form.isEnabled();
  };
  std::thread::id workerThread;
  std::optional<Answer> answer;
  ASSERT_TRUE(ws.start<Answer>(
      [&](ProgressSink& progress, Prompter& prompter) {
        workerThread = std::this_thread::get_id();
        progress.begin("Calculating Power", 10);
        for (int i = 1; i <= 10; ++i) progress.set(i);
        prompter.message(MessageKind::Warning, "halfway");
        const Answer a = prompter.ask("Go on?", Buttons::YesNo, Answer::Yes);
        progress.end();
        return a;
      },
      [&](Answer a) {
        // The value arrives on this thread, after the window was enabled again.
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        EXPECT_TRUE(form.isEnabled());
        answer = a;
      }));
  EXPECT_FALSE(ws.start<int>([](ProgressSink&, Prompter&) { return 0; }, [](int) {}));  // one at a time
  waitUntilIdle(ws);
  EXPECT_NE(workerThread, std::this_thread::get_id());
  EXPECT_TRUE(f.prompter.saw("halfway"));
  EXPECT_TRUE(onGuiThread);
  EXPECT_FALSE(windowEnabledDuringJob);
  EXPECT_EQ(answer, Answer::No);
  EXPECT_TRUE(form.isEnabled());
  EXPECT_TRUE(f.state().WindowEnabled);
  EXPECT_EQ(form.segmentStatus(), "No file loaded");
}

TEST(Progress, JobFailureIsReportedNotThrown) {
  WindowFixture f;
  Workspace& ws = f.form().workspace();
  ws.useJobRunner(std::make_unique<ThreadJobRunner>());
  bool done = false;
  ws.start<int>(
      [](ProgressSink& progress, Prompter&) -> int {
        progress.begin("Loading file...", 3);
        throw std::bad_alloc();
      },
      [&](int) { done = true; });
  waitUntilIdle(ws);
  EXPECT_TRUE(f.prompter.saw("Not enough memory"));
  EXPECT_FALSE(done);
  EXPECT_TRUE(f.form().isEnabled());
  EXPECT_FALSE(control(f.form(), "StatusGauge")->isVisibleTo(&f.form()));
}
