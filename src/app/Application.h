// The program's windows in their order of creation, the interactive run and
// the unattended screenshot run.
#pragma once

#include <QString>
#include <memory>
#include <ostream>

#include "app/LaunchOptions.h"
#include "viewer/MainForm.h"

namespace vode {

class DialogCommands;
class DocumentCommands;
class ReportCommands;
class GuiPrompter;
class InfoBox;

// The configuration folder, the program's folder, a temporary folder and the manual.
WindowOptions defaultWindowOptions(const QString& tempDir);

// The manual's index.html for a program in programDir: the installed copy
// (PREFIX/share/rezu-vode/manual beside PREFIX/bin), else the copy a build
// folder links to the source tree (programDir/manual). When neither exists,
// the installed path, so a message can say where it was looked for.
std::string findManual(const QString& programDir);

class Application {
 public:
  Application(GuiPrompter& prompter, const WindowOptions& options);
  ~Application();

  TMainForm& form() { return *form_; }
  DocumentCommands& commands() { return *commands_; }
  DialogCommands& dialogs() { return *dialogs_; }
  ReportCommands& reports() { return *reports_; }
  InfoBox& aboutBox() { return *about_; }

 private:
  std::unique_ptr<TMainForm> form_;
  DocumentCommands* commands_ = nullptr;  // owned by the form
  DialogCommands* dialogs_ = nullptr;     // owned by the form
  ReportCommands* reports_ = nullptr;     // owned by the form
  std::unique_ptr<InfoBox> about_;
};

// The window on screen until it closes; the exit code (1 when the --device
// asked for cannot be made).
int runProgram(const LaunchOptions& options);

// vode --list-devices: one line per device, what --device takes and what it is.
void printAcquisitionDevices(std::ostream& out);

// Opens and analyses the file, sets the display as asked, renders the window
// off-screen into a PNG. Box texts go to err. The exit code: 0, 1 when the file
// could not be opened or the picture not written.
int takeScreenshot(const LaunchOptions& options, WindowOptions windowOptions, std::ostream& err);

}  // namespace vode
