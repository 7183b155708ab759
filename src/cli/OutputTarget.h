// Where a command's text goes: "-o -" is standard output, anything else a
// file written through writeFileAtomically, so a failed run keeps the old one.
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace vode::cli {

// The output name that stands for standard output.
inline bool isStandardOutput(const std::string& path) { return path == "-"; }

// Runs write with a stream into path (or standard output) and returns the
// first error of the file ("vode-cli: cannot write PATH... TEXT" printed),
// or 0; what write returns is left in status.
int writeOutput(const std::string& path, const std::function<int(std::ostream&)>& write, int& status);

// The whole text at once; ExitOk or ExitFileError (message printed).
int writeOutputText(const std::string& path, const std::string& text);

}  // namespace vode::cli
