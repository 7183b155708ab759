// The recording the window benchmarks open: the largest there is, 8 channels
// of 180 s, so a figure is the worst case a user meets.
#pragma once

#include <string>

#include "document/Document.h"
#include "document/OpenDocument.h"
#include "formats/BlockFile.h"
#include "model/Progress.h"
#include "model/Prompter.h"
#include "model/Synthetic.h"

namespace vode {

// False when the file could not be written.
inline bool writeFullRecording(const std::string& path) {
  Document doc;
  SynthOptions options;
  options.channels = MaxChannels;
  options.seconds = 180.0;
  makeSyntheticRecording(doc, options);
  SilentPrompter quiet;
  NullProgress none;
  return saveRecordingFile(doc, path, 0, doc.recording->segmentCount - 1, quiet, none) == 0;
}

}  // namespace vode
