// Placeholder until the report command is built.
#include <iostream>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace vode::cli {

int cmdReport(const Arguments&) {
  std::cerr << "vode-cli: report is not available in this build\n";
  return ExitUsage;
}

}  // namespace vode::cli
