// The state folder on disk: where it is, the per-command lock, the port lock,
// and the three ways files are written (atomic replace, durable append, plain
// append). Every file operation of the printer goes through one FileSystem,
// the operating system's unless a test puts another in front of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace merid::sim {

struct FileStatus {
  bool folder = false;
  uint64_t id = 0;  // changes when the file is replaced; never 0
  uint64_t size = 0;
  int64_t modified = 0;  // last modification time, any unit
};

// The operating system's file calls, one function each, so that a test can
// make any of them fail. Each answers 0 or an errno value: ENOENT for what is
// not there, EEXIST for a folder already made, EAGAIN for a lock held elsewhere.
class FileSystem {
 public:
  using Handle = intptr_t;  // a file descriptor, or a Windows HANDLE
  enum class Op { Open, Read, Write, Sync, Lock, Truncate, Rename, Remove, MakeDir, List, Status };
  enum class Mode {
    Read,     // an existing file
    Create,   // made empty, for writing
    Append,   // made when missing, every write at the end
    LockFile  // made when missing, for a lock
  };
  virtual ~FileSystem() = default;
  virtual int open(const std::string& path, Mode mode, Handle& handle) = 0;
  // `got` 0: the end of the file.
  virtual int read(Handle handle, char* buffer, size_t size, size_t& got) = 0;
  virtual int write(Handle handle, const char* data, size_t size, size_t& written) = 0;
  virtual int sync(Handle handle) = 0;
  // An exclusive lock of the whole file until it is closed; waits for it when `wait`.
  virtual int lock(Handle handle, bool wait) = 0;
  // Releases the handle whatever it answers, so it is not an operation that fails.
  virtual int close(Handle handle) = 0;
  virtual int truncate(const std::string& path, uint64_t size) = 0;
  // Replaces `to` when it is there.
  virtual int rename(const std::string& from, const std::string& to) = 0;
  virtual int remove(const std::string& path) = 0;
  virtual int makeDir(const std::string& path) = 0;
  // The names in a folder but "." and "..".
  virtual int list(const std::string& dir, std::vector<std::string>& names) = 0;
  virtual int status(const std::string& path, FileStatus& status) = 0;
};

// The operating system's file calls.
FileSystem& systemFileSystem();
// What every function below uses from now on; null puts the system's back.
// For tests: set it while no command runs.
void useFileSystem(FileSystem* fs);
FileSystem& fileSystem();

// Passes every call to `inner` but the `failAt`th (counting from 1, closes not
// counted), which answers `error` instead. A write that fails writes half its
// bytes first, as a disk that fills up does.
class FailingFileSystem : public FileSystem {
 public:
  FailingFileSystem(FileSystem& inner, uint64_t failAt, int error)
      : inner_(inner), failAt_(failAt), error_(error) {}
  uint64_t calls() const { return calls_; }
  bool failed() const { return calls_ >= failAt_; }
  Op failedOp() const { return failedOp_; }

  int open(const std::string& path, Mode mode, Handle& handle) override;
  int read(Handle handle, char* buffer, size_t size, size_t& got) override;
  int write(Handle handle, const char* data, size_t size, size_t& written) override;
  int sync(Handle handle) override;
  int lock(Handle handle, bool wait) override;
  int close(Handle handle) override { return inner_.close(handle); }
  int truncate(const std::string& path, uint64_t size) override;
  int rename(const std::string& from, const std::string& to) override;
  int remove(const std::string& path) override;
  int makeDir(const std::string& path) override;
  int list(const std::string& dir, std::vector<std::string>& names) override;
  int status(const std::string& path, FileStatus& status) override;

 private:
  bool fails(Op op);
  FileSystem& inner_;
  uint64_t failAt_, calls_ = 0;
  int error_;
  Op failedOp_ = Op::Open;
};

// $MERID_SIM_DIR, else the system's place: $XDG_STATE_HOME/merid-ecr-sim, else
// $HOME/.local/state/merid-ecr-sim, else /tmp/merid-ecr-sim-<uid> on POSIX;
// %LOCALAPPDATA%\merid-ecr-sim, else %TEMP%\merid-ecr-sim on Windows.
std::string defaultStateDir();
std::string systemStateDir();
// An environment variable; empty when it is not set.
std::string environment(const char* name);

// Creates the folder and its parents; false when it cannot be made.
bool makeDirs(const std::string& dir);

// Whole file; empty when missing. Throws std::runtime_error on a read error.
std::string readFile(const std::string& path);
// Throw std::runtime_error when the answer cannot be known.
bool fileExists(const std::string& path);
bool isFolder(const std::string& path);
// The names of the entries of a folder (not "." and ".."). Throws when it cannot be read.
std::vector<std::string> listFolder(const std::string& dir);
// Removes a file; false when it could not be removed.
bool removeFile(const std::string& path);
// Renames a file over another; throws on failure.
void renameFile(const std::string& from, const std::string& to);

// Writes a temporary file beside `path` and renames it over `path`, so a reader
// sees either the old or the new content, never a mix.
void replaceFile(const std::string& path, const std::string& content);

// Appends and, when `durable`, fsyncs before returning. Throws on failure.
void appendFile(const std::string& path, const std::string& content, bool durable);

// Cuts a file back to `size` bytes (drops a torn last record).
void truncateFile(const std::string& path, uint64_t size);

// Something that changes when the file is replaced (0 when missing), its size,
// and when given, its last modification time (any unit). Throws when the file
// is there but cannot be looked at.
uint64_t fileIdentity(const std::string& path, uint64_t& size, int64_t* modified = nullptr);

// The computer's local time as seconds since 1970-01-01 00:00 local.
int64_t localWallSeconds();
// This process's number, for temporary file names.
uint64_t processId();

// The printer's serial port: <dir>/.port locked by one open link at a time,
// without waiting. The system releases it when the holder closes it or dies,
// however it dies, so a killed host never leaves the port busy.
class PortLock {
 public:
  PortLock() = default;
  ~PortLock() { release(); }
  PortLock(const PortLock&) = delete;
  PortLock& operator=(const PortLock&) = delete;
  // True when this object now holds the port of `dir` (or already did);
  // false when another link holds it or the lock file cannot be made.
  bool acquire(const std::string& dir);
  void release();
  bool held() const { return fs_ != nullptr; }
  const std::string& dir() const { return dir_; }

 private:
  FileSystem* fs_ = nullptr;  // the one that opened it, which closes it
  FileSystem::Handle handle_ = -1;
  std::string dir_;
};

// An exclusive lock on <dir>/.lock for the lifetime of the object. A fresh open
// each time, so a forked child never shares its parent's lock.
class FolderLock {
 public:
  explicit FolderLock(const std::string& dir);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  FileSystem& fs_;
  FileSystem::Handle handle_ = -1;
};

}  // namespace merid::sim
