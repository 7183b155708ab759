#include "app/Application.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <iomanip>
#include <iostream>

#include "app/AutoPrompter.h"
#include "app/CaptureCommands.h"
#include "app/DialogCommands.h"
#include "app/DocumentCommands.h"
#include "app/LabelCommands.h"
#include "app/NewRecordingCommand.h"
#include "app/ReportCommands.h"
#include "app/WidgetPrompter.h"
#include "audio/InputDevices.h"
#include "audio/SinkAudioOutput.h"
#include "audio/SinkMonitorOutput.h"
#include "dialogs/InfoBox.h"
#include "dialogs/ProgramPicture.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "formats/SettingsFiles.h"
#include "viewer/PowerPanel.h"

namespace vode {

namespace {

std::string withSlash(const QString& dir) {
  QString path = QDir::cleanPath(dir);
  if (!path.endsWith('/')) path += '/';
  return path.toStdString();
}

}  // namespace

std::string findManual(const QString& programDir) {
  const QDir dir(programDir);
  const QString installed = QDir::cleanPath(dir.filePath("../share/rezu-vode/manual/index.html"));
  for (const QString& path : {installed, QDir::cleanPath(dir.filePath("manual/index.html"))})
    if (QFileInfo(path).isFile()) return path.toStdString();
  return installed.toStdString();
}

WindowOptions defaultWindowOptions(const QString& tempDir) {
  WindowOptions options;
  options.configDir = defaultConfigFolder(&options.newConfigFolder);
  options.executableDir = withSlash(QCoreApplication::applicationDirPath());
  options.tempDir = withSlash(tempDir);
  options.manualFile = findManual(QCoreApplication::applicationDirPath());
  return options;
}

Application::Application(GuiPrompter& prompter, const WindowOptions& options) {
  // The main window first; the dialogs that exist follow in their order.
  form_ = std::make_unique<TMainForm>(prompter, options);
  commands_ = new DocumentCommands(*form_);
  dialogs_ = new DialogCommands(*form_);
  new NewRecordingCommand(*form_, *commands_);
  reports_ = new ReportCommands(*form_);
  new CaptureCommands(*form_);  // owned by the window
  new LabelCommands(*form_);    // owned by the window
  about_ = std::make_unique<InfoBox>(InfoBox::Kind::About, form_.get());
}

Application::~Application() {
  about_.reset();
  form_.reset();
}

void printAcquisitionDevices(std::ostream& out) {
  for (const DeviceEntry& entry : listAcquisitionDevices())
    out << std::left << std::setw(24) << entry.name << " " << entry.description << "\n";
}

int runProgram(const LaunchOptions& options) {
  std::unique_ptr<AcquisitionDevice> device;
  if (!options.device.isEmpty()) {
    std::string error;
    device = makeAcquisitionDevice(options.device.toStdString(), error);
    if (!device) {
      std::cerr << "vode: " << error << "\n";
      return 1;
    }
  }
  QApplication::setWindowIcon(programPicture(64));
  QTemporaryDir temp(QDir::tempPath() + "/rezu-vode-XXXXXX");
  WidgetPrompter prompter;
  WindowOptions windowOptions = defaultWindowOptions(temp.path());
  windowOptions.developer = options.developer;
  windowOptions.keepWindowSize = true;
  Application application(prompter, windowOptions);
  prompter.setWindow(&application.form());
  prompter.setAboutBox(&application.aboutBox());
  application.form().usePlayback(std::make_unique<SinkAudioOutput>(), std::make_unique<SteadyClock>());
  application.form().useMonitorOutput(std::make_unique<SinkMonitorOutput>());
  application.form().workspace().useAcquisitionDevice(std::move(device));
  application.form().show();
  application.commands().firstShown(options.files);
  return QApplication::exec();
}

int takeScreenshot(const LaunchOptions& options, WindowOptions windowOptions, std::ostream& err) {
  AutoPrompter prompter(err);
  windowOptions.developer = windowOptions.developer || options.developer;
  Application application(prompter, windowOptions);
  TMainForm& form = application.form();
  Workspace& ws = form.workspace();
  Document& doc = form.document();
  form.show();
  form.zoomWindow(options.zoom / 100.0);
  application.commands().firstShown(options.files);

  int exitCode = 1;
  // Each step once the job before it (the open, the wheeze detector) has ended.
  const auto takePicture = [&] {
    const QPixmap picture = form.grab();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const int code = picture.save(&buffer, "PNG")
                         ? writeFileAtomically(FileSystem::real(), options.screenshotPath.toStdString(),
                                               std::vector<uint8_t>(png.begin(), png.end()))
                         : ErrFormat;
    if (code != 0)
      err << "Unable to write " << options.screenshotPath.toStdString() << "... " << FileErrorText(code) << "\n";
    else if (doc.hasRecording())
      exitCode = 0;
    QCoreApplication::exit(0);
  };
  const auto showAsAsked = [&] {
    if (options.wheeze) {
      if (!doc.wheezeMap) err << "No wheeze image: the detector did not run\n";
      form.showWheezes(true);
    }
    if (options.segment >= 0) form.set_current_segment(options.segment);
    if (options.view == "waveform") {
      form.TimeBoxClick();
    } else if (options.view == "spectrum") {
      if (!doc.spectra) err << "Spectrum view needs an analysis; showing the sonogram\n";
      form.FreqBoxClick();
    }
    // The picture shows the recording, not a moment of its playback; it is
    // taken on the next turn, once the window has laid itself out.
    form.StopBitBtnClick();
    QTimer::singleShot(0, &form, takePicture);
  };
  ws.whenIdle([&] {
    form.ChooseChannel(options.channel - 1);
    // The panel's options mean power display unless another one was asked for.
    const bool panelOption = options.chart >= 0 || options.bandMin >= 0;
    const QString flowDisplay = options.flowDisplay.isEmpty() && panelOption ? QString("power") : options.flowDisplay;
    if (!flowDisplay.isEmpty()) {
      int16_t display = flowDisplay == "volume" ? 1 : flowDisplay == "power" ? 2 : 0;
      if (display == 2 && !doc.averages) {
        err << "Power display needs the averages of an analysis; showing flow\n";
        display = 0;
      }
      doc.preferences.flowDisplay = display;
      form.adjust_to_prefs();
    }
    if (options.bandMin >= 0) form.powerPanel().setBand(options.bandMin, options.bandMax);
    if (options.chart >= 0) form.powerPanel().setChartType(static_cast<ChartType>(options.chart));
    if (options.wheeze) form.TestWheezeClick();
    ws.whenIdle(showAsAsked);
  });
  QApplication::exec();
  return exitCode;
}

}  // namespace vode
