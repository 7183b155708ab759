#include "cli/CliInput.h"

#include <iostream>

#include "formats/AnyRecording.h"
#include "formats/FileErrors.h"
#include "formats/OpenFile.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Prompter.h"

namespace vode::cli {

int readInputFile(Document& doc, const std::string& path, Prompter& prompter) {
  NullProgress progress;
  const int code = readByExtension(doc, path, prompter, progress);
  if (code != 0) std::cerr << openFailureText(path, code) << "\n";
  return code;
}

int readAnyInputFile(Document& doc, const std::string& path, Prompter& prompter) {
  NullProgress progress;
  const int code = readAnyRecording(doc, path, prompter, progress);
  if (code != 0) {
    prompter.message(MessageKind::Warning, openFailureText(path, code));
    return code;
  }
  // A settings file reads without error and holds no recording to work on.
  if (!doc.hasRecording()) {
    prompter.message(MessageKind::Error, "vode-cli: " + path + " holds settings, not a recording");
    return ErrFormat;
  }
  return 0;
}

}  // namespace vode::cli
