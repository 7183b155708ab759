#include "app/DocumentCommands.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "dialogs/ZuzuForms.h"
#include "formats/BlockFile.h"
#include "formats/OpenFile.h"
#include "formats/SettingsFiles.h"
#include "document/Document.h"
#include "document/OpenDocument.h"
#include "viewer/MainForm.h"

namespace vode {

namespace {

const char* const Untitled = "Untitled";

bool fileExists(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }

}  // namespace

const std::vector<FileType>& DocumentCommands::openTypes() {
  static const std::vector<FileType> types = {{"M.E.R.O. Recording", "*.mer"},
                                              {"M.E.R.O. Binary File Format", "*.bin"},
                                              {"WAV File (10240 Hz)", "*.wav"},
                                              {"DOS M.E.R.O. File", "*.dat"}};
  return types;
}

const std::vector<FileType>& DocumentCommands::saveTypes() { return openTypes(); }

DocumentCommands::DocumentCommands(TMainForm& form) : QObject(&form), form_(form) {
  runDialog = [](QDialog& dialog) { return dialog.exec(); };
  auto on = [this](const QString& name, std::function<void()> slot) { workspace().commands().bind(name, std::move(slot)); };
  on("Open1", [this] { OpenClick(); });
  on("Save1", [this] { SaveClick(); });
  on("SaveAs1", [this] { SaveAsClick(); });
  on("Close1", [this] { CloseClick(); });
  on("Exit1", [this] { form_.close(); });
  on("DeleteChannel1", [this] { DeleteChannelClick(); });
  on("NormalizeChannels1", [this] { NormalizeChannelsClick(); });
  on("Help1", [this] { HelpClick(); });
  on("About1", [this] { AboutClick(); });
  for (int i = 1; i <= RecentFiles::DefaultSlots; ++i) on(QString("Recent%1").arg(i), [this, i] { RecentClick(i); });
  form_.closeQuery = [this] { return closeQuery(); };
  form_.onClose = [this] { formClose(); };
}

Document& DocumentCommands::doc() { return form_.document(); }
Workspace& DocumentCommands::workspace() { return form_.workspace(); }
GuiPrompter& DocumentCommands::prompter() { return form_.prompter(); }
const std::string& DocumentCommands::folder() { return form_.programDir(); }

void DocumentCommands::firstShown(const QStringList& arguments) {
  form_.firstShown();

  doc().reset();
  recent_ = RecentFiles(form_.recentSlotCount());
  recent_.load(folder());
  form_.showRecentFiles(recent_.entries());
  if (!recent_.empty()) QDir::setCurrent(QString::fromStdString(parentDirectory(recent_.entries().front())));
  // A new user's first start: the settings file is made from the defaults,
  // without warning that it was missing.
  if (form_.options().newConfigFolder)
    saveSettings(doc(), folder(), prompter(), form_.progress());
  else
    loadDefaultSettings(doc(), folder(), prompter(), form_.progress());
  workspace().notify(Change::Recording);

  form_.setStartHints();

  if (arguments.size() == 1) openPath(arguments.front().toStdString());
}

bool DocumentCommands::saveChangesPrompt() {
  Document& d = doc();
  if (!d.state.modified) return true;
  const std::string name = d.state.currentFileName.empty() ? Untitled : d.state.currentFileName;
  const Answer answer = prompter().ask("Save changes to " + name + "?", Buttons::YesNoCancel, Answer::Yes);
  if (answer == Answer::Cancel) return false;
  if (answer == Answer::Yes) {
    // Only a recording file takes the whole document back; anything else
    // (a new recording, an imported WAV, BIN or DOS file) goes through Save As
    // rather than being overwritten in the recording format.
    const bool saved = hasExtension(d.state.currentFileName, ".mer") ? saveRecordingTo(d.state.currentFileName) == 0
                                                                     : SaveAsClick();
    if (!saved) return false;
  }
  d.state.modified = false;
  return true;
}

void DocumentCommands::OpenClick() {
  if (!saveChangesPrompt()) return;
  const std::string path = prompter().chooseOpenFile(openTypes());
  if (!path.empty()) openPath(path);
}

void DocumentCommands::RecentClick(int slot) {
  if (slot < 1 || slot > static_cast<int>(recent_.entries().size())) return;
  const std::string path = recent_.entries()[slot - 1];
  // Unsaved changes are asked about first, as Open does.
  if (!saveChangesPrompt()) return;
  openPath(path);
}

void DocumentCommands::addRecent(const std::string& path) {
  recent_.add(path);
  form_.showRecentFiles(recent_.entries());
  const std::string dir = parentDirectory(path);
  if (!dir.empty()) QDir::setCurrent(QString::fromStdString(dir));
}

void DocumentCommands::openPath(const std::string& path) {
  workspace().open(path, [this, path](int code) {
    if (code != 0) return;
    addRecent(path);
    form_.playAfterLoading();
  });
}

int DocumentCommands::saveRecordingTo(const std::string& path) {
  Document& d = doc();
  if (!d.recording) return 0;
  const int code = saveRecordingFile(d, path, 0, d.recording->segmentCount - 1, prompter(), form_.progress());
  workspace().notify(Change::FileName);
  return code;
}

void DocumentCommands::SaveClick() {
  if (!doc().hasRecording()) return;
  if (doc().state.currentFileName != Untitled) {
    saveRecordingTo(doc().state.currentFileName);
  } else {
    prompter().message(MessageKind::Plain, "Should not get SaveAs from Save");
    SaveAsClick();
  }
}

bool DocumentCommands::SaveAsClick() {
  Document& d = doc();
  if (!d.hasRecording()) return false;
  static const char* const extensions[] = {".mer", ".bin", ".wav", ".dat"};
  std::string path = proposedSaveName(d.state.currentFileName);
  int type = 1;
  if (!prompter().chooseSaveFile(saveTypes(), path, type) || path.empty()) return false;
  type = std::clamp(type, 1, 4);
  path = replaceExtension(path, extensions[type - 1]);
  if (type == 4 && d.recording->channelCount > 2) return dosExportByRows(path);
  if (fileExists(path) && prompter().ask("Overwrite " + path + "?", Buttons::YesNo, Answer::No) != Answer::Yes)
    return false;

  int code = 0;
  if (type == 1) {
    code = saveRecordingTo(path);
    if (code == 0) {
      d.state.currentFileName = path;
      form_.setCaption("R.E.Z.U. Vode " + QString::fromStdString(path));
    }
  } else {
    code = saveByExtension(d, path, prompter(), form_.progress());
  }
  workspace().notify(Change::FileName);
  return code == 0;
}

bool DocumentCommands::dosExportByRows(const std::string& path) {
  Document& d = doc();
  const std::string prefix = dosExportPrefix(path);
  ADSaveForm dialog(d, dosRows_, prefix, prompter(), &form_);
  if (runDialog(dialog) != QDialog::Accepted) return false;
  return writeDosExportRows(d, prefix, dosRows_, prompter()) == 0;
}

void DocumentCommands::CloseClick() {
  if (!saveChangesPrompt()) return;
  workspace().closeDocument();
}

void DocumentCommands::DeleteChannelClick() {
  Document& d = doc();
  if (!d.recording || d.recording->channelCount != 2) return;
  form_.labelTwoChannels();
  const int channel = std::clamp<int>(form_.display().CurrentChannel, 0, 1);
  const std::string question = "Are you sure you want to delete channel #" + std::to_string(channel + 1) + ":" +
                               d.channelSetup.channelNames[channel].str();
  if (prompter().ask(question, Buttons::YesNo, Answer::No) != Answer::Yes) return;
  workspace().deleteChannel(channel);
}

void DocumentCommands::NormalizeChannelsClick() {
  if (!doc().recording) return;
  if (prompter().ask("Are you sure you want to normalize the channel(s)?", Buttons::YesNo, Answer::No) != Answer::Yes)
    return;
  workspace().normalizeChannels();
}

void DocumentCommands::HelpClick() {
  const std::string& manual = form_.helpFile();
  if (!fileExists(manual)) {
    prompter().message(MessageKind::Information, "The manual is not installed: " + manual + " was not found.");
    return;
  }
  if (!prompter().openWithDesktop(manual))
    prompter().message(MessageKind::Information,
                       "The manual " + manual + " could not be opened: the desktop has no web browser for it.");
}

void DocumentCommands::AboutClick() { prompter().showAboutBox(); }

bool DocumentCommands::closeQuery() { return saveChangesPrompt(); }

void DocumentCommands::formClose() { recent_.save(folder()); }

}  // namespace vode
