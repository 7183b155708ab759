// The binary exchange format (.bin): sound, flow, one tag word per segment
// and the subject's texts as numbered string records.
#pragma once

#include <string>

#include "formats/FileSystem.h"

namespace vode {

struct RecordingBundle;
class Prompter;
class ProgressSink;

// Most sound channels a BIN file may hold: its reader refuses more.
constexpr int BinMaxChannels = 7;

// Without a recording nothing is written and 0 is returned. A recording the
// reader could not open again (no segment, or more than 7 channels) is refused
// with a message and 201. Otherwise 0 or the error code.
int exportBin(const RecordingBundle& doc, const std::string& path, Prompter& prompter,
              FileSystem& fs = FileSystem::real());

// Resets the document and reads the file into it. Sets doc.state.ioError and
// returns it; "BIN file format error" has been shown for impossible counts.
int importBin(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
              FileSystem& fs = FileSystem::real());

}  // namespace vode
