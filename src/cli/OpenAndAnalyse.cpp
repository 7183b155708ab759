#include "cli/OpenAndAnalyse.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "analysis/Palette.h"
#include "analysis/WheezeDetection.h"
#include "formats/BlockFile.h"
#include "formats/FileErrors.h"
#include "formats/OpenFile.h"
#include "document/Document.h"
#include "document/OpenDocument.h"
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
    std::cerr << "Unable to open " << path << "... " << FileErrorText(code) << "\n";
    doc.reset();
    return ExitFileError;
  }
  if (doc.hasRecording()) {
    std::cerr << "vode-cli: " << path << " holds a recording, not settings\n";
    doc.reset();
    return ExitFileError;
  }
  return ExitOk;
}

bool readAnalysisOptions(const ParsedArgs& args, AnalysisSetup& setup, std::string& error) {
  if (args.has("--max-frequency")) {
    setup.frequencyIndex = frequencyIndexOf(args.value("--max-frequency"));
    if (setup.frequencyIndex < 0) {
      error = "--max-frequency must be 1200, 2400 or 4800";
      return false;
    }
  }
  setup.settingsPath = args.value("--settings");
  setup.wheeze = args.has("--wheeze");
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
    std::cerr << "vode-cli: " << path << " holds settings, not a recording\n";
    return ExitFileError;
  }
  r.readMs = millisecondsSince(started);

  // Opening keeps the program's dB reference; the frequency range is the
  // file's unless the caller chose one.
  if (setup.dBReference) doc.preferences.dBReference = *setup.dBReference;
  if (setup.frequencyIndex >= 0) doc.preferences.frequency = static_cast<int16_t>(setup.frequencyIndex);
  DoAnalyzeClick(doc, doc, palette, progress, prompter, &r.timings);
  if (!doc.tagTable || !doc.phaseTable) {
    std::cerr << "vode-cli: " << path << ": nothing to analyse\n";
    return ExitFileError;
  }

  // The detector flags wheezing segments and paints the wheeze images; the
  // averages stay as the analysis left them, as in the window.
  if (setup.wheeze) {
    started = std::chrono::steady_clock::now();
    if (DetectWheezes(doc, doc, progress, prompter) != 0) return ExitFileError;
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
