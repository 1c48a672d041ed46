// The state folder's operating-system calls on POSIX.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "storage.h"

namespace merid::sim {

namespace {

int result(int rc) {
  return rc == 0 ? 0 : errno;
}

class PosixFileSystem : public FileSystem {
 public:
  int open(const std::string& path, Mode mode, Handle& handle) override {
    static const int flags[] = {O_RDONLY, O_WRONLY | O_CREAT | O_TRUNC, O_WRONLY | O_CREAT | O_APPEND,
                                O_RDWR | O_CREAT};
    const int fd = ::open(path.c_str(), flags[int(mode)] | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    handle = fd;
    return 0;
  }
  int read(Handle handle, char* buffer, size_t size, size_t& got) override {
    ssize_t n;
    while ((n = ::read(int(handle), buffer, size)) < 0 && errno == EINTR) {
    }
    got = n < 0 ? 0 : size_t(n);
    return n < 0 ? errno : 0;
  }
  int write(Handle handle, const char* data, size_t size, size_t& written) override {
    ssize_t n;
    while ((n = ::write(int(handle), data, size)) < 0 && errno == EINTR) {
    }
    written = n < 0 ? 0 : size_t(n);
    return n < 0 ? errno : 0;
  }
  int sync(Handle handle) override { return result(fsync(int(handle))); }
  int lock(Handle handle, bool wait) override {
    int rc;
    while ((rc = flock(int(handle), wait ? LOCK_EX : LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    return result(rc);
  }
  int close(Handle handle) override { return result(::close(int(handle))); }
  int truncate(const std::string& path, uint64_t size) override {
    return result(::truncate(path.c_str(), off_t(size)));
  }
  int rename(const std::string& from, const std::string& to) override {
    return result(::rename(from.c_str(), to.c_str()));
  }
  int remove(const std::string& path) override { return result(unlink(path.c_str())); }
  int makeDir(const std::string& path) override { return result(mkdir(path.c_str(), 0777)); }
  int list(const std::string& dir, std::vector<std::string>& names) override {
    DIR* d = opendir(dir.c_str());
    if (!d) return errno;
    while (const dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
    return 0;
  }
  int status(const std::string& path, FileStatus& status) override {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return errno;
    status.folder = S_ISDIR(st.st_mode);
    status.id = uint64_t(st.st_ino);
    status.size = uint64_t(st.st_size);
    status.modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return 0;
  }
};

}  // namespace

FileSystem& systemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

std::string systemStateDir() {
  std::string dir = environment("XDG_STATE_HOME");
  if (!dir.empty()) return dir + "/merid-ecr-sim";
  dir = environment("HOME");
  if (!dir.empty()) return dir + "/.local/state/merid-ecr-sim";
  return "/tmp/merid-ecr-sim-" + std::to_string(getuid());
}

int64_t localWallSeconds() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return int64_t(t) + int64_t(tm.tm_gmtoff);
}

uint64_t processId() {
  return uint64_t(getpid());
}

}  // namespace merid::sim
