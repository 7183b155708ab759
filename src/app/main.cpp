// vode: the program's window. With --screenshot it renders the window of a
// file into a PNG and exits, without a display if need be.
#include <QApplication>
#include <QTemporaryDir>
#include <iostream>

#include "app/AccessibleComboBox.h"
#include "app/Application.h"
#include "app/LaunchOptions.h"
#include "formats/FileSystem.h"

int main(int argc, char** argv) {
  vode::installSaveSignalHandlers();
  // The usage text needs no display either: answer it before Qt looks for one.
  // Options Qt itself takes (-platform …) are only known after QApplication has
  // removed them, so anything else is parsed again below.
  {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    vode::LaunchOptions early;
    QString ignored;
    if (vode::parseLaunchOptions(args, early, ignored) && early.help) {
      std::cout << vode::LaunchUsage;
      return 0;
    }
  }
  // Neither a screenshot nor the device list needs a display.
  bool screenshot = false;
  for (int i = 1; i < argc; ++i)
    screenshot = screenshot || std::string(argv[i]) == "--screenshot" || std::string(argv[i]) == "--list-devices";
  if (screenshot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  QApplication app(argc, argv);
  QApplication::setApplicationName("rezu-vode");
  vode::installAccessibleComboBoxes();

  vode::LaunchOptions options;
  QString error;
  if (!vode::parseLaunchOptions(QApplication::arguments().mid(1), options, error)) {
    std::cerr << "vode: " << error.toStdString() << "\n" << vode::LaunchUsage;
    return 2;
  }
  if (options.help) {
    std::cout << vode::LaunchUsage;
    return 0;
  }
  if (options.listDevices) {
    vode::printAcquisitionDevices(std::cout);
    return 0;
  }
  if (!options.screenshot) return vode::runProgram(options);

  QTemporaryDir temp(QDir::tempPath() + "/rezu-vode-XXXXXX");
  return vode::takeScreenshot(options, vode::defaultWindowOptions(temp.path()), std::cerr);
}
