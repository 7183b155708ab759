// Placeholder until the sonogram command is built.
#include <iostream>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace vode::cli {

int cmdSonogram(const Arguments&) {
  std::cerr << "vode-cli: sonogram is not available in this build\n";
  return ExitUsage;
}

}  // namespace vode::cli
