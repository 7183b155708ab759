// Progress and long work: the window is disabled, the status shows the task,
// and a worker's calls reach the window's thread.
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
#include <thread>

#include "support/GuiTestSupport.h"
#include "viewer/DisplayLogic.h"
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
  EXPECT_TRUE(form.control("StatusGauge")->isVisibleTo(&form));
  form.EndProgress();
  EXPECT_TRUE(form.isEnabled());
  EXPECT_EQ(form.segmentStatus(), status);
  EXPECT_FALSE(form.control("StatusGauge")->isVisibleTo(&form));
}

TEST(Progress, WorkerCallsReachTheWindowThread) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.prompter.answers = {Answer::No};
  bool windowEnabledDuringJob = true;
  bool onGuiThread = false;
  f.prompter.onMessage = [&] {
    onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    windowEnabledDuringJob = form.isEnabled();
  };
  Answer answer = Answer::Yes;
  std::thread::id workerThread;
  form.runInBackground([&](ProgressSink& progress, Prompter& prompter) {
    workerThread = std::this_thread::get_id();
    progress.begin("Calculating Power", 10);
    for (int i = 1; i <= 10; ++i) progress.set(i);
    prompter.message(MessageKind::Warning, "halfway");
    answer = prompter.ask("Go on?", Buttons::YesNo, Answer::Yes);
    progress.end();
  });
  EXPECT_NE(workerThread, std::this_thread::get_id());
  EXPECT_TRUE(f.prompter.saw("halfway"));
  EXPECT_TRUE(onGuiThread);
  EXPECT_FALSE(windowEnabledDuringJob);
  EXPECT_EQ(answer, Answer::No);
  EXPECT_TRUE(form.isEnabled());
  EXPECT_TRUE(f.state().WindowEnabled);
  EXPECT_EQ(form.segmentStatus(), "No file loaded");
}

TEST(Progress, WorkerFailureIsReportedNotThrown) {
  WindowFixture f;
  f.form().runInBackground([](ProgressSink& progress, Prompter&) {
    progress.begin("Loading file...", 3);
    throw std::bad_alloc();
  });
  EXPECT_TRUE(f.prompter.saw("Not enough memory"));
  EXPECT_TRUE(f.form().isEnabled());
  EXPECT_FALSE(f.form().control("StatusGauge")->isVisibleTo(&f.form()));
}
