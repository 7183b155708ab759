#include "cli/OpenAndAnalyse.h"

#include <iostream>

#include "analysis/AnalysisCommand.h"
#include "analysis/Palette.h"
#include "analysis/WheezeDetection.h"
#include "cli/CliSupport.h"
#include "formats/OpenFile.h"
#include "model/Document.h"
#include "model/Progress.h"

namespace vode::cli {

int openAndAnalyse(Document& doc, const std::string& path, const AnalysisSetup& setup, const Palette& palette,
                   Prompter& prompter) {
  NullProgress progress;
  doc.panel = setup.panel;
  if (openPath(doc, path, prompter, progress) != 0) return ExitFileError;
  if (!doc.hasRecording()) {
    std::cerr << "vode-cli: " << path << " holds settings, not a recording\n";
    return ExitFileError;
  }
  // Opening keeps the program's dB reference; the frequency range is the
  // file's unless the caller chose one.
  doc.preferences.dBReference = setup.dBReference;
  if (setup.frequencyIndex >= 0) doc.preferences.frequency = static_cast<int16_t>(setup.frequencyIndex);
  DoAnalyzeClick(doc, palette, progress, prompter);
  // The detector flags wheezing segments and paints the wheeze images; the
  // averages stay as the analysis left them, as in the window.
  if (setup.wheeze && DetectWheezes(doc, progress, prompter) != 0) return ExitFileError;
  return ExitOk;
}

int maxFrequencyOf(const Document& doc) {
  const int index = doc.preferences.frequency;
  return index == 1 ? 2400 : index == 2 ? 4800 : 1200;
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
