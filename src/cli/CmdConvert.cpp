// vode-cli convert IN OUT [--first S --last S]: reads IN and writes OUT in the
// format of OUT's extension. No offset removal and no analysis run in
// between, so the samples pass unchanged.
#include <algorithm>
#include <cctype>
#include <iostream>

#include "cli/CliInput.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "formats/BlockFile.h"
#include "model/Document.h"
#include "model/Progress.h"

namespace vode::cli {

namespace {

const char* const Usage =
    "Usage: vode-cli convert IN OUT [--first S --last S]\n\n"
    "Reads IN and writes OUT in the format of OUT's extension (.mer).\n"
    "  --first S   first segment to write (0-based, default 0)\n"
    "  --last S    last segment to write (default: the last one)\n"
    "The samples are copied unchanged: no offset removal, no analysis.\n";

std::string lowerExtension(const std::string& path) {
  const auto dot = path.find_last_of('.');
  const auto slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot);
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return ext;
}

// The one dispatch on the output format. -1 when the extension is not one we
// write; otherwise the writer's code (its message already shown).
int writeOutputFile(Document& doc, const std::string& path, int first, int last, Prompter& prompter) {
  NullProgress progress;
  const std::string ext = lowerExtension(path);
  if (ext == ".mer") return saveRecordingFile(doc, path, first, last, prompter, progress);
  return -1;
}

bool segmentOption(const ParsedArgs& parsed, const std::string& name, long long fallback, long long& value) {
  value = fallback;
  return !parsed.has(name) || parseInt(parsed.value(name), value);
}

}  // namespace

int cmdConvert(const Arguments& args) {
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {{"--help", 0}, {"--first", 1}, {"--last", 1}}, parsed, error))
    return usageError(error, Usage);
  if (parsed.has("--help")) {
    std::cout << Usage;
    return ExitOk;
  }
  if (parsed.positional.size() != 2) return usageError("convert needs IN and OUT", Usage);
  const std::string& in = parsed.positional[0];
  const std::string& out = parsed.positional[1];
  if (lowerExtension(out) != ".mer") return usageError("cannot write " + out + ": the output must be .mer", Usage);

  Document doc;
  StderrPrompter prompter;
  if (readInputFile(doc, in, prompter) != 0) return ExitFileError;
  if (!doc.hasRecording()) {
    std::cerr << "vode-cli: " << in << " holds no recording\n";
    return ExitFileError;
  }
  const long long segments = doc.recording->segmentCount;
  long long first = 0, last = 0;
  if (!segmentOption(parsed, "--first", 0, first) || !segmentOption(parsed, "--last", segments - 1, last))
    return usageError("--first and --last take segment numbers", Usage);
  if (first < 0 || last >= segments || first > last)
    return usageError("segments " + std::to_string(first) + ".." + std::to_string(last) + " are not inside 0.." +
                          std::to_string(segments - 1),
                      Usage);

  const int code = writeOutputFile(doc, out, static_cast<int>(first), static_cast<int>(last), prompter);
  return code == 0 ? ExitOk : ExitFileError;
}

}  // namespace vode::cli
