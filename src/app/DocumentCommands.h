// The document lifecycle of the window: what happens when it is first shown,
// the File menu's commands (Open, the recent entries, Save, Save As, Close,
// Exit), Delete Channel and Normalize Channels, the close query and the Help
// entries. They ask their questions and show their dialogs, and change the
// document through the workspace, which tells the window what changed.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

// Qt defines "slots" as a keyword macro; the recent list has a member of
// that name.
#pragma push_macro("slots")
#undef slots
#include "formats/RecentFiles.h"
#pragma pop_macro("slots")
#include "formats/DosDat.h"
#include "formats/FileNames.h"
#include "workspace/GuiPrompter.h"

class QDialog;

namespace vode {

class Document;
class TMainForm;
class Workspace;

class DocumentCommands : public QObject {
  Q_OBJECT

 public:
  explicit DocumentCommands(TMainForm& form);

  // The types of the Open dialog and of Save As.
  static const std::vector<FileType>& openTypes();
  static const std::vector<FileType>& saveTypes();

  // Main window first shown: menus, recent list, default settings, the
  // display, and the one command-line argument opened.
  void firstShown(const QStringList& arguments);

  // Save-changes prompt: true to go on, false when cancelled.
  bool saveChangesPrompt();

  void OpenClick();
  void RecentClick(int slot);  // slot from 1
  // The open sequence for a path, then the analysis and Play; a job, whose
  // end lists the file among the recent ones when it was read and says in
  // the status bar when it was resampled or has no breath signal.
  void openPath(const std::string& path);
  // A file dropped onto the window: the save-changes prompt, then the open.
  void dropped(const std::string& path);
  void SaveClick();
  // true when the recording (or an export of it) was written.
  bool SaveAsClick();
  void CloseClick();
  void DeleteChannelClick();
  void NormalizeChannelsClick();
  void HelpClick();
  void AboutClick();

  // The window may close only when the save-changes prompt goes on.
  bool closeQuery();
  // On close the recent-file list is written.
  void formClose();

  const RecentFiles& recentFiles() const { return recent_; }

  // How "ZUZU Save As" is shown; QDialog::exec() unless a test answers it.
  std::function<int(QDialog&)> runDialog;
  // The DOS export's rows, kept from one showing of "ZUZU Save As" to the next.
  DosExportRows& dosExportRows() { return dosRows_; }

 private:
  Document& doc();
  Workspace& workspace();
  GuiPrompter& prompter();
  const std::string& folder();
  int saveRecordingTo(const std::string& path);
  // Save As "DOS M.E.R.O. File (*.dat)" of a recording wider than two
  // channels: the rows chosen in "ZUZU Save As", one file each.
  bool dosExportByRows(const std::string& path);
  void addRecent(const std::string& path);
  QStringList openNotices();

  TMainForm& form_;
  RecentFiles recent_;
  DosExportRows dosRows_;
};

}  // namespace vode
