// Opening a recording the way the window does, then running the analysis
// command on it: the shared first half of the report and sonogram commands.
#pragma once

#include <string>
#include <vector>

#include "analysis/PanelSettings.h"

namespace vode {
class Document;
class Prompter;
struct Palette;
}  // namespace vode

namespace vode::cli {

struct AnalysisSetup {
  int frequencyIndex = -1;    // 0, 1, 2 for 1200, 2400, 4800 Hz; -1 keeps the file's own range
  float dBReference = 1e-8f;  // the program's reference, whatever the file holds
  bool wheeze = false;        // run the wheeze detector after the analysis
  PanelSettings panel;        // band, flow-bin width, dB threshold, rectification
};

// Reader by extension, offsets, volume, then the analysis command (the tag
// table is rebuilt only when the file had none). The open's own messages go
// to the prompter. ExitOk, or ExitFileError when the file could not be opened.
int openAndAnalyse(Document& doc, const std::string& path, const AnalysisSetup& setup, const Palette& palette,
                   Prompter& prompter);

// The display range of a document's frequency preference: 1200, 2400 or 4800.
int maxFrequencyOf(const Document& doc);

// -1 when text is none of 1200, 2400, 4800; else its preference index.
int frequencyIndexOf(const std::string& text);

// The options after the command name with "-o" spelled "--output".
std::vector<std::string> withLongOutputOption(const std::vector<std::string>& args);

}  // namespace vode::cli
