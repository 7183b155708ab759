#include "dialogs/ZuzuForms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "dialogs/DialogSupport.h"
#include "model/Prompter.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

const char* const RecordingSites[] = {"TRA", "RUant", "LUant", "RML", "LLsup", "RLsup", "LLbas", "RLbas"};

QLabel* heading(QWidget* parent, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

// ---- ZUZU Channels ------------------------------------------------------------

ADNewForm::ADNewForm(ChannelSetup& setup, Prompter& prompter, QWidget* parent)
    : QDialog(parent), setup_(setup), prompter_(prompter) {
  QBoxLayout* column = nullptr;
  QGridLayout* grid = dialogGrid(this, "ADNewForm", "ZUZU Channels", column);
  grid->addWidget(heading(this, "Offset"), 0, 2);
  for (int i = 0; i < Rows; ++i) {
    const QString n = QString::number(i + 1);
    auto* label = new QLabel(n + ":", this);
    Sound[i] = new QComboBox(this);
    Sound[i]->setObjectName("Sound" + n);
    Sound[i]->setEditable(true);
    Sound[i]->setInsertPolicy(QComboBox::NoInsert);
    Sound[i]->lineEdit()->setMaxLength(20);
    if (i > 0) Sound[i]->addItem(QString());
    for (const char* site : RecordingSites) Sound[i]->addItem(site);
    Sound[i]->setMinimumContentsLength(20);
    label->setBuddy(Sound[i]);
    Sound[i]->setAccessibleName(label->text());
    Sound[i]->setAccessibleDescription("Name of sound channel " + n);
    Offset[i] = new QCheckBox(this);
    Offset[i]->setObjectName("Offset" + n);
    Offset[i]->setAccessibleName("Offset " + n);
    grid->addWidget(label, i + 1, 0);
    grid->addWidget(Sound[i], i + 1, 1);
    grid->addWidget(Offset[i], i + 1, 2, Qt::AlignCenter);

    Sound[i]->setEditText(recordText(setup_.channelNames[i].str()).trimmed());
    Offset[i]->setChecked(setup_.offsetRemoval[i] != 0);
  }
  Sound[0]->setToolTip("Specify name for sound channel #1");
  addOkCancel(this, column, [this] { OKBitBtnClick(); });
}

void ADNewForm::OKBitBtnClick() {
  if (Sound[0]->currentText().trimmed().isEmpty()) {
    refuse(Sound[0], prompter_, "Channel #1 must be utilized");
    return;
  }
  int count = 0;
  bool gap = false;
  for (int i = 0; i < Rows; ++i) {
    if (Sound[i]->currentText().trimmed().isEmpty()) {
      gap = true;
      continue;
    }
    if (gap) {
      refuse(Sound[i], prompter_, "Sequential channels must be utilized");
      return;
    }
    ++count;
  }
  // Older recordings of one or two channels always had their offsets removed.
  if (count <= 2 && !(Offset[0]->isChecked() && Offset[1]->isChecked())) {
    refuse(Offset[0], prompter_,
           "Channels 1 and 2 must have offset checked\rin order to be consistent with older recordings.");
    return;
  }
  setup_.setupChannelCount = static_cast<int16_t>(count);
  for (int i = 0; i < Rows; ++i) {
    putText(setup_.channelNames[i], recordBytes(Sound[i]->currentText().trimmed()));
    setup_.offsetRemoval[i] = Offset[i]->isChecked() ? 1 : 0;
  }
  accept();
}

// ---- ZUZU Save As --------------------------------------------------------------

ADSaveForm::ADSaveForm(const RecordingBundle& doc, DosExportRows& rows, const std::string& prefix,
                       Prompter& prompter, QWidget* parent)
    : QDialog(parent), rows_(rows), prompter_(prompter) {
  QBoxLayout* column = nullptr;
  QGridLayout* grid = dialogGrid(this, "ADSaveForm", "ZUZU Save As", column);
  auto* prefixLabel = new QLabel("Prefix = " + QString::fromStdString(prefix), this);
  prefixLabel->setObjectName("PrefixLabel");
  auto* title = new QLabel(doc.isResp() ? "DOS Channels + RESP" : "DOS Channels + FLOW", this);
  title->setObjectName("Heading");
  column->insertWidget(0, prefixLabel);
  column->insertWidget(1, title);

  QStringList channels{QString()};
  const int n = doc.recording ? doc.recording->channelCount : 0;
  for (int c = 0; c < n; ++c) channels << recordText(doc.channelSetup.channelNames[c].str()).trimmed();

  const char* captions[] = {"Postfix", "Aux", "Sound A", "Sound B"};
  for (int k = 0; k < 4; ++k) grid->addWidget(heading(this, captions[k]), 0, k);
  auto dropDown = [&](const char* name, int row, int16_t stored) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString("%1%2").arg(name).arg(row + 1));
    box->addItems(channels);
    // A row kept from a wider recording may name a channel this one lacks.
    box->setCurrentIndex(stored > 0 && stored < channels.size() ? stored : 0);
    return box;
  };
  for (int r = 0; r < Rows; ++r) {
    const QString n1 = QString::number(r + 1);
    Postfix[r] = new QLineEdit(QString::fromStdString(rows_[r].postfix.str()), this);
    Postfix[r]->setObjectName("Postfix" + n1);
    Postfix[r]->setMaxLength(5);
    Aux[r] = dropDown("Aux", r, rows_[r].aux);
    A[r] = dropDown("A", r, rows_[r].soundA);
    B[r] = dropDown("B", r, rows_[r].soundB);
    QWidget* boxes[] = {Postfix[r], Aux[r], A[r], B[r]};
    for (int k = 0; k < 4; ++k) {
      boxes[k]->setAccessibleName(QString(captions[k]) + " " + n1);
      grid->addWidget(boxes[k], r + 1, k);
    }
    // Connected after the stored choices are in, so opening keeps the stored postfix.
    for (QComboBox* box : {Aux[r], A[r], B[r]})
      connect(box, &QComboBox::currentIndexChanged, this, [this, r] { choiceChanged(r); });
  }
  addOkCancel(this, column, [this] { OKBitBtnClick(); });
}

int16_t ADSaveForm::indexOf(const QComboBox* box) { return static_cast<int16_t>(std::max(0, box->currentIndex())); }

void ADSaveForm::choiceChanged(int row) {
  Postfix[row]->setText(QString::fromStdString(dosExportPostfix(indexOf(Aux[row]), indexOf(A[row]), indexOf(B[row]))));
}

void ADSaveForm::OKBitBtnClick() {
  for (int r = 0; r < Rows; ++r) {
    const QString postfix = Postfix[r]->text().trimmed();
    const int16_t aux = indexOf(Aux[r]), a = indexOf(A[r]), b = indexOf(B[r]);
    if (postfix.isEmpty()) {
      if (aux > 0 || a > 0 || b > 0) {
        refuse(Postfix[r], prompter_, "Please specify a postfix for the filename");
        return;
      }
    } else if (a == 0) {
      refuse(A[r], prompter_, "Please make a choice for DOS channel 3 (Sound A)");
      return;
    }
    rows_[r].postfix = recordBytes(postfix);
    rows_[r].aux = aux;
    rows_[r].soundA = a;
    rows_[r].soundB = b;
  }
  accept();
}

}  // namespace vode
