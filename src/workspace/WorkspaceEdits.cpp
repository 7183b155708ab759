// The operations that change the workspace's document: long ones as jobs
// on a copy that replaces the document when they end, short ones (tag
// edits) on this thread. Each announces what it changed.
#include <algorithm>
#include <memory>

#include "analysis/AnalysisCommand.h"
#include "analysis/Averages.h"
#include "analysis/CrackleTest.h"
#include "analysis/Spectra.h"
#include "analysis/TagEdits.h"
#include "analysis/WheezeDetection.h"
#include "analysis/WheezeImage.h"
#include "document/DocumentCopy.h"
#include "document/OpenDocument.h"
#include "formats/SettingsFiles.h"
#include "model/SineTestRecording.h"
#include "workspace/Workspace.h"

namespace vode {

void Workspace::useAcquisitionDevice(std::unique_ptr<AcquisitionDevice> device) {
  device_ = std::move(device);
  // Only the menus change: "&New" and "ZUZU" follow the device.
  notify({});
}

void Workspace::open(const std::string& path, std::function<void(int)> then) {
  struct Opened {
    int code = 0;
    std::unique_ptr<Document> doc;
    ImportedFrom from;
  };
  const Palette palette = palette_;
  start<Opened>(
      [this, path, palette](ProgressSink& progress, Prompter& prompter) {
        // Reading, the kept preferences, "Unable to open ...", offsets and
        // volume: the core's open sequence, then the analysis.
        Opened opened{0, copySettings(doc_), {}};
        opened.code = openPath(*opened.doc, path, prompter, progress, FileSystem::real(), &opened.from,
                               FailedOpen::KeepDocument);
        if (opened.code == 0) DoAnalyzeClick(*opened.doc, *opened.doc, palette, progress, prompter);
        opened.doc->state.modified = false;
        return opened;
      },
      [this, then = std::move(then)](Opened opened) {
        // A file that could not be read has said why; the recording that was
        // open (and its unsaved changes) stays.
        if (opened.code != 0) {
          doc_.state.ioError = opened.code;
        } else {
          doc_ = std::move(*opened.doc);
          imported_ = opened.from;
          notify(Changes(Change::Recording) | Change::Analysis);
        }
        if (then) then(opened.code);
      });
}

void Workspace::changeCopy(std::function<void(Document&, ProgressSink&, Prompter&)> change, Changes what,
                           std::function<void()> after) {
  start<std::unique_ptr<Document>>(
      [this, change = std::move(change)](ProgressSink& progress, Prompter& prompter) {
        // The copy is made here, on the worker: the window goes on painting
        // the document, which nothing changes meanwhile.
        std::unique_ptr<Document> copy = copyDocument(doc_);
        change(*copy, progress, prompter);
        return copy;
      },
      [this, what, after = std::move(after)](std::unique_ptr<Document> changed) {
        doc_ = std::move(*changed);
        ++replacements_;
        if (after) after();
        notify(what);
      });
}

void Workspace::analyse() {
  if (!doc_.hasRecording()) return;
  const Palette palette = palette_;
  changeCopy([palette](Document& doc, ProgressSink& progress, Prompter& prompter) {
    DoAnalyzeClick(doc, doc, palette, progress, prompter);
  }, Change::Analysis);
}

void Workspace::retag() {
  if (!doc_.hasRecording()) return;
  changeCopy([](Document& doc, ProgressSink& progress, Prompter& prompter) {
    DoAnalyzeClick(doc, doc, progress, prompter);
  }, Change::Analysis);
}

void Workspace::rebuildImages() {
  // The sonogram images hold levels for one frequency range; a new range
  // needs new images (the spectra stay).
  if (!doc_.spectra || !doc_.spectra->hasPower()) return;
  const Palette palette = palette_;
  changeCopy([palette](Document& doc, ProgressSink& progress, Prompter&) {
    CalculateImage(doc, doc, palette, progress);
    // The wheeze images are the sonogram with marks: they follow the range.
    if (doc.wheezeMap && doc.wheezeMap->hasScores(0)) CalculateWheezeImage(doc, doc, progress);
  }, Change::Images);
}

namespace {

// Keeps the information a command gives when it ends for the status bar;
// warnings, errors and questions still come as boxes.
class NoteInformation : public Prompter {
 public:
  NoteInformation(Prompter& boxes, std::string& note) : boxes_(boxes), note_(note) {}
  void message(MessageKind kind, const std::string& text) override {
    if (kind == MessageKind::Information)
      note_ = text;
    else
      boxes_.message(kind, text);
  }
  Answer ask(const std::string& text, Buttons buttons, Answer defaultAnswer) override {
    return boxes_.ask(text, buttons, defaultAnswer);
  }

 private:
  Prompter& boxes_;
  std::string& note_;
};

}  // namespace

void Workspace::detectWheezes(WheezeDetector detector) {
  // Without a recording or spectra the detector itself says "No data" or
  // "No PSD". The tonal detector is our own command: its completion goes to
  // the status bar and does not stop work; the standard one keeps its box.
  auto note = std::make_shared<std::string>();
  edit(Part::Document, [&] {
    changeCopy([detector, note](Document& doc, ProgressSink& progress, Prompter& prompter) {
      NoteInformation quiet(prompter, *note);
      RunWheezeDetector(detector, doc, doc, progress, detector == WheezeDetector::Tonal ? quiet : prompter);
    }, Change::Wheezes, [this, note] {
      if (!note->empty()) emit statusNote(QString::fromStdString(*note));
    });
  });
}

void Workspace::copyPowerToFlow(int c) {
  if (!doc_.spectra) return;
  edit(Part::Document, [&] {
    changeCopy([c](Document& doc, ProgressSink& progress, Prompter& prompter) {
      vode::copyPowerToFlow(doc, doc, c, progress, prompter);
    }, Changes(Change::Samples) | Change::Analysis, [this] {
      // The breath signal now holds power: a setting kept with the others.
      settingsChanged();
    });
  });
}

void Workspace::setPanelSettings(const PanelSettings& panel) {
  const PanelSettings was = doc_.panel;
  doc_.panel = panel;
  // The bin width only changes the charts; the band power follows the rest.
  if (panel.spinMin == was.spinMin && panel.spinMax == was.spinMax && panel.spindB == was.spindB &&
      panel.rectifydB == was.rectifydB)
    return;
  CalculateBandPower(doc_);
  notify(Change::Band);
}

void Workspace::includeSegment(bool include, bool background) {
  if (!doc_.recording || !doc_.spectra || !doc_.phaseTable || !doc_.tagTable || !doc_.averages) return;
  edit(Part::Tags, [&] {
    afterTagEdit(static_cast<int>(AddSegment(*doc_.tagTable, *doc_.phaseTable, state_.CurrentChannel,
                                             state_.CurrentSegment, include, background)));
  });
}

void Workspace::excludeSegment() {
  if (!doc_.recording || !doc_.spectra || !doc_.phaseTable || !doc_.tagTable || !doc_.averages) return;
  edit(Part::Tags, [&] {
    afterTagEdit(static_cast<int>(RejectSegment(*doc_.tagTable, state_.CurrentChannel, state_.CurrentSegment, true)));
  });
}

void Workspace::afterTagEdit(int result) {
  switch (static_cast<TagEdit>(result)) {
    case TagEdit::Clipped:
      prompter_.message(MessageKind::Warning, ClippedSegmentMessage);
      return;
    case TagEdit::NoPhase:
      prompter_.message(MessageKind::Warning, NoValidPhaseMessage);
      return;
    case TagEdit::Outside:
      return;
    case TagEdit::Changed:
      break;
  }
  // Hand-corrected tags are saved with the recording: closing must ask. The
  // recalculation is quick and runs here: a window disabled for a worker
  // would drop the mouse moves and the release of a drag over the strip.
  doc_.state.modified = true;
  CalculateTags(doc_, doc_, false, progress(), prompter_);
  notify(Changes(Change::Tags) | Change::FileName);
}

bool Workspace::markFlow(int16_t value) {
  if (!doc_.recording || !doc_.spectra || !doc_.phaseTable || !doc_.tagTable || !doc_.averages) return false;
  Recording& recording = *doc_.recording;
  const int32_t s = state_.CurrentSegment;
  const size_t first = static_cast<size_t>(s) * SegmentFlowSamples;
  if (s < 0 || s >= recording.segmentCount || recording.flow.size() < first + SegmentFlowSamples) return false;
  edit(Parts(Part::Tags) | Part::Flow, [&] {
    std::fill_n(recording.flow.begin() + static_cast<std::ptrdiff_t>(first), SegmentFlowSamples, value);
    doc_.computeVolume();
    doc_.state.modified = true;
    CalculateTags(doc_, doc_, false, progress(), prompter_);
    notify(Changes(Change::Samples) | Change::Tags | Change::FileName);
  });
  return true;
}

void Workspace::testCrackle() { TestCrackle(doc_, prompter_); }

void Workspace::closeDocument() {
  doc_.state.ioError = 0;
  loadDefaultSettings(doc_, doc_.state.programDir, prompter_, progress());
  notify(Change::Recording);
}

void Workspace::settingsChanged() { vode::settingsChanged(doc_, doc_.state.programDir, prompter_, progress()); }

void Workspace::deleteChannel(int channel) {
  if (!doc_.recording || doc_.recording->channelCount != 2) return;
  // Every open runs the analysis, so refusing after one would leave the
  // command unusable: the analysis is run again for the channel that is left.
  edit(Part::Document, [&] {
    const bool analysed = doc_.spectra != nullptr;
    doc_.recording->deleteChannel(channel, doc_.channelSetup);
    // The channel's flags go with it, so the table saved matches the recording.
    if (doc_.tagTable && doc_.tagTable->rows() == 2) doc_.tagTable->deleteRow(channel);
    doc_.wheezeMap.reset();
    doc_.updatePeakAmplitude();
    settingsChanged();
    state_.CurrentChannel = 0;
    notify(Changes(Change::Samples) | Change::Wheezes);
    // The tag table exists, so the phase bytes (the user's edits) stay.
    if (analysed) analyse();
  });
}

void Workspace::normalizeChannels() {
  if (!doc_.recording) return;
  edit(Part::Document, [&] {
    if (!doc_.normalizeChannels(prompter_)) return;
    settingsChanged();
    notify(Change::Samples);
    if (doc_.spectra) analyse();
  });
}

void Workspace::replaceWithTestTones() {
  // The results and tags of the recording replaced would not fit the new one.
  doc_.releaseResults();
  doc_.tagTable.reset();
  // The breath phases too: the tones have no breath signal.
  doc_.phaseTable = std::make_unique<PhaseTable>();
  doc_.recording = std::make_unique<Recording>(makeSineTestRecording());
  doc_.channelSetup.airflowKind = 0;
  doc_.state.currentFileName = "Untitled";
  doc_.state.modified = true;
  doc_.state.ioError = 0;
  doc_.updatePeakAmplitude();
  doc_.computeVolume();
  notify(Change::Recording);
}

}  // namespace vode
