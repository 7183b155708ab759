// vode-cli wheeze: the open sequence, the analysis and the wheeze detector,
// then one CSV line per run of consecutive wheezing segments, or, against
// annotated breath cycles, one line per cycle and the detector's score.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/SoundBands.h"
#include "analysis/TonalWheeze.h"
#include "analysis/WheezeImage.h"
#include "analysis/WheezeRuns.h"
#include "cli/Batch.h"
#include "cli/BreathCycles.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OpenAndAnalyse.h"
#include "document/Document.h"
#include "model/Palette.h"
#include "model/Recording.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli wheeze FILE... [--cycles ANNOT.txt]... [--channel C] [--detector D]\n"
    "                       [--tracks] [--max-frequency F] [--settings FILE] [--jobs N]\n\n"
    "Opens and analyses each FILE, runs the wheeze detector and prints CSV: one line per\n"
    "run of consecutive segments carrying the Wheeze flag.\n\n"
    "  --channel C          1-based channel (default: every channel)\n"
    "  --detector D         standard (default): scores the peaks of the 100 ms\n"
    "                       segment spectra; tonal: tracks narrow peaks through\n"
    "                       25 ms steps of the samples, measured against the\n"
    "                       recording's own usual spectrum (max_score: the\n"
    "                       strongest peak's prominence in dB)\n"
    "  --tonal-parameters L tuning of the tonal detector, NAME=VALUE[,...] with\n"
    "                       NAME peak, track, length (dB), frames, step (Hz),\n"
    "                       burst (dB); narrow, pair (dB), reach (s) decide on a\n"
    "                       chest piece that passes little above 1 kHz\n"
    "  --tracks             with --detector tonal: one line per track the detector\n"
    "                       weighed, wheeze or not, instead of the runs\n"
    "  --max-frequency F    sonogram range 1200|2400|4800 Hz (default: the file's own);\n"
    "                       the 2400 Hz range tests two bins per row\n"
    "  --settings FILE      load a settings file first\n"
    "  --cycles ANNOT.txt   score the detections against annotated breath cycles; give\n"
    "                       one per FILE, in the same order\n"
    "  --jobs N             use N threads (default: every core); with several files,\n"
    "                       N files at a time, each analysed on one thread\n\n"
    "Columns: channel,first_segment,last_segment,start_s,end_s,max_score,max_score_hz\n"
    "(channel 1-based, times = segment / 10, the strongest value the wheeze image\n"
    "tested in the run - a bin's score, at 2400 Hz the sum of a row's two bins - and\n"
    "the frequency of its row). With several files a first column gives the file.\n\n"
    "Columns with --tracks: channel,first_segment,last_segment,start_s,end_s,frames,\n"
    "hz,prominence_db,margin_db,wheeze,narrow (frames: 25 ms steps the track spans,\n"
    "hz its mean frequency, prominence_db its mean prominence, margin_db how far\n"
    "that is above what a track of its length needs, wheeze 1 from a margin of 0\n"
    "up, narrow 1 when the channel's chest piece passes little above 1 kHz).\n\n"
    "Breath cycles: one per line of ANNOT.txt, start and end in seconds, optionally\n"
    "followed by crackles and wheezes as 0 or 1, separated by spaces or tabs.\n"
    "Columns then: start_s,end_s,wheeze_segments,detected,annotated\n"
    "A 100 ms segment is inside a cycle when it overlaps the cycle by at least 50 ms;\n"
    "wheeze_segments counts those flagged on the chosen channel (any channel without\n"
    "--channel), detected is 1 when there is at least one, annotated is the wheeze\n"
    "column (empty when the line has none). A last line, a comment for CSV readers,\n"
    "gives the sensitivity and specificity over every annotated cycle of every file\n"
    "and their mean; a ratio with nothing to divide by reads nan.\n";

const char* const RunsHeader = "channel,first_segment,last_segment,start_s,end_s,max_score,max_score_hz\n";
const char* const CyclesHeader = "start_s,end_s,wheeze_segments,detected,annotated\n";
const char* const TracksHeader =
    "channel,first_segment,last_segment,start_s,end_s,frames,hz,prominence_db,margin_db,wheeze,narrow\n";

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

struct WheezeRequest {
  std::vector<std::string> inputs;
  std::vector<std::string> annotations;  // one per input, or none
  int channel = 0;                       // 1-based; 0: every channel
  bool tracks = false;                   // list the tonal detector's tracks
  AnalysisSetup setup;
};

std::string trackLine(int channel, const TonalTrack& t, bool narrow) {
  double hz = 0.0;
  for (const TonalPoint& p : t.points) hz += p.bin * BinWidth;
  hz /= static_cast<double>(t.points.size());
  const int first = tonalFrameSegment(t.firstFrame()), last = tonalFrameSegment(t.lastFrame());
  char text[200];
  std::snprintf(text, sizeof text, "%d,%d,%d,%.1f,%.1f,%d,%.1f,%.4f,%.4f,%d,%d", channel + 1, first, last,
                first / 10.0, last / 10.0, t.spanFrames(), hz, static_cast<double>(t.meanProminenceDb),
                static_cast<double>(t.marginDb), t.wheeze() ? 1 : 0, narrow ? 1 : 0);
  return text;
}


// Channels first..last (0-based) of the request in a document.
struct ChannelSpan {
  int first = 0, last = -1;
};

ChannelSpan channelsOf(const WheezeRequest& r, const Document& doc) {
  if (r.channel > 0) return {r.channel - 1, r.channel - 1};
  return {0, doc.recording->channelCount - 1};
}

// The tonal detector's tracks of the request's channels, from the samples the
// analysis read.
void printTracks(const WheezeRequest& r, const Document& doc, ChannelSpan channels, const std::string& prefix,
                 std::ostream& out) {
  const Recording& rec = *doc.recording;
  for (int c = channels.first; c <= channels.last; ++c) {
    if (!rec.hasSamples(c)) continue;
    const int64_t count = std::min<int64_t>(static_cast<int64_t>(rec.sound[c].size()),
                                            static_cast<int64_t>(rec.segmentCount) * SegmentSamples);
    const bool narrow = MeasureBandBalance(rec.sound[c].data(), count).narrow();
    for (const TonalTrack& t : MeasureTonalTracks(rec.sound[c].data(), count, r.setup.tonal))
      out << prefix << trackLine(c, t, narrow) << "\n";
  }
}

int wheezeOne(const WheezeRequest& r, std::size_t i, FileOutput& output, CycleScore& score) {
  const std::string& path = r.inputs[i];
  const bool several = r.inputs.size() > 1;
  std::vector<BreathCycle> cycles;
  std::string error;
  // The annotation is read first: a malformed one is found before the analysis.
  if (!r.annotations.empty() && !readCycles(r.annotations[i], cycles, error)) {
    output.err << "vode-cli: " << error << "\n";
    return ExitFileError;
  }
  Document doc;
  StderrPrompter prompter(output.err);
  AnalysisSetup setup = r.setup;
  setup.threads = output.analysisThreads;
  if (openAndAnalyse(doc, path, setup, Palette::grey(), prompter) != ExitOk) return ExitFileError;
  // A channel the file lacks is a fault of the data, as in report and sonogram.
  if (r.channel > doc.recording->channelCount) {
    output.err << "vode-cli: " << path << " has no channel " << r.channel << "\n";
    return ExitFileError;
  }

  const std::string prefix = several ? csvField(path) + "," : "";
  const ChannelSpan channels = channelsOf(r, doc);
  if (r.tracks) {
    if (!several) output.out << TracksHeader;
    printTracks(r, doc, channels, prefix, output.out);
    return ExitOk;
  }
  if (!r.annotations.empty()) {
    if (!cyclesFit(path, r.annotations[i], cycles, doc.recording->segmentCount, output.err)) return ExitFileError;
    if (!several) output.out << CyclesHeader;
    scoreFlaggedCycles(cycles, &BreathCycle::wheezes, *doc.tagTable, doc.recording->segmentCount, channels.first,
                       channels.last, Wheeze, prefix, output.out, score);
    return ExitOk;
  }
  if (!several) output.out << RunsHeader;
  const int range = sonogramFrequency(doc.preferences);
  for (int c = channels.first; c <= channels.last; ++c)
    for (const WheezeRun& run : FindWheezeRuns(doc, doc, c, range)) output.out << prefix << csvLine(run) << "\n";
  return ExitOk;
}

}  // namespace

int cmdWheeze(const Arguments& args) {
  if (printHelpIfAsked(args, Usage)) return ExitOk;
  ParsedArgs parsed;
  std::string error;
  const std::vector<OptionSpec> specs = {{"--channel", 1}, {"--max-frequency", 1}, {"--settings", 1},
                                         {"--cycles", 1, true}, {"--jobs", 1},
                                         {"--detector", 1},      {"--tonal-parameters", 1},
                                         {"--tracks", 0}};
  if (!parseArgs(args, specs, parsed, error)) return usageError(error, Usage);
  WheezeRequest request;
  request.inputs = parsed.positional;
  if (request.inputs.empty()) return usageError("wheeze needs a FILE", Usage);
  if (!readCyclesOption(parsed, request.inputs.size(), request.annotations, error)) return usageError(error, Usage);

  long long channel = 0;
  if (parsed.has("--channel") && (!parseInt(parsed.value("--channel"), channel) || channel < 1 || channel > MaxChannels))
    return usageError("--channel must be 1 to 8", Usage);
  request.channel = static_cast<int>(channel);
  if (!readAnalysisOptions(parsed, request.setup, error, true)) return usageError(error, Usage);
  request.tracks = parsed.has("--tracks");
  request.setup.wheeze = !request.tracks;  // the tracks are measured apart from the flags
  if (request.tracks && request.setup.detector != WheezeDetector::Tonal)
    return usageError("--tracks needs --detector tonal", Usage);
  if (request.tracks && !request.annotations.empty())
    return usageError("--tracks lists tracks, --cycles scores cycles: give one of them", Usage);
  int jobs = 0;
  if (!readJobsOption(parsed, jobs, error)) return usageError(error, Usage);

  const bool several = request.inputs.size() > 1;
  if (several)
    std::cout << "file,"
              << (request.tracks ? TracksHeader : request.annotations.empty() ? RunsHeader : CyclesHeader);
  std::vector<CycleScore> scores(request.inputs.size());
  const int result = runBatch(request.inputs, jobs, [&](std::size_t i, FileOutput& output) {
    return wheezeOne(request, i, output, scores[i]);
  });

  printTotalScore(scores, std::cout);
  return result;
}

}  // namespace vode::cli
