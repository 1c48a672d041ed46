// The state folder on disk: where it is, the per-command lock, the port lock,
// and the three ways files are written (atomic replace, durable append, plain
// append).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace merid::sim {

// $MERID_SIM_DIR, else $XDG_STATE_HOME/merid-ecr-sim, else
// $HOME/.local/state/merid-ecr-sim, else /tmp/merid-ecr-sim-<uid>.
std::string defaultStateDir();

// Creates the folder and its parents; false when it cannot be made.
bool makeDirs(const std::string& dir);

// Whole file; empty when missing. Throws std::runtime_error on a read error.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
bool isFolder(const std::string& path);
// The names of the entries of a folder (not "." and ".."); empty when it cannot be read.
std::vector<std::string> listFolder(const std::string& dir);
// Removes a file; false when it could not be removed.
bool removeFile(const std::string& path);

// Writes a temporary file beside `path` and renames it over `path`, so a reader
// sees either the old or the new content, never a mix.
void replaceFile(const std::string& path, const std::string& content);

// Appends and, when `durable`, fsyncs before returning. Throws on failure.
void appendFile(const std::string& path, const std::string& content, bool durable);

// Cuts a file back to `size` bytes (drops a torn last record).
void truncateFile(const std::string& path, uint64_t size);

// Something that changes when the file is replaced (0 when missing), its size,
// and when given, its last modification time (any unit).
uint64_t fileIdentity(const std::string& path, uint64_t& size, int64_t* modified = nullptr);

// The computer's local time as seconds since 1970-01-01 00:00 local.
int64_t localWallSeconds();

// An exclusive lock on <dir>/.lock for the lifetime of the object. A fresh open
// each time, so a forked child never shares its parent's lock.
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
  bool held() const { return handle_ != -1; }
  const std::string& dir() const { return dir_; }

 private:
  intptr_t handle_ = -1;  // a file descriptor, or a Windows HANDLE
  std::string dir_;
};

class FolderLock {
 public:
  explicit FolderLock(const std::string& dir);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  intptr_t handle_ = -1;  // a file descriptor, or a Windows HANDLE
};

}  // namespace merid::sim
