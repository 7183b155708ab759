// Breath phases marked by hand: the Edit menu's range marks and label tracks
// taken in from a file. Both are quick and run on this thread; each announces
// the new breath signal and tags.
#include "analysis/TagEdits.h"
#include "document/LabelImport.h"
#include "workspace/Workspace.h"

namespace vode {

RangeMarkResult Workspace::markRange(int32_t first, int32_t last, PhaseMark mark) {
  if (!doc_.recording || !doc_.spectra) return {};
  RangeMarkResult result;
  // One step of the edit history: the phase bytes, the flags and the breath
  // signal it wrote.
  edit(Parts(Part::Tags) | Part::Flow, [&] {
    result = vode::markRange(doc_, doc_, first, last, mark, state_.CurrentChannel, progress(), prompter_);
    if (result.marked > 0) notify(Changes(Change::Samples) | Change::Tags | Change::FileName);
  });
  // Every segment of the range was clipped on this channel.
  if (result.marked == 0 && result.clippedSkipped > 0) prompter_.message(MessageKind::Warning, ClippedSegmentMessage);
  return result;
}

int Workspace::importLabels(const std::string& path) {
  if (!doc_.recording || !doc_.spectra) return 0;
  int code = 0;
  edit(Parts(Part::Tags) | Part::Flow, [&] {
    LabelImport imported;
    code = importLabelFile(doc_, doc_, path, progress(), prompter_, &imported);
    if (code == 0 && imported.used > 0) notify(Changes(Change::Samples) | Change::Tags | Change::FileName);
  });
  return code;
}

}  // namespace vode
