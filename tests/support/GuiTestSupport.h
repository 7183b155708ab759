// Helpers of the window tests: a prompter that answers from a script and a
// main window with its lifecycle commands in temporary folders.
#pragma once

#include <QEvent>
#include <QPoint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/DocumentCommands.h"
#include "support/TestSupport.h"
#include "workspace/GuiPrompter.h"
#include "viewer/MainForm.h"

namespace vode::test {

class ScriptedGuiPrompter : public GuiPrompter {
 public:
  struct Entry {
    MessageKind kind;
    std::string text;
  };
  std::vector<Entry> messages;
  std::vector<std::string> questions;
  std::deque<Answer> answers;
  std::deque<std::string> openChoices;  // empty string: cancel
  struct SaveChoice {
    std::string path;
    int type = 1;
  };
  std::deque<SaveChoice> saveChoices;
  std::string proposedSaveName;
  int proposedSaveType = 0;
  std::deque<bool> printChoices;  // true: the print dialog is confirmed
  int printDialogs = 0;
  int startUpBoxes = 0;
  int aboutBoxes = 0;
  std::vector<std::string> desktopOpens;
  std::function<void()> onMessage;  // runs as each message is shown

  void message(MessageKind kind, const std::string& text) override {
    messages.push_back({kind, text});
    if (onMessage) onMessage();
  }
  Answer ask(const std::string& text, Buttons, Answer defaultAnswer) override {
    questions.push_back(text);
    if (answers.empty()) return defaultAnswer;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  void showStartUpBox() override { ++startUpBoxes; }
  void showAboutBox() override { ++aboutBoxes; }
  std::string openTitle, saveTitle;  // of the last dialogs
  std::string chooseOpenFile(const std::vector<FileType>&, const std::string& title = "Open") override {
    openTitle = title;
    if (openChoices.empty()) return {};
    std::string path = openChoices.front();
    openChoices.pop_front();
    return path;
  }
  bool chooseSaveFile(const std::vector<FileType>&, std::string& path, int& typeIndex,
                      const std::string& title = "Save As") override {
    saveTitle = title;
    proposedSaveName = path;
    proposedSaveType = typeIndex;
    if (saveChoices.empty()) return false;
    path = saveChoices.front().path;
    typeIndex = saveChoices.front().type;
    saveChoices.pop_front();
    return true;
  }
  bool openWithDesktop(const std::string& path) override {
    desktopOpens.push_back(path);
    return true;
  }
  bool choosePrinter() override {
    ++printDialogs;
    if (printChoices.empty()) return false;
    const bool confirmed = printChoices.front();
    printChoices.pop_front();
    return confirmed;
  }

  bool saw(const std::string& text) const;
  bool asked(const std::string& text) const;
};

// A main window and its commands with private configuration and temporary
// folders, shown as at start-up (without a command-line file).
class WindowFixture {
 public:
  explicit WindowFixture(bool developer = false);
  ~WindowFixture();

  TMainForm& form() { return *form_; }
  DocumentCommands& commands() { return *commands_; }
  Document& doc() { return form_->document(); }
  DisplayState& state() { return form_->display(); }

  // Puts a recording into the document as an open would leave it.
  void load(Recording recording, const std::string& name = "/tmp/test.mer");
  // File/Open of path: the open job, the analysis and Play; the reader's code.
  int open(const std::string& path);
  // A copy of that file of the reference data in the temporary folder (as
  // name), so a test may save over it; its path.
  std::string copyOfTestdata(const std::string& file, const std::string& name);

  TempDir config;
  TempDir temp;
  ScriptedGuiPrompter prompter;

 private:
  std::unique_ptr<TMainForm> form_;
  DocumentCommands* commands_ = nullptr;
};

// The control of that object name in the window: tests find controls by
// their names, the program never does.
QWidget* control(const QWidget& form, const QString& name);
// The text of the label of that object name.
QString labelText(const QWidget& form, const QString& name);
// Runs the event loop until the workspace's jobs have ended (at most 20 s).
void waitUntilIdle(Workspace& ws);
// The five large-pane axis labels, top to bottom, joined by commas.
QString largeLabels(TMainForm& form);
// The window's caption as its title bar and a screen reader show it: the
// modified mark is a "*" at its end.
QString shownCaption(QWidget& window);
// Clicks the button of that object name.
void click(TMainForm& form, const char* name);
// Checks a radio item as an assistive tool does: by its toggle action, which sends no click.
void toggleAccessibly(QWidget* item);
// A mouse event sent straight to a widget; a press holds its own button.
void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);

}  // namespace vode::test
