// The program's command line: one optional file to open, the developer
// entries, and the unattended screenshot mode used by scripts and checks:
//   vode [FILE] [--developer] [--device simulated|audio[:NAME]]
//   vode --list-devices
//   vode --version
//   vode FILE --screenshot OUT.png [--view sonogram|waveform|spectrum]
//        [--channel C] [--segment N] [--flow-display flow|volume|power] [--wheeze]
//        [--chart normal|summary|flow-db|flow-bin-db|flow-bin-db-2sd] [--band MIN MAX]
//        [--zoom PERCENT]
#pragma once

#include <QStringList>
#include <string>

namespace vode {

struct LaunchOptions {
  QStringList files;  // positional arguments, as absolute paths
  bool screenshot = false;
  QString screenshotPath;  // absolute
  QString view = "sonogram";
  int channel = 1;       // from 1
  int segment = -1;      // -1: leave the current segment
  QString flowDisplay;   // empty: as the settings say
  bool wheeze = false;   // run "Test&Wheeze" and show the wheeze image first
  int zoom = 100;        // window size in percent of the natural size
  int chart = -1;        // the power panel's chart type (SpinType index); -1: leave it
  int bandMin = -1;      // Hz; -1: leave the band
  int bandMax = -1;
  bool developer = false;  // keep the entries the window hides at start
  QString device;          // what File/New records from; empty: no device
  bool listDevices = false;
  bool help = false;
  bool version = false;
};

// false with a message in error for an unknown option or a bad value.
bool parseLaunchOptions(const QStringList& arguments, LaunchOptions& options, QString& error);

extern const char* const LaunchUsage;
// The names --chart takes, in the order of the panel's chart types.
extern const QStringList ChartTypeNames;

}  // namespace vode
