// The workspace: its command table's rules and busy guard, the change notices,
// and jobs on a real worker thread that the window keeps painting through.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QProgressBar>
#include <atomic>
#include <chrono>
#include <thread>

#include "support/GuiTestSupport.h"
#include "viewer/PaneWidget.h"

using namespace vode;
using namespace vode::test;

namespace {

// A window whose jobs run on their worker thread, as in the program.
struct ThreadedWindow : WindowFixture {
  ThreadedWindow() { form().workspace().useJobRunner(std::make_unique<ThreadJobRunner>()); }
  Workspace& ws() { return form().workspace(); }
};

// A job that holds on until released, moving the gauge as it waits.
struct HeldJob {
  std::atomic<bool> release{false}, running{false};
  bool done = false;
  void start(Workspace& ws) {
    ASSERT_TRUE(ws.start<int>(
        [this](ProgressSink& progress, Prompter&) {
          progress.begin("Waiting", 10);
          running = true;
          while (!release) {
            progress.set(5);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
          }
          return 0;
        },
        [this](int) { done = true; }));
    while (!running) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
};

}  // namespace

TEST(CommandTable, AnEntryRunsWithAHandlerWhenItsRuleHoldsAndNoJobRuns) {
  ScriptedGuiPrompter prompter;
  Workspace ws(prompter);
  CommandTable& table = ws.commands();
  const auto hasRecording = [](const Workspace& w) { return w.document().hasRecording(); };
  table.menu("Menu", "&Menu", hasRecording);
  table.entry("Menu", "Ruled1", "Ruled", hasRecording);
  table.entry("Menu", "Free1", "Free");
  int runs = 0, bindings = 0;
  table.setChangeHandler([&] { ++bindings; });
  EXPECT_FALSE(table.enabled("Free1", ws));  // nothing to run yet
  table.bind("Free1", [&] { ++runs; });
  table.bind("Ruled1", [&] { ++runs; });
  EXPECT_EQ(bindings, 2);  // the menus follow each binding
  EXPECT_TRUE(ws.run("Free1"));
  EXPECT_FALSE(ws.run("Ruled1"));
  EXPECT_FALSE(table.enabled("Menu", ws));
  ws.document().recording = std::make_unique<Recording>(Recording::create(10, 1));
  EXPECT_TRUE(table.enabled("Menu", ws));
  EXPECT_TRUE(ws.run("Ruled1"));
  // No command starts while work owns the document.
  ws.beginWork();
  EXPECT_FALSE(ws.run("Free1"));
  EXPECT_TRUE(table.enabled("Menu", ws));
  ws.endWork();
  EXPECT_TRUE(ws.run("Free1"));
  EXPECT_FALSE(ws.run("NoSuch1"));
  EXPECT_EQ(runs, 3);
}

TEST(CommandTable, MenusAreBuiltFromTheTableAndFollowItsRules) {
  WindowFixture f;
  TMainForm& form = f.form();
  for (const CommandRow& row : form.workspace().commands().rows()) {
    if (row.kind != CommandRow::Kind::Entry) continue;
    QAction* entry = form.action(row.name);
    ASSERT_NE(entry, nullptr) << row.name.toStdString();
    if (!row.name.startsWith("Recent")) {
      EXPECT_EQ(entry->text(), row.caption) << row.name.toStdString();
    }
    EXPECT_EQ(entry->shortcuts().size(), row.keys.size()) << row.name.toStdString();
  }
  EXPECT_EQ(form.action("ZoomIn1")->shortcuts(),
            (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}));
  // A WAV file keeps no breath signal and is no recording file.
  f.load(makeRecording(30, 1), "/tmp/take.WAV");
  for (const char* e : {"MarkInspiration1", "Save1"}) EXPECT_FALSE(form.action(e)->isEnabled()) << e;
  EXPECT_TRUE(form.action("SaveAs1")->isEnabled());
  f.load(makeRecording(30, 2), "/tmp/take.mer");
  for (const char* e : {"MarkInspiration1", "Save1", "DeleteChannel1"}) EXPECT_TRUE(form.action(e)->isEnabled()) << e;
  EXPECT_FALSE(form.action("ReportMenu")->isEnabled());  // not analysed
}

TEST(Workspace, ChangesAreAnnounced) {
  WindowFixture f;
  std::vector<Changes> seen;
  QObject::connect(&f.form().workspace(), &Workspace::changed, [&](Changes what) { seen.push_back(what); });
  f.load(makeRecording(60, 1));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen.back() & Change::Recording);
  f.form().DoAnalyzeClick();
  EXPECT_TRUE(seen.back() & Change::Analysis);
  // A tag edit on this thread: the tags and the modified mark.
  f.form().set_current_segment(20);
  seen.clear();
  f.form().RejectCurrentSegment(true);
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(seen.front() & Change::Tags);
  EXPECT_TRUE(seen.back() & Change::FileName);
  EXPECT_TRUE(f.doc().state.modified);
}

TEST(Jobs, ACancelledJobLeavesTheDocumentAndAnOpenEndsInAnAnalysedEnabledWindow) {
  ThreadedWindow f;
  f.load(makeRecording(40, 1), "/tmp/kept.mer");
  const Recording* kept = f.doc().recording.get();
  saveSyntheticRecording(f.temp.file("other.mer"), {5, 2, 10.0});
  f.commands().openPath(f.temp.file("other.mer"));
  f.ws().cancel();
  waitUntilIdle(f.ws());
  EXPECT_EQ(f.doc().recording.get(), kept);
  EXPECT_EQ(f.doc().state.currentFileName, "/tmp/kept.mer");
  EXPECT_TRUE(f.commands().recentFiles().entries().empty());
  f.form().DoAnalyzeClick();
  f.ws().cancel();
  waitUntilIdle(f.ws());
  EXPECT_FALSE(f.doc().spectra);
  EXPECT_TRUE(f.form().isEnabled());
  EXPECT_TRUE(f.prompter.messages.empty());

  const std::string path = f.temp.file("two.mer");
  saveSyntheticRecording(path, {5, 2, 20.0});
  f.commands().openPath(path);
  EXPECT_TRUE(f.ws().busy());
  EXPECT_FALSE(f.form().isEnabled());
  waitUntilIdle(f.ws());
  EXPECT_TRUE(f.form().isEnabled());
  ASSERT_TRUE(f.doc().recording && f.doc().spectra && f.doc().averages);
  EXPECT_EQ(f.doc().state.currentFileName, path);
  EXPECT_EQ(f.commands().recentFiles().entries().front(), path);
  EXPECT_TRUE(f.form().action("ReportMenu")->isEnabled());
}

TEST(Jobs, ThePanesPaintAndTheGaugeMovesWhileAJobRuns) {
  ThreadedWindow f;
  f.load(makeRecording(60, 1));
  f.form().TimeBoxClick();  // the expanded waveform, drawn from the samples
  auto* sono = f.form().findChild<PaneWidget*>("SonoBox");
  const QImage before = sono->grab().toImage();
  f.ws().edit(Part::Records, [&] { f.doc().comments = "edited"; });
  HeldJob job;
  job.start(f.ws());
  QCoreApplication::processEvents();
  EXPECT_FALSE(f.form().isEnabled());
  auto* gauge = static_cast<QProgressBar*>(control(f.form(), "StatusGauge"));
  EXPECT_TRUE(gauge->isVisibleTo(&f.form()) && gauge->value() == 5) << gauge->value();
  // The pane paints the document afresh, not a frozen picture.
  f.form().set_current_segment(30);
  const QImage during = sono->grab().toImage();
  EXPECT_NE(during, before);
  EXPECT_FALSE(f.ws().run("Open1"));
  // The job's copy of the document is not changed under it.
  f.ws().undo();
  EXPECT_EQ(f.doc().comments, "edited");
  job.release = true;
  waitUntilIdle(f.ws());
  EXPECT_TRUE(f.form().action("Undo1")->isEnabled());
  EXPECT_TRUE(job.done);
  EXPECT_TRUE(f.form().isEnabled());
  EXPECT_EQ(sono->grab().toImage(), during);
}

TEST(Jobs, WhenIdleWaitsForTheJobAndItsEndAndClosingCancelsTheJobThenCloses) {
  ThreadedWindow f;
  f.form().show();
  std::vector<int> order;
  f.ws().whenIdle([&] { order.push_back(1); });  // idle: at once
  HeldJob job, held;
  job.start(f.ws());
  f.ws().whenIdle([&] { order.push_back(job.done ? 3 : -3); });
  order.push_back(2);
  job.release = true;
  waitUntilIdle(f.ws());
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));

  held.start(f.ws());
  EXPECT_FALSE(f.form().close());
  EXPECT_TRUE(f.ws().cancelling());
  waitUntilIdle(f.ws());
  EXPECT_FALSE(held.done);
  EXPECT_FALSE(f.form().isVisible());
}
