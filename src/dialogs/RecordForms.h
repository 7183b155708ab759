// The smaller record dialogs: "Laboratory Information", "Comments" and
// "Analysis". Each shows its record, stores it on OK and leaves it untouched
// on Cancel; what the window does afterwards is the caller's.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace vode {

class Prompter;
struct AnalysisParameters;
struct LaboratoryRecord;

class FacilityForm : public QDialog {
  Q_OBJECT

 public:
  FacilityForm(LaboratoryRecord& laboratory, QWidget* parent = nullptr);
  void OKBitBtnClick();

 private:
  LaboratoryRecord& laboratory_;
  QLineEdit* NameEdit = nullptr;
  QPlainTextEdit* AddressMemo = nullptr;
  QLineEdit* PhysicianEdit = nullptr;
};

// The free comments of a recording; empty text means none.
class InterpForm : public QDialog {
  Q_OBJECT

 public:
  InterpForm(std::string& comments, QWidget* parent = nullptr);
  void OKBitBtnClick();
  bool changed() const { return changed_; }

 private:
  std::string& comments_;
  bool changed_ = false;
  QPlainTextEdit* Memo = nullptr;
};

class AparmsForm : public QDialog {
  Q_OBJECT

 public:
  AparmsForm(AnalysisParameters& parameters, Prompter& prompter, QWidget* parent = nullptr);
  // Stores the three numbers only when all of them are whole numbers that
  // fit the record.
  void OKBitBtnClick();

 private:
  AnalysisParameters& parameters_;
  Prompter& prompter_;
  QLineEdit* BreathEdit = nullptr;
  QLineEdit* InEdit = nullptr;
  QLineEdit* OutEdit = nullptr;
};

}  // namespace vode
