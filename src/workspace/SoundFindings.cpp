// What the sound alone tells of a recording: breath cycles, from which the
// phases of a recording without a breath signal can be marked, and crackles,
// which flag their segments. Each is a workspace job.
#include <QMetaObject>
#include <memory>

#include "analysis/AnalysisCommand.h"
#include "analysis/CrackleDetection.h"
#include "analysis/PhaseMarks.h"
#include "workspace/Workspace.h"

namespace vode {

namespace {

QString counted(int n, const char* one, const char* many) { return QString("%1 %2").arg(n).arg(n == 1 ? one : many); }

// Segments carrying the crackle flag on some channel, and all such cells.
struct CrackleCells {
  int segments = 0;
  int cells = 0;
};

CrackleCells crackleCells(const TagTable& tags) {
  CrackleCells n;
  for (int s = 0; s < tags.segments(); ++s) {
    int here = 0;
    for (int c = 0; c < tags.rows(); ++c) here += (tags.flags(c, s) & CrFlag) != 0;
    n.cells += here;
    n.segments += here > 0;
  }
  return n;
}

}  // namespace

void Workspace::reportLater(const QString& text) {
  // Queued: the window brings itself up to date with the change first, which
  // rewrites the status bar.
  QMetaObject::invokeMethod(this, [this, text] { emit reported(text); }, Qt::QueuedConnection);
}

void Workspace::estimateBreathCycles() {
  if (!doc_.hasRecording()) return;
  start<CycleEstimate>(
      [this](ProgressSink& progress, Prompter&) {
        progress.begin("Estimating Breath Cycles", 1);
        // Every channel's band power together: the phases the cycles may
        // mark belong to the whole recording, and the sum follows the
        // breathing more surely than one chest site (vode-cli cycles does the same).
        CycleEstimate estimate = EstimateBreathCycles(*doc_.recording, -1);
        progress.end();
        return estimate;
      },
      [this](CycleEstimate estimate) {
        state_.CycleMarks = estimate.boundaries;
        notify(Change::Marks);
        const int cycles = static_cast<int>(estimate.cycles.size());
        // Short enough for the status bar's first field.
        reportLater(cycles ? counted(cycles, "breath cycle", "breath cycles") + " estimated"
                           : QString("No breath cycles found"));
        if (cycles == 0 || hasBreathSignal(*doc_.recording)) return;
        const std::string question = "This recording has no breath signal. Mark inspiration and expiration from the " +
                                     counted(cycles, "estimated breath cycle", "estimated breath cycles").toStdString() +
                                     "?";
        if (prompter_.ask(question, Buttons::YesNo, Answer::No) == Answer::Yes) markCyclePhases(estimate);
      });
}

void Workspace::markCyclePhases(const CycleEstimate& estimate) {
  if (!doc_.hasRecording()) return;
  const int cycles = static_cast<int>(estimate.cycles.size());
  edit(Part::Document, [&] {
    changeCopy(
        [estimate](Document& doc, ProgressSink& progress, Prompter& prompter) {
          if (!doc.tagTable) CalculateTags(doc, doc, true, progress, prompter);
          // The marks of markRange, one range per phase, with a single
          // recalculation at the end rather than one per range. No channel's
          // clipping protects a segment: the phases belong to every channel,
          // and a clipped segment stays out of that channel's averages anyway.
          for (const PhaseSpan& span : PhasesFromCycles(estimate, doc.recording->segmentCount))
            applyPhaseMark(doc, span.first, span.last,
                           span.phase == Inspiration ? PhaseMark::Inspiration : PhaseMark::Expiration, -1);
          recalculateAfterMarks(doc, doc, progress, prompter);
          doc.state.modified = true;
        },
        Changes(Change::Samples) | Change::Tags | Change::FileName,
        [this, cycles] { reportLater("Phases marked from " + counted(cycles, "cycle", "cycles")); });
  });
}

void Workspace::detectCrackles() {
  if (!doc_.hasRecording()) return;
  auto found = std::make_shared<QString>();
  edit(Part::Document, [&] {
    changeCopy(
        [found](Document& doc, ProgressSink& progress, Prompter& prompter) {
          // A recording without tags gets them first, so the flagged segments
          // have phases to leave.
          if (doc.tagTable && doc.tagTable->empty()) doc.tagTable.reset();
          if (!doc.tagTable) CalculateTags(doc, doc, true, progress, prompter);
          const int before = crackleCells(*doc.tagTable).cells;
          const CrackleResult result = DetectCrackles(*doc.recording, *doc.tagTable, progress);
          const CrackleCells after = crackleCells(*doc.tagTable);
          if (after.cells != before) {
            // Flagged segments are no longer clean: the averages leave them.
            CalculateTags(doc, doc, false, progress, prompter);
            doc.state.modified = true;
          }
          *found = counted(static_cast<int>(result.crackles.size()), "crackle", "crackles") + " in " +
                   counted(after.segments, "segment", "segments");
        },
        Changes(Change::Tags) | Change::FileName,
        [this, found] {
          state_.CracklesDetected = true;
          reportLater(*found);
        });
  });
}

}  // namespace vode
