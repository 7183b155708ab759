#include "support/GuiTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QMouseEvent>

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

WindowOptions optionsFor(const TempDir& config, const TempDir& temp, bool developer) {
  WindowOptions options;
  options.developer = developer;
  options.configDir = config.path().string() + "/";
  options.tempDir = temp.path().string() + "/";
  options.manualFile = config.file("manual.html");
  return options;
}

}  // namespace

WindowFixture::WindowFixture(bool developer) {
  form_ = std::make_unique<TMainForm>(prompter, optionsFor(config, temp, developer));
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

QString largeLabels(TMainForm& form) {
  QStringList texts;
  for (int i = 5; i >= 1; --i) texts << form.labelText(QString("SonoLabel%1").arg(i));
  return texts.join(",");
}

void click(TMainForm& form, const char* name) { static_cast<QAbstractButton*>(form.control(name))->click(); }

void toggleAccessibly(QWidget* item) {
  QAccessible::queryAccessibleInterface(item)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::KeyboardModifiers modifiers) {
  const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
  QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons, modifiers);
  QCoreApplication::sendEvent(widget, &event);
}

}  // namespace vode::test
