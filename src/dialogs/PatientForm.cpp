#include "dialogs/PatientForm.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"
#include "model/DateText.h"
#include "model/Prompter.h"
#include "model/Records.h"

namespace vode {

PatientForm::PatientForm(SubjectRecord& subject, Prompter& prompter, QWidget* parent)
    : QDialog(parent), subject_(subject), prompter_(prompter) {
  QBoxLayout* layout = nullptr;
  QGridLayout* grid = dialogGrid(this, "PatientForm", "Subject Information", layout);
  LastNameEdit = addLabelledEdit(this, grid, 0, "Last Name", "LastNameEdit", 30);
  FirstNameEdit = addLabelledEdit(this, grid, 1, "First Name", "FirstNameEdit", 30);
  IDEdit = addLabelledEdit(this, grid, 2, "ID Number", "IDEdit", 20);

  auto* sex = new QGroupBox("Sex", this);
  sex->setObjectName("SexRadioGroup");
  auto* sexLayout = new QHBoxLayout(sex);
  SexRadioGroup = new QButtonGroup(sex);
  for (int i = 0; i < 2; ++i) {
    auto* item = new QRadioButton(i == 0 ? "Male" : "Female", sex);
    item->setObjectName(QString("SexRadioGroup%1").arg(i));
    SexRadioGroup->addButton(item, i);
    sexLayout->addWidget(item);
  }
  tabToCheckedItem(SexRadioGroup);
  grid->addWidget(sex, 3, 0, 1, 3);

  DOBMaskEdit = addLabelledEdit(this, grid, 4, "Birth Date", "DOBMaskEdit", 10, "d/m/y");
  // Day and month digits may be left out; the four year digits may not.
  DOBMaskEdit->setInputMask("99/99/0000");
  WeightEdit = addLabelledEdit(this, grid, 5, "Weight", "WeightEdit", 5, "kg");
  HeightEdit = addLabelledEdit(this, grid, 6, "Height", "HeightEdit", 5, "cm");
  DiagnosisEdit = addLabelledEdit(this, grid, 7, "Diagnosis", "DiagnosisEdit", 60);

  auto* notes = new QLabel("Notes", this);
  CommentsMemo = new QPlainTextEdit(this);
  CommentsMemo->setObjectName("CommentsMemo");
  CommentsMemo->setAccessibleName("Notes");
  CommentsMemo->setTabChangesFocus(true);
  limitMemo(CommentsMemo, 180);
  notes->setBuddy(CommentsMemo);
  grid->addWidget(notes, 8, 0, Qt::AlignTop);
  grid->addWidget(CommentsMemo, 8, 1, 1, 2);

  QWidget* buttons = addOkCancel(this, layout, [this] { OKBitBtnClick(); });
  onLeaving(WeightEdit, buttons, [this] { return WeightEditExit(); });

  LastNameEdit->setText(recordText(subject_.lastName.str()));
  FirstNameEdit->setText(recordText(subject_.firstName.str()));
  IDEdit->setText(recordText(subject_.id.str()));
  if (QAbstractButton* item = SexRadioGroup->button(subject_.sex)) item->setChecked(true);
  DOBMaskEdit->setText(QString::fromStdString(formatDate(subject_.birthDate)));
  WeightEdit->setText(fixedText(subject_.weight, 1));
  HeightEdit->setText(fixedText(subject_.height, 1));
  DiagnosisEdit->setText(recordText(subject_.diagnosis.str()));
  CommentsMemo->setPlainText(memoText(subject_.remarks.str()));
  shownDate_ = DOBMaskEdit->text();
  shownWeight_ = WeightEdit->text();
  shownHeight_ = HeightEdit->text();
}

bool PatientForm::WeightEditExit() {
  const std::optional<float> weight = floatFrom(WeightEdit, prompter_);
  if (!weight) return false;
  if (*weight < 1.0f || *weight > 250.0f) return refuse(WeightEdit, prompter_, "Enter a value from 1 to 250");
  return true;
}

void PatientForm::OKBitBtnClick() {
  const std::optional<double> born = parseDate(DOBMaskEdit->text().toStdString());
  if (!born) {
    refuse(DOBMaskEdit, prompter_, conversionMessage(DOBMaskEdit->text(), "date"));
    return;
  }
  if (!WeightEditExit()) return;
  const std::optional<float> height = floatFrom(HeightEdit, prompter_);
  if (!height) return;

  bool changed = putText(subject_.lastName, recordBytes(LastNameEdit->text()));
  changed |= putText(subject_.firstName, recordBytes(FirstNameEdit->text()));
  changed |= putText(subject_.id, recordBytes(IDEdit->text()));
  if (const int sex = SexRadioGroup->checkedId(); sex >= 0 && sex != subject_.sex) {
    subject_.sex = static_cast<uint8_t>(sex);
    changed = true;
  }
  // Boxes left as they were shown keep the stored values, which may carry
  // more digits (or a time of day) than the box shows.
  if (DOBMaskEdit->text() != shownDate_) {
    subject_.birthDate = *born;
    changed = true;
  }
  if (WeightEdit->text() != shownWeight_) {
    subject_.weight = *readFloat(WeightEdit->text());
    changed = true;
  }
  if (HeightEdit->text() != shownHeight_) {
    subject_.height = *height;
    changed = true;
  }
  changed |= putText(subject_.diagnosis, recordBytes(DiagnosisEdit->text()));
  changed |= putText(subject_.remarks, memoBytes(CommentsMemo->toPlainText()));
  changed_ = changed;
  accept();
}

}  // namespace vode
