#include "formats/OpenFile.h"

#include <new>

#include "formats/Bin.h"
#include "formats/BlockFile.h"
#include "formats/DosDat.h"
#include "formats/FileErrors.h"
#include "formats/Wav.h"
#include "model/RecordingBundle.h"
#include "model/Prompter.h"

namespace vode {

std::string upperExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot);
  for (char& ch : ext)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return ext;
}

namespace {

int readBy(const std::string& ext, RecordingBundle& doc, const std::string& path, Prompter& prompter,
           ProgressSink& progress, FileSystem& fs) {
  if (ext == ".WAV") return importWav(doc, path, prompter, progress, fs);
  if (ext == ".DAT") return importDos(doc, path, prompter, progress, fs);
  if (ext == ".BIN") return importBin(doc, path, prompter, progress, fs);
  return loadBlockFile(doc, path, prompter, progress, fs);
}

}  // namespace

int readByExtension(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                    FileSystem& fs) {
  // A recording that does not fit in the memory left is that file's failure,
  // reported as any other, not the end of the program.
  try {
    return readBy(upperExtension(path), doc, path, prompter, progress, fs);
  } catch (const std::bad_alloc&) {
    doc.reset();
    return doc.state.ioError = ErrNoMemory;
  }
}

int saveByExtension(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                    FileSystem& fs) {
  const std::string ext = upperExtension(path);
  int code = 0;
  if (ext == ".BIN") {
    code = exportBin(doc, path, prompter, fs);
  } else if (ext == ".WAV") {
    code = exportWav(doc, path, fs);
  } else if (ext == ".DAT") {
    code = DosExport(doc, path, prompter, fs);
  } else {
    // The recording writer reports its own failures.
    const int32_t segments = doc.recording ? doc.recording->segmentCount : 0;
    return saveRecordingFile(doc, path, 0, segments - 1, prompter, progress, fs);
  }
  doc.state.ioError = code;
  if (code != 0) prompter.message(MessageKind::Warning, "Unable to save " + path + "... " + FileErrorText(code));
  return code;
}

}  // namespace vode
