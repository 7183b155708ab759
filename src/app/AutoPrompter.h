// The prompter of an unattended run (--screenshot): every box is answered
// with its default button and its text goes to stderr; dialogs are cancelled.
#pragma once

#include <ostream>

#include "workspace/GuiPrompter.h"

namespace vode {

class AutoPrompter : public GuiPrompter {
 public:
  explicit AutoPrompter(std::ostream& out) : out_(out) {}

  void message(MessageKind kind, const std::string& text) override;
  Answer ask(const std::string& text, Buttons buttons, Answer defaultAnswer) override;
  void showStartUpBox() override {}
  void showAboutBox() override {}
  std::string chooseOpenFile(const std::vector<FileType>&, const std::string& = "Open") override { return {}; }
  bool chooseSaveFile(const std::vector<FileType>&, std::string&, int&, const std::string& = "Save As") override {
    return false;
  }
  bool openWithDesktop(const std::string&) override { return false; }

  int messageCount() const { return messages_; }

 private:
  std::ostream& out_;
  int messages_ = 0;
};

}  // namespace vode
