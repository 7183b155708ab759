// vode-cli wheeze: the open sequence, the analysis and the wheeze detector,
// then one CSV line per run of consecutive wheezing segments.
#include <cstdio>
#include <iostream>
#include <string>

#include "analysis/Palette.h"
#include "analysis/WheezeImage.h"
#include "analysis/WheezeRuns.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OpenAndAnalyse.h"
#include "document/Document.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli wheeze FILE [--channel C] [--max-frequency F] [--settings FILE]\n\n"
    "Opens and analyses FILE, runs the wheeze detector and prints CSV: one line per\n"
    "run of consecutive segments carrying the Wheeze flag.\n\n"
    "  --channel C          1-based channel (default: every channel)\n"
    "  --max-frequency F    sonogram range 1200|2400|4800 Hz (default: the file's own);\n"
    "                       the 2400 Hz range tests two bins per row\n"
    "  --settings FILE      load a settings file first\n\n"
    "Columns: channel,first_segment,last_segment,start_s,end_s,max_score,max_score_hz\n"
    "(channel 1-based, times = segment / 10, the strongest value the wheeze image\n"
    "tested in the run - a bin's score, at 2400 Hz the sum of a row's two bins - and\n"
    "the frequency of its row).\n";

std::string csvLine(const WheezeRun& run) {
  char text[160];
  if (run.maxScoreBin >= 0) {
    std::snprintf(text, sizeof text, "%d,%d,%d,%.1f,%.1f,%.3f,%d", run.channel + 1, run.firstSegment,
                  run.lastSegment, run.firstSegment / 10.0, run.lastSegment / 10.0,
                  static_cast<double>(run.maxScore), run.maxScoreBin * BinWidth);
  } else {
    std::snprintf(text, sizeof text, "%d,%d,%d,%.1f,%.1f,,", run.channel + 1, run.firstSegment, run.lastSegment,
                  run.firstSegment / 10.0, run.lastSegment / 10.0);
  }
  return text;
}

}  // namespace

int cmdWheeze(const Arguments& args) {
  if (printHelpIfAsked(args, Usage)) return ExitOk;
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {{"--channel", 1}, {"--max-frequency", 1}, {"--settings", 1}}, parsed, error))
    return usageError(error, Usage);
  if (parsed.positional.size() != 1) return usageError("wheeze needs exactly one FILE", Usage);

  long long channel = 0;  // 0: every channel
  if (parsed.has("--channel") && (!parseInt(parsed.value("--channel"), channel) || channel < 1 || channel > MaxChannels))
    return usageError("--channel must be 1 to 8", Usage);
  AnalysisSetup setup;
  if (!readAnalysisOptions(parsed, setup, error)) return usageError(error, Usage);
  setup.wheeze = true;

  const std::string& path = parsed.positional.front();
  Document doc;
  StderrPrompter prompter;
  if (openAndAnalyse(doc, path, setup, Palette::grey(), prompter) != ExitOk) return ExitFileError;
  // A channel the file lacks is a fault of the data, as in report and sonogram.
  if (channel > doc.recording->channelCount) {
    std::cerr << "vode-cli: " << path << " has no channel " << channel << "\n";
    return ExitFileError;
  }

  const int range = sonogramFrequency(doc.preferences);
  std::cout << "channel,first_segment,last_segment,start_s,end_s,max_score,max_score_hz\n";
  const int first = channel > 0 ? static_cast<int>(channel) - 1 : 0;
  const int last = channel > 0 ? static_cast<int>(channel) - 1 : doc.recording->channelCount - 1;
  for (int c = first; c <= last; ++c)
    for (const WheezeRun& run : FindWheezeRuns(doc, doc, c, range)) std::cout << csvLine(run) << "\n";
  return ExitOk;
}

}  // namespace vode::cli
