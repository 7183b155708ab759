// vode-cli convert IN OUT: reads IN and writes OUT in the format of OUT's
// extension. No offset removal and no analysis run in between, so the samples
// pass unchanged. With --resample, IN is any sound file libsndfile reads.
#include <iostream>
#include <sstream>

#include "cli/CliInput.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "formats/BlockFile.h"
#include "formats/DosDat.h"
#include "formats/FileErrors.h"
#include "formats/OpenFile.h"
#include "formats/AnyRecording.h"
#include "document/Document.h"
#include "model/Progress.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli convert IN OUT [--first S --last S] [--dos-channels AUX,A,B]\n"
    "       vode-cli convert --resample IN OUT.mer\n\n"
    "Reads IN (.mer, .bin, .wav or .dat, by its extension) and writes OUT in the\n"
    "format of OUT's extension (.mer, .bin, .wav or .dat).\n"
    "  --first S     first segment to write (0-based, default 0; .mer only)\n"
    "  --last S      last segment to write (default: the last one; .mer only)\n"
    "  --dos-channels AUX,A,B\n"
    "                the channels of a .dat file, numbered from 1, 0 for none: the\n"
    "                aux copy, Sound A (required) and Sound B. Default 0,1,2; a\n"
    "                recording of more than two channels needs the option.\n"
    "  --resample    IN is any sound file (WAV of any rate and depth, FLAC, OGG;\n"
    "                1 to 8 channels): it is resampled to 10240 Hz, converted to\n"
    "                16 bits (clipped samples are counted) and written as a\n"
    "                recording with zero flow, at most 180 s.\n"
    "The samples are copied unchanged: no offset removal, no analysis.\n";

bool segmentOption(const ParsedArgs& parsed, const std::string& name, long long fallback, long long& value) {
  value = fallback;
  return !parsed.has(name) || parseInt(parsed.value(name), value);
}

struct DosChannels {
  int aux = 0, soundA = 1, soundB = 2;  // 1-based, 0 for none
};

// "AUX,A,B": three channel numbers of the recording, Sound A not 0.
bool parseDosChannels(const std::string& text, int channels, DosChannels& out) {
  std::istringstream in(text);
  std::string part;
  std::vector<long long> numbers;
  while (std::getline(in, part, ',')) {
    long long n = 0;
    if (!parseInt(part, n) || n < 0 || n > channels) return false;
    numbers.push_back(n);
  }
  if (numbers.size() != 3 || numbers[1] == 0 || text.back() == ',') return false;
  out = {static_cast<int>(numbers[0]), static_cast<int>(numbers[1]), static_cast<int>(numbers[2])};
  return true;
}

int convertResampled(const std::string& in, const std::string& out) {
  Document doc;
  ResampleSummary summary;
  std::string error;
  if (!resampleImport(doc, in, summary, error)) {
    std::cerr << error << "\n";
    return ExitFileError;
  }
  StderrPrompter prompter;
  warnAboutResampling(in, summary, prompter);
  std::cout << "Resampled " << in << " from " << summary.inputRate << " Hz to 10240 Hz: " << summary.channels
            << (summary.channels == 1 ? " channel, " : " channels, ") << summary.segments
            << (summary.segments == 1 ? " segment, " : " segments, ")
            << summary.clippedSamples << " samples clipped\n";
  NullProgress progress;
  return saveRecordingFile(doc, out, 0, summary.segments - 1, prompter, progress) == 0 ? ExitOk : ExitFileError;
}

}  // namespace

int cmdConvert(const Arguments& args) {
  if (printHelpIfAsked(args, Usage)) return ExitOk;
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {{"--first", 1}, {"--last", 1}, {"--dos-channels", 1}, {"--resample", 0}},
                 parsed, error))
    return usageError(error, Usage);
  if (parsed.positional.size() != 2) return usageError("convert needs IN and OUT", Usage);
  const std::string& in = parsed.positional[0];
  const std::string& out = parsed.positional[1];
  const std::string ext = upperExtension(out);
  if (ext != ".MER" && ext != ".BIN" && ext != ".WAV" && ext != ".DAT")
    return usageError("cannot write " + out + ": the output must be .mer, .bin, .wav or .dat", Usage);
  const bool range = parsed.has("--first") || parsed.has("--last");
  if (range && ext != ".MER") return usageError("--first and --last apply to .mer output only", Usage);
  if (parsed.has("--dos-channels") && ext != ".DAT")
    return usageError("--dos-channels applies to .dat output only", Usage);

  if (parsed.has("--resample")) {
    if (ext != ".MER" || range) return usageError("--resample writes a whole .mer recording", Usage);
    return convertResampled(in, out);
  }

  Document doc;
  StderrPrompter prompter;
  NullProgress progress;
  if (readInputFile(doc, in, prompter) != 0) return ExitFileError;
  if (!doc.hasRecording()) {
    std::cerr << "vode-cli: " << in << " holds no recording\n";
    return ExitFileError;
  }
  const int channels = doc.recording->channelCount;
  const long long segments = doc.recording->segmentCount;

  if (ext == ".MER") {
    long long first = 0, last = 0;
    if (!segmentOption(parsed, "--first", 0, first) || !segmentOption(parsed, "--last", segments - 1, last))
      return usageError("--first and --last take segment numbers", Usage);
    // Without a range every segment is written, none for a recording that has none.
    if (range && (first < 0 || last >= segments || first > last))
      return usageError("segments " + std::to_string(first) + ".." + std::to_string(last) + " are not inside 0.." +
                            std::to_string(segments - 1),
                        Usage);
    const int code = saveRecordingFile(doc, out, static_cast<int>(first), static_cast<int>(last), prompter, progress);
    return code == 0 ? ExitOk : ExitFileError;
  }

  if (ext == ".DAT" && (parsed.has("--dos-channels") || channels > 2)) {
    if (!parsed.has("--dos-channels"))
      return usageError(in + " has " + std::to_string(channels) + " channels: choose them with --dos-channels AUX,A,B",
                        Usage);
    DosChannels dos;
    if (!parseDosChannels(parsed.value("--dos-channels"), channels, dos))
      return usageError("--dos-channels takes AUX,A,B: channel numbers 1 to " + std::to_string(channels) +
                            " or 0 for none, Sound A not 0",
                        Usage);
    const int code = writeDosFile(doc, out, dos.aux - 1, dos.soundA - 1, dos.soundB - 1);
    if (code != 0) prompter.message(MessageKind::Warning, "Unable to save " + out + "... " + FileErrorText(code));
    return code == 0 ? ExitOk : ExitFileError;
  }

  return saveByExtension(doc, out, prompter, progress) == 0 ? ExitOk : ExitFileError;
}

}  // namespace vode::cli
