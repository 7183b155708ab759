// The program's name and version, and what `--version` prints.
#pragma once

#include <string>
#include <string_view>

namespace vode {

inline constexpr std::string_view ProgramNameAndVersion = "R.E.Z.U. Vode 1.7";

// The name and version, then a line each for Qt, libsndfile and libsoxr with
// the versions they report when the program runs (a library's own prefix,
// as in "libsndfile-1.2.0", becomes the line's name).
std::string versionText(std::string_view qt, std::string_view sndfile, std::string_view soxr);

}  // namespace vode
