#include "formats/ProgramVersion.h"

#include <sndfile.h>
#include <soxr.h>

namespace vode {

namespace {

std::string line(std::string_view name, std::string_view reported) {
  const std::string prefix = std::string(name) + "-";
  if (reported.starts_with(prefix)) reported.remove_prefix(prefix.size());
  return std::string(name) + " " + std::string(reported) + "\n";
}

}  // namespace

std::string versionText(std::string_view qtVersion) {
  return std::string(ProgramNameAndVersion) + "\n" + line("Qt", qtVersion) + line("libsndfile", sf_version_string()) +
         line("libsoxr", soxr_version());
}

}  // namespace vode
