// vode-cli labels: breath phases in and out of a recording as a label track
// (start, end and label per line, tab-separated), the form audio editors and
// annotation tools read and write.
#include <iostream>
#include <string>
#include <vector>

#include "model/Palette.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OpenAndAnalyse.h"
#include "cli/OutputTarget.h"
#include "document/Document.h"
#include "document/LabelImport.h"
#include "formats/BlockFile.h"
#include "formats/FileErrors.h"
#include "formats/LabelTrack.h"
#include "formats/OpenFile.h"
#include "model/Progress.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli labels import FILE LABELS.txt -o OUT.mer [--settings FILE]\n"
    "       vode-cli labels export FILE -o LABELS.txt [--settings FILE]\n"
    "\n"
    "Breath phases as a label track: one label per line, start and end in\n"
    "seconds and the label, separated by tabs, as Audacity and Sonic Visualiser\n"
    "write label tracks. FILE is any recording the program opens.\n"
    "\n"
    "import  marks the segments of each label (those whose middle lies inside\n"
    "        it) and writes the recording with its tags to OUT.mer. Labels: I, E,\n"
    "        B (or inspiration, expiration, background) tag the segments and give\n"
    "        them a breath signal of + or - the target flow, or 0; X (or exclude)\n"
    "        excludes them on every channel. Case does not matter; other labels\n"
    "        are listed and skipped. Where labels overlap, the later one wins.\n"
    "export  writes one line per run of equally tagged segments, \"%.1f\\t%.1f\\tL\"\n"
    "        with L one of I, E, B, X (X for a segment excluded on any channel);\n"
    "        untagged runs are left out. -o - writes to standard output.\n"
    "\n"
    "  -o, --output OUT       the recording (import) or the label track (export)\n"
    "  --settings FILE        load a settings file first, as the program loads its\n"
    "                         default settings\n";

// The recording opened and tagged as the window has it after opening.
int openTagged(Document& doc, const std::string& path, const ParsedArgs& args, Prompter& prompter) {
  AnalysisSetup setup;
  setup.settingsPath = args.value("--settings");
  setup.tagsOnly = true;
  return openAndAnalyse(doc, path, setup, Palette::grey(), prompter);
}

int importLabels(const ParsedArgs& args) {
  if (args.positional.size() != 3) return usageError("labels import needs FILE and LABELS.txt", Usage);
  const std::string& input = args.positional[1];
  const std::string& track = args.positional[2];
  const std::string out = args.value("--output");
  if (upperExtension(out) != ".MER") return usageError("labels import writes a .mer recording (-o OUT.mer)", Usage);

  // The track is read before the recording, so a bad track costs no analysis.
  std::vector<TrackLabel> labels;
  std::string error;
  if (const int code = readLabelTrack(track, labels, error)) {
    std::cerr << (code == ErrFormat ? "Unable to open " + track + "... " + error : openFailureText(track, code))
              << "\n";
    return ExitFileError;
  }
  Document doc;
  StderrPrompter prompter;
  NullProgress progress;
  if (openTagged(doc, input, args, prompter) != ExitOk) return ExitFileError;
  applyLabelTrack(doc, doc, labels, track, progress, prompter);
  return saveRecordingFile(doc, out, 0, doc.recording->segmentCount - 1, prompter, progress) == 0 ? ExitOk
                                                                                                  : ExitFileError;
}

int exportLabels(const ParsedArgs& args) {
  if (args.positional.size() != 2) return usageError("labels export needs one FILE", Usage);
  Document doc;
  StderrPrompter prompter;
  if (openTagged(doc, args.positional[1], args, prompter) != ExitOk) return ExitFileError;
  return writeOutputText(args.value("--output"), labelTrackText(*doc.tagTable));
}

}  // namespace

int cmdLabels(const Arguments& arguments) {
  if (printHelpIfAsked(arguments, Usage)) return ExitOk;
  ParsedArgs args;
  std::string error;
  if (!parseArgs(withLongOutputOption(arguments), {{"--output", 1}, {"--settings", 1}}, args, error))
    return usageError(error, Usage);
  if (args.positional.empty()) return usageError("labels needs import or export", Usage);
  if (!args.has("--output")) return usageError("no output given (-o OUT)", Usage);
  const std::string& action = args.positional[0];
  if (action == "import") return importLabels(args);
  if (action == "export") return exportLabels(args);
  return usageError("labels needs import or export, not '" + action + "'", Usage);
}

}  // namespace vode::cli
