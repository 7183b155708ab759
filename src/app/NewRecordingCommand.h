// File/"&New": a new recording from the acquisition device chosen with
// --device. Asks about unsaved changes, starts from the default settings
// with the previous subject and channel set-up, asks for the subject, runs
// "New Recording", and either keeps the take as an unsaved "Untitled"
// document (analysed when "Analyze on Open" is set, then played) or leaves an
// empty document behind.
#pragma once

#include <QObject>
#include <functional>

class QDialog;

namespace vode {

class DocumentCommands;
class TMainForm;

class NewRecordingCommand : public QObject {
  Q_OBJECT

 public:
  // Hooks itself to "&New", which is enabled while there is a device.
  NewRecordingCommand(TMainForm& form, DocumentCommands& commands);

  // How the subject dialog and the recording window are shown; exec()
  // unless a test runs them.
  std::function<int(QDialog&)> runDialog;

  void NewClick();

 private:

  TMainForm& form_;
  DocumentCommands& commands_;
};

}  // namespace vode
