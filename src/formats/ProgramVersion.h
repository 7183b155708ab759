// The program's name and version, and what `--version` prints.
#pragma once

#include <string>
#include <string_view>

namespace vode {

inline constexpr std::string_view ProgramNameAndVersion = "R.E.Z.U. Vode 1.7";

// The name and version, then a line each for Qt (the version the caller runs
// with; the core has no Qt), libsndfile and libsoxr, as the libraries report
// themselves when the program runs ("libsndfile-1.2.0" becomes
// "libsndfile 1.2.0").
std::string versionText(std::string_view qtVersion);

}  // namespace vode
