// The window's model, without widgets: the open document, what is shown of
// it (the display state with the current segment, channel, view and play
// range), the command table of the menus, and the jobs that run on a worker
// thread. Every change of the document goes through a workspace operation
// that announces what changed; the window, the panes and the power panel
// observe changed() and bring themselves up to date.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "acquisition/AcquisitionDevice.h"
#include "analysis/BreathCycleEstimate.h"
#include "analysis/PhaseMarks.h"
#include "analysis/TonalWheezeCommand.h"
#include "document/Document.h"
#include "formats/AnyRecording.h"
#include "model/Palette.h"
#include "model/Progress.h"
#include "workspace/CommandTable.h"
#include "workspace/DisplayState.h"
#include "workspace/EditHistory.h"
#include "workspace/GuiPrompter.h"
#include "workspace/Jobs.h"

namespace vode {

// What a change touched.
enum class Change : unsigned {
  Recording = 1u << 0,  // another recording, or none: open, close, new, test tones
  Samples = 1u << 1,    // the samples of the recording
  Tags = 1u << 2,       // tags, phases, averages and band power after an edit
  Analysis = 1u << 3,   // spectra, images, tags and averages of an analysis
  Images = 1u << 4,     // the sonogram images of another frequency range
  Wheezes = 1u << 5,    // the wheeze map, its images and flags
  Settings = 1u << 6,   // preferences and records: scales, titles, choices
  Band = 1u << 7,       // the power panel's band and the band power
  FileName = 1u << 8,   // the document's name or its modified mark
  Busy = 1u << 9,       // a job started or ended
  Records = 1u << 10,   // the subject, comments, laboratory or analysis parameters
  Marks = 1u << 11,     // the display's marks of estimated breath cycles
};
Q_DECLARE_FLAGS(Changes, Change)
Q_DECLARE_OPERATORS_FOR_FLAGS(Changes)

class Workspace : public QObject {
  Q_OBJECT

 public:
  explicit Workspace(GuiPrompter& prompter, QObject* parent = nullptr);
  ~Workspace() override;

  // The document is read freely; it is changed through the operations below
  // (or, by dialogs, followed by notify), each of which announces its change.
  Document& document() { return doc_; }
  const Document& document() const { return doc_; }
  DisplayState& display() { return state_; }
  const DisplayState& display() const { return state_; }
  GuiPrompter& prompter() const { return prompter_; }
  CommandTable& commands() { return commands_; }
  const CommandTable& commands() const { return commands_; }

  // The colours the sonogram images are painted with (pal.dat, else grey).
  void setPalette(const Palette& palette) { palette_ = palette; }
  const Palette& palette() const { return palette_; }

  // Progress of work on this thread; it shows in the window's gauge.
  ProgressSink& progress();

  // --developer: the hidden entries show and "&FFT" follows the recording.
  void setDeveloper(bool on) { developer_ = on; }
  bool developer() const { return developer_; }
  // The device File/New records from (vode --device).
  void useAcquisitionDevice(std::unique_ptr<AcquisitionDevice> device);
  AcquisitionDevice* acquisitionDevice() const { return device_.get(); }

  // Runs a choice of the command table (false when it cannot be chosen now).
  bool run(const QString& command) { return commands_.run(command, *this); }

  // Announces a change: the menus follow their rules, observers repaint.
  void notify(Changes what);

  // --- Changes of the document --------------------------------------------------
  // Each runs on this thread or as a job, and announces what it changed.

  // Reads path (on a worker, into a document with the settings of this one;
  // any sound file is resampled as the import does), analyses it and puts it
  // in place of the document. A file that cannot be read leaves the document
  // as it was, with the message shown and the code in state.ioError.
  // then(code) follows: 0, or the reader's error code.
  void open(const std::string& path, std::function<void(int)> then = {});
  // How the recording last opened was read (resampled from which format).
  const ImportedFrom& importedFrom() const { return imported_; }
  // The analysis command: spectra, images, tags and averages (job).
  void analyse();
  // The tags, phases and averages again with new phase bytes, for new
  // targets or background flows (job).
  void retag();
  // Sonogram (and wheeze) images for the frequency range and dB reference of
  // the preferences; the spectra stay (job).
  void rebuildImages();
  // A wheeze detector over the analysed recording (job).
  void detectWheezes(WheezeDetector detector);
  // Channel c's band power as the breath signal, then the tags again (job).
  void copyPowerToFlow(int c);
  // The power panel's band, threshold, rectification and bin width; the band
  // power of every channel follows.
  void setPanelSettings(const PanelSettings& panel);
  // The tag edits of the current segment and channel: include (or clear,
  // include false) in its breath phase or as background; exclude it and its
  // neighbours. The tags, phases and averages follow. A clipped segment, or
  // one outside any phase, is refused with a message.
  void includeSegment(bool include, bool background);
  void excludeSegment();
  // The breath signal of the current segment set to value (mL/s); false when
  // there was nothing to mark.
  bool markFlow(int16_t value);
  // Edit/"Mark Range as ...": segments first..last of an analysed recording
  // (WAV-born ones too) set to the phase, with a breath signal to match, and
  // the tags again; segments clipped on the current channel stay as they
  // were, and when that was every one "Clipped segments cannot be modified".
  RangeMarkResult markRange(int32_t first, int32_t last, PhaseMark mark);
  // File/"Import Labels...": the label track at path marks the analysed
  // recording (I, E, B as the range marks do, X excludes on every channel);
  // unknown labels are listed and skipped. 0, or the code of a track that
  // could not be read (then nothing changed).
  int importLabels(const std::string& path);
  // File/"&Close": the default settings and no recording.
  void closeDocument();
  // Edit/"Delete Channel" of a two-channel recording: the channel, its flags
  // and the wheeze map go, the peak amplitude follows, the settings are kept,
  // channel 1 is current, and an analysed recording is analysed again.
  void deleteChannel(int channel);
  // Edit/"Normalize Channels"; an analysed recording is analysed again.
  void normalizeChannels();
  // Analyze/"MakeSineWav": the 200-segment test tones as an unsaved
  // recording, without the results and tags of the one it replaces.
  void replaceWithTestTones();
  // The record and preference dialogs changed the settings: they are kept
  // in the configuration folder.
  void settingsChanged();
  // Analyze/"Test&Crackle": crackles added to channel 2's samples, which
  // nothing recomputes or repaints, and which do not make the document
  // modified.
  void testCrackle();
  // Analyze/"Estimate Breath Cycles": the breath cycles of the whole
  // recording (every channel's band power) estimated from the sound (job);
  // their boundaries become the display's cycle marks. A recording without a
  // breath signal is then offered phases marked from them.
  void estimateBreathCycles();
  // The phases of estimated cycles marked by the fixed rule of
  // PhasesFromCycles, as range marks on every channel (job): the breath
  // signal, tags, breaths and averages follow, and the document is modified.
  void markCyclePhases(const CycleEstimate& estimate);
  // Analyze/"Detect Crackles": the crackle flag on every segment of a
  // channel holding one of its crackles, then the averages without those
  // segments (job). "&Crackles" can be ticked from then on.
  void detectCrackles();

  // --- Undo ------------------------------------------------------------------
  // Runs change as one step of the edit history, keeping the parts of the
  // document it touches as they were; a job the change starts belongs to the
  // step, which is taken when the job has ended. A change that leaves those
  // parts as they were is no step. While a drag over the tag strip goes on
  // (beginGesture, then MultiTagging) every change joins the drag's step.
  // Opening, closing or replacing the recording empties the history.
  void edit(Parts parts, const std::function<void()>& change);
  void beginGesture() { ++gesture_; }
  bool canUndo() const { return !busy_ && !editing_ && history_.canUndo(); }
  bool canRedo() const { return !busy_ && !editing_ && history_.canRedo(); }
  // The step exchanged, the tags and averages recalculated as the edit did
  // them, and the modified mark as it was at that point of the history.
  void undo();
  void redo();

  // --- Jobs ------------------------------------------------------------------
  // Work that runs while the document stays as it is: it reads the document
  // only, or a copy it makes of it, and returns a value. done receives the
  // value on this thread and swaps it in. One job at a time: false when one
  // runs already. While it runs the workspace is busy and no command can be
  // chosen. An exception ends it with a message ("Not enough memory" when
  // memory ran out); a cancelled job ends without calling done.
  template <typename T>
  bool start(std::function<T(ProgressSink&, Prompter&)> work, std::function<void(T)> done) {
    auto value = std::make_shared<std::optional<T>>();
    return startJob([value, work = std::move(work)](ProgressSink& progress, Prompter& prompter) {
      value->emplace(work(progress, prompter));
    }, [value, done = std::move(done)] { done(std::move(**value)); });
  }
  bool busy() const { return busy_; }
  // Stops the running job at its next progress step; its value is dropped.
  void cancel();
  bool cancelling() const { return cancelled_; }
  // Runs then now when no job runs, else as soon as the last one has ended.
  void whenIdle(std::function<void()> then);
  // Where jobs run; threads unless a test runs them at once.
  void useJobRunner(std::unique_ptr<JobRunner> runner);

  // Marks the workspace busy while work of the window's own (pictures drawn
  // one per turn of the event loop) goes on; endWork ends it.
  void beginWork();
  void endWork();

 signals:
  void changed(vode::Changes what);
  // A short result of a command for the status bar, after the change it
  // brought has been shown.
  void reported(const QString& text);
  // The gauge: a task begins with its text and steps, moves, ends.
  void progressBegan(const QString& text, int steps);
  void progressMaximum(int steps);
  void progressMoved(int position);
  void progressEnded();
  // A note for the status bar, where the window says what ended without a box.
  void statusNote(const QString& text);

 private:
  class GuiProgress;
  bool startJob(std::function<void(ProgressSink&, Prompter&)> work, std::function<void()> done);
  void setBusy(bool busy);
  void runIdle();

  GuiPrompter& prompter_;
  Document doc_;
  DisplayState state_;
  CommandTable commands_;
  Palette palette_ = Palette::grey();
  std::unique_ptr<GuiProgress> progress_;
  std::unique_ptr<JobRunner> runner_;
  void afterTagEdit(int result);
  // Emits reported(text) once the change being announced has been shown.
  void reportLater(const QString& text);
  // A job that changes a copy of the whole document and swaps it in.
  void changeCopy(std::function<void(Document&, ProgressSink&, Prompter&)> change, Changes what,
                  std::function<void()> after = {});

  ImportedFrom imported_;
  void restore(EditStep& step);
  EditHistory history_;
  unsigned gesture_ = 0;
  bool editing_ = false;
  unsigned replacements_ = 0;  // documents a job has put in place

  bool developer_ = false;
  std::unique_ptr<AcquisitionDevice> device_;
  bool busy_ = false;
  std::atomic<bool> cancelled_{false};
  std::vector<std::function<void()>> idle_;
};

}  // namespace vode
