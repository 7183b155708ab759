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
    form_.connectCommand(name, std::move(slot), this);
    form_.makeCommandAvailable(name);
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

void DialogCommands::settingsChanged() {
  Document& doc = form_.document();
  vode::settingsChanged(doc, doc.state.programDir, form_.prompter(), form_.progress());
}

void DialogCommands::SubjectClick() {
  Document& doc = form_.document();
  PatientForm dialog(doc.subject, form_.prompter(), &form_);
  // The subject travels inside the recording file, so an edit must not be
  // lost on close.
  if (show(dialog) && dialog.changed() && doc.hasRecording()) doc.state.modified = true;
}

void DialogCommands::CommentsClick() {
  Document& doc = form_.document();
  InterpForm dialog(doc.comments, &form_);
  if (show(dialog) && dialog.changed() && doc.hasRecording()) doc.state.modified = true;
}

void DialogCommands::LaboratoryClick() {
  FacilityForm dialog(form_.document().laboratory, &form_);
  if (show(dialog)) settingsChanged();
}

void DialogCommands::AnalysisParametersClick() {
  AparmsForm dialog(form_.document().analysisParameters, form_.prompter(), &form_);
  if (show(dialog)) settingsChanged();
}

void DialogCommands::PreferencesClick() {
  Document& doc = form_.document();
  PrefsForm dialog(doc, form_.prompter(), &form_);
  if (!show(dialog)) return;
  form_.refresh_to_prefs();
  settingsChanged();
  if (dialog.reanalysisDue() && doc.hasRecording()) form_.DoAnalyzeClick();
  if (doc.spectra && dialog.imagesOutOfDate()) form_.rebuildImages();
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
  form_.runInBackground([&](ProgressSink& progress, Prompter& workerPrompter) {
    saveRecordingFile(doc, path, range.first, range.last, workerPrompter, progress);
  });
  doc.state.modified = kept.modified;
  doc.state.currentFileName = kept.currentFileName;
  form_.UpdateMenus();
}

void DialogCommands::ZUZUClick() {
  Document& doc = form_.document();
  ADNewForm dialog(doc.channelSetup, form_.prompter(), &form_);
  if (!show(dialog)) return;
  form_.refresh_to_prefs();
  settingsChanged();
}

}  // namespace vode
