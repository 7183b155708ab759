#include "app/DialogCommands.h"

#include <QAction>
#include <QDialog>
#include <QFileInfo>

#include "app/DocumentCommands.h"
#include "dialogs/ExtractForm.h"
#include "dialogs/PatientForm.h"
#include "dialogs/PrefsForm.h"
#include "dialogs/RecordForms.h"
#include "dialogs/ZuzuForms.h"
#include "formats/BlockFile.h"
#include "formats/SettingsFiles.h"
#include "document/Document.h"
#include "viewer/MainForm.h"

namespace vode {

DialogCommands::DialogCommands(TMainForm& form) : QObject(&form), form_(form) {
  runDialog = [](QDialog& dialog) { return dialog.exec(); };
  auto on = [this](const char* name, std::function<void()> slot) {
    form_.workspace().commands().bind(name, std::move(slot));
  };
  on("Subject1", [this] { SubjectClick(); });
  on("Comments1", [this] { CommentsClick(); });
  on("Laboratory1", [this] { LaboratoryClick(); });
  on("Preferences1", [this] { PreferencesClick(); });
  on("AnalysisParameters1", [this] { AnalysisParametersClick(); });
  on("Extract1", [this] { ExtractClick(); });
  on("ZUZU1", [this] { ZUZUClick(); });
}

bool DialogCommands::show(QDialog& dialog) { return runDialog(dialog) == QDialog::Accepted; }

void DialogCommands::recordEdited(bool marksModified) {
  Document& doc = form_.document();
  // The subject and comments travel inside the recording file, so an edit
  // must not be lost on close.
  if (marksModified && doc.hasRecording()) doc.state.modified = true;
  form_.workspace().notify(Changes(Change::Records) | Change::FileName);
}

void DialogCommands::SubjectClick() {
  PatientForm dialog(form_.document().subject, form_.prompter(), &form_);
  form_.workspace().edit(Part::Records, [&] {
    if (show(dialog)) recordEdited(dialog.changed());
  });
}

void DialogCommands::CommentsClick() {
  InterpForm dialog(form_.document().comments, &form_);
  form_.workspace().edit(Part::Records, [&] {
    if (show(dialog)) recordEdited(dialog.changed());
  });
}

void DialogCommands::LaboratoryClick() {
  FacilityForm dialog(form_.document().laboratory, &form_);
  form_.workspace().edit(Part::Records, [&] {
    if (!show(dialog)) return;
    form_.workspace().settingsChanged();
    recordEdited(false);
  });
}

void DialogCommands::AnalysisParametersClick() {
  AparmsForm dialog(form_.document().analysisParameters, form_.prompter(), &form_);
  if (!show(dialog)) return;
  form_.workspace().settingsChanged();
  recordEdited(false);
}

void DialogCommands::PreferencesClick() {
  Workspace& ws = form_.workspace();
  Document& doc = ws.document();
  PrefsForm dialog(doc, form_.prompter(), &form_);
  if (!show(dialog)) return;
  ws.notify(Change::Settings);
  ws.settingsChanged();
  if (dialog.reanalysisDue() && doc.hasRecording()) ws.retag();
  // New images for the new range once the tags are in.
  if (dialog.imagesOutOfDate())
    ws.whenIdle([&ws] {
      if (ws.document().spectra) ws.rebuildImages();
    });
}

void DialogCommands::ExtractClick() {
  Document& doc = form_.document();
  if (!doc.recording) return;
  GuiPrompter& prompter = form_.prompter();
  static const std::vector<FileType> types = {DocumentCommands::saveTypes().front()};
  std::string path = proposedSaveName(doc.state.currentFileName);
  int type = 1;
  if (!prompter.chooseSaveFile(types, path, type) || path.empty()) return;
  path = replaceExtension(path, ".mer");
  if (QFileInfo::exists(QString::fromStdString(path)) &&
      prompter.ask("Overwrite " + path + "?", Buttons::YesNo, Answer::No) != Answer::Yes)
    return;
  ExtractForm dialog(path, doc.recording->segmentCount, prompter, &form_);
  if (!show(dialog)) return;

  // A part saved elsewhere changes neither the document's name nor whether
  // the document itself still needs saving.
  const DocumentState kept = doc.state;
  const ExtractRange range = dialog.range();
  saveRecordingFile(doc, path, range.first, range.last, prompter, form_.progress());
  doc.state.modified = kept.modified;
  doc.state.currentFileName = kept.currentFileName;
  form_.workspace().notify(Change::FileName);
}

void DialogCommands::ZUZUClick() {
  Document& doc = form_.document();
  ADNewForm dialog(doc.channelSetup, form_.prompter(), &form_);
  if (!show(dialog)) return;
  form_.workspace().notify(Change::Settings);
  form_.workspace().settingsChanged();
}

}  // namespace vode
