// The one place where vode-cli reads an input file into a document, so that
// every command opens files the same way.
#pragma once

#include <string>

namespace vode {
class Document;
class Prompter;
}  // namespace vode

namespace vode::cli {

// Reads path into doc (reset first). On failure prints "Unable to open " +
// path + "... " + the error text to stderr and returns the code; the format's
// own warnings go through the prompter. Nothing else runs: no offset removal,
// no volume, no analysis.
int readInputFile(Document& doc, const std::string& path, Prompter& prompter);

// The same for any recording (readAnyRecording): a sound file of another
// rate, depth or container is resampled as convert --resample does it. Every
// message, "Unable to open ..." too, goes through the prompter; a settings
// file, which holds no recording, is refused with 201.
int readAnyInputFile(Document& doc, const std::string& path, Prompter& prompter);

}  // namespace vode::cli
