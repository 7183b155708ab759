#include "formats/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "formats/FileErrors.h"

namespace vode {

namespace {

class PosixOutputFile : public OutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  int write(const void* data, std::size_t size) override {
    if (fd_ < 0) return 103;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t n = ::write(fd_, p, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return ioCodeFromErrno(errno, true);
      }
      if (n == 0) return ErrShortWrite;
      p += n;
      size -= static_cast<std::size_t>(n);
    }
    return 0;
  }

  int close() override {
    if (fd_ < 0) return 103;
    int code = 0;
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) code = ioCodeFromErrno(errno, true);
    if (::close(fd_) != 0 && code == 0) code = ioCodeFromErrno(errno, true);
    fd_ = -1;
    return code;
  }

 private:
  int fd_;
};

class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<OutputFile> create(const std::string& path, bool append, int& error) override {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
      error = ioCodeFromErrno(errno, true);
      return nullptr;
    }
    error = 0;
    return std::make_unique<PosixOutputFile>(fd);
  }

  int rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : ioCodeFromErrno(errno, true);
  }

  int remove(const std::string& path) override {
    return ::unlink(path.c_str()) == 0 ? 0 : ioCodeFromErrno(errno, true);
  }

  bool exists(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
  }

  int readAll(const std::string& path, std::vector<uint8_t>& bytes) override {
    return readPrefix(path, std::numeric_limits<std::size_t>::max(), bytes);
  }

  // Reads straight into the vector: the size the file reports first, then
  // growing for files whose size is not known in advance. Once the reported
  // size is in, the end is probed through a small buffer, so a file that ends
  // where it said it would is never moved to a larger vector.
  int readPrefix(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes) override {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ioCodeFromErrno(errno, false);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      const int code = S_ISDIR(st.st_mode) ? 5 : ioCodeFromErrno(errno, false);
      ::close(fd);
      return code;
    }
    const auto fail = [&](int code) {
      ::close(fd);
      bytes.clear();
      return code;
    };
    // Reads into dst, retrying after a signal; -1 with errno set on failure.
    const auto readSome = [fd](uint8_t* dst, std::size_t count) {
      for (;;) {
        const ssize_t n = ::read(fd, dst, count);
        if (n >= 0 || errno != EINTR) return n;
      }
    };
    constexpr std::size_t Chunk = 1 << 16;
    std::size_t got = 0;
    try {
      bytes.resize(st.st_size > 0 ? std::min<std::size_t>(maxBytes, static_cast<std::size_t>(st.st_size)) : 0);
      while (got < maxBytes) {
        if (got < bytes.size()) {
          const ssize_t n = readSome(bytes.data() + got, bytes.size() - got);
          if (n < 0) return fail(ioCodeFromErrno(errno, false));
          if (n == 0) break;
          got += static_cast<std::size_t>(n);
          continue;
        }
        uint8_t probe[4096];
        const ssize_t n = readSome(probe, std::min(sizeof probe, maxBytes - got));
        if (n < 0) return fail(ioCodeFromErrno(errno, false));
        if (n == 0) break;
        bytes.resize(got + std::min(Chunk, maxBytes - got));
        std::memcpy(bytes.data() + got, probe, static_cast<std::size_t>(n));
        got += static_cast<std::size_t>(n);
      }
    } catch (const std::bad_alloc&) {
      return fail(202);
    }
    bytes.resize(got);
    ::close(fd);
    return 0;
  }

  // A regular file is read straight into storage of its size; anything else
  // (a device, a pipe, a file that grows while it is read) takes the general
  // path.
  int readLarge(const std::string& path, std::size_t maxBytes, LargeVector<uint8_t>& bytes) override {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ioCodeFromErrno(errno, false);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return FileSystem::readLarge(path, maxBytes, bytes);
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size > maxBytes) {
      ::close(fd);
      return ErrNoMemory;
    }
    std::size_t got = 0;
    int code = 0;
    try {
      bytes.resize(size);
    } catch (const std::bad_alloc&) {
      code = ErrNoMemory;
    }
    while (code == 0 && got < size) {
      const ssize_t n = ::read(fd, bytes.data() + got, size - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) code = ioCodeFromErrno(errno, false);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    uint8_t probe = 0;
    ssize_t more = 0;
    if (code == 0 && got == size)
      do more = ::read(fd, &probe, 1);
      while (more < 0 && errno == EINTR);
    ::close(fd);
    if (code != 0) {
      bytes.clear();
      return code;
    }
    if (more != 0) return FileSystem::readLarge(path, maxBytes, bytes);
    bytes.resize(got);
    return 0;
  }
};

std::string temporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".vode-tmp-%d-%u", static_cast<int>(::getpid()), counter++);
  return path + suffix;
}

}  // namespace

int FileSystem::readPrefix(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes) {
  const int code = readAll(path, bytes);
  if (code == 0 && bytes.size() > maxBytes) bytes.resize(maxBytes);
  return code;
}

int FileSystem::readLarge(const std::string& path, std::size_t maxBytes, LargeVector<uint8_t>& bytes) {
  std::vector<uint8_t> read;
  const int code = readBoundedFile(*this, path, maxBytes, read);
  bytes.assign(read.begin(), read.end());
  return code;
}

int readBoundedFile(FileSystem& fs, const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes) {
  int code = 0;
  try {
    code = fs.readPrefix(path, maxBytes + 1, bytes);
  } catch (const std::bad_alloc&) {
    code = ErrNoMemory;
  }
  if (code == 0 && bytes.size() > maxBytes) code = ErrNoMemory;
  if (code != 0) bytes.clear();
  return code;
}

FileSystem& FileSystem::real() {
  static PosixFileSystem fs;
  return fs;
}

int writeFileAtomically(FileSystem& fs, const std::string& path,
                        const std::function<int(OutputFile&)>& body) {
  const std::string temp = temporaryNameFor(path);
  int code = 0;
  auto file = fs.create(temp, false, code);
  if (!file) return code;
  code = body(*file);
  const int closeCode = file->close();
  if (code == 0) code = closeCode;
  if (code == 0) code = fs.rename(temp, path);
  if (code != 0) fs.remove(temp);
  return code;
}

int writeFileAtomically(FileSystem& fs, const std::string& path, const std::vector<uint8_t>& bytes) {
  return writeFileAtomically(fs, path, [&](OutputFile& out) { return out.write(bytes.data(), bytes.size()); });
}

}  // namespace vode
