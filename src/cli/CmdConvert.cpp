// Placeholder until the convert command is built.
#include <iostream>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace vode::cli {

int cmdConvert(const Arguments&) {
  std::cerr << "vode-cli: convert is not available in this build\n";
  return ExitUsage;
}

}  // namespace vode::cli
