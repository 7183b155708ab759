#include "support/GuiTestSupport.h"

namespace vode::test {

bool ScriptedGuiPrompter::saw(const std::string& text) const {
  for (const Entry& e : messages)
    if (e.text == text) return true;
  return false;
}

bool ScriptedGuiPrompter::asked(const std::string& text) const {
  for (const std::string& q : questions)
    if (q == text) return true;
  return false;
}

namespace {

WindowOptions optionsFor(const TempDir& config, const TempDir& temp) {
  WindowOptions options;
  options.configDir = config.path().string() + "/";
  options.tempDir = temp.path().string() + "/";
  return options;
}

}  // namespace

WindowFixture::WindowFixture() {
  form_ = std::make_unique<TMainForm>(prompter, optionsFor(config, temp));
  commands_ = new DocumentCommands(*form_);
  commands_->firstShown({});
  // A fresh configuration folder has no default settings.
  prompter.messages.clear();
}

WindowFixture::~WindowFixture() { form_.reset(); }

void WindowFixture::load(Recording recording, const std::string& name) {
  doc().recording = std::make_unique<Recording>(std::move(recording));
  doc().state.currentFileName = name;
  doc().prepareOpenedRecording();
  form_->resetViewer();
  form_->adjust_to_prefs();
  form_->UpdateMenus();
  form_->UpdateScreen();
}

}  // namespace vode::test
