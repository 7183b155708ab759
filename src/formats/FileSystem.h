// The file operations the writers and readers use, behind a small interface so
// that tests can make a write, a close or a rename fail (they run as root, so
// permissions cannot).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/LargeBuffer.h"

namespace vode {

class Prompter;

// What a save needs to know of the file it replaces.
struct FileStatus {
  bool exists = false;
  bool regular = false;  // false for a folder, a device, a FIFO or a socket
  bool folder = false;
  bool link = false;     // a symbolic link itself (linkStatus only)
  uint32_t mode = 0644;  // permission bits
  uint32_t owner = 0;
  uint32_t group = 0;
  uint64_t size = 0;     // of a regular file
};

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // 0, or the error code (101 for a short write).
  virtual int write(const void* data, std::size_t size) = 0;
  // Flushes to the device and closes; 0 or the error code.
  virtual int close() = 0;
  // Gives a replacement the permission bits, and where the process may the
  // owner and group, of the file it is going to replace. 0 or the error code
  // (a refused change of owner is not an error: the file stays the user's).
  virtual int adopt(const FileStatus& like) {
    (void)like;
    return 0;
  }
};

// How create opens a file.
enum class CreateMode {
  // The file itself, emptied; made when missing. For writing into a device
  // or a FIFO, which a rename would replace.
  InPlace,
  // A new file that nothing else may have named: refused with ErrNameTaken
  // when the name exists in any form, a symbolic link included, so a link
  // planted under the name can never redirect what is written.
  New,
};

// create(..., CreateMode::New) found the name taken; the caller picks another.
constexpr int ErrNameTaken = -17;

// An exclusive lock held until destroyed.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens a file to write as mode says (permission bits 0644 less the
  // umask for a new one). On failure returns null and sets error.
  virtual std::unique_ptr<OutputFile> create(const std::string& path, CreateMode mode, int& error) = 0;
  virtual int rename(const std::string& from, const std::string& to) = 0;
  virtual int remove(const std::string& path) = 0;
  virtual bool exists(const std::string& path) = 0;
  // Reads a whole file; 0 or the error code.
  virtual int readAll(const std::string& path, std::vector<uint8_t>& bytes) = 0;
  // Reads at most maxBytes from the start of a file (fewer when it is
  // shorter); 0 or the error code. Readers of formats whose useful part is
  // bounded use it so that a huge file is not read whole.
  virtual int readPrefix(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes);
  // Reads a whole file of at most maxBytes (202 for a longer one, as
  // readBoundedFile) into storage that is not cleared first: the bytes go
  // from the page cache into it once. 0 or the error code.
  virtual int readLarge(const std::string& path, std::size_t maxBytes, LargeVector<uint8_t>& bytes);
  // The file a path names once symbolic links are followed, also when the
  // last link dangles (a save creates the file it names).
  virtual std::string resolveLinks(const std::string& path) { return path; }
  // Without following a last symbolic link only when resolveLinks did.
  virtual FileStatus status(const std::string& path);
  // The name itself: a symbolic link is reported as one, not followed.
  virtual FileStatus linkStatus(const std::string& path) { return status(path); }
  // Waits for an exclusive lock on a folder, which every appender of this
  // program takes before reading a file there; null where the folder cannot
  // be locked (then the append runs unlocked).
  virtual std::unique_ptr<FolderLock> lockFolder(const std::string& folder) {
    (void)folder;
    return nullptr;
  }
  // 0 when the process may write the existing file, else the code (5).
  virtual int checkWritable(const std::string& path) {
    (void)path;
    return 0;
  }
  // The names in a folder (without "." and ".."); empty when unreadable.
  virtual std::vector<std::string> listFolder(const std::string& folder) {
    (void)folder;
    return {};
  }

  // The machine's own files.
  static FileSystem& real();
};

// The largest file an importer holds in memory. The formats read whole (BIN,
// DOS) need a few tens of megabytes at most; anything far larger is not a
// recording, and reading it would only exhaust memory.
constexpr std::size_t MaxImportFileBytes = std::size_t{512} << 20;

// How long a read from a pipe waits for its writer to appear or to send more.
// A FIFO that nobody writes would otherwise hold the reader for ever.
constexpr int PipeWaitMilliseconds = 5000;

// Reads a whole file of at most maxBytes. A longer regular file is refused
// unread with ErrTooLarge; a pipe that goes on longer is refused after
// reading no more than maxBytes + 1 bytes; a failed allocation is 202 ("Not
// enough memory"). The real file system refuses devices with 5, a folder with
// ErrIsFolder, and a pipe whose writer stays silent for
// PipeWaitMilliseconds with 5. 0 or the error code.
int readBoundedFile(FileSystem& fs, const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes);

// Writes path through a temporary file beside it and renames that over path
// only when the whole body was written and closed, so a failed save never
// destroys the previous file. The previous file sets the rules: one the user
// may not write is refused with 5, its permission bits (and owner, where the
// process may) carry over, a symbolic link is written through to the file it
// names (a chain of links that never ends is refused with ErrLinkLoop), and a
// device or FIFO is written in place. The temporary file gets a fresh random
// name and is made exclusively. Temporary files of the same target left by a
// process that was killed are removed first. Returns 0 or the first error
// code; on failure the temporary file is removed and path is untouched.
int writeFileAtomically(FileSystem& fs, const std::string& path,
                        const std::function<int(OutputFile&)>& body);

// Convenience: the whole byte image at once.
int writeFileAtomically(FileSystem& fs, const std::string& path, const std::vector<uint8_t>& bytes);

// Adds to the end of an existing regular file, all or nothing whenever the
// process is stopped: the grown file is written beside the old one and
// renamed over it, as writeFileAtomically does. Appenders are serialised by a
// lock on the containing folder (a lock on the file itself would be lost with
// the inode the rename replaces), so each sees the file as the one before it
// left it. addition gets the file's bytes, or null when there is no file (it
// is then made from what addition gives), and puts the bytes to add in added;
// a code it returns is returned unwritten. A device or FIFO is written in
// place with only the addition. 0 or the first error code.
int appendFileAtomically(FileSystem& fs, const std::string& path,
                         const std::function<int(const std::vector<uint8_t>* old, std::string& added)>& addition);

// The temporary file writeFileAtomically uses for a target: hidden, beside
// it, naming the target, this process (so that a later save can tell a
// leftover of a killed process from a save still running) and a random tag.
std::string temporaryFileName(const std::string& target, long pid, const std::string& tag);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files of the saves in
// progress before the process ends as it would have, and makes a write past
// the file-size limit fail with "Insufficient disk space" instead of killing
// the process. For the programs' main(); signals the caller ignores stay
// ignored.
void installSaveSignalHandlers();

// true when path may be written: nothing is there, or "Overwrite P?" was
// answered Yes (No is the default answer).
bool mayOverwrite(FileSystem& fs, Prompter& prompter, const std::string& path);

}  // namespace vode
