// What the state folder's files, locks and writes do, over the FileSystem
// calls of the operating system (storage_posix.cpp, storage_win32.cpp).
#include "storage.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace merid::sim {

namespace {

FileSystem* current = nullptr;

[[noreturn]] void fail(const char* what, const std::string& path, int error) {
  throw std::runtime_error(std::string("cannot ") + what + " " + path + ": " + std::strerror(error));
}

void check(int error, const char* what, const std::string& path) {
  if (error != 0) fail(what, path, error);
}

bool separator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

// An open file, closed when it goes out of scope.
struct OpenFile {
  FileSystem& fs;
  FileSystem::Handle handle = -1;
  OpenFile(FileSystem& f, const std::string& path, FileSystem::Mode mode, int& error) : fs(f) {
    error = fs.open(path, mode, handle);
    if (error != 0) handle = -1;
  }
  ~OpenFile() { closeNow(); }
  int closeNow() {
    const int error = handle == -1 ? 0 : fs.close(handle);
    handle = -1;
    return error;
  }
  void writeAll(const std::string& content, const std::string& path) {
    size_t done = 0;
    while (done < content.size()) {
      size_t written = 0;
      check(fs.write(handle, content.data() + done, content.size() - done, written), "write", path);
      if (written == 0) fail("write", path, EIO);
      done += written;
    }
  }
};

}  // namespace

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string defaultStateDir() {
  const std::string dir = environment("MERID_SIM_DIR");
  return dir.empty() ? systemStateDir() : dir;
}

void useFileSystem(FileSystem* fs) {
  current = fs;
}

FileSystem& fileSystem() {
  return current ? *current : systemFileSystem();
}

bool FailingFileSystem::fails(Op op) {
  if (++calls_ != failAt_) return false;
  failedOp_ = op;
  return true;
}

int FailingFileSystem::open(const std::string& path, Mode mode, Handle& handle) {
  return fails(Op::Open) ? error_ : inner_.open(path, mode, handle);
}
int FailingFileSystem::read(Handle handle, char* buffer, size_t size, size_t& got) {
  return fails(Op::Read) ? error_ : inner_.read(handle, buffer, size, got);
}
int FailingFileSystem::write(Handle handle, const char* data, size_t size, size_t& written) {
  if (!fails(Op::Write)) return inner_.write(handle, data, size, written);
  if (size > 1) inner_.write(handle, data, size / 2, written);
  return error_;
}
int FailingFileSystem::sync(Handle handle) {
  return fails(Op::Sync) ? error_ : inner_.sync(handle);
}
int FailingFileSystem::lock(Handle handle, bool wait) {
  return fails(Op::Lock) ? error_ : inner_.lock(handle, wait);
}
int FailingFileSystem::truncate(const std::string& path, uint64_t size) {
  return fails(Op::Truncate) ? error_ : inner_.truncate(path, size);
}
int FailingFileSystem::rename(const std::string& from, const std::string& to) {
  return fails(Op::Rename) ? error_ : inner_.rename(from, to);
}
int FailingFileSystem::remove(const std::string& path) {
  return fails(Op::Remove) ? error_ : inner_.remove(path);
}
int FailingFileSystem::makeDir(const std::string& path) {
  return fails(Op::MakeDir) ? error_ : inner_.makeDir(path);
}
int FailingFileSystem::list(const std::string& dir, std::vector<std::string>& names) {
  return fails(Op::List) ? error_ : inner_.list(dir, names);
}
int FailingFileSystem::status(const std::string& path, FileStatus& status) {
  return fails(Op::Status) ? error_ : inner_.status(path, status);
}

bool makeDirs(const std::string& dir) {
  if (dir.empty()) return false;
  FileSystem& fs = fileSystem();
  for (size_t at = 1; at <= dir.size(); ++at) {
    if (at == dir.size() || separator(dir[at])) {
      const std::string part = dir.substr(0, at);
#ifdef _WIN32
      if (part.size() == 2 && part[1] == ':') continue;  // a drive
#endif
      const int error = fs.makeDir(part);
      if (error != 0 && error != EEXIST) return false;
    }
  }
  FileStatus st;
  return fs.status(dir, st) == 0 && st.folder;
}

static bool statusOf(const std::string& path, FileStatus& st) {
  const int error = fileSystem().status(path, st);
  if (error == ENOENT || error == ENOTDIR) return false;
  check(error, "look at", path);
  return true;
}

bool fileExists(const std::string& path) {
  FileStatus st;
  return statusOf(path, st);
}

bool isFolder(const std::string& path) {
  FileStatus st;
  return statusOf(path, st) && st.folder;
}

std::vector<std::string> listFolder(const std::string& dir) {
  std::vector<std::string> names;
  check(fileSystem().list(dir, names), "list", dir);
  return names;
}

bool removeFile(const std::string& path) {
  return fileSystem().remove(path) == 0;
}

void renameFile(const std::string& from, const std::string& to) {
  check(fileSystem().rename(from, to), "rename", from);
}

std::string readFile(const std::string& path) {
  int error;
  OpenFile file(fileSystem(), path, FileSystem::Mode::Read, error);
  if (error == ENOENT) return {};
  check(error, "open", path);
  std::string out;
  char buf[65536];
  for (;;) {
    size_t got = 0;
    check(file.fs.read(file.handle, buf, sizeof buf, got), "read", path);
    if (got == 0) break;
    out.append(buf, got);
  }
  return out;
}

void replaceFile(const std::string& path, const std::string& content) {
  const std::string temp = path + ".tmp" + std::to_string(processId());
  FileSystem& fs = fileSystem();
  int error;
  OpenFile file(fs, temp, FileSystem::Mode::Create, error);
  check(error, "create", temp);
  try {
    file.writeAll(content, temp);
    // On the disk before it takes the real name: a crash just after the
    // rename must find the new content whole, not an empty file.
    check(file.fs.sync(file.handle), "sync", temp);
    check(file.closeNow(), "write", temp);
    renameFile(temp, path);
  } catch (...) {
    file.closeNow();
    fs.remove(temp);
    throw;
  }
}

void appendFile(const std::string& path, const std::string& content, bool durable) {
  int error;
  OpenFile file(fileSystem(), path, FileSystem::Mode::Append, error);
  check(error, "open", path);
  file.writeAll(content, path);
  if (durable) check(file.fs.sync(file.handle), "sync", path);
  check(file.closeNow(), "write", path);
}

void truncateFile(const std::string& path, uint64_t size) {
  check(fileSystem().truncate(path, size), "truncate", path);
}

uint64_t fileIdentity(const std::string& path, uint64_t& size, int64_t* modified) {
  FileStatus st;
  const bool there = statusOf(path, st);
  size = there ? st.size : 0;
  if (modified) *modified = there ? st.modified : 0;
  return there ? st.id : 0;
}

bool PortLock::acquire(const std::string& dir) {
  if (held() && dir == dir_) return true;
  release();
  if (!makeDirs(dir)) return false;
  FileSystem& fs = fileSystem();
  FileSystem::Handle h;
  if (fs.open(dir + "/.port", FileSystem::Mode::LockFile, h) != 0) return false;
  if (fs.lock(h, false) != 0) {
    fs.close(h);
    return false;
  }
  fs_ = &fs;
  handle_ = h;
  dir_ = dir;
  return true;
}

void PortLock::release() {
  if (fs_) fs_->close(handle_);  // closing releases the lock
  fs_ = nullptr;
  handle_ = -1;
  dir_.clear();
}

FolderLock::FolderLock(const std::string& dir) : fs_(fileSystem()) {
  // The first command on a new state folder makes it.
  if (!makeDirs(dir)) throw std::runtime_error("cannot create " + dir);
  const std::string path = dir + "/.lock";
  int error;
  OpenFile file(fs_, path, FileSystem::Mode::LockFile, error);
  check(error, "open", path);
  check(fs_.lock(file.handle, true), "lock", path);
  std::swap(handle_, file.handle);
}

FolderLock::~FolderLock() {
  if (handle_ != -1) fs_.close(handle_);  // closing releases the lock
}

}  // namespace merid::sim
