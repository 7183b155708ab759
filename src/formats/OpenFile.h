// Choosing a file's reader or writer by its extension.
#pragma once

#include <string>

#include "formats/FileSystem.h"

namespace vode {

struct RecordingBundle;
class Prompter;
class ProgressSink;

// The extension of the file-name part, from its last "." on, in upper case
// (".WAV"); empty when the name has no ".".
std::string upperExtension(const std::string& path);

// ".WAV" WAV import, ".DAT" DOS import, ".BIN" BIN import, anything else a
// recording or settings file. Returns the code (also in doc.state.ioError).
int readByExtension(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                    FileSystem& fs = FileSystem::real());

// ".MER" (and any other extension) the recording file with all segments,
// ".BIN" BIN export, ".WAV" WAV export, ".DAT" DOS export. A failure is shown
// as "Unable to save " + path + "... " + its text. Returns the code.
int saveByExtension(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                    FileSystem& fs = FileSystem::real());

}  // namespace vode
