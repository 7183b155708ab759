// Edit/Undo and Edit/Redo: every change of the document runs through edit,
// which keeps what the change touches in a step of the history.
#include <algorithm>

#include "analysis/AnalysisCommand.h"
#include "workspace/Workspace.h"

namespace vode {

void Workspace::edit(Parts parts, const std::function<void()>& change) {
  const EditStep* last = history_.last();
  const bool dragging = state_.MultiTagging && gesture_ != 0;
  if (editing_ || (dragging && last && last->gesture == gesture_)) {
    change();
    return;
  }
  auto before = std::make_shared<Snapshot>(parts, doc_);
  const bool wasModified = doc_.state.modified;
  const unsigned replacements = replacements_;
  const unsigned gesture = dragging ? gesture_ : 0;
  editing_ = true;
  change();
  whenIdle([this, before, wasModified, replacements, gesture] {
    editing_ = false;
    // On a document modified already the flag cannot tell whether the change
    // marks it: it is taken to, so that undoing back to a save never hides
    // a change the file lacks.
    const bool marks = wasModified || doc_.state.modified;
    if (replacements_ != replacements || before->differsFrom(doc_))
      history_.push(EditStep{std::move(*before), marks, gesture});
    notify(Change::FileName);
  });
}

void Workspace::undo() {
  if (canUndo()) restore(history_.undoStep());
}

void Workspace::redo() {
  if (canRedo()) restore(history_.redoStep());
}

void Workspace::restore(EditStep& step) {
  Snapshot& other = step.other;
  other.swapWith(doc_);
  const Parts parts = other.parts();
  Changes what = Change::FileName;
  if (parts & Part::Document) {
    // The results came back with the samples: nothing is analysed again.
    if (doc_.recording)
      state_.CurrentChannel = std::clamp<int16_t>(state_.CurrentChannel, 0, std::max<int16_t>(doc_.recording->channelCount - 1, 0));
    what |= Changes(Change::Samples) | Change::Analysis | Change::Wheezes;
  } else if (parts & (Parts(Part::Tags) | Part::Flow)) {
    if (parts & Part::Flow) {
      doc_.computeVolume();
      what |= Change::Samples;
    }
    if (doc_.recording && doc_.spectra && doc_.phaseTable && doc_.tagTable && doc_.averages)
      CalculateTags(doc_, doc_, false, progress(), prompter_);
    what |= Change::Tags;
  }
  if (parts & Part::Records) what |= Change::Records;
  // Without a recording the laboratory is kept in the configuration folder
  // at once; with one it travels in the recording file.
  if (other.laboratorySwapped()) settingsChanged();
  doc_.state.modified = history_.modifiedHere();
  notify(what);
}

}  // namespace vode
