// Writes the program's picture as the PNG icons a desktop shows:
// ProgramIcon OUTDIR SIZE... gives OUTDIR/SIZE.png for each size.
#include <QGuiApplication>
#include <QPixmap>
#include <iostream>

#include "dialogs/ProgramPicture.h"

int main(int argc, char** argv) {
  // Drawing a pixmap needs a GUI application, though nothing is shown.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::cerr << "usage: ProgramIcon OUTDIR SIZE...\n";
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    const QString path = QString("%1/%2.png").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    if (size < 16 || size > 1024 || !vode::programPicture(size).save(path, "PNG")) {
      std::cerr << "ProgramIcon: cannot write " << path.toStdString() << "\n";
      return 1;
    }
  }
  return 0;
}
