#include "dialogs/InfoBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/ProgramPicture.h"
#include "formats/ProgramVersion.h"

namespace vode {

QString programNameAndVersion() {
  return QString::fromLatin1(ProgramNameAndVersion.data(), static_cast<qsizetype>(ProgramNameAndVersion.size()));
}

InfoBox::InfoBox(Kind kind, QWidget* parent) : QDialog(parent) {
  const bool about = kind == Kind::About;
  setObjectName(about ? "AboutForm" : "StartUpForm");
  setWindowTitle(about ? "About R.E.Z.U. Vode" : "R.E.Z.U. Vode");
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  auto* picture = new QLabel(this);
  picture->setObjectName("ProgramIcon");
  picture->setPixmap(programPicture(96));
  picture->setAlignment(Qt::AlignCenter);
  layout->addWidget(picture);

  auto* text = new QLabel(programNameAndVersion(), this);
  text->setObjectName("Comments");
  text->setAlignment(Qt::AlignCenter);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text->setAutoFillBackground(true);
  QPalette silver = text->palette();
  silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  silver.setColor(QPalette::WindowText, Qt::black);
  text->setPalette(silver);
  text->setMinimumSize(220, 48);
  QFont font = text->font();
  font.setBold(true);
  font.setPixelSize(15);
  text->setFont(font);
  layout->addWidget(text);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("OKButton");
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  setFixedSize(sizeHint());
}

}  // namespace vode
