// The edit history behind Edit/Undo and Edit/Redo: each step keeps the parts
// of the document it changed as they were on its other side, so undoing and
// redoing a step are one and the same exchange. The history also knows which
// of its positions matches the file last saved or opened.
#pragma once

#include <QFlags>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/Document.h"

namespace vode {

// What a step can change. Only what the change touches is kept, so a step
// over the tags costs the tag table, not the samples.
enum class Part : unsigned {
  Tags = 1u << 0,     // the tag table: phase bytes and flags
  Flow = 1u << 1,     // the breath signal
  Records = 1u << 2,  // the subject, the laboratory and the comments
  // The samples, tags, channel set-up and every analysis result: for the
  // commands that rewrite the samples or run a detector.
  Document = 1u << 3,
};
Q_DECLARE_FLAGS(Parts, Part)
Q_DECLARE_OPERATORS_FOR_FLAGS(Parts)

// Parts of a document, copied when a step begins.
class Snapshot {
 public:
  Snapshot(Parts parts, const Document& doc);
  Snapshot(Snapshot&&) noexcept;
  Snapshot& operator=(Snapshot&&) noexcept;
  ~Snapshot();

  Parts parts() const { return parts_; }
  bool whole() const { return document_ != nullptr; }
  bool differsFrom(const Document& doc) const;
  // Exchanges the kept parts with the document's own. The file state, the
  // preferences and the panel settings are never part of a step: they stay.
  void swapWith(Document& doc);
  // True when the last swap exchanged two different laboratory records,
  // which live in the configuration folder as well.
  bool laboratorySwapped() const { return laboratorySwapped_; }

 private:
  Parts parts_;
  std::unique_ptr<TagTable> tags_;
  std::vector<int16_t> flow_;
  SubjectRecord subject_;
  LaboratoryRecord laboratory_;
  std::string comments_;
  std::unique_ptr<Document> document_;
  bool laboratorySwapped_ = false;
};

struct EditStep {
  Snapshot other;   // the changed parts as the document held them on the step's other side
  bool marks;       // the change made the document modified
  unsigned gesture; // the mouse drag it belongs to; 0 for none
};

class EditHistory {
 public:
  static constexpr std::size_t Limit = 100;
  // Whole-document steps hold the samples and every result (hundreds of
  // megabytes for eight channels): only the latest few are kept.
  static constexpr std::ptrdiff_t WholeLimit = 4;

  // A new document: nothing to undo; modified tells whether it matches its file.
  void clear(bool modified);
  // Adds the step just done; the steps undone before it can no longer be redone.
  void push(EditStep step);
  bool canUndo() const { return index_ > 0; }
  bool canRedo() const { return index_ < steps_.size(); }
  // The step to exchange, moving the position back or on.
  EditStep& undoStep() { return steps_[--index_]; }
  EditStep& redoStep() { return steps_[index_++]; }
  // The step just done, when nothing was undone since; else null.
  const EditStep* last() const { return index_ > 0 && index_ == steps_.size() ? &steps_.back() : nullptr; }

  // Whether the document at this position differs from its file: a step
  // that marks the document lies between here and the saved position.
  bool modifiedHere() const;
  // Takes note of the document's modified flag after a change that is no
  // step: a save or open makes this position the saved one; a change that
  // marked the document leaves no position matching the file.
  void follow(bool modified);

 private:
  std::vector<EditStep> steps_;
  std::size_t index_ = 0;
  std::ptrdiff_t clean_ = 0;  // the saved position; -1 when none can be reached
};

}  // namespace vode
