// vode: the program's window. With --screenshot it renders the window of a
// file into a PNG and exits, without a display if need be.
#include <QApplication>
#include <QTemporaryDir>
#include <iostream>

#include "app/AccessibleComboBox.h"
#include "app/Application.h"
#include "app/LaunchOptions.h"
#include "formats/FileSystem.h"
#include "formats/ProgramVersion.h"

namespace {

// Answered without a display, as --help is.
int printVersion() {
  std::cout << vode::versionText(qVersion());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  vode::installSaveSignalHandlers();
  // The usage and version texts need no display: answer them before Qt looks for one.
  // Options Qt itself takes (-platform …) are only known after QApplication has
  // removed them, so anything else is parsed again below.
  {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    vode::LaunchOptions early;
    QString ignored;
    const bool parsed = vode::parseLaunchOptions(args, early, ignored);
    if (parsed && early.help) {
      std::cout << vode::LaunchUsage;
      return 0;
    }
    if (parsed && early.version) return printVersion();
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
  if (options.version) return printVersion();
  if (options.listDevices) {
    vode::printAcquisitionDevices(std::cout);
    return 0;
  }
  if (!options.screenshot) return vode::runProgram(options);

  QTemporaryDir temp(QDir::tempPath() + "/rezu-vode-XXXXXX");
  return vode::takeScreenshot(options, vode::defaultWindowOptions(temp.path()), std::cerr);
}
