// A window with its dialog commands, whose dialogs are answered by the test
// instead of a person: answer gets the dialog and presses its buttons.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <functional>

#include "app/DialogCommands.h"
#include "support/GuiTestSupport.h"

namespace vode::test {

class DialogFixture : public WindowFixture {
 public:
  DialogFixture() : dialogs(new DialogCommands(form())) {
    dialogs->runDialog = [this](QDialog& dialog) {
      ++shown;
      title = dialog.windowTitle();
      if (answer) answer(dialog);
      return dialog.result();
    };
  }

  template <typename Widget = QLineEdit>
  static Widget* box(QDialog& dialog, const char* name) {
    Widget* w = dialog.findChild<Widget*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  static void press(QDialog& dialog, const char* button) { box<QAbstractButton>(dialog, button)->click(); }
  static void set(QDialog& dialog, const char* name, const QString& text) { box(dialog, name)->setText(text); }

  DialogCommands* dialogs;  // owned by the form
  std::function<void(QDialog&)> answer;
  int shown = 0;
  QString title;
};

}  // namespace vode::test
