#include "app/NewRecordingCommand.h"

#include <QDialog>

#include "app/DocumentCommands.h"
#include "dialogs/AcquireForm.h"
#include "dialogs/PatientForm.h"
#include "formats/SettingsFiles.h"
#include "viewer/MainForm.h"

namespace vode {

NewRecordingCommand::NewRecordingCommand(TMainForm& form, DocumentCommands& commands)
    : QObject(&form), form_(form), commands_(commands) {
  runDialog = [](QDialog& dialog) { return dialog.exec(); };
  form_.setNewRecordingCommand([this] { NewClick(); });
}

void NewRecordingCommand::refresh() {
  form_.adjust_to_prefs();
  form_.UpdateMenus();
  form_.UpdateScreen();
}

void NewRecordingCommand::NewClick() {
  AcquisitionDevice* device = form_.acquisitionDevice();
  if (!device || !commands_.saveChangesPrompt()) return;
  Document& doc = form_.document();
  const std::string& folder = form_.programDir();

  // The defaults, but the subject and the channel set-up carry over.
  SubjectRecord subject = doc.subject;
  ChannelSetup setup = doc.channelSetup;
  loadDefaultSettings(doc, folder, form_.prompter(), form_.progress());
  form_.resetViewer();
  refresh();
  doc.subject = subject;
  doc.channelSetup = setup;

  PatientForm patient(doc.subject, form_.prompter(), &form_);
  if (runDialog(patient) != QDialog::Accepted) return;

  AcquireForm window(doc, *device, form_.audioOutput(), form_.prompter(), &form_);
  window.useMonitor(form_.monitorOutput());
  if (runDialog(window) == QDialog::Accepted) {
    if (!doc.hasRecording()) saveSettings(doc, folder, form_.prompter(), form_.progress());
    doc.state.currentFileName = "Untitled";
    if (doc.hasRecording() && doc.preferences.analyseOnOpen) form_.DoAnalyzeClick(false);
    doc.state.modified = true;
    refresh();
    if (doc.hasRecording()) form_.playAfterLoading();
    return;
  }
  // Nothing is kept of the take, but what was entered for it is.
  subject = doc.subject;
  setup = doc.channelSetup;
  doc.reset();
  form_.resetViewer();
  doc.subject = subject;
  doc.channelSetup = setup;
  refresh();
}

}  // namespace vode
