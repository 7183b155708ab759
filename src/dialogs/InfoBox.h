// The start-up box and the about box: the program's picture, its name and
// version on a silver background, and an OK button.
#pragma once

#include <QDialog>

namespace vode {

// "R.E.Z.U. Vode 1.7".
QString programNameAndVersion();

class InfoBox : public QDialog {
  Q_OBJECT

 public:
  enum class Kind { StartUp, About };
  InfoBox(Kind kind, QWidget* parent = nullptr);
};

}  // namespace vode
