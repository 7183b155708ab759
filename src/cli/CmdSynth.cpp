// Placeholder until the synth command is built.
#include <iostream>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace vode::cli {

int cmdSynth(const Arguments&) {
  std::cerr << "vode-cli: synth is not available in this build\n";
  return ExitUsage;
}

}  // namespace vode::cli
