// vode-cli crackles: crackles found in the samples of each file, listed one
// per line, or scored against annotated breath cycles.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/CrackleDetection.h"
#include "cli/Batch.h"
#include "cli/BreathCycles.h"
#include "cli/CliInput.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OpenAndAnalyse.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/TagTable.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli crackles FILE... [--cycles ANNOT.txt]... [--channel C] [--jobs N]\n"
    "                         [--parameters L]\n\n"
    "Finds crackles in the samples of each FILE: short explosive transients (under\n"
    "20 ms) standing far above the breath sound around them, several to a breath.\n"
    "Each segment holding one gets the crackle flag (Cr) of its channel.\n\n"
    "  --channel C          1-based channel (default: every channel)\n"
    "  --cycles ANNOT.txt   score the crackles against annotated breath cycles; give\n"
    "                       one per FILE, in the same order\n"
    "  --jobs N             files at a time (default: every core)\n"
    "  --parameters L       tuning, NAME=VALUE[,...] with NAME peak, narrow-peak,\n"
    "                       edge (dB), longest (ms), pair (s); narrow-peak is the\n"
    "                       peak on a channel that has little sound above 1 kHz\n\n"
    "Columns: channel,time_s,segment,kind\n"
    "(channel 1-based, the time the transient starts, its 100 ms segment, kind fine\n"
    "or coarse: the first two cycles shorter or longer than 10 ms). With several\n"
    "files a first column gives the file.\n\n"
    "Breath cycles: one per line of ANNOT.txt, start and end in seconds, optionally\n"
    "followed by crackles and wheezes as 0 or 1, separated by spaces or tabs.\n"
    "Columns then: start_s,end_s,crackle_segments,detected,annotated\n"
    "A 100 ms segment is inside a cycle when it overlaps the cycle by at least 50 ms;\n"
    "crackle_segments counts those flagged on the chosen channel (any channel without\n"
    "--channel), detected is 1 when there is at least one, annotated is the crackle\n"
    "column (empty when the line has none). A last line, a comment for CSV readers,\n"
    "gives the sensitivity and specificity over every annotated cycle of every file\n"
    "and their mean; a ratio with nothing to divide by reads nan.\n";

const char* const CracklesHeader = "channel,time_s,segment,kind\n";
const char* const CyclesHeader = "start_s,end_s,crackle_segments,detected,annotated\n";

struct CrackleRequest {
  std::vector<std::string> inputs;
  std::vector<std::string> annotations;  // one per input, or none
  int channel = 0;                       // 1-based; 0: every channel
  CrackleParameters parameters;
};

std::string crackleLine(const Crackle& c) {
  char text[96];
  std::snprintf(text, sizeof text, "%d,%.4f,%d,%s", c.channel + 1, c.time, c.segment, CrackleKindName(c.kind));
  return text;
}

int cracklesOne(const CrackleRequest& r, std::size_t i, FileOutput& output, CycleScore& score) {
  const std::string& path = r.inputs[i];
  const bool several = r.inputs.size() > 1;
  std::vector<BreathCycle> cycles;
  std::string error;
  // The annotation is read first: a malformed one is found before the samples.
  if (!r.annotations.empty() && !readCycles(r.annotations[i], cycles, error)) {
    output.err << "vode-cli: " << error << "\n";
    return ExitFileError;
  }
  Document doc;
  StderrPrompter prompter(output.err);
  if (readAnyInputFile(doc, path, prompter) != 0) return ExitFileError;
  const Recording& rec = *doc.recording;
  if (r.channel > rec.channelCount) {
    output.err << "vode-cli: " << path << " has no channel " << r.channel << "\n";
    return ExitFileError;
  }
  if (!r.annotations.empty() && !cyclesFit(path, r.annotations[i], cycles, rec.segmentCount, output.err))
    return ExitFileError;
  // A file without a tag table gets an empty one to carry the flags.
  if (!doc.tagTable || doc.tagTable->empty()) {
    doc.tagTable = std::make_unique<TagTable>();
    doc.tagTable->create(rec.channelCount, rec.segmentCount);
  }
  NullProgress progress;
  const CrackleResult result = DetectCrackles(rec, *doc.tagTable, progress, output.analysisThreads, r.parameters);

  const std::string prefix = several ? csvField(path) + "," : "";
  const int firstChannel = r.channel > 0 ? r.channel - 1 : 0;
  const int lastChannel = r.channel > 0 ? r.channel - 1 : rec.channelCount - 1;
  if (!r.annotations.empty()) {
    if (!several) output.out << CyclesHeader;
    scoreFlaggedCycles(cycles, &BreathCycle::crackles, *doc.tagTable, rec.segmentCount, firstChannel, lastChannel,
                       CrFlag, prefix, output.out, score);
    return ExitOk;
  }
  if (!several) output.out << CracklesHeader;
  for (const Crackle& c : result.crackles)
    if (c.channel >= firstChannel && c.channel <= lastChannel) output.out << prefix << crackleLine(c) << "\n";
  return ExitOk;
}

}  // namespace

int cmdCrackles(const Arguments& args) {
  if (printHelpIfAsked(args, Usage)) return ExitOk;
  ParsedArgs parsed;
  std::string error;
  const std::vector<OptionSpec> specs = {
      {"--channel", 1}, {"--cycles", 1, true}, {"--jobs", 1}, {"--parameters", 1}};
  if (!parseArgs(args, specs, parsed, error)) return usageError(error, Usage);
  CrackleRequest request;
  request.inputs = parsed.positional;
  if (request.inputs.empty()) return usageError("crackles needs a FILE", Usage);
  if (!readCyclesOption(parsed, request.inputs.size(), request.annotations, error)) return usageError(error, Usage);
  long long channel = 0;
  if (parsed.has("--channel") && (!parseInt(parsed.value("--channel"), channel) || channel < 1 || channel > MaxChannels))
    return usageError("--channel must be 1 to 8", Usage);
  request.channel = static_cast<int>(channel);
  if (parsed.has("--parameters")) {
    auto set = [&](const std::string& name, double value) { return request.parameters.set(name, value); };
    if (!readNamedValues("--parameters", parsed.value("--parameters"), set, "peak, narrow-peak, edge, longest, pair", error))
      return usageError(error, Usage);
  }
  int jobs = 0;
  if (!readJobsOption(parsed, jobs, error)) return usageError(error, Usage);

  const bool several = request.inputs.size() > 1;
  if (several) std::cout << "file," << (request.annotations.empty() ? CracklesHeader : CyclesHeader);
  std::vector<CycleScore> scores(request.inputs.size());
  const int result = runBatch(request.inputs, jobs, [&](std::size_t i, FileOutput& output) {
    return cracklesOne(request, i, output, scores[i]);
  });
  printTotalScore(scores, std::cout);
  return result;
}

}  // namespace vode::cli
