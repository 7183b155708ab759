#include "cli/OpenAndAnalyse.h"

#include <algorithm>
#include <chrono>

#include "analysis/PhaseMarks.h"
#include "analysis/TonalWheezeCommand.h"
#include "document/Document.h"
#include "document/OpenDocument.h"
#include "formats/BlockFile.h"
#include "formats/FileErrors.h"
#include "formats/OpenFile.h"
#include "model/Palette.h"
#include "model/Progress.h"

namespace vode::cli {

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int loadSettingsOption(Document& doc, const std::string& path, Prompter& prompter) {
  NullProgress progress;
  const int code = loadBlockFile(doc, path, prompter, progress);
  if (code != 0) {
    prompter.message(MessageKind::Error, openFailureText(path, code));
    doc.reset();
    return ExitFileError;
  }
  if (doc.hasRecording()) {
    prompter.message(MessageKind::Error, "vode-cli: " + path + " holds a recording, not settings");
    doc.reset();
    return ExitFileError;
  }
  return ExitOk;
}

namespace {

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Whether name is one of names ("a, b, c").
bool listed(const std::string& name, const std::string& names) {
  for (std::size_t start = 0; start < names.size();) {
    const std::size_t end = std::min(names.find(", ", start), names.size());
    if (names.compare(start, end - start, name) == 0 && !name.empty()) return true;
    start = end + 2;
  }
  return false;
}

}  // namespace

bool readNamedValues(const std::string& option, const std::string& text,
                     const std::function<bool(const std::string& name, double value)>& set, const std::string& names,
                     std::string& error) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, end - start);
    const size_t equals = item.find('=');
    const std::string name = trimmed(item.substr(0, equals));
    const std::string number = equals == std::string::npos ? std::string() : trimmed(item.substr(equals + 1));
    double value = 0.0;
    if (equals == std::string::npos || !listed(name, names)) {
      error = option + ": \"" + item + "\" is not a known NAME=VALUE (" + names + ")";
      return false;
    }
    if (!parseFloat(number, value)) {
      error = option + ": " + name + " needs a number, not \"" + number + "\"";
      return false;
    }
    if (!set(name, value)) {
      error = option + ": " + name + " cannot be " + number + ": the value is outside the sensible range";
      return false;
    }
    start = end + 1;
  }
  return true;
}

bool readAnalysisOptions(const ParsedArgs& args, AnalysisSetup& setup, std::string& error, bool wheezeCommand) {
  if (args.has("--max-frequency")) {
    setup.frequencyIndex = frequencyIndexOf(args.value("--max-frequency"));
    if (setup.frequencyIndex < 0) {
      error = "--max-frequency must be 1200, 2400 or 4800";
      return false;
    }
  }
  setup.settingsPath = args.value("--settings");
  setup.wheeze = args.has("--wheeze");
  if (!wheezeCommand && !setup.wheeze && (args.has("--detector") || args.has("--tonal-parameters"))) {
    error = "--detector and --tonal-parameters need --wheeze";
    return false;
  }
  if (args.has("--detector")) {
    const std::string name = args.value("--detector");
    if (name == "tonal") {
      setup.detector = WheezeDetector::Tonal;
    } else if (name == "standard" || name == "described") {
      // "described" is what scripts written before the rename pass.
      setup.detector = WheezeDetector::Standard;
    } else {
      error = "--detector must be standard or tonal";
      return false;
    }
  }
  if (args.has("--tonal-parameters")) {
    if (setup.detector != WheezeDetector::Tonal) {
      error = "--tonal-parameters needs --detector tonal";
      return false;
    }
    auto set = [&](const std::string& name, double value) { return setup.tonal.set(name, value); };
    if (!readNamedValues("--tonal-parameters", args.value("--tonal-parameters"), set,
                         "peak, track, length, frames, step, burst, narrow, pair, reach", error))
      return false;
  }
  return true;
}

int openAndAnalyse(Document& doc, const std::string& path, const AnalysisSetup& setup, const Palette& palette,
                   Prompter& prompter, AnalysisRun* run) {
  NullProgress progress;
  AnalysisRun local;
  AnalysisRun& r = run ? *run : local;
  if (!setup.settingsPath.empty() && loadSettingsOption(doc, setup.settingsPath, prompter) != ExitOk)
    return ExitFileError;
  doc.panel = setup.panel;

  auto started = std::chrono::steady_clock::now();
  if (openPath(doc, path, prompter, progress) != 0) return ExitFileError;
  if (!doc.hasRecording()) {
    prompter.message(MessageKind::Error, "vode-cli: " + path + " holds settings, not a recording");
    return ExitFileError;
  }
  r.readMs = millisecondsSince(started);
  // A recording without segments has no analysis to speak of at all.
  if (setup.needsPhases && doc.recording->segmentCount > 0 && !hasBreathSignal(*doc.recording))
    prompter.message(MessageKind::Warning, noBreathSignalWarning(path));

  // Opening keeps the program's dB reference; the frequency range is the
  // file's unless the caller chose one.
  if (setup.dBReference) doc.preferences.dBReference = *setup.dBReference;
  if (setup.frequencyIndex >= 0) doc.preferences.frequency = static_cast<int16_t>(setup.frequencyIndex);
  if (setup.tagsOnly) {
    CalculateTags(doc, doc, !doc.tagTable, progress, prompter, &r.timings);
  } else {
    DoAnalyzeClick(doc, doc, palette, progress, prompter, &r.timings, setup.threads);
    // Spectra that found no memory are left out by the analysis, as the window
    // needs; every step after it would then call the data missing.
    const Recording& recording = *doc.recording;
    if (recording.segmentCount > 0 && recording.channelCount > 0 && !(doc.spectra && doc.spectra->hasPower())) {
      prompter.message(MessageKind::Error, "vode-cli: " + path + ": " + FileErrorText(ErrNoMemory));
      return ExitFileError;
    }
  }
  if (!doc.tagTable || !doc.phaseTable) {
    prompter.message(MessageKind::Error, "vode-cli: " + path + ": nothing to analyse");
    return ExitFileError;
  }

  // The detector flags wheezing segments and paints the wheeze images; the
  // averages stay as the analysis left them, as in the window.
  if (setup.wheeze) {
    started = std::chrono::steady_clock::now();
    if (RunWheezeDetector(setup.detector, doc, doc, progress, prompter, setup.threads, setup.tonal) != 0)
      return ExitFileError;
    r.wheezeMs = millisecondsSince(started);
  }
  return ExitOk;
}

int maxFrequencyOf(const Document& doc) {
  // A stored index outside the list is limited to it, as the window does when
  // it applies the preferences, so a report from here has the window's rows.
  const int index = std::clamp<int>(doc.preferences.frequency, 0, 2);
  return 1200 << index;
}

int frequencyIndexOf(const std::string& text) {
  if (text == "1200") return 0;
  if (text == "2400") return 1;
  if (text == "4800") return 2;
  return -1;
}

std::vector<std::string> withLongOutputOption(const std::vector<std::string>& args) {
  std::vector<std::string> out = args;
  for (std::string& a : out)
    if (a == "-o") a = "--output";
  return out;
}

}  // namespace vode::cli
