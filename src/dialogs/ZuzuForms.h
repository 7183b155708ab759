// The two dialogs for recordings of more than two sound channels:
// "ZUZU Channels" names up to seven input channels and chooses which have
// their DC offset removed; "ZUZU Save As" splits a wider recording into DOS
// data files of one aux and one or two sound channels each.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "formats/DosDat.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vode {

class Prompter;
struct ChannelSetup;
struct RecordingBundle;

class ADNewForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr int Rows = 7;

  ADNewForm(ChannelSetup& setup, Prompter& prompter, QWidget* parent = nullptr);
  // Stores and accepts when channel 1 is named, the named channels follow
  // each other, and with one or two of them both offsets are checked.
  void OKBitBtnClick();

 private:
  ChannelSetup& setup_;
  Prompter& prompter_;
  std::array<QComboBox*, Rows> Sound{};
  std::array<QCheckBox*, Rows> Offset{};
};

class ADSaveForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr int Rows = 4;

  // doc: the open recording (its channel names and breath signal); rows: the
  // export rows kept between showings, stored on OK.
  ADSaveForm(const RecordingBundle& doc, DosExportRows& rows, const std::string& prefix, Prompter& prompter,
             QWidget* parent = nullptr);
  // Checks and stores the rows; the files are the caller's to write.
  void OKBitBtnClick();

 private:
  void choiceChanged(int row);
  static int16_t indexOf(const QComboBox* box);

  DosExportRows& rows_;
  Prompter& prompter_;
  std::array<QLineEdit*, Rows> Postfix{};
  std::array<QComboBox*, Rows> Aux{};
  std::array<QComboBox*, Rows> A{};
  std::array<QComboBox*, Rows> B{};
};

}  // namespace vode
