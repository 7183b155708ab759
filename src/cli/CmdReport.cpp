// vode-cli report: opens and analyses each file as the window does, then
// writes one report per file.
#include <iostream>
#include <string>
#include <vector>

#include "cli/Batch.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OpenAndAnalyse.h"
#include "cli/OutputTarget.h"
#include "document/Document.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "model/Palette.h"
#include "reports/ReportWriter.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli report FILE... -o OUT --kind K [options]\n"
    "\n"
    "Opens and analyses each recording as the window does and writes one report.\n"
    "With several files OUT is a folder and each report is OUT/<name>.kind<K>.txt.\n"
    "A recording whose breath signal is all zero has no phases, so its phase\n"
    "averages are empty: stderr says so, and the report keeps its format.\n"
    "\n"
    "  -o, --output OUT       the report file (or folder); - for standard output\n"
    "                         (one file only)\n"
    "  --kind K               0-7 or overall|tagged|breath|octave|all|band|flow|summary\n"
    "  --channel C            sound channel, 1-based (default 1)\n"
    "  --units db|watts       power units of kinds 0-4 (default db)\n"
    "  --band MIN MAX         frequency band in Hz (default 0 100)\n"
    "  --flow-bin N           flow bin width in mL/s, 5-500 (default 100)\n"
    "  --db-threshold T       power threshold in dB, 0-50 (default 3)\n"
    "  --rectify              rectified power in the summary\n"
    "  --max-frequency F      1200|2400|4800 (default: the file's own range)\n"
    "  --db-reference R       dB reference in watts (default 1e-8, or the --settings file's)\n"
    "  --settings FILE        load a settings file first, as the program loads its defaults\n"
    "  --wheeze               run the wheeze detector before writing\n"
    "  --detector D           with --wheeze: standard (default) or tonal\n"
    "  --append               add the report to OUT as the next numbered log\n"
    "  --jobs N               use N threads (default: every core); with several\n"
    "                         files, N files at a time, each analysed on one thread\n";

struct ReportRequest {
  ReportKind kind = ReportKind::OverallAverages;
  int channel = 0;  // 0-based
  bool watts = false;
  bool append = false;
  AnalysisSetup setup;
};

bool intInRange(const std::string& text, long long lo, long long hi, int& out) {
  long long v = 0;
  if (!parseInt(text, v) || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

// Fills the request from the options; an error text when one is wrong.
std::string readRequest(const ParsedArgs& args, ReportRequest& r) {
  const auto kind = parseReportKind(args.value("--kind"));
  if (!kind) return "--kind needs 0-7 or overall|tagged|breath|octave|all|band|flow|summary";
  r.kind = *kind;
  if (args.has("--channel")) {
    int c = 0;
    if (!intInRange(args.value("--channel"), 1, 8, c)) return "--channel needs a channel number from 1 to 8";
    r.channel = c - 1;
  }
  if (args.has("--units")) {
    const std::string units = args.value("--units");
    if (units != "db" && units != "watts") return "--units needs db or watts";
    r.watts = units == "watts";
  }
  PanelSettings& panel = r.setup.panel;
  if (args.has("--band")) {
    const auto& band = args.options.at("--band");
    if (!intInRange(band[0], 0, 4800, panel.spinMin) || !intInRange(band[1], 0, 4800, panel.spinMax))
      return "--band needs two frequencies from 0 to 4800 Hz";
  }
  if (args.has("--flow-bin") && !intInRange(args.value("--flow-bin"), 5, 500, panel.spinFlow))
    return "--flow-bin needs a width from 5 to 500 mL/s";
  if (args.has("--db-threshold") && !intInRange(args.value("--db-threshold"), 0, 50, panel.spindB))
    return "--db-threshold needs a whole number of dB from 0 to 50";
  panel.rectifydB = args.has("--rectify");
  std::string error;
  if (!readAnalysisOptions(args, r.setup, error)) return error;
  if (args.has("--db-reference")) {
    double ref = 0.0;
    // The reference is kept in single precision: it must stay a positive finite float.
    if (!parseFloat(args.value("--db-reference"), ref) || static_cast<float>(ref) <= 0.0f || ref > 1e38)
      return "--db-reference needs a power in watts above 0 and at most 1e38";
    r.setup.dBReference = static_cast<float>(ref);
  }
  r.append = args.has("--append");
  return "";
}

int reportFailure(int code, const std::string& input, const std::string& output, const ReportRequest& r,
                  FileOutput& streams) {
  if (code == ReportBadChannel)
    streams.err << "vode-cli: " << input << " has no channel " << r.channel + 1 << "\n";
  else if (code < 0)
    streams.err << "vode-cli: " << input << ": " << ReportErrorText(code) << "\n";
  else
    streams.err << "Unable to save " << output << "... " << ReportErrorText(code) << "\n";
  return ExitFileError;
}

// One input file into one report file (or standard output).
int reportOne(const std::string& input, const std::string& output, const ReportRequest& r, FileOutput& streams) {
  StderrPrompter prompter(streams.err);
  Document doc;
  AnalysisSetup setup = r.setup;
  setup.threads = streams.analysisThreads;
  setup.needsPhases = true;
  const int opened = openAndAnalyse(doc, input, setup, Palette::grey(), prompter);
  if (opened != ExitOk) return opened;

  ReportOptions options;
  options.channel = r.channel;
  options.watts = r.watts;
  options.unitsEnabled = reportUsesPowerUnits(r.kind);
  options.decimalSeparator = '.';
  options.maxFrequency = maxFrequencyOf(doc);

  if (isStandardOutput(output)) {
    std::string text;
    const int code = ReportText(doc, doc, r.kind, options, prompter, text);
    if (code == 0) {
      streams.out << text;
      return ExitOk;
    }
    return reportFailure(code, input, output, r, streams);
  }

  // Each call is its own process: a log continues the numbering already in
  // the file, and a log to a file that does not exist yet starts it as a save.
  LogCounter counter;
  counter.numberFromFile = true;
  const int code = WriteReport(doc, doc, output, r.kind, r.append, options, counter, prompter);
  return code == 0 ? ExitOk : reportFailure(code, input, output, r, streams);
}

}  // namespace

int cmdReport(const Arguments& arguments) {
  if (printHelpIfAsked(arguments, Usage)) return ExitOk;
  ParsedArgs args;
  std::string error;
  const std::vector<OptionSpec> specs = {
      {"--output", 1},   {"--kind", 1},         {"--channel", 1},       {"--units", 1},
      {"--band", 2},     {"--flow-bin", 1},     {"--db-threshold", 1},  {"--rectify", 0},
      {"--max-frequency", 1}, {"--db-reference", 1}, {"--wheeze", 0}, {"--append", 0}, {"--settings", 1},
      {"--jobs", 1}, {"--detector", 1}, {"--tonal-parameters", 1},
  };
  if (!parseArgs(withLongOutputOption(arguments), specs, args, error)) return usageError(error, Usage);
  if (args.positional.empty()) return usageError("no input file", Usage);
  if (!args.has("--output")) return usageError("no output given (-o OUT)", Usage);
  if (!args.has("--kind")) return usageError("no report kind given (--kind K)", Usage);
  ReportRequest request;
  error = readRequest(args, request);
  if (!error.empty()) return usageError(error, Usage);

  int jobs = 0;
  if (!readJobsOption(args, jobs, error)) return usageError(error, Usage);

  const std::vector<std::string>& inputs = args.positional;
  if (isStandardOutput(args.value("--output")) && (inputs.size() > 1 || request.append))
    return usageError("-o - writes one report of one file to standard output, without --append", Usage);
  const std::string suffix = ".kind" + std::to_string(static_cast<int>(request.kind)) + ".txt";
  std::vector<std::string> targets;
  const int prepared = prepareOutputs(
      inputs, args.value("--output"), [&](const std::string& input) { return stemOf(input) + suffix; }, targets,
      Usage);
  if (prepared != ExitOk) return prepared;
  return runBatch(inputs, jobs, [&](std::size_t i, FileOutput& output) {
    return reportOne(inputs[i], targets[i], request, output);
  });
}

}  // namespace vode::cli
