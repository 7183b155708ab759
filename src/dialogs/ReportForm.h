// "Research Report": the channel, the power units and the file of one report,
// and whether it replaces the file (Save) or is added to its end (Log). One
// dialog lives for the whole run and keeps what was typed and chosen in it:
// the power panel's Log button writes to the name left here.
#pragma once

#include <QDialog>
#include <string>

#include "reports/ReportKind.h"

class QButtonGroup;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vode {

class GuiPrompter;
struct RecordingBundle;

// The report file a typed name stands for: blanks around it removed and its
// extension made ".txt" ("results.csv" and "results" both give results.txt).
std::string reportFileName(const QString& typed);

class RReportForm : public QDialog {
  Q_OBJECT

 public:
  explicit RReportForm(GuiPrompter& prompter, QWidget* parent = nullptr);

  // Readies the dialog for a report of this kind on the document: the caption,
  // the channel choice (radio items for up to two channels, the drop-down for
  // more) set to currentChannel, the units enabled for spectral kinds only,
  // and the working folder.
  void prepare(ReportKind kind, const RecordingBundle& doc, int currentChannel);

  // After OK: the file (".txt" forced) and whether to append to it. A Log
  // to a file that does not exist yet has become a Save.
  const std::string& fileName() const { return fileName_; }
  bool logging() const { return logging_; }
  // The chosen channel (0-based) and units; they outlive a Cancel.
  int channel() const { return channel_; }
  bool watts() const;
  // The file the Log button appends to: the name as it stands in the box.
  std::string typedFileName() const;

  // Save and Log: checks the name, asks before replacing a file, takes the
  // channel and closes with OK.
  void SaveButtonClick(bool log);
  // A channel item clicked: it becomes the chosen channel, lowered to the
  // recording's last channel.
  void ChannelRadioGroupClick();
  // A file dialog in the working folder; the chosen file goes into the box.
  void BrowseButtonClick();

 private:
  GuiPrompter& prompter_;
  int channelCount_ = 0;  // of the open recording, 0 without one
  int channel_ = 0;
  bool logging_ = false;
  std::string fileName_;

  QGroupBox* ChannelRadioGroup = nullptr;
  QButtonGroup* channelButtons_ = nullptr;
  QFrame* ChannelPanel = nullptr;
  QComboBox* ChannelComboBox = nullptr;
  QGroupBox* PowerRadioGroup = nullptr;
  QButtonGroup* powerButtons_ = nullptr;
  QLineEdit* FilenameEdit = nullptr;
  QLabel* PathLabel = nullptr;
};

}  // namespace vode
