// Placeholder until the info command is built.
#include <iostream>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace vode::cli {

int cmdInfo(const Arguments&) {
  std::cerr << "vode-cli: info is not available in this build\n";
  return ExitUsage;
}

}  // namespace vode::cli
