// The open sequence that the window and vode-cli share.
#pragma once

#include <string>

#include "formats/FileSystem.h"

namespace vode {

class Document;
class Prompter;
class ProgressSink;

// Opens a path: reads it by extension keeping the program's flow display,
// analyse-on-open and dB reference, shows "Unable to open ..." and empties the
// document on failure, otherwise makes it the current file; then removes the
// channels' offsets and computes the volume. The document ends unmodified
// with analyse-on-open set. The window adds the recent list, the display and
// the analysis; vode-cli the analysis. Returns the code.
int openPath(Document& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
             FileSystem& fs = FileSystem::real());

}  // namespace vode
