#include "app/WidgetPrompter.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include "dialogs/InfoBox.h"

namespace vode {

namespace {

// Extensions are compared without regard to case ("REC.MER" is a recording),
// while the dialog's patterns match case-sensitively on this platform.
QStringList filterList(const std::vector<FileType>& types) {
  QStringList filters;
  for (const FileType& t : types) {
    const QString pattern = QString::fromStdString(t.pattern);
    const QString patterns = pattern.toUpper() == pattern ? pattern : pattern + " " + pattern.toUpper();
    filters << QString("%1 (%2)").arg(QString::fromStdString(t.description), patterns);
  }
  return filters;
}

QMessageBox::StandardButton buttonFor(Answer answer) {
  switch (answer) {
    case Answer::Yes:
      return QMessageBox::Yes;
    case Answer::No:
      return QMessageBox::No;
    default:
      return QMessageBox::Cancel;
  }
}

}  // namespace

QString boxText(const std::string& text) {
  QString result = QString::fromStdString(text);
  result.replace("\r\n", "\n");
  result.replace('\r', '\n');
  return result;
}

void WidgetPrompter::message(MessageKind kind, const std::string& text) {
  QMessageBox box(window_);
  switch (kind) {
    case MessageKind::Information:
      box.setIcon(QMessageBox::Information);
      box.setWindowTitle("Information");
      break;
    case MessageKind::Warning:
      box.setIcon(QMessageBox::Warning);
      box.setWindowTitle("Warning");
      break;
    case MessageKind::Error:
      box.setIcon(QMessageBox::Critical);
      box.setWindowTitle("Error");
      break;
    case MessageKind::Plain:
      box.setWindowTitle(ApplicationTitle);
      break;
  }
  box.setText(boxText(text));
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

Answer WidgetPrompter::ask(const std::string& text, Buttons buttons, Answer defaultAnswer) {
  QMessageBox box(window_);
  box.setIcon(QMessageBox::Question);
  box.setWindowTitle("Confirm");
  box.setText(boxText(text));
  const bool withCancel = buttons == Buttons::YesNoCancel;
  box.setStandardButtons(withCancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                    : QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(buttonFor(defaultAnswer == Answer::Cancel && !withCancel ? Answer::No : defaultAnswer));
  box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return withCancel ? Answer::Cancel : Answer::No;
  }
}

void WidgetPrompter::showStartUpBox() {
  InfoBox box(InfoBox::Kind::StartUp);
  box.exec();
}

void WidgetPrompter::showAboutBox() {
  if (about_) {
    about_->exec();
  } else {
    InfoBox box(InfoBox::Kind::About, window_);
    box.exec();
  }
}

std::string WidgetPrompter::chooseOpenFile(const std::vector<FileType>& types, const std::string& title) {
  // getOpenFileName accepts existing files only.
  const QString path = QFileDialog::getOpenFileName(window_, QString::fromStdString(title), QString(),
                                                    filterList(types).join(";;"));
  return path.toStdString();
}

bool WidgetPrompter::chooseSaveFile(const std::vector<FileType>& types, std::string& path, int& typeIndex,
                                    const std::string& title) {
  const QStringList filters = filterList(types);
  QFileDialog dialog(window_, QString::fromStdString(title), QString::fromStdString(path));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The program asks "Overwrite ...?" itself, after fixing the extension.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilters(filters);
  if (typeIndex >= 1 && typeIndex <= filters.size()) dialog.selectNameFilter(filters[typeIndex - 1]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = dialog.selectedFiles().first().toStdString();
  typeIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  if (typeIndex < 1) typeIndex = 1;
  return true;
}

bool WidgetPrompter::openWithDesktop(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

bool WidgetPrompter::choosePrinter() {
  QPrinter printer;
  QPrintDialog dialog(&printer, window_);
  dialog.setWindowTitle("Print");
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vode
