#include "dialogs/RecordForms.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"
#include "model/Prompter.h"
#include "model/Records.h"

namespace vode {

namespace {

QPlainTextEdit* addLabelledMemo(QWidget* parent, QGridLayout* grid, int row, const QString& caption,
                                const QString& objectName) {
  auto* label = new QLabel(caption, parent);
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(objectName);
  memo->setAccessibleName(caption);
  memo->setTabChangesFocus(true);
  label->setBuddy(memo);
  grid->addWidget(label, row, 0, Qt::AlignTop);
  grid->addWidget(memo, row, 1);
  return memo;
}

}  // namespace

FacilityForm::FacilityForm(LaboratoryRecord& laboratory, QWidget* parent)
    : QDialog(parent), laboratory_(laboratory) {
  QBoxLayout* layout = nullptr;
  QGridLayout* grid = dialogGrid(this, "FacilityForm", "Laboratory Information", layout);
  NameEdit = addLabelledEdit(this, grid, 0, "Laboratory", "NameEdit", 30);
  AddressMemo = addLabelledMemo(this, grid, 1, "Address", "AddressMemo");
  limitMemo(AddressMemo, 180);
  PhysicianEdit = addLabelledEdit(this, grid, 2, "Investigator", "PhysicianEdit", 30);
  addOkCancel(this, layout, [this] { OKBitBtnClick(); });

  NameEdit->setText(recordText(laboratory_.name.str()));
  AddressMemo->setPlainText(memoText(laboratory_.address.str()));
  PhysicianEdit->setText(recordText(laboratory_.investigator.str()));
}

void FacilityForm::OKBitBtnClick() {
  putText(laboratory_.name, recordBytes(NameEdit->text()));
  putText(laboratory_.address, memoBytes(AddressMemo->toPlainText()));
  putText(laboratory_.investigator, recordBytes(PhysicianEdit->text()));
  accept();
}

InterpForm::InterpForm(std::string& comments, QWidget* parent) : QDialog(parent), comments_(comments) {
  setObjectName("InterpForm");
  setWindowTitle("Comments");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  Memo = new QPlainTextEdit(this);
  Memo->setObjectName("Memo");
  Memo->setAccessibleName("Comments");
  Memo->setTabChangesFocus(true);
  layout->addWidget(Memo);
  addOkCancel(this, layout, [this] { OKBitBtnClick(); });
  resize(420, 300);

  if (comments_.empty())
    Memo->clear();
  else
    Memo->setPlainText(memoText(comments_));
  Memo->setFocus();
}

void InterpForm::OKBitBtnClick() {
  // An empty memo is no text: the file then holds a block of length 0.
  const std::string text = memoBytes(Memo->toPlainText());
  changed_ = text != comments_;
  comments_ = text;
  accept();
}

AparmsForm::AparmsForm(AnalysisParameters& parameters, Prompter& prompter, QWidget* parent)
    : QDialog(parent), parameters_(parameters), prompter_(prompter) {
  QBoxLayout* layout = nullptr;
  QGridLayout* grid = dialogGrid(this, "AparmsForm", "Analysis", layout);
  BreathEdit = addLabelledEdit(this, grid, 0, "Breaths", "BreathEdit", 5);
  InEdit = addLabelledEdit(this, grid, 1, "Insp tags", "InEdit", 5);
  OutEdit = addLabelledEdit(this, grid, 2, "Exp tags", "OutEdit", 5);
  addOkCancel(this, layout, [this] { OKBitBtnClick(); });

  BreathEdit->setText(QString::number(parameters_.breaths));
  InEdit->setText(QString::number(parameters_.inspTags));
  OutEdit->setText(QString::number(parameters_.expTags));
}

void AparmsForm::OKBitBtnClick() {
  int16_t values[3] = {};
  QLineEdit* boxes[3] = {BreathEdit, InEdit, OutEdit};
  for (int i = 0; i < 3; ++i) {
    const std::optional<int> v = integerFrom(boxes[i], prompter_);
    if (!v) return;
    // The record holds 16-bit numbers; a larger one would be stored wrapped.
    if (*v < -32768 || *v > 32767) {
      refuse(boxes[i], prompter_, "Enter a value from -32768 to 32767");
      return;
    }
    values[i] = static_cast<int16_t>(*v);
  }
  parameters_.breaths = values[0];
  parameters_.inspTags = values[1];
  parameters_.expTags = values[2];
  accept();
}

}  // namespace vode
