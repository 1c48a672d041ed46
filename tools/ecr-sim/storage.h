// The state folder on disk: where it is, the per-command lock, and the three
// ways files are written (atomic replace, durable append, plain append).
#pragma once

#include <cstdint>
#include <string>

namespace merid::sim {

// $MERID_SIM_DIR, else $XDG_STATE_HOME/merid-ecr-sim, else
// $HOME/.local/state/merid-ecr-sim, else /tmp/merid-ecr-sim-<uid>.
std::string defaultStateDir();

// Creates the folder and its parents; false when it cannot be made.
bool makeDirs(const std::string& dir);

// Whole file; empty when missing. Throws std::runtime_error on a read error.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

// Writes a temporary file beside `path` and renames it over `path`, so a reader
// sees either the old or the new content, never a mix.
void replaceFile(const std::string& path, const std::string& content);

// Appends and, when `durable`, fsyncs before returning. Throws on failure.
void appendFile(const std::string& path, const std::string& content, bool durable);

// Cuts a file back to `size` bytes (drops a torn last record).
void truncateFile(const std::string& path, uint64_t size);

// Something that changes when the file is replaced (0 when missing), and its size.
uint64_t fileIdentity(const std::string& path, uint64_t& size);

// The computer's local time as seconds since 1970-01-01 00:00 local.
int64_t localWallSeconds();

// An exclusive lock on <dir>/.lock for the lifetime of the object. A fresh open
// each time, so a forked child never shares its parent's lock.
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
