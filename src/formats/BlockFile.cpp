// Loading and saving block files: the file, the progress gauge, the document
// state and the messages around the image building and parsing.
#include "formats/BlockFile.h"

#include <algorithm>

#include "formats/FileErrors.h"
#include "model/Bytes.h"
#include "model/RecordingBundle.h"
#include "model/Progress.h"
#include "model/Prompter.h"

namespace vode {

namespace {

// The gauge moves each time the written position passes a multiple of this.
constexpr std::size_t ProgressStep = 100000;
// Id item (12 bytes), size field, closing CRC.
constexpr std::size_t EndBlockBytes = 20;
// The largest block file we hold in memory. A full recording is about 30 MB
// and a version-1 file with stored spectra a few times that; anything far
// larger is not ours and would only exhaust memory.
constexpr std::size_t MaxBlockFileBytes = std::size_t{512} << 20;

// Writes the image through a temporary file that replaces path only when it
// is complete. The gauge is ended before the end block is written.
int writeImage(RecordingBundle& doc, const std::string& path, const std::vector<uint8_t>& image, int64_t estimate,
               Prompter& prompter, ProgressSink& progress, FileSystem& fs) {
  progress.begin("Saving file...", static_cast<int>(estimate / 1000));
  doc.state.ioError = 0;
  bool ended = false;
  const int code = writeFileAtomically(fs, path, [&](OutputFile& out) {
    doc.state.fileVersion = BlockFileVersion;
    const std::size_t bodyEnd = image.size() - std::min(image.size(), EndBlockBytes);
    std::size_t pos = 0;
    while (pos < bodyEnd) {
      const std::size_t next = std::min((pos / ProgressStep + 1) * ProgressStep, bodyEnd);
      if (const int c = out.write(image.data() + pos, next - pos)) return c;
      pos = next;
      if (pos % ProgressStep == 0) progress.set(static_cast<int>(pos / 1000));
    }
    progress.end();
    ended = true;
    return out.write(image.data() + bodyEnd, image.size() - bodyEnd);
  });
  if (!ended) progress.end();
  doc.state.ioError = code;
  if (code != 0) prompter.message(MessageKind::Warning, "Unable to save " + path + "... " + FileErrorText(code));
  return code;
}

}  // namespace

int loadBlockFile(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                  FileSystem& fs, std::size_t maxBytes) {
  doc.reset();
  doc.state.ioError = 0;
  std::vector<uint8_t> bytes;
  // The magic first, so that a large file of something else is refused after
  // four bytes. A pipe is read once, whole (bounded all the same).
  int code = 0;
  if (fs.status(path).regular) {
    code = fs.readPrefix(path, 4, bytes);
    if (code == 0 && bytes.size() == 4 && getU32(bytes.data()) != BlockFileMagic) code = ErrFormat;
  }
  if (code == 0) code = readBoundedFile(fs, path, std::min(maxBytes, MaxBlockFileBytes), bytes);
  if (code == 0) code = readBlockImage(doc, bytes.data(), bytes.size(), prompter, progress);
  // Whatever was read before the failure goes: a failed load leaves nothing.
  if (code != 0) doc.reset();
  doc.state.ioError = code;
  return code;
}

int saveRecordingFile(RecordingBundle& doc, const std::string& path, int first, int last, Prompter& prompter,
                      ProgressSink& progress, FileSystem& fs) {
  const std::vector<uint8_t> image = recordingFileImage(doc, first, last);
  const int code =
      writeImage(doc, path, image, recordingFileEstimate(doc, first, last), prompter, progress, fs);
  doc.state.modified = code != 0;
  return code;
}

int saveSettingsFile(RecordingBundle& doc, const std::string& path, Prompter& prompter, ProgressSink& progress,
                     FileSystem& fs) {
  return writeImage(doc, path, settingsFileImage(doc), SettingsFileEstimate, prompter, progress, fs);
}

}  // namespace vode
