// The prompter of the running program: real message boxes and dialogs.
#pragma once

#include <QPointer>
#include <QWidget>

#include "workspace/GuiPrompter.h"

namespace vode {

class InfoBox;

// The caption of plain messages: the application's title.
constexpr const char* ApplicationTitle = "M.E.R.O.";

// Turns the "\r" line breaks of the program's texts into Qt's.
QString boxText(const std::string& text);

class WidgetPrompter : public GuiPrompter {
 public:
  // Boxes are centred on this window once it exists.
  void setWindow(QWidget* window) { window_ = window; }
  // The about box is created in its place among the program's windows.
  void setAboutBox(InfoBox* box) { about_ = box; }

  void message(MessageKind kind, const std::string& text) override;
  Answer ask(const std::string& text, Buttons buttons, Answer defaultAnswer) override;
  void showStartUpBox() override;
  void showAboutBox() override;
  std::string chooseOpenFile(const std::vector<FileType>& types, const std::string& title = "Open") override;
  bool chooseSaveFile(const std::vector<FileType>& types, std::string& path, int& typeIndex,
                      const std::string& title = "Save As") override;
  bool openWithDesktop(const std::string& path) override;
  bool choosePrinter() override;

 private:
  QPointer<QWidget> window_;
  InfoBox* about_ = nullptr;
};

}  // namespace vode
