// Placeholder until the wheeze command is built.
#include <iostream>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace vode::cli {

int cmdWheeze(const Arguments&) {
  std::cerr << "vode-cli: wheeze is not available in this build\n";
  return ExitUsage;
}

}  // namespace vode::cli
