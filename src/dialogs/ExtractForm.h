// "Extract": a start and an end time for saving part of the recording. The
// caller saves segments first to last of range() under the chosen name.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QLineEdit;

namespace vode {

class Prompter;

struct ExtractRange {
  int32_t first = 0;
  int32_t last = 0;
};

// Times in seconds to 0-based segments of a recording of segmentCount
// segments (at least one): each time to the nearest segment (ties to even),
// swapped when the end lies before the start, then kept inside the recording.
ExtractRange extractRange(float start, float end, int32_t segmentCount);

class ExtractForm : public QDialog {
  Q_OBJECT

 public:
  ExtractForm(const std::string& fileName, int32_t segmentCount, Prompter& prompter, QWidget* parent = nullptr);
  void OKBitBtnClick();
  ExtractRange range() const { return range_; }

 private:
  int32_t segmentCount_;
  Prompter& prompter_;
  ExtractRange range_;
  QLineEdit* StartEdit = nullptr;
  QLineEdit* EndEdit = nullptr;
};

}  // namespace vode
