#include "dialogs/ReportForm.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/DialogSupport.h"
#include "formats/FileNames.h"
#include "model/RecordingBundle.h"
#include "workspace/GuiPrompter.h"

namespace vode {

namespace {

QString channelName(const RecordingBundle& doc, int channel) {
  return recordText(doc.channelSetup.channelNames[channel].str());
}

QRadioButton* addRadio(QGroupBox* group, QButtonGroup* buttons, const QString& name, int id) {
  auto* item = new QRadioButton(group);
  item->setObjectName(name);
  buttons->addButton(item, id);
  group->layout()->addWidget(item);
  return item;
}

}  // namespace

std::string reportFileName(const QString& typed) {
  return replaceExtension(typed.trimmed().toStdString(), ".txt");
}

RReportForm::RReportForm(GuiPrompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter) {
  setObjectName("RReportForm");
  setWindowTitle("Research Report");
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  // The drop-down panel lies over the radio items and hides them when the
  // recording has more channels than two items can offer.
  auto* channelArea = new QWidget(this);
  auto* stack = new QGridLayout(channelArea);
  stack->setContentsMargins(0, 0, 0, 0);
  ChannelRadioGroup = new QGroupBox("Channel", channelArea);
  ChannelRadioGroup->setObjectName("ChannelRadioGroup");
  ChannelRadioGroup->setToolTip("Select sound channel");
  new QVBoxLayout(ChannelRadioGroup);
  channelButtons_ = new QButtonGroup(ChannelRadioGroup);
  addRadio(ChannelRadioGroup, channelButtons_, "ChannelRadio1", 0);
  addRadio(ChannelRadioGroup, channelButtons_, "ChannelRadio2", 1);
  tabToCheckedItem(channelButtons_);
  stack->addWidget(ChannelRadioGroup, 0, 0);
  ChannelPanel = new QFrame(channelArea);
  ChannelPanel->setObjectName("ChannelPanel");
  ChannelPanel->setAutoFillBackground(true);
  auto* panelLayout = new QVBoxLayout(ChannelPanel);
  auto* comboLabel = new QLabel("Channel", ChannelPanel);
  ChannelComboBox = new QComboBox(ChannelPanel);
  ChannelComboBox->setObjectName("ChannelComboBox");
  ChannelComboBox->setAccessibleName("Channel");
  ChannelComboBox->setToolTip("Select sound channel");
  comboLabel->setBuddy(ChannelComboBox);
  panelLayout->addWidget(comboLabel);
  panelLayout->addWidget(ChannelComboBox);
  panelLayout->addStretch();
  stack->addWidget(ChannelPanel, 0, 0);
  ChannelPanel->raise();
  layout->addWidget(channelArea);

  PowerRadioGroup = new QGroupBox("Power Units", this);
  PowerRadioGroup->setObjectName("PowerRadioGroup");
  PowerRadioGroup->setToolTip("Select units for power");
  new QVBoxLayout(PowerRadioGroup);
  powerButtons_ = new QButtonGroup(PowerRadioGroup);
  addRadio(PowerRadioGroup, powerButtons_, "PowerRadio1", 0)->setChecked(true);
  addRadio(PowerRadioGroup, powerButtons_, "PowerRadio2", 1)->setText("Watts");
  tabToCheckedItem(powerButtons_);
  layout->addWidget(PowerRadioGroup);

  auto* nameRow = new QHBoxLayout;
  // A caption says what the box is for and gives it a key of its own.
  auto* nameLabel = new QLabel("&File name", this);
  nameLabel->setObjectName("FilenameLabel");
  FilenameEdit = new QLineEdit(this);
  FilenameEdit->setObjectName("FilenameEdit");
  FilenameEdit->setAccessibleName("File name");
  FilenameEdit->setToolTip("Enter filename for report");
  nameLabel->setBuddy(FilenameEdit);
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(FilenameEdit, 1);
  auto* browse = new QPushButton("Browse...", this);
  browse->setObjectName("BrowseButton");
  browse->setAutoDefault(false);
  browse->setToolTip("Choose the report file");
  nameRow->addWidget(browse);
  layout->addLayout(nameRow);
  PathLabel = new QLabel(this);
  PathLabel->setObjectName("PathLabel");
  layout->addWidget(PathLabel);

  auto* buttons = new QHBoxLayout;
  auto* save = new QPushButton("Save", this);
  save->setObjectName("SaveButton");
  save->setToolTip("Save report to file");
  save->setDefault(true);
  auto* log = new QPushButton("Log", this);
  log->setObjectName("LogButton");
  log->setToolTip("Append report to file");
  log->setAutoDefault(false);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("CancelButton");
  cancel->setAutoDefault(false);
  buttons->addStretch();
  for (QPushButton* b : {save, log, cancel}) buttons->addWidget(b);
  layout->addLayout(buttons);

  connect(save, &QPushButton::clicked, this, [this] { SaveButtonClick(false); });
  connect(log, &QPushButton::clicked, this, [this] { SaveButtonClick(true); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(browse, &QPushButton::clicked, this, [this] { BrowseButtonClick(); });
  connect(channelButtons_, &QButtonGroup::idClicked, this, [this] { ChannelRadioGroupClick(); });
  // A channel picked from the list is the chosen channel at once, as a radio
  // click is, so that a Log after Cancel reports the channel last picked.
  connect(ChannelComboBox, &QComboBox::activated, this, [this](int index) {
    if (index >= 0) channel_ = index;
  });
}

void RReportForm::prepare(ReportKind kind, const RecordingBundle& doc, int currentChannel) {
  setWindowTitle(reportTitle(kind));
  channelCount_ = doc.hasRecording() ? doc.recording->channelCount : 0;
  for (int i = 0; i < 2; ++i) {
    // A "&" in a channel name is text, not an accelerator mark.
    const QString name = channelName(doc, i).replace("&", "&&");
    channelButtons_->button(i)->setText(QString("&%1: %2").arg(i + 1).arg(name));
  }
  if (QAbstractButton* item = channelButtons_->button(currentChannel)) item->setChecked(true);
  PathLabel->setText(QDir::toNativeSeparators(QDir::currentPath()));

  const bool radio = channelCount_ > 0 && channelCount_ <= 2;
  ChannelRadioGroup->setEnabled(radio);
  ChannelPanel->setVisible(!radio);
  ChannelComboBox->setEnabled(!radio);
  ChannelComboBox->clear();
  for (int c = 0; c < channelCount_; ++c) ChannelComboBox->addItem(channelName(doc, c));
  ChannelComboBox->setCurrentIndex(std::clamp(currentChannel, 0, std::max(channelCount_ - 1, 0)));

  powerButtons_->button(0)->setText("dB, ref = " + exponentText(doc.preferences.dBReference));
  PowerRadioGroup->setEnabled(reportUsesPowerUnits(kind));
  // The name is what is most often typed.
  FilenameEdit->setFocus();
  FilenameEdit->selectAll();
}

bool RReportForm::watts() const { return powerButtons_->checkedId() == 1; }

std::string RReportForm::typedFileName() const { return reportFileName(FilenameEdit->text()); }

void RReportForm::ChannelRadioGroupClick() {
  channel_ = std::max(channelButtons_->checkedId(), 0);
  if (channelCount_ > 0 && channel_ > channelCount_ - 1) {
    channel_ = channelCount_ - 1;
    channelButtons_->button(channel_)->setChecked(true);
  }
}

void RReportForm::SaveButtonClick(bool log) {
  logging_ = log;
  // The name is used whole: a path cut to a length would write some other
  // file than the one typed.
  if (FilenameEdit->text().trimmed().isEmpty()) {
    refuse(FilenameEdit, prompter_, "Please enter a valid filename");
    return;
  }
  const std::string name = typedFileName();
  if (!QFileInfo::exists(QString::fromStdString(name))) {
    // Nothing to add to: a Log starts the file as a Save does.
    logging_ = false;
  } else if (!log && prompter_.ask("Overwrite " + name + "?", Buttons::YesNo, Answer::No) != Answer::Yes) {
    return;
  }
  channel_ = channelCount_ > 2 ? std::max(ChannelComboBox->currentIndex(), 0) : std::max(channelButtons_->checkedId(), 0);
  fileName_ = name;
  accept();
}

void RReportForm::BrowseButtonClick() {
  static const std::vector<FileType> types = {{"Report", "*.txt"}, {"All files", "*"}};
  const QString typed = FilenameEdit->text().trimmed();
  std::string path = QDir::current().filePath(typed.isEmpty() ? QString("report.txt") : typed).toStdString();
  int type = 1;
  if (!prompter_.chooseSaveFile(types, path, type) || path.empty()) return;
  // A file in the working folder keeps the short name the box showed.
  const QString chosen = QString::fromStdString(path);
  const QString relative = QDir::current().relativeFilePath(chosen);
  FilenameEdit->setText(relative.startsWith("..") || QFileInfo(relative).isAbsolute() ? chosen : relative);
}

}  // namespace vode
