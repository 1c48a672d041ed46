// File operations, clock, message box and the library's own folder on POSIX.

#include <dirent.h>
#include <dlfcn.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/platform.h"

namespace merid::platform {

namespace {

int64_t ns(const timespec& t) {
  return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

class PosixFile : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  long long read(char* buffer, std::size_t size) override {
    ssize_t n;
    do n = ::read(fd_, buffer, size);
    while (n < 0 && errno == EINTR);
    return n;
  }
  bool write(const char* data, std::size_t size) override {
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::write(fd_, data + done, size - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
    return true;
  }
  bool sync() override { return ::fsync(fd_) == 0; }
  bool close() override {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

class PosixFileSystem : public FileSystem {
 public:
  int stat(const std::string& path, FileInfo& out) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno;
    out.regular = S_ISREG(st.st_mode);
    out.size = static_cast<uint64_t>(st.st_size);
    out.modified = ns(st.st_mtim);
    out.changed = ns(st.st_ctim);
    out.id = (static_cast<uint64_t>(st.st_dev) << 40) ^ static_cast<uint64_t>(st.st_ino);
    out.permissions = st.st_mode & 07777;
    return 0;
  }

  std::unique_ptr<File> open(const std::string& path, OpenMode mode, unsigned permissions,
                             int& error) override {
    int flags = O_CLOEXEC;
    switch (mode) {
      case OpenMode::Read:
        flags |= O_RDONLY;
        break;
      case OpenMode::CreateNew:
        flags |= O_WRONLY | O_CREAT | O_EXCL;
        break;
      case OpenMode::Append:
        flags |= O_WRONLY | O_CREAT | O_APPEND;
        break;
    }
    // The permissions are set after the umask has had its say.
    const int fd = ::open(path.c_str(), flags, mode == OpenMode::Append ? 0644 : 0600);
    if (fd < 0) {
      error = errno;
      return nullptr;
    }
    if (mode == OpenMode::CreateNew && ::fchmod(fd, permissions) != 0) {
      error = errno;
      ::close(fd);
      ::unlink(path.c_str());
      return nullptr;
    }
    error = 0;
    return std::make_unique<PosixFile>(fd);
  }

  int rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }

  // unlink needs write access to the folder, not to the file, so a read-only
  // file goes as any other.
  int remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

  int syncFolder(const std::string& folder) override {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
  }

  int list(const std::string& folder, std::vector<std::string>& names) override {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return errno;
    while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
    ::closedir(dir);
    return 0;
  }
};

class SystemClock : public Clock {
 public:
  DateTime now() override {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }
};

}  // namespace

FileSystem& builtinFileSystem() {
  static PosixFileSystem f;
  return f;
}

Clock& builtinClock() {
  static SystemClock c;
  return c;
}

int builtinMessageBox(const std::string& text, const std::string& title, unsigned) {
  std::string line = "MessageBox [" + title + "] " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return kIdOk;
}

namespace {

// The folder of the file that holds this code, resolved while the current
// directory is still the one the program started in (the name the loader
// gives may be relative to it).
std::string ownFileFolder() {
  Dl_info info{};
  std::string path;
  if (::dladdr(reinterpret_cast<void*>(&ownFileFolder), &info) && info.dli_fname) path = info.dli_fname;
  char resolved[4096];
  if (!path.empty() && ::realpath(path.c_str(), resolved)) path = resolved;
  if (path.empty() || path.front() != '/') {
    const ssize_t n = ::readlink("/proc/self/exe", resolved, sizeof resolved - 1);
    path = n > 0 ? std::string(resolved, static_cast<std::size_t>(n)) : std::string();
  }
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

const std::string& ownFileFolderOnce() {
  static const std::string folder = ownFileFolder();
  return folder;
}
// Resolved when the library loads, not at its first use.
const bool gResolvedAtStart = !ownFileFolderOnce().empty();

}  // namespace

std::string ownFolder() {
  if (std::string chosen = ownFolderOverride(); !chosen.empty()) return chosen;
  if (const char* home = std::getenv("MERID_HOME"); home && *home) {
    std::string h = home;
    // A relative folder would follow the host's current directory, and with
    // it the settings and the printer library.
    if (h.front() == '/') {
      while (h.size() > 1 && h.back() == '/') h.pop_back();
      return h;
    }
    noteOwnFolderProblem("MERID_HOME \"" + h + "\" is not an absolute path: ignored");
  }
  return ownFileFolderOnce();
}

long currentProcessId() {
  return static_cast<long>(::getpid());
}

bool processIsRunning(long pid) {
  if (pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string printerLibraryLogPath() {
  if (const char* p = std::getenv("MERID_CEFDLL_LOG"); p && *p) return p;
  return inOwnFolder("CeFdll.log");
}

}  // namespace merid::platform
