#include "formats/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "formats/FileErrors.h"
#include "model/Prompter.h"

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

  int adopt(const FileStatus& like) override {
    if (fd_ < 0) return 103;
    // The owner first: changing it clears set-id bits the mode may restore.
    // Only root may give a file away; anyone may keep a group they are in.
    if (::fchown(fd_, like.owner, like.group) != 0) (void)::fchown(fd_, static_cast<uid_t>(-1), like.group);
    return ::fchmod(fd_, like.mode & 07777) == 0 ? 0 : ioCodeFromErrno(errno, true);
  }

 private:
  int fd_;
};

class PosixFolderLock : public FolderLock {
 public:
  explicit PosixFolderLock(int fd) : fd_(fd) {}
  ~PosixFolderLock() override { ::close(fd_); }  // closing releases the lock

 private:
  int fd_;
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

// Reads into dst, retrying after a signal; -1 with errno set on failure. A
// pipe is open without blocking: each read waits at most
// PipeWaitMilliseconds for data or for the writer's end, then fails with
// ETIMEDOUT, so a FIFO nobody writes to cannot hold the reader.
ssize_t readSome(int fd, uint8_t* dst, std::size_t count, bool pipe) {
  for (;;) {
    if (pipe) {
      pollfd waiting{fd, POLLIN, 0};
      const int ready = ::poll(&waiting, 1, PipeWaitMilliseconds);
      if (ready == 0) {
        errno = ETIMEDOUT;
        return -1;
      }
      if (ready < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
    }
    const ssize_t n = ::read(fd, dst, count);
    if (n >= 0 || (errno != EINTR && !(pipe && errno == EAGAIN))) return n;
  }
}

// Opens a file to read. Only regular files and pipes hold files of ours: a
// device (some never end) is refused with 5, a folder with ErrIsFolder. The
// open never blocks, so a FIFO without a writer cannot hang it; a pipe stays
// non-blocking for readSome, a regular file reads as usual. 0 or the code.
int openToRead(const std::string& path, int& fd, struct stat& st) {
  fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ioCodeFromErrno(errno, false);
  int code = 0;
  if (::fstat(fd, &st) != 0) code = ioCodeFromErrno(errno, false);
  else if (S_ISDIR(st.st_mode)) code = ErrIsFolder;
  else if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) code = 5;
  if (code != 0) {
    ::close(fd);
    fd = -1;
    return code;
  }
  if (S_ISREG(st.st_mode)) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return 0;
}

// At most maxBytes of an opened regular file or pipe. A regular file is read
// straight into a vector of the size it reports. Whatever comes beyond that,
// and everything from a pipe, is gathered in blocks and joined at the end, so
// memory never runs far past what was actually read (a growing vector would
// reserve up to twice the limit). 0 or the error code.
int readOpened(int fd, const struct stat& st, std::size_t maxBytes, std::vector<uint8_t>& bytes) {
  bytes.clear();
  const bool pipe = S_ISFIFO(st.st_mode);
  constexpr std::size_t Block = std::size_t{1} << 20;
  std::size_t got = 0;
  std::vector<std::vector<uint8_t>> extra;
  const auto fail = [&](int code) {
    bytes.clear();
    return code;
  };
  try {
    bytes.resize(pipe ? 0 : std::min<std::size_t>(maxBytes, static_cast<std::size_t>(st.st_size)));
    while (got < bytes.size()) {
      const ssize_t n = readSome(fd, bytes.data() + got, bytes.size() - got, pipe);
      if (n < 0) return fail(ioCodeFromErrno(errno, false));
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    std::size_t total = got;
    if (got == bytes.size()) {
      while (total < maxBytes) {
        uint8_t probe[4096];
        const ssize_t n = readSome(fd, probe, std::min(sizeof probe, maxBytes - total), pipe);
        if (n < 0) return fail(ioCodeFromErrno(errno, false));
        if (n == 0) break;
        if (extra.empty() || extra.back().size() + static_cast<std::size_t>(n) > Block) {
          extra.emplace_back();
          extra.back().reserve(std::min(Block, maxBytes - total));
        }
        extra.back().insert(extra.back().end(), probe, probe + n);
        total += static_cast<std::size_t>(n);
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
    return fail(ErrNoMemory);
  }
  return 0;
}

class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<OutputFile> create(const std::string& path, CreateMode mode, int& error) override {
    const bool fresh = mode == CreateMode::New;
    // In place: without blocking, so a FIFO without a reader refuses the open
    // (ENXIO) instead of waiting for one; the writes block as usual.
    const int flags = fresh ? O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC
                            : O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK;
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
      error = fresh && errno == EEXIST ? ErrNameTaken : ioCodeFromErrno(errno, true);
      return nullptr;
    }
    if (!fresh) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    error = 0;
    return std::make_unique<PosixOutputFile>(fd);
  }

  std::string resolveLinks(const std::string& path) override {
    std::string current = path;
    // A chain longer than the system follows is left to the caller, which
    // finds a link still at its end.
    for (int hop = 0; hop < 40; ++hop) {
      struct stat st {};
      if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
      char target[PATH_MAX];
      const ssize_t n = ::readlink(current.c_str(), target, sizeof target - 1);
      if (n <= 0) return current;
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

  FileStatus linkStatus(const std::string& path) override {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return {};
    FileStatus s = statusOf(st);
    s.link = S_ISLNK(st.st_mode);
    return s;
  }

  std::unique_ptr<FolderLock> lockFolder(const std::string& folder) override {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    int locked = 0;
    while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixFolderLock>(fd);
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

  int readPrefix(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes) override {
    bytes.clear();
    int fd = -1;
    struct stat st {};
    if (const int code = openToRead(path, fd, st)) return code;
    const int code = readOpened(fd, st, maxBytes, bytes);
    ::close(fd);
    return code;
  }

  // A regular file is read straight into storage of its size; a pipe, and a
  // file that grows while it is read, take the general path.
  int readLarge(const std::string& path, std::size_t maxBytes, LargeVector<uint8_t>& bytes) override {
    bytes.clear();
    int fd = -1;
    struct stat st {};
    if (const int code = openToRead(path, fd, st)) return code;
    if (!S_ISREG(st.st_mode)) {
      // From the descriptor already open: a writer that found no reader
      // between two opens would be stopped by SIGPIPE.
      std::vector<uint8_t> read;
      int code = readOpened(fd, st, maxBytes == std::numeric_limits<std::size_t>::max() ? maxBytes : maxBytes + 1, read);
      ::close(fd);
      if (code == 0 && read.size() > maxBytes) code = ErrTooLarge;
      if (code != 0) return code;
      try {
        bytes.assign(read.begin(), read.end());
      } catch (const std::bad_alloc&) {
        return ErrNoMemory;
      }
      return 0;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size > maxBytes) {
      ::close(fd);
      return ErrTooLarge;
    }
    std::size_t got = 0;
    int code = 0;
    try {
      bytes.resize(size);
    } catch (const std::bad_alloc&) {
      code = ErrNoMemory;
    }
    while (code == 0 && got < size) {
      const ssize_t n = readSome(fd, bytes.data() + got, size - got, false);
      if (n < 0) code = ioCodeFromErrno(errno, false);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    uint8_t probe = 0;
    ssize_t more = 0;
    if (code == 0 && got == size) more = readSome(fd, &probe, 1, false);
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
  TempRegistration() = default;
  ~TempRegistration() { release(); }
  TempRegistration(const TempRegistration&) = delete;
  TempRegistration& operator=(const TempRegistration&) = delete;

  void hold(const std::string& path) {
    release();
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

  void release() {
    if (slot_ >= 0) tempSlots[slot_].state.store(0);
    slot_ = -1;
  }

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
  // Room for the marker, a process id and the tag within NAME_MAX.
  return "." + baseNameOf(target).substr(0, 200) + TempMarker;
}

// Eight characters of 62 that another user cannot foresee, so names to plant
// links under cannot be guessed. Should the kernel's generator be unavailable
// the clock and a counter still make collisions rare; the exclusive create is
// what keeps a planted name harmless either way.
std::string randomTag() {
  static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  uint8_t raw[8];
  if (::getrandom(raw, sizeof raw, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof raw)) {
    static std::atomic<uint64_t> counter{0};
    uint64_t x = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 (counter++ * 0x9E3779B97F4A7C15ull);
    for (uint8_t& b : raw) {
      x ^= x >> 31;
      x *= 0xBF58476D1CE4E5B9ull;
      b = static_cast<uint8_t>(x >> 56);
    }
  }
  std::string tag;
  for (const uint8_t b : raw) tag += Alphabet[b % (sizeof Alphabet - 1)];
  return tag;
}

bool processGone(long pid) { return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

// Removes the temporary files of target whose process no longer runs. A file
// of a process still running (a save in progress elsewhere) stays, and so
// does anything under such a name that this user did not make: a link, a
// folder, another user's file.
void removeStaleTemporaries(FileSystem& fs, const std::string& target) {
  const std::string folder = parentOf(target);
  const std::string prefix = temporaryPrefix(target);
  for (const std::string& name : fs.listFolder(folder)) {
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (end == name.c_str() + prefix.size() || *end != '-' || pid == static_cast<long>(::getpid())) continue;
    if (!processGone(pid)) continue;
    const std::string path = joinPath(folder, name);
    const FileStatus st = fs.linkStatus(path);
    if (st.regular && !st.link && st.owner == static_cast<uint32_t>(::geteuid())) fs.remove(path);
  }
}

// Writes straight into a device or FIFO: there is nothing to replace, and a
// rename would put a regular file in its place.
int writeInPlace(FileSystem& fs, const std::string& target, const std::function<int(OutputFile&)>& body) {
  int code = 0;
  auto file = fs.create(target, CreateMode::InPlace, code);
  if (!file) return code;
  code = body(*file);
  const int closeCode = file->close();
  return code != 0 ? code : closeCode;
}

// The file a save writes: a symbolic link is followed to the end of its chain;
// a chain that never ends (a loop) is refused rather than replaced by a file.
int saveTarget(FileSystem& fs, const std::string& path, std::string& target) {
  target = fs.resolveLinks(path);
  return fs.linkStatus(target).link ? ErrLinkLoop : 0;
}

// Names tried before a folder full of planted names is given up on.
constexpr int TemporaryAttempts = 100;

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
  bytes.clear();
  const FileStatus st = fs.status(path);
  if (st.regular && st.size > maxBytes) return ErrTooLarge;
  int code = 0;
  try {
    code = fs.readPrefix(path, maxBytes + 1, bytes);
  } catch (const std::bad_alloc&) {
    code = ErrNoMemory;
  }
  if (code == 0 && bytes.size() > maxBytes) code = ErrTooLarge;
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

std::string temporaryFileName(const std::string& target, long pid, const std::string& tag) {
  const std::string name = temporaryPrefix(target) + std::to_string(pid) + "-" + tag;
  return target.find('/') == std::string::npos ? name : joinPath(parentOf(target), name);
}

int writeFileAtomically(FileSystem& fs, const std::string& path,
                        const std::function<int(OutputFile&)>& body) {
  // Through a symbolic link to the file it names: replacing the link itself
  // would leave its target with the old content.
  std::string target;
  if (const int refused = saveTarget(fs, path, target)) return refused;
  const FileStatus old = fs.status(target);
  if (old.exists) {
    if (old.folder) return ErrIsFolder;
    // The rename would replace a read-only file whenever the folder is
    // writable; the file's own permission decides instead.
    if (const int denied = fs.checkWritable(target)) return denied;
    if (!old.regular) return writeInPlace(fs, target, body);
  }
  removeStaleTemporaries(fs, target);

  // Another user who may write the folder can plant names there; the
  // exclusive create never opens what they planted, so a taken name only
  // means another try.
  TempRegistration registration;
  std::string temp;
  std::unique_ptr<OutputFile> file;
  int code = ErrNameTaken;
  for (int attempt = 0; attempt < TemporaryAttempts && code == ErrNameTaken; ++attempt) {
    temp = temporaryFileName(target, static_cast<long>(::getpid()), randomTag());
    registration.hold(temp);
    file = fs.create(temp, CreateMode::New, code);
  }
  if (!file) {
    registration.release();
    return code == ErrNameTaken ? 5 : code;
  }
  if (old.exists) code = file->adopt(old);
  if (code == 0) code = body(*file);
  const int closeCode = file->close();
  if (code == 0) code = closeCode;
  if (code == 0) code = fs.rename(temp, target);
  if (code != 0) fs.remove(temp);
  return code;
}

int appendFileAtomically(FileSystem& fs, const std::string& path,
                         const std::function<int(const std::vector<uint8_t>* old, std::string& added)>& addition) {
  std::string target;
  if (const int refused = saveTarget(fs, path, target)) return refused;
  const auto lock = fs.lockFolder(parentOf(target));
  const FileStatus st = fs.status(target);
  if (st.folder) return ErrIsFolder;
  std::string added;
  if (st.exists && !st.regular) {
    const std::vector<uint8_t> nothing;
    if (const int refused = addition(&nothing, added)) return refused;
    return writeInPlace(fs, target, [&](OutputFile& out) { return out.write(added.data(), added.size()); });
  }
  std::vector<uint8_t> bytes;
  if (st.exists) {
    if (const int denied = fs.checkWritable(target)) return denied;
    if (const int code = readBoundedFile(fs, target, MaxImportFileBytes, bytes)) return code;
  }
  if (const int refused = addition(st.exists ? &bytes : nullptr, added)) return refused;
  return writeFileAtomically(fs, target, [&](OutputFile& out) {
    const int code = out.write(bytes.data(), bytes.size());
    return code != 0 ? code : out.write(added.data(), added.size());
  });
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

bool mayOverwrite(FileSystem& fs, Prompter& prompter, const std::string& path) {
  return !fs.exists(path) || prompter.ask("Overwrite " + path + "?", Buttons::YesNo, Answer::No) == Answer::Yes;
}

}  // namespace vode
