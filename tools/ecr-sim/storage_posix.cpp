#include "storage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <stdexcept>

namespace merid::sim {

static std::string envOr(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string defaultStateDir() {
  std::string dir = envOr("MERID_SIM_DIR");
  if (!dir.empty()) return dir;
  dir = envOr("XDG_STATE_HOME");
  if (!dir.empty()) return dir + "/merid-ecr-sim";
  dir = envOr("HOME");
  if (!dir.empty()) return dir + "/.local/state/merid-ecr-sim";
  return "/tmp/merid-ecr-sim-" + std::to_string(getuid());
}

bool makeDirs(const std::string& dir) {
  if (dir.empty()) return false;
  for (size_t at = 1; at <= dir.size(); ++at) {
    if (at == dir.size() || dir[at] == '/') {
      std::string part = dir.substr(0, at);
      if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat st {};
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool isFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> listFolder(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (!d) return names;
  while (const dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(d);
  return names;
}

bool removeFile(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

std::string readFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return {};
    throw std::runtime_error("cannot open " + path);
  }
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      throw std::runtime_error("cannot read " + path);
    }
    if (n == 0) break;
    out.append(buf, size_t(n));
  }
  close(fd);
  return out;
}

static void writeAll(int fd, const std::string& content, const std::string& path) {
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("cannot write " + path);
    done += size_t(n);
  }
}

void replaceFile(const std::string& path, const std::string& content) {
  std::string temp = path + ".tmp" + std::to_string(getpid());
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw std::runtime_error("cannot create " + temp);
  try {
    writeAll(fd, content, temp);
  } catch (...) {
    close(fd);
    unlink(temp.c_str());
    throw;
  }
  close(fd);
  if (rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    throw std::runtime_error("cannot rename " + temp);
  }
}

void appendFile(const std::string& path, const std::string& content, bool durable) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  try {
    writeAll(fd, content, path);
    if (durable && fsync(fd) != 0) throw std::runtime_error("cannot sync " + path);
  } catch (...) {
    close(fd);
    throw;
  }
  close(fd);
}

void truncateFile(const std::string& path, uint64_t size) {
  if (truncate(path.c_str(), off_t(size)) != 0) throw std::runtime_error("cannot truncate " + path);
}

uint64_t fileIdentity(const std::string& path, uint64_t& size, int64_t* modified) {
  struct stat st {};
  if (modified) *modified = 0;
  if (stat(path.c_str(), &st) != 0) {
    size = 0;
    return 0;
  }
  size = uint64_t(st.st_size);
  if (modified) *modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return uint64_t(st.st_ino);
}

int64_t localWallSeconds() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return int64_t(t) + int64_t(tm.tm_gmtoff);
}

bool PortLock::acquire(const std::string& dir) {
  if (held() && dir == dir_) return true;
  release();
  if (!makeDirs(dir)) return false;
  const std::string path = dir + "/.port";
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  int rc;
  while ((rc = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (rc != 0) {
    close(fd);
    return false;
  }
  handle_ = fd;
  dir_ = dir;
  return true;
}

void PortLock::release() {
  if (handle_ >= 0) close(int(handle_));
  handle_ = -1;
  dir_.clear();
}

FolderLock::FolderLock(const std::string& dir) {
  // The first command on a new state folder makes it.
  if (!makeDirs(dir)) throw std::runtime_error("cannot create " + dir);
  std::string path = dir + "/.lock";
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(fd);
      throw std::runtime_error("cannot lock " + path);
    }
  }
  handle_ = fd;
}

FolderLock::~FolderLock() {
  if (handle_ >= 0) close(int(handle_));
}

}  // namespace merid::sim
