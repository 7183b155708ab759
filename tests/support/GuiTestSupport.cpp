#include "support/GuiTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
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
  // The commands' jobs run at once, so a test reads their results on the
  // next line; the workspace's own tests run them on a thread.
  form_->workspace().useJobRunner(std::make_unique<InlineJobRunner>());
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
  form_->workspace().notify(Change::Recording);
}

int WindowFixture::open(const std::string& path) {
  commands_->openPath(path);
  return doc().state.ioError;
}

std::string WindowFixture::copyOfTestdata(const std::string& file, const std::string& name) {
  const std::string path = temp.file(name);
  std::filesystem::copy_file(testdata(file), path);
  return path;
}

QWidget* control(const QWidget& form, const QString& name) { return form.findChild<QWidget*>(name); }

QString labelText(const QWidget& form, const QString& name) {
  const auto* label = form.findChild<QLabel*>(name);
  return label ? label->text() : QString();
}

void waitUntilIdle(Workspace& ws) {
  QElapsedTimer waited;
  waited.start();
  // Asleep until the job's next event, woken at least every 50 ms.
  QTimer tick;
  tick.start(50);
  while (ws.busy() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

QString largeLabels(TMainForm& form) {
  QStringList texts;
  for (int i = 5; i >= 1; --i) texts << labelText(form, QString("SonoLabel%1").arg(i));
  return texts.join(",");
}

QString shownCaption(QWidget& window) {
  return QAccessible::queryAccessibleInterface(&window)->text(QAccessible::Name);
}

void click(TMainForm& form, const char* name) { static_cast<QAbstractButton*>(control(form, name))->click(); }

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
