// vode-cli table: every segment of every channel of every file as one row of
// one CSV table, for pandas, R and other data-frame libraries.
#include <iostream>
#include <string>
#include <vector>

#include "model/Palette.h"
#include "cli/Batch.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OpenAndAnalyse.h"
#include "cli/OutputTarget.h"
#include "document/Document.h"
#include "reports/TidyTable.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli table FILE... -o OUT.csv [--band LO HI]... [options]\n"
    "\n"
    "Opens and analyses each recording as the window does and writes one CSV\n"
    "table of all of them: one row per file, channel and segment, in that order.\n"
    "\n"
    "  -o, --output OUT.csv   the table; - for standard output\n"
    "  --band LO HI           a power column for the band LO to HI Hz (0-4800);\n"
    "                         repeat for more (default: the octave bands 75-150,\n"
    "                         150-300, 300-600, 600-1200, 1200-2400, 2400-4800)\n"
    "  --max-frequency F      1200|2400|4800: the top of the peak_hz search\n"
    "                         (default: the file's own range)\n"
    "  --settings FILE        load a settings file first\n"
    "  --wheeze               run the wheeze detector first (the wheeze column)\n"
    "  --detector D           with --wheeze: standard (default) or tonal\n"
    "  --jobs N               use N threads (default: every core); with several\n"
    "                         files, N files at a time, each analysed on one thread\n"
    "\n"
    "Columns: file,channel,channel_name,segment,time_s,phase,rejected,clipped,\n"
    "wheeze,crackle,flow_L_s,volume_L, power_dB_LO_HI for each band, peak_hz.\n"
    "channel is 1-based; time_s the segment's start; phase I, E, B or empty; the\n"
    "flags 0 or 1; flow_L_s and volume_L the tagging's segment flow and running\n"
    "volume (no volume for a respiration band); power_dB_LO_HI the band's power\n"
    "in dB above the background's, as the band power report gives it; peak_hz the\n"
    "strongest 5 Hz bin from 100 Hz up to the range (empty for silence). The\n"
    "decimal point is always \".\" and there are no comment lines.\n";

bool readBands(const ParsedArgs& args, std::vector<TableBand>& bands, std::string& error) {
  if (!args.has("--band")) {
    bands = octaveTableBands();
    return true;
  }
  const std::vector<std::string>& values = args.options.at("--band");
  for (std::size_t i = 0; i + 1 < values.size(); i += 2) {
    long long low = 0, high = 0;
    if (!parseInt(values[i], low) || !parseInt(values[i + 1], high) || low < 0 || high > 4800 || low >= high) {
      error = "--band needs two frequencies LO < HI from 0 to 4800 Hz";
      return false;
    }
    bands.push_back({static_cast<int>(low), static_cast<int>(high)});
  }
  return true;
}

}  // namespace

int cmdTable(const Arguments& arguments) {
  if (printHelpIfAsked(arguments, Usage)) return ExitOk;
  ParsedArgs args;
  std::string error;
  const std::vector<OptionSpec> specs = {{"--output", 1},   {"--band", 2, true}, {"--max-frequency", 1},
                                         {"--settings", 1}, {"--wheeze", 0},     {"--detector", 1},
                                         {"--tonal-parameters", 1}, {"--jobs", 1}};
  if (!parseArgs(withLongOutputOption(arguments), specs, args, error)) return usageError(error, Usage);
  const std::vector<std::string>& inputs = args.positional;
  if (inputs.empty()) return usageError("no input file", Usage);
  if (!args.has("--output")) return usageError("no output given (-o OUT.csv)", Usage);
  std::vector<TableBand> bands;
  AnalysisSetup setup;
  int jobs = 0;
  if (!readBands(args, bands, error) || !readAnalysisOptions(args, setup, error) ||
      !readJobsOption(args, jobs, error))
    return usageError(error, Usage);
  setup.needsPhases = true;

  int status = ExitOk;
  const int code = writeOutput(args.value("--output"), [&](std::ostream& out) {
    out << tidyTableHeader(bands);
    return runBatch(inputs, jobs, [&](std::size_t i, FileOutput& output) {
      Document doc;
      StderrPrompter prompter(output.err);
      AnalysisSetup own = setup;
      own.threads = output.analysisThreads;
      if (openAndAnalyse(doc, inputs[i], own, Palette::grey(), prompter) != ExitOk) return ExitFileError;
      std::string rows;
      appendTidyTableRows(rows, inputs[i], doc, doc, bands, maxFrequencyOf(doc));
      output.out << rows;
      return ExitOk;
    }, out);
  }, status);
  return code != 0 ? ExitFileError : status;
}

}  // namespace vode::cli
