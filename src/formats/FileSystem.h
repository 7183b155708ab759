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

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // 0, or the error code (101 for a short write).
  virtual int write(const void* data, std::size_t size) = 0;
  // Flushes to the device and closes; 0 or the error code.
  virtual int close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Creates (truncating) or, with append, opens for appending. On failure
  // returns null and sets error.
  virtual std::unique_ptr<OutputFile> create(const std::string& path, bool append, int& error) = 0;
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

  // The machine's own files.
  static FileSystem& real();
};

// The largest file an importer holds in memory. The formats read whole (BIN,
// DOS) need a few tens of megabytes at most; anything far larger is not a
// recording, and reading it would only exhaust memory.
constexpr std::size_t MaxImportFileBytes = std::size_t{512} << 20;

// Reads a whole file of at most maxBytes. A longer file (or a device that
// never ends) is refused with 202 ("Not enough memory") after reading no more
// than maxBytes + 1 bytes; so is a failed allocation. 0 or the error code.
int readBoundedFile(FileSystem& fs, const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes);

// Writes path through a temporary file in the same folder and renames it over
// path only when the whole body was written and closed, so a failed save never
// destroys the previous file. Returns 0 or the first error code; on failure the
// temporary file is removed and path is untouched.
int writeFileAtomically(FileSystem& fs, const std::string& path,
                        const std::function<int(OutputFile&)>& body);

// Convenience: the whole byte image at once.
int writeFileAtomically(FileSystem& fs, const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace vode
