// Opening a recording the way the window does, then running the analysis
// command on it: the shared first half of the report and sonogram commands.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/AnalysisCommand.h"
#include "analysis/PanelSettings.h"
#include "analysis/TonalWheezeCommand.h"
#include "cli/CliSupport.h"

namespace vode {
class Document;
class Prompter;
struct Palette;
}  // namespace vode

namespace vode::cli {

struct AnalysisSetup {
  int frequencyIndex = -1;           // 0, 1, 2 for 1200, 2400, 4800 Hz; -1 keeps the file's own range
  std::optional<float> dBReference;  // none: the program's reference (1e-8, or the --settings file's)
  bool wheeze = false;               // run the wheeze detector after the analysis
  WheezeDetector detector = WheezeDetector::Standard;
  TonalParameters tonal;             // --tonal-parameters, for tuning the tonal detector
  PanelSettings panel;               // band, flow-bin width, dB threshold, rectification
  std::string settingsPath;          // a settings file loaded before the recording
  int threads = 0;                   // analysis threads (0: every core); the results do not depend on it
  bool needsPhases = false;          // the results rest on the phases: say when there is no breath signal
  bool tagsOnly = false;             // only the tag calculation: no spectra, images or averages
};

// How long each stage took, for analyze's JSON.
struct AnalysisRun {
  double readMs = 0.0;
  AnalysisTimings timings;
  double wheezeMs = 0.0;
};

// The settings file of --settings, read the way the program reads its default
// settings before a recording is opened. ExitOk or ExitFileError (message
// through the prompter; a file holding a recording is refused).
int loadSettingsOption(Document& doc, const std::string& path, Prompter& prompter);

// The options every analysing command shares: --max-frequency, --settings,
// --wheeze, --detector, --tonal-parameters. false with a message in error
// when one is wrong; the detector options need --wheeze unless the command
// always detects (wheezeCommand).
bool readAnalysisOptions(const ParsedArgs& args, AnalysisSetup& setup, std::string& error,
                         bool wheezeCommand = false);

// "peak=9, track=12": each NAME=VALUE through set. false with a message
// naming the option and saying what was wrong: a name not among names (then
// listing them), a value that is no number, or one set refuses.
bool readNamedValues(const std::string& option, const std::string& text,
                     const std::function<bool(const std::string& name, double value)>& set, const std::string& names,
                     std::string& error);

// Settings (when given), reader by extension, offsets, volume, then the
// analysis command (the tag table is rebuilt only when the file had none) and,
// when asked, the wheeze detector. Every message goes to the prompter; a
// command whose results need phases also hears of a missing breath signal.
// ExitOk, or ExitFileError when the file could not be opened or analysed.
int openAndAnalyse(Document& doc, const std::string& path, const AnalysisSetup& setup, const Palette& palette,
                   Prompter& prompter, AnalysisRun* run = nullptr);

// The display range of a document's frequency preference: 1200, 2400 or 4800
// (an index outside 0..2 is limited to that range).
int maxFrequencyOf(const Document& doc);

// -1 when text is none of 1200, 2400, 4800; else its preference index.
int frequencyIndexOf(const std::string& text);

// The options after the command name with "-o" spelled "--output".
std::vector<std::string> withLongOutputOption(const std::vector<std::string>& args);

}  // namespace vode::cli
