// The window's side of the Prompter seam: besides message boxes and questions,
// the start-up and about boxes, the file and print dialogs and the browser for
// the manual. The program shows real dialogs; --screenshot and the tests
// answer them without a person.
#pragma once

#include <string>
#include <vector>

#include "model/Prompter.h"

namespace vode {

// One entry of a file dialog's type list: "M.E.R.O. Recording", "*.mer".
struct FileType {
  std::string description;
  std::string pattern;
};

class GuiPrompter : public Prompter {
 public:
  // Shown once while the main window is being created.
  virtual void showStartUpBox() = 0;
  // Help/"&About".
  virtual void showAboutBox() = 0;

  // The open dialog, existing files only; empty when cancelled. title is the
  // caption of the command that shows it.
  virtual std::string chooseOpenFile(const std::vector<FileType>& types, const std::string& title = "Open") = 0;

  // The save dialog. path comes in as the proposed name and goes out as the
  // chosen path; typeIndex (from 1) as the selected and then the chosen type.
  // false when cancelled.
  virtual bool chooseSaveFile(const std::vector<FileType>& types, std::string& path, int& typeIndex,
                              const std::string& title = "Save As") = 0;

  // Opens a document with the desktop's viewer; false when that failed.
  virtual bool openWithDesktop(const std::string& path) = 0;

  // The print dialog; false when cancelled. A prompter without a person
  // cancels it.
  virtual bool choosePrinter() { return false; }
};

}  // namespace vode
