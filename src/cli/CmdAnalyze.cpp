// Placeholder until the analyze command is built.
#include <iostream>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace vode::cli {

int cmdAnalyze(const Arguments&) {
  std::cerr << "vode-cli: analyze is not available in this build\n";
  return ExitUsage;
}

}  // namespace vode::cli
