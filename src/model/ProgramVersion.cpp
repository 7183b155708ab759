#include "model/ProgramVersion.h"

namespace vode {

namespace {

std::string line(std::string_view name, std::string_view reported) {
  const std::string prefix = std::string(name) + "-";
  if (reported.starts_with(prefix)) reported.remove_prefix(prefix.size());
  return std::string(name) + " " + std::string(reported) + "\n";
}

}  // namespace

std::string versionText(std::string_view qt, std::string_view sndfile, std::string_view soxr) {
  return std::string(ProgramNameAndVersion) + "\n" + line("Qt", qt) + line("libsndfile", sndfile) +
         line("libsoxr", soxr);
}

}  // namespace vode
