#include "formats/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "formats/FileErrors.h"

namespace vode {

namespace {

class PosixOutputFile : public OutputFile {
 public:
  // For an append, path and the length at opening let a failed one be undone.
  PosixOutputFile(int fd, std::string path = {}, off_t lengthAtOpen = -1)
      : fd_(fd), path_(std::move(path)), lengthAtOpen_(lengthAtOpen) {}
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

  int adopt(const FileStatus& like) override {
    if (fd_ < 0) return 103;
    // The owner first: changing it clears set-id bits the mode may restore.
    // Only root may give a file away; anyone may keep a group they are in.
    if (::fchown(fd_, like.owner, like.group) != 0) (void)::fchown(fd_, static_cast<uid_t>(-1), like.group);
    return ::fchmod(fd_, like.mode & 07777) == 0 ? 0 : ioCodeFromErrno(errno, true);
  }

  int discardAppended() override {
    if (lengthAtOpen_ < 0) return 0;
    const int done = fd_ >= 0 ? ::ftruncate(fd_, lengthAtOpen_) : ::truncate(path_.c_str(), lengthAtOpen_);
    return done == 0 ? 0 : ioCodeFromErrno(errno, true);
  }

 private:
  int fd_;
  std::string path_;
  off_t lengthAtOpen_;
};

FileStatus statusOf(const struct stat& st) {
  FileStatus s;
  s.exists = true;
  s.regular = S_ISREG(st.st_mode);
  s.folder = S_ISDIR(st.st_mode);
  s.mode = st.st_mode & 07777;
  s.owner = st.st_uid;
  s.group = st.st_gid;
  s.size = s.regular ? static_cast<uint64_t>(st.st_size) : 0;
  return s;
}

std::string parentOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string baseNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Reads into dst, retrying after a signal; -1 with errno set on failure.
ssize_t readSome(int fd, uint8_t* dst, std::size_t count) {
  for (;;) {
    const ssize_t n = ::read(fd, dst, count);
    if (n >= 0 || errno != EINTR) return n;
  }
}

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
    if (!append) return std::make_unique<PosixOutputFile>(fd);
    struct stat st {};
    const off_t length = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
    return std::make_unique<PosixOutputFile>(fd, path, length);
  }

  std::string resolveLinks(const std::string& path) override {
    std::string current = path;
    // A chain longer than the system follows is left to fail at open.
    for (int hop = 0; hop < 40; ++hop) {
      struct stat st {};
      if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
      char target[PATH_MAX];
      const ssize_t n = ::readlink(current.c_str(), target, sizeof target - 1);
      if (n < 0) return current;
      const std::string link(target, static_cast<std::size_t>(n));
      current = link.front() == '/' ? link : parentOf(current) + "/" + link;
    }
    return current;
  }

  FileStatus status(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return statusOf(st);
  }

  int checkWritable(const std::string& path) override {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : ioCodeFromErrno(errno, true);
  }

  std::vector<std::string> listFolder(const std::string& folder) override {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* e = ::readdir(dir)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
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

  // A regular file is read straight into a vector of the size it reports.
  // Whatever comes beyond that, and everything from a pipe, is gathered in
  // blocks and joined at the end, so memory never runs far past what was
  // actually read (a growing vector would reserve up to twice the limit).
  // Devices are refused: none of them holds a file worth reading, and some
  // never end.
  int readPrefix(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes) override {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return ioCodeFromErrno(errno, false);
    struct stat st {};
    const auto fail = [&](int code) {
      ::close(fd);
      bytes.clear();
      return code;
    };
    if (::fstat(fd, &st) != 0) return fail(ioCodeFromErrno(errno, false));
    if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) return fail(5);
    // Opened without blocking only so that a FIFO without a writer cannot
    // hang the open; reads wait as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    constexpr std::size_t Block = std::size_t{1} << 20;
    std::size_t got = 0;
    std::vector<std::vector<uint8_t>> extra;
    try {
      bytes.resize(S_ISREG(st.st_mode) ? std::min<std::size_t>(maxBytes, static_cast<std::size_t>(st.st_size)) : 0);
      while (got < bytes.size()) {
        const ssize_t n = readSome(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) return fail(ioCodeFromErrno(errno, false));
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
      }
      std::size_t total = got;
      if (got == bytes.size()) {
        for (;;) {
          uint8_t probe[4096];
          const ssize_t n = readSome(fd, probe, std::min(sizeof probe, maxBytes - total));
          if (n < 0) return fail(ioCodeFromErrno(errno, false));
          if (n == 0) break;
          if (extra.empty() || extra.back().size() + static_cast<std::size_t>(n) > Block) {
            extra.emplace_back();
            extra.back().reserve(std::min(Block, maxBytes - total));
          }
          extra.back().insert(extra.back().end(), probe, probe + n);
          total += static_cast<std::size_t>(n);
          if (total == maxBytes) break;
        }
      }
      bytes.resize(got);
      if (!extra.empty()) {
        bytes.reserve(total);
        for (auto& block : extra) {
          bytes.insert(bytes.end(), block.begin(), block.end());
          std::vector<uint8_t>().swap(block);
        }
      }
    } catch (const std::bad_alloc&) {
      return fail(202);
    }
    ::close(fd);
    return 0;
  }
};

constexpr const char* TempMarker = ".vode-tmp-";

// Names of temporary files still on disk, for the signal handler: fixed
// slots, since the handler may neither allocate nor lock.
constexpr int TempSlots = 32;
struct TempSlot {
  std::atomic<int> state{0};  // 0 free, 1 being filled, 2 holds a path
  char path[PATH_MAX];
};
TempSlot tempSlots[TempSlots];

// Holds a temporary file's name in a slot while the file may exist. With all
// slots taken (32 saves at once) the file is simply not cleaned on a signal.
class TempRegistration {
 public:
  explicit TempRegistration(const std::string& path) {
    if (path.size() >= PATH_MAX) return;
    for (int i = 0; i < TempSlots; ++i) {
      int expected = 0;
      if (!tempSlots[i].state.compare_exchange_strong(expected, 1)) continue;
      std::memcpy(tempSlots[i].path, path.c_str(), path.size() + 1);
      tempSlots[i].state.store(2);
      slot_ = i;
      return;
    }
  }
  ~TempRegistration() {
    if (slot_ >= 0) tempSlots[slot_].state.store(0);
  }
  TempRegistration(const TempRegistration&) = delete;
  TempRegistration& operator=(const TempRegistration&) = delete;

 private:
  int slot_ = -1;
};

void removeTemporariesAndDie(int sig) {
  const int saved = errno;
  for (TempSlot& slot : tempSlots)
    if (slot.state.load() == 2) ::unlink(slot.path);
  errno = saved;
  // SA_RESETHAND restored the default action: raised again, the signal ends
  // the process as it would have without this handler.
  ::raise(sig);
}

// The prefix every temporary file of a target starts with.
std::string temporaryPrefix(const std::string& target) {
  // Room for the marker, a process id and a serial within NAME_MAX.
  return "." + baseNameOf(target).substr(0, 200) + TempMarker;
}

bool processGone(long pid) { return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

// Removes the temporary files of target whose process no longer runs. A file
// of a process still running (a save in progress elsewhere) stays.
void removeStaleTemporaries(FileSystem& fs, const std::string& target) {
  const std::string folder = parentOf(target);
  const std::string prefix = temporaryPrefix(target);
  for (const std::string& name : fs.listFolder(folder)) {
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (end == name.c_str() + prefix.size() || *end != '-' || pid == static_cast<long>(::getpid())) continue;
    if (processGone(pid)) fs.remove(joinPath(folder, name));
  }
}

// Writes straight into a device or FIFO: there is nothing to replace, and a
// rename would put a regular file in its place.
int writeInPlace(FileSystem& fs, const std::string& target, const std::function<int(OutputFile&)>& body) {
  int code = 0;
  auto file = fs.create(target, false, code);
  if (!file) return code;
  code = body(*file);
  const int closeCode = file->close();
  return code != 0 ? code : closeCode;
}

}  // namespace

int FileSystem::readPrefix(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes) {
  const int code = readAll(path, bytes);
  if (code == 0 && bytes.size() > maxBytes) bytes.resize(maxBytes);
  return code;
}

int readBoundedFile(FileSystem& fs, const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes) {
  bytes.clear();
  const FileStatus st = fs.status(path);
  if (st.regular && st.size > maxBytes) return ErrNoMemory;
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

FileStatus FileSystem::status(const std::string& path) {
  FileStatus s;
  s.exists = exists(path);
  s.regular = s.exists;
  return s;
}

std::string temporaryFileName(const std::string& target, long pid, unsigned serial) {
  const std::string name = temporaryPrefix(target) + std::to_string(pid) + "-" + std::to_string(serial);
  return target.find('/') == std::string::npos ? name : joinPath(parentOf(target), name);
}

int writeFileAtomically(FileSystem& fs, const std::string& path,
                        const std::function<int(OutputFile&)>& body) {
  // Through a symbolic link to the file it names: replacing the link itself
  // would leave its target with the old content.
  const std::string target = fs.resolveLinks(path);
  const FileStatus old = fs.status(target);
  if (old.exists) {
    if (old.folder) return 5;
    // The rename would replace a read-only file whenever the folder is
    // writable; the file's own permission decides instead.
    if (const int denied = fs.checkWritable(target)) return denied;
    if (!old.regular) return writeInPlace(fs, target, body);
  }
  removeStaleTemporaries(fs, target);

  static std::atomic<unsigned> serial{0};
  const std::string temp = temporaryFileName(target, static_cast<long>(::getpid()), serial++);
  const TempRegistration registration(temp);
  int code = 0;
  auto file = fs.create(temp, false, code);
  if (!file) return code;
  if (old.exists) code = file->adopt(old);
  if (code == 0) code = body(*file);
  const int closeCode = file->close();
  if (code == 0) code = closeCode;
  if (code == 0) code = fs.rename(temp, target);
  if (code != 0) fs.remove(temp);
  return code;
}

int writeFileAtomically(FileSystem& fs, const std::string& path, const std::vector<uint8_t>& bytes) {
  return writeFileAtomically(fs, path, [&](OutputFile& out) { return out.write(bytes.data(), bytes.size()); });
}

void installSaveSignalHandlers() {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (::sigaction(sig, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndDie;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    ::sigaction(sig, &action, nullptr);
  }
  // Past RLIMIT_FSIZE the write then fails with EFBIG, which a save reports
  // and undoes, instead of the process dying with a half-written file.
  ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace vode
