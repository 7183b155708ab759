#include "app/LaunchOptions.h"

#include <QFileInfo>

namespace vode {

const QStringList ChartTypeNames = {"normal", "summary", "flow-db", "flow-bin-db", "flow-bin-db-2sd"};

const char* const LaunchUsage =
    "Usage: vode [FILE] [--developer] [--device simulated|audio[:NAME]]\n"
    "       vode --list-devices\n"
    "       vode --version\n"
    "       vode FILE --screenshot OUT.png [--view sonogram|waveform|spectrum]\n"
    "            [--channel C] [--segment N] [--flow-display flow|volume|power] [--wheeze]\n"
    "            [--chart normal|summary|flow-db|flow-bin-db|flow-bin-db-2sd] [--band MIN MAX]\n"
    "            [--zoom PERCENT]\n"
    "\n"
    "  --developer   show the menu entries the window hides at start (\"&Report...\",\n"
    "                \"&Print...\", \"FFTTest\", \"TestARLPF\", \"Test&Crackle\", \"Test&Wheeze\",\n"
    "                \"MakeSineWav\", \"Make BMPs\", \"ZUZU\", \"Captur&e BMP/WAV\") and enable\n"
    "                \"&FFT\" whenever a recording is open\n"
    "  --device D    record new recordings (File, \"&New\") from D: \"simulated\" (a\n"
    "                breathing subject; \"simulated:wheezes\" with wheezes, \"simulated:resp\"\n"
    "                on a respiration band), \"audio\" (the default sound input) or\n"
    "                \"audio:NAME\" (one of --list-devices)\n"
    "  --list-devices  print the devices --device takes and exit\n"
    "  --screenshot  render the window of FILE into OUT.png and exit\n"
    "  --wheeze      with --screenshot: run \"Test&Wheeze\" and tick \"&Wheezes\" first\n"
    "  --zoom        with --screenshot: the window at PERCENT of its natural size\n"
    "                (100 to 400, default 100)\n"
    "  --chart, --band  with --screenshot: the power-versus-flow panel's chart type and\n"
    "                frequency band in Hz (0-4800); either one implies power display\n"
    "  --version     print the program's version and those of Qt, libsndfile and\n"
    "                libsoxr it runs with, and exit\n"
    "  -h, --help    this text\n";

bool parseLaunchOptions(const QStringList& arguments, LaunchOptions& options, QString& error) {
  options = LaunchOptions{};
  bool anyScreenshotOption = false;
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      continue;
    }
    if (arg == "--version") {
      options.version = true;
      continue;
    }
    if (arg == "--developer") {
      options.developer = true;
      continue;
    }
    if (arg == "--list-devices") {
      options.listDevices = true;
      continue;
    }
    if (arg == "--wheeze") {
      options.wheeze = anyScreenshotOption = true;
      continue;
    }
    if (!arg.startsWith("--") || arg == "--") {
      options.files << arg;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      error = arg + " needs a value";
      return false;
    }
    const QString value = arguments[++i];
    bool ok = true;
    if (arg == "--screenshot") {
      options.screenshot = true;
      options.screenshotPath = value;
    } else if (arg == "--device") {
      ok = !value.isEmpty();
      options.device = value;
    } else if (arg == "--view") {
      ok = value == "sonogram" || value == "waveform" || value == "spectrum";
      options.view = value;
    } else if (arg == "--channel") {
      options.channel = value.toInt(&ok);
      ok = ok && options.channel >= 1 && options.channel <= 8;
    } else if (arg == "--segment") {
      options.segment = value.toInt(&ok);
      ok = ok && options.segment >= 0;
    } else if (arg == "--zoom") {
      options.zoom = value.toInt(&ok);
      ok = ok && options.zoom >= 100 && options.zoom <= 400;
    } else if (arg == "--chart") {
      options.chart = ChartTypeNames.indexOf(value);
      ok = options.chart >= 0;
    } else if (arg == "--band") {
      if (i + 1 >= arguments.size()) {
        error = "--band needs MIN and MAX";
        return false;
      }
      const QString high = arguments[++i];
      bool highOk = false;
      options.bandMin = value.toInt(&ok);
      options.bandMax = high.toInt(&highOk);
      ok = ok && highOk && options.bandMin >= 0 && options.bandMax <= 4800 && options.bandMin < options.bandMax;
      if (!ok) {
        error = "bad value for --band: " + value + " " + high;
        return false;
      }
    } else if (arg == "--flow-display") {
      ok = value == "flow" || value == "volume" || value == "power";
      options.flowDisplay = value;
    } else {
      error = "unknown option " + arg;
      return false;
    }
    if (!ok) {
      error = "bad value for " + arg + ": " + value;
      return false;
    }
    if (arg != "--screenshot" && arg != "--device") anyScreenshotOption = true;
  }
  if (options.help || options.version) return true;
  if (anyScreenshotOption && !options.screenshot) {
    error = "--view, --channel, --segment, --flow-display, --wheeze, --chart, --band and --zoom go with --screenshot";
    return false;
  }
  if (options.screenshot && options.files.size() != 1) {
    error = "--screenshot needs exactly one FILE";
    return false;
  }
  // The window changes the current folder (to the folder of the first recent
  // file, then of each file opened), so names given relative to the folder the
  // program started in are made whole now. The recent list keeps full paths.
  for (QString& file : options.files) file = QFileInfo(file).absoluteFilePath();
  if (options.screenshot) options.screenshotPath = QFileInfo(options.screenshotPath).absoluteFilePath();
  return true;
}

}  // namespace vode
