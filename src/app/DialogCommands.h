// The Edit menu's record and preference dialogs, "&Analysis Parameters..."
// and File/"E&xtract...": each shows its dialog, which edits the document's
// records, and then tells the workspace what changed.
#pragma once

#include <QObject>
#include <functional>

class QDialog;

namespace vode {

class TMainForm;

class DialogCommands : public QObject {
  Q_OBJECT

 public:
  explicit DialogCommands(TMainForm& form);

  // How a dialog is shown; QDialog::exec() unless a test answers it.
  std::function<int(QDialog&)> runDialog;

  void SubjectClick();
  void CommentsClick();
  void LaboratoryClick();
  void PreferencesClick();
  void AnalysisParametersClick();
  void ExtractClick();
  // File/"ZUZU": the channel set-up of new recordings ("ZUZU Channels").
  void ZUZUClick();

 private:
  bool show(QDialog& dialog);
  // A record dialog was accepted; marksModified when the edit travels with
  // the recording.
  void recordEdited(bool marksModified);

  TMainForm& form_;
};

}  // namespace vode
