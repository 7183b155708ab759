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
int openPath(Document& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
             FileSystem& fs = FileSystem::real(), ImportedFrom* from = nullptr);

}  // namespace vode
