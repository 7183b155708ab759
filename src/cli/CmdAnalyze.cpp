// vode-cli analyze: the open sequence and the analysis command on one file,
// with the tagging and averaging results as one JSON object.
#include <iostream>

#include "cli/Batch.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OpenAndAnalyse.h"
#include "document/Document.h"
#include "model/Palette.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli analyze FILE... [--max-frequency F] [--wheeze [--detector D]]\n"
    "                        [--settings FILE] [--jobs N]\n\n"
    "Opens FILE as the program does (its reader, or any other sound file resampled\n"
    "as convert --resample does; offset removal, volume),\n"
    "runs the analysis (spectra, images, tags, averages, band power) and prints\n"
    "one JSON object with the phases, tags, thresholds, counters and timings.\n"
    "With several files: one object per line, in the order given, each starting\n"
    "with \"file\" (the name as given); a file that fails prints no line.\n"
    "A recording whose breath signal is all zero (a stethoscope's) has no phases:\n"
    "stderr says so; mark them with 'vode-cli labels import'.\n\n"
    "  --max-frequency F   sonogram range 1200, 2400 or 4800 Hz (default: the file's)\n"
    "  --wheeze            also run the wheeze detector\n"
    "  --detector D        with --wheeze: standard (default) or tonal\n"
    "  --settings FILE     load a settings file first, as the program loads its\n"
    "                      default settings (its dB reference carries over)\n"
    "  --jobs N            use N threads (default: every core); with several files,\n"
    "                      N files at a time, each analysed on one thread\n";

// file: the input's name, written first; empty for a single input, whose
// object has no such key.
void writeResults(Json& json, const std::string& file, const Document& doc, const AnalysisTimings& t,
                  double readMs, double wheezeMs) {
  const TagTable& tags = *doc.tagTable;
  const PhaseTable& phases = *doc.phaseTable;
  // One entry per sound channel, even where a stored table has fewer rows.
  const int channels = doc.recording->channelCount;

  json.beginObject();
  if (!file.empty()) json.path("file", file);
  json.value("phases", phases.lastPhase + 1);

  int counts[5] = {0, 0, 0, 0, 0};
  for (int s = 0; s < tags.segments(); ++s) {
    const uint8_t p = tags.phase(s);
    if (p == 0 || p == Inspiration || p == Expiration || p == Background) ++counts[p];
  }
  json.beginObject("phaseCounts");
  for (int p : {0, 1, 2, 4}) json.value(std::to_string(p), counts[p]);
  json.endObject();

  json.beginArray("flaggedSegments");
  for (int c = 0; c < channels; ++c) {
    int n = 0;
    for (int s = 0; s < tags.segments(); ++s) n += tags.flags(c, s) != 0;
    json.value("", n);
  }
  json.endArray();
  json.beginArray("wheezeSegments");
  for (int c = 0; c < channels; ++c) {
    int n = 0;
    for (int s = 0; s < tags.segments(); ++s) n += (tags.flags(c, s) & Wheeze) != 0;
    json.value("", n);
  }
  json.endArray();

  json.beginObject("thresholds")
      .value("inspLow", phases.inspLow)
      .value("inspHigh", phases.inspHigh)
      .value("expLow", phases.expLow)
      .value("expHigh", phases.expHigh)
      .value("backgroundFlow", phases.backgroundFlow)
      .value("minPhaseSum", phases.minPhaseSum)
      .endObject();
  json.beginObject("counters")
      .value("inspTagged", phases.inspTagged)
      .value("expTagged", phases.expTagged)
      .value("backgroundTagged", phases.backgroundTagged)
      .value("inspBreaths", phases.inspBreaths)
      .value("expBreaths", phases.expBreaths)
      .value("readyFlags", static_cast<int>(phases.readyFlags))
      .endObject();

  const OverallAverages* avg = doc.averages.get();
  const int analysed = doc.spectra ? doc.spectra->channelCount : 0;
  auto countArray = [&](const char* key, int (OverallAverages::*count)(int) const) {
    json.beginArray(key);
    for (int c = 0; c < analysed; ++c) json.value("", avg ? (avg->*count)(c) : 0);
    json.endArray();
  };
  json.beginObject("averageCounts");
  countArray("insp", &OverallAverages::inspCountOf);
  countArray("exp", &OverallAverages::expCountOf);
  countArray("bg", &OverallAverages::backgroundCountOf);
  json.endObject();

  json.beginArray("peakBandPower");
  for (int c = 0; c < analysed; ++c) json.value("", doc.spectra->peakBandPower[c]);
  json.endArray();

  json.beginObject("timingsMs")
      .value("read", readMs)
      .value("spectra", t.spectra)
      .value("images", t.images)
      .value("tags", t.tags)
      .value("averages", t.averages)
      .value("wheeze", wheezeMs)
      .endObject();
  json.endObject();
}

}  // namespace

int cmdAnalyze(const Arguments& args) {
  if (printHelpIfAsked(args, Usage)) return ExitOk;
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args,
                 {{"--max-frequency", 1}, {"--wheeze", 0}, {"--settings", 1}, {"--jobs", 1}, {"--detector", 1},
                  {"--tonal-parameters", 1}},
                 parsed, error))
    return usageError(error, Usage);
  const std::vector<std::string>& inputs = parsed.positional;
  if (inputs.empty()) return usageError("analyze needs a FILE", Usage);
  AnalysisSetup setup;
  if (!readAnalysisOptions(parsed, setup, error)) return usageError(error, Usage);
  int jobs = 0;
  if (!readJobsOption(parsed, jobs, error)) return usageError(error, Usage);

  return runBatch(inputs, jobs, [&](std::size_t i, FileOutput& output) {
    Document doc;
    StderrPrompter prompter(output.err);
    AnalysisSetup own = setup;
    own.threads = output.analysisThreads;
    own.needsPhases = true;
    AnalysisRun run;
    if (openAndAnalyse(doc, inputs[i], own, Palette::grey(), prompter, &run) != ExitOk) return ExitFileError;
    Json json(output.out);
    writeResults(json, inputs.size() > 1 ? inputs[i] : std::string(), doc, run.timings, run.readMs, run.wheezeMs);
    output.out << "\n";
    return ExitOk;
  });
}

}  // namespace vode::cli
