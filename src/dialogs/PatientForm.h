// "Subject Information": the subject record of the recording. Every box is
// checked before anything is stored, so a refused box leaves the whole record
// as it was.
#pragma once

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QPlainTextEdit;

namespace vode {

class Prompter;
struct SubjectRecord;

class PatientForm : public QDialog {
  Q_OBJECT

 public:
  PatientForm(SubjectRecord& subject, Prompter& prompter, QWidget* parent = nullptr);

  // "Enter a value from 1 to 250" when the weight box is left with a value
  // outside; false with the focus back in the box.
  bool WeightEditExit();
  void OKBitBtnClick();

  // After OK: whether any field now differs from what the dialog showed.
  bool changed() const { return changed_; }

 private:
  SubjectRecord& subject_;
  Prompter& prompter_;
  bool changed_ = false;
  QString shownDate_, shownWeight_, shownHeight_;

  QLineEdit* LastNameEdit = nullptr;
  QLineEdit* FirstNameEdit = nullptr;
  QLineEdit* IDEdit = nullptr;
  QButtonGroup* SexRadioGroup = nullptr;
  QLineEdit* DOBMaskEdit = nullptr;
  QLineEdit* WeightEdit = nullptr;
  QLineEdit* HeightEdit = nullptr;
  QLineEdit* DiagnosisEdit = nullptr;
  QPlainTextEdit* CommentsMemo = nullptr;
};

}  // namespace vode
