#include "cli/CliInput.h"

#include <iostream>

#include "formats/FileErrors.h"
#include "formats/OpenFile.h"
#include "document/Document.h"
#include "model/Progress.h"

namespace vode::cli {

int readInputFile(Document& doc, const std::string& path, Prompter& prompter) {
  NullProgress progress;
  const int code = readByExtension(doc, path, prompter, progress);
  if (code != 0) std::cerr << openFailureText(path, code) << "\n";
  return code;
}

}  // namespace vode::cli
