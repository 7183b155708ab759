// vode-cli cycles: breath cycles estimated from the sound alone, optionally
// scored against annotated cycles.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/BreathCycleEstimate.h"
#include "cli/BreathCycles.h"
#include "cli/CliInput.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OpenAndAnalyse.h"
#include "document/Document.h"
#include "model/Recording.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli cycles FILE [--channel C] [--score ANNOT.txt] [--parameters L]\n\n"
    "Estimates breath cycles from the sound alone and prints one line per cycle,\n"
    "start and end in seconds separated by a tab: the form --cycles reads.\n"
    "A cycle starts where the loudness of the breath-sound band (200-1000 Hz, heart\n"
    "sounds ranked out) rises steeply, as at the onset of an inspiration, and ends\n"
    "where the next one starts; gaps over 10 s hold no cycle.\n\n"
    "  --channel C          1-based channel (default: the band power of every channel)\n"
    "  --score ANNOT.txt    compare with annotated cycles (start and end in seconds per\n"
    "                       line, optionally followed by crackles and wheezes as 0 or 1)\n"
    "  --parameters L       tuning, NAME=VALUE[,...] with NAME rise (scaled loudness),\n"
    "                       spacing, lag, narrow-lag (s), relative (share of the\n"
    "                       median cycle); narrow-lag is the lag on recordings\n"
    "                       that have little sound above 1 kHz\n\n"
    "Scoring: the boundaries are the distinct starts and ends of the cycles, leaving\n"
    "out those within 0.5 s of either end of the file; estimated and annotated\n"
    "boundaries are matched one to one, the nearest pair first, within 0.5 s. A last\n"
    "line, a comment for CSV readers, gives\n"
    "# precision P (matched/estimated), recall R (matched/annotated), F1 F\n";

std::string cycleLine(const CycleSpan& cycle) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f\t%.3f", cycle.start, cycle.end);
  return text;
}

}  // namespace

int cmdCycles(const Arguments& args) {
  if (printHelpIfAsked(args, Usage)) return ExitOk;
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {{"--channel", 1}, {"--score", 1}, {"--parameters", 1}}, parsed, error))
    return usageError(error, Usage);
  if (parsed.positional.size() != 1) return usageError("cycles needs exactly one FILE", Usage);
  const std::string& path = parsed.positional[0];
  long long channel = 0;
  if (parsed.has("--channel") && (!parseInt(parsed.value("--channel"), channel) || channel < 1 || channel > MaxChannels))
    return usageError("--channel must be 1 to 8", Usage);
  CycleParameters parameters;
  if (parsed.has("--parameters")) {
    auto set = [&](const std::string& name, double value) { return parameters.set(name, value); };
    if (!readNamedValues("--parameters", parsed.value("--parameters"), set, "rise, spacing, lag, narrow-lag, relative", error))
      return usageError(error, Usage);
  }

  std::vector<BreathCycle> annotated;
  if (parsed.has("--score") && !readCycles(parsed.value("--score"), annotated, error)) {
    std::cerr << "vode-cli: " << error << "\n";
    return ExitFileError;
  }
  Document doc;
  StderrPrompter prompter;
  if (readAnyInputFile(doc, path, prompter) != 0) return ExitFileError;
  const Recording& rec = *doc.recording;
  if (channel > rec.channelCount) {
    std::cerr << "vode-cli: " << path << " has no channel " << channel << "\n";
    return ExitFileError;
  }
  if (parsed.has("--score") && !cyclesFit(path, parsed.value("--score"), annotated, rec.segmentCount, std::cerr))
    return ExitFileError;

  const CycleEstimate estimate = EstimateBreathCycles(rec, static_cast<int>(channel) - 1, parameters);
  for (const CycleSpan& cycle : estimate.cycles) std::cout << cycleLine(cycle) << "\n";
  if (parsed.has("--score")) {
    const double seconds = rec.segmentCount / 10.0;
    std::cout << BoundaryScoreLine(ScoreBoundaries(CycleBoundaries(estimate.cycles, seconds),
                                                   CycleBoundaries(spansOf(annotated), seconds)))
              << "\n";
  }
  return ExitOk;
}

}  // namespace vode::cli
