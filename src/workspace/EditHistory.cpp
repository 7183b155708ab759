#include "workspace/EditHistory.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "document/DocumentCopy.h"

namespace vode {

namespace {

// The bytes a file keeps of a tag table: its phase bytes and its flags.
bool sameTags(const TagTable* a, const TagTable* b) {
  if (!a || !b) return a == b;
  if (a->rows() != b->rows() || a->segments() != b->segments()) return false;
  if (a->empty()) return true;
  const auto n = static_cast<size_t>(a->segments());
  return std::memcmp(a->phaseData(), b->phaseData(), n) == 0 &&
         std::memcmp(a->flagRow(0), b->flagRow(0), n * static_cast<size_t>(a->rows())) == 0;
}

bool sameSamples(const Recording* a, const Recording* b) {
  if (!a || !b) return a == b;
  return a->channelCount == b->channelCount && a->segmentCount == b->segmentCount && a->flow == b->flow &&
         a->sound == b->sound;
}

template <typename Record>
bool sameRecord(const Record& a, const Record& b) {
  return imageOf(a) == imageOf(b);
}

// A table is swapped by content where both exist, so whoever holds the
// document's table keeps a table.
void swapTags(std::unique_ptr<TagTable>& kept, std::unique_ptr<TagTable>& doc) {
  if (kept && doc)
    std::swap(*kept, *doc);
  else
    std::swap(kept, doc);
}

}  // namespace

Snapshot::Snapshot(Parts parts, const Document& doc) : parts_(parts) {
  if (parts & Part::Document) {
    document_ = copyDocument(doc);
    return;
  }
  if ((parts & Part::Tags) && doc.tagTable) tags_ = std::make_unique<TagTable>(*doc.tagTable);
  if ((parts & Part::Flow) && doc.recording) flow_ = doc.recording->flow;
  if (parts & Part::Records) {
    subject_ = doc.subject;
    laboratory_ = doc.laboratory;
    comments_ = doc.comments;
  }
}

Snapshot::Snapshot(Snapshot&&) noexcept = default;
Snapshot& Snapshot::operator=(Snapshot&&) noexcept = default;
Snapshot::~Snapshot() = default;

bool Snapshot::differsFrom(const Document& doc) const {
  if (document_)
    return !sameSamples(document_->recording.get(), doc.recording.get()) ||
           !sameTags(document_->tagTable.get(), doc.tagTable.get()) ||
           !sameRecord(document_->channelSetup, doc.channelSetup);
  if ((parts_ & Part::Tags) && !sameTags(tags_.get(), doc.tagTable.get())) return true;
  if ((parts_ & Part::Flow) && doc.recording && flow_ != doc.recording->flow) return true;
  return (parts_ & Part::Records) && (!sameRecord(subject_, doc.subject) ||
                                      !sameRecord(laboratory_, doc.laboratory) || comments_ != doc.comments);
}

void Snapshot::swapWith(Document& doc) {
  laboratorySwapped_ = false;
  if (document_) {
    Document& kept = *document_;
    std::swap(kept.recording, doc.recording);
    swapTags(kept.tagTable, doc.tagTable);
    std::swap(kept.channelSetup, doc.channelSetup);
    std::swap(kept.peakAmplitude, doc.peakAmplitude);
    std::swap(kept.preferences.flowHoldsPower, doc.preferences.flowHoldsPower);
    std::swap(kept.phaseTable, doc.phaseTable);
    std::swap(kept.spectra, doc.spectra);
    std::swap(kept.averages, doc.averages);
    std::swap(kept.wheezeMap, doc.wheezeMap);
    return;
  }
  if (parts_ & Part::Tags) swapTags(tags_, doc.tagTable);
  if ((parts_ & Part::Flow) && doc.recording) std::swap(flow_, doc.recording->flow);
  if (parts_ & Part::Records) {
    laboratorySwapped_ = !sameRecord(laboratory_, doc.laboratory);
    std::swap(subject_, doc.subject);
    std::swap(laboratory_, doc.laboratory);
    std::swap(comments_, doc.comments);
  }
}

void EditHistory::clear(bool modified) {
  steps_.clear();
  index_ = 0;
  clean_ = modified ? -1 : 0;
}

void EditHistory::push(EditStep step) {
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index_), steps_.end());
  if (clean_ > static_cast<std::ptrdiff_t>(index_)) clean_ = -1;
  steps_.push_back(std::move(step));
  // The oldest steps go first; a step can only be undone after those after it.
  std::size_t drop = steps_.size() > Limit ? steps_.size() - Limit : 0;
  const auto whole = [](const EditStep& s) { return s.other.whole(); };
  for (auto wholes = std::count_if(steps_.begin(), steps_.end(), whole); wholes > WholeLimit; --wholes)
    drop = static_cast<std::size_t>(std::find_if(steps_.begin() + static_cast<std::ptrdiff_t>(drop), steps_.end(), whole) -
                                    steps_.begin()) + 1;
  steps_.erase(steps_.begin(), steps_.begin() + static_cast<std::ptrdiff_t>(drop));
  const auto dropped = static_cast<std::ptrdiff_t>(drop);
  clean_ = clean_ >= dropped ? clean_ - dropped : -1;
  index_ = steps_.size();
}

bool EditHistory::modifiedHere() const {
  if (clean_ < 0) return true;
  const auto here = static_cast<std::ptrdiff_t>(index_);
  const auto first = steps_.begin() + std::min(here, clean_);
  const auto end = steps_.begin() + std::max(here, clean_);
  return std::any_of(first, end, [](const EditStep& s) { return s.marks; });
}

void EditHistory::follow(bool modified) {
  if (modified == modifiedHere()) return;
  clean_ = modified ? -1 : static_cast<std::ptrdiff_t>(index_);
}

}  // namespace vode
