#include "dialogs/ExtractForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/DialogSupport.h"
#include "model/Numeric.h"

namespace vode {

ExtractRange extractRange(float start, float end, int32_t segmentCount) {
  // Segments are 0.1 s long. Rounded in double: a huge time must not
  // overflow the segment number before it is limited.
  auto segment = [](float seconds) {
    const double n = roundEvenD(static_cast<double>(seconds * 10.0f));
    return static_cast<int32_t>(std::clamp(n, -1.0e9, 1.0e9));
  };
  ExtractRange r{segment(start), segment(end)};
  if (r.last < r.first) std::swap(r.first, r.last);
  // Both ends inside the recording: a range wholly before or after it saves
  // its first or last segment rather than a recording of no segment.
  const int32_t lastSegment = std::max(segmentCount - 1, 0);
  r.first = std::clamp(r.first, 0, lastSegment);
  r.last = std::clamp(r.last, 0, lastSegment);
  return r;
}

ExtractForm::ExtractForm(const std::string& fileName, int32_t segmentCount, Prompter& prompter, QWidget* parent)
    : QDialog(parent), segmentCount_(segmentCount), prompter_(prompter) {
  QBoxLayout* layout = nullptr;
  QGridLayout* grid = dialogGrid(this, "ExtractForm", "Extract to " + QString::fromStdString(fileName), layout);
  StartEdit = addLabelledEdit(this, grid, 0, "Start time:", "StartEdit", 5, "seconds");
  EndEdit = addLabelledEdit(this, grid, 1, "End time:", "EndEdit", 5, "seconds");
  auto* note = new QLabel("Note: extracts from start time up to and including end time", this);
  note->setObjectName("NoteLabel");
  layout->addWidget(note);
  addOkCancel(this, layout, [this] { OKBitBtnClick(); });

  StartEdit->setText("0.0");
  EndEdit->setText(fixedText((segmentCount_ - 1) / 10.0, 1));
  StartEdit->setFocus();
}

void ExtractForm::OKBitBtnClick() {
  const std::optional<float> start = floatFrom(StartEdit, prompter_);
  if (!start) return;
  const std::optional<float> end = floatFrom(EndEdit, prompter_);
  if (!end) return;
  range_ = extractRange(*start, *end, segmentCount_);
  accept();
}

}  // namespace vode
