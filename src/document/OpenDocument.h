// The open sequence that the window and vode-cli share.
#pragma once

#include <string>

#include "formats/FileSystem.h"

namespace vode {

class Document;
class Prompter;
class ProgressSink;
struct ImportedFrom;

// Opens a path: reads any recording (readAnyRecording: the program's own
// formats, or any other sound file resampled) keeping the program's flow
// display, analyse-on-open and dB reference, shows "Unable to open ..." and
// empties the document on failure, otherwise makes it the current file; then
// removes the channels' offsets and computes the volume. The document ends
// unmodified with analyse-on-open set. The window adds the recent list, the
// display and the analysis; vode-cli the analysis. from (when given) says
// whether the file was resampled. Returns the code.
//
// With FailedOpen::KeepDocument a file that cannot be opened leaves the
// document as it was (recording, results, modified), its message shown: the
// readers that empty their document first then read into a scratch one that
// replaces it only once the file opened.
enum class FailedOpen { Reset, KeepDocument };
int openPath(Document& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
             FileSystem& fs = FileSystem::real(), ImportedFrom* from = nullptr,
             FailedOpen failed = FailedOpen::Reset);

}  // namespace vode
