// vode-cli synth OUT.mer [--seed N] [--channels C] [--seconds S] [--resp]
// [--wheezes] [--crackles]: a deterministic synthetic breathing recording for
// demos and tests.
#include <cstdio>
#include <iostream>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "formats/BlockFile.h"
#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Synthetic.h"
#include "model/SyntheticEvents.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli synth OUT.mer [--seed N] [--channels C] [--seconds S] [--resp]\n"
    "                      [--wheezes] [--crackles] [--no-breath] [--cycles ANNOT.txt]\n\n"
    "Writes a synthetic recording: 12-20 breaths a minute of varying depth with short\n"
    "pauses, sized for the subject's default target flow, and breath sound on each\n"
    "channel that follows the flow. The same options always give the same file.\n"
    "  --seed N       0 or more (default 1)\n"
    "  --channels C   sound channels, 0-8 (default 2)\n"
    "  --seconds S    length, above 0 and at most 180 (default 60)\n"
    "  --resp         a respiration-band trace instead of airflow\n"
    "  --wheezes      add wheezes: musical tones of 100-1000 Hz lasting 250 ms to\n"
    "                 1.5 s with a slight glide, in inspirations and expirations\n"
    "  --crackles     add crackles: damped transients under 20 ms, mostly early in\n"
    "                 inspiration\n"
    "  --no-breath    leave the breath trace at zero, as on a stethoscope recording\n"
    "                 (the sound stays the same)\n"
    "  --cycles ANNOT.txt  write the breaths as annotated cycles: start and end in\n"
    "                 seconds, crackles and wheezes as 0 or 1, one cycle per line\n"
    "With --wheezes or --crackles the events added are printed as CSV:\n"
    "  event,start_s,end_s,phase,start_hz,end_hz\n";

void printEvents(const std::vector<SynthEvent>& events) {
  std::cout << "event,start_s,end_s,phase,start_hz,end_hz\n";
  for (const SynthEvent& e : events) {
    char line[128];
    std::snprintf(line, sizeof line, "%s,%.3f,%.3f,%s,%.0f,%.0f",
                  e.kind == SynthEvent::Kind::Wheeze ? "wheeze" : "crackle", e.start, e.end,
                  e.inspiration ? "inspiration" : "expiration", e.startHz, e.endHz);
    std::cout << line << "\n";
  }
}

}  // namespace

int cmdSynth(const Arguments& args) {
  if (printHelpIfAsked(args, Usage)) return ExitOk;
  ParsedArgs parsed;
  std::string error;
  const std::vector<OptionSpec> specs = {
      {"--seed", 1},   {"--channels", 1},
      {"--seconds", 1}, {"--resp", 0}, {"--wheezes", 0}, {"--crackles", 0},
      {"--no-breath", 0}, {"--cycles", 1}};
  if (!parseArgs(args, specs, parsed, error)) return usageError(error, Usage);
  if (parsed.positional.size() != 1) return usageError("synth needs exactly one OUT file", Usage);

  SynthOptions options;
  long long seed = 1, channels = 2;
  double seconds = 60.0;
  if (parsed.has("--seed") && (!parseInt(parsed.value("--seed"), seed) || seed < 0))
    return usageError("--seed takes a whole number of 0 or more", Usage);
  if (parsed.has("--channels") && (!parseInt(parsed.value("--channels"), channels) || channels < 0 || channels > 8))
    return usageError("--channels takes 0 to 8", Usage);
  if (parsed.has("--seconds") &&
      (!parseFloat(parsed.value("--seconds"), seconds) || !(seconds > 0.0) || seconds > 180.0))
    return usageError("--seconds takes a length above 0 and at most 180", Usage);
  options.seed = static_cast<uint64_t>(seed);
  options.channels = static_cast<int>(channels);
  options.seconds = seconds;
  options.resp = parsed.has("--resp");
  options.wheezes = parsed.has("--wheezes");
  options.crackles = parsed.has("--crackles");
  options.breathSignal = !parsed.has("--no-breath");

  Document doc;
  std::vector<SynthEvent> events;
  std::vector<SynthBreath> breaths;
  makeSyntheticRecording(doc, options, &events, &breaths);
  StderrPrompter prompter;
  NullProgress progress;
  const int code =
      saveRecordingFile(doc, parsed.positional[0], 0, doc.recording->segmentCount - 1, prompter, progress);
  if (code != 0) return ExitFileError;
  if (parsed.has("--cycles")) {
    const std::string text = cycleAnnotation(breaths, events, doc.recording->segmentCount / 10.0);
    const std::string& target = parsed.value("--cycles");
    if (const int failed = writeFileAtomically(FileSystem::real(), target, std::vector<uint8_t>(text.begin(), text.end()))) {
      std::cerr << "Unable to save " << target << "... " << FileErrorText(failed) << "\n";
      return ExitFileError;
    }
  }
  if (options.wheezes || options.crackles) printEvents(events);
  return ExitOk;
}

}  // namespace vode::cli
