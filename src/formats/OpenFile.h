// Choosing a file's reader or writer by its extension, and the open sequence
// that the window and vode-cli share.
#pragma once

#include <string>

#include "formats/FileSystem.h"

namespace vode {

class Document;
class Prompter;
class ProgressSink;

// The extension of the file-name part, from its last "." on, in upper case
// (".WAV"); empty when the name has no ".".
std::string upperExtension(const std::string& path);

// ".WAV" WAV import, ".DAT" DOS import, ".BIN" BIN import, anything else a
// recording or settings file. Returns the code (also in doc.state.ioError).
int readByExtension(Document& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                    FileSystem& fs = FileSystem::real());

// Opens a path: reads it by extension keeping the program's flow display,
// analyse-on-open and dB reference, shows "Unable to open ..." and empties the
// document on failure, otherwise makes it the current file; then removes the
// channels' offsets and computes the volume. The document ends unmodified
// with analyse-on-open set. The window adds the recent list, the display and
// the analysis; vode-cli the analysis. Returns the code.
int openPath(Document& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
             FileSystem& fs = FileSystem::real());

// ".MER" (and any other extension) the recording file with all segments,
// ".BIN" BIN export, ".WAV" WAV export, ".DAT" DOS export. A failure is shown
// as "Unable to save " + path + "... " + its text. Returns the code.
int saveByExtension(Document& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                    FileSystem& fs = FileSystem::real());

}  // namespace vode
