#pragma once
// The seams to the outside world. Each is a small interface with one
// implementation per OS, chosen by the build, and replaceable by tests.
// Nothing above this folder includes an OS header.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "merid/datetime.h"

namespace merid::platform {

// Windows profile functions, or our reader/writer with their behaviour.
class Profile {
 public:
  virtual ~Profile() = default;
  // Puts the value, cut to bufferSize - 1 characters, into out and returns its
  // length; 0 when the file, section or key is missing or the value empty.
  virtual std::size_t getString(const std::string& section, const std::string& key, std::string& out,
                                std::size_t bufferSize, const std::string& file) = 0;
  // False when the file could not be written (the caller ignores it).
  virtual bool writeString(const std::string& section, const std::string& key, const std::string& value,
                           const std::string& file) = 0;
  // The write-back of a default after a read found nothing: a value the key
  // has by now (the read failed, or another process wrote it) stays.
  virtual bool writeDefault(const std::string& section, const std::string& key, const std::string& value,
                            const std::string& file) {
    return writeString(section, key, value, file);
  }
};

// Writes of the built-in profile made on this thread while a batch is open
// are kept in memory (reads on this thread see them) and written when the
// outermost batch ends, in one atomic rewrite per file. Every public call runs
// in one, so the defaults a call writes back cost one rewrite of a large file,
// not one each.
class ProfileBatch {
 public:
  ProfileBatch();
  ~ProfileBatch();
  ProfileBatch(const ProfileBatch&) = delete;
  ProfileBatch& operator=(const ProfileBatch&) = delete;
};

// The defaults read back into a large settings file wait in memory for the
// next real write to it, the end of the first call after they have waited
// this long, or the end of the process. Returns the previous wait.
long long setLongestDefaultsWaitMs(long long ms);
// Writes every default still waiting, now.
void writeWaitingDefaults();

// What the file operations see of a file.
struct FileInfo {
  bool regular = false;
  uint64_t size = 0;
  int64_t modified = 0;  // last write, nanoseconds since the epoch
  int64_t changed = 0;   // last change of the file or its inode (the last write on Windows)
  uint64_t id = 0;       // device and inode on POSIX; 0 where the system has none
  unsigned permissions = 0644;
  bool operator==(const FileInfo& o) const {
    return regular == o.regular && size == o.size && modified == o.modified && changed == o.changed &&
           id == o.id;
  }
};

// An open file. Each operation is one system call (or one Win32 call).
class File {
 public:
  virtual ~File() = default;
  // Bytes read, 0 at the end of the file, -1 on failure.
  virtual long long read(char* buffer, std::size_t size) = 0;
  // Writes all of it or fails.
  virtual bool write(const char* data, std::size_t size) = 0;
  virtual bool sync() = 0;
  virtual bool close() = 0;
};

enum class OpenMode {
  Read,
  CreateNew,  // fails when the file exists
  Append,     // created when missing
};

// Every file operation of the core. Failures answer an errno value (the
// Win32 errors mapped to the nearest one: ENOENT, EACCES, ENOSPC, else EIO),
// 0 is success.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual int stat(const std::string& path, FileInfo& out) = 0;
  virtual std::unique_ptr<File> open(const std::string& path, OpenMode mode, unsigned permissions,
                                     int& error) = 0;
  // Replaces `to` when it exists, in one step.
  virtual int rename(const std::string& from, const std::string& to) = 0;
  // Also when the file is read-only.
  virtual int remove(const std::string& path) = 0;
  // Makes a rename in the folder durable (nothing to do on Windows).
  virtual int syncFolder(const std::string& folder) = 0;
  // The names of the entries of a folder.
  virtual int list(const std::string& folder, std::vector<std::string>& names) = 0;

  // Built on the operations above.
  bool exists(const std::string& path);
  bool copyReplacing(const std::string& from, const std::string& to);
  bool removeForced(const std::string& path) { return remove(path) == 0; }
};

// The whole content of a file; an errno value on failure (ENOENT when missing).
// expected: the size the file is thought to have, so a large one is read at once.
int readWholeFile(FileSystem& fs, const std::string& path, std::string& bytes, std::size_t expected = 0);
// Writes the content to "<path>.tmp<pid>_<n>" beside path, flushes it to disk
// and renames it over path: a reader (or a crash) sees the old file or the new
// one, never half of one. The temporary file never outlives a failed write.
bool writeFileAtomically(FileSystem& fs, const std::string& path, const std::string& content,
                         unsigned permissions);
// The same with the content handed over in pieces: fill calls put with each
// piece in order (each put is one write) and answers false once a put did.
using ContentPieces = std::function<bool(const std::function<bool(std::string_view)>& put)>;
bool writeFileAtomically(FileSystem& fs, const std::string& path, const ContentPieces& fill,
                         unsigned permissions);
// Removes the temporary files that writes of path left behind when their
// process ended in the middle (those of running processes stay).
void removeLeftoverTemporaries(FileSystem& fs, const std::string& path);

long currentProcessId();
bool processIsRunning(long pid);

using DateTime = merid::DateTime;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime now() = 0;  // local time
};

// Message box styles, with the Win32 values.
enum MessageBoxStyle : unsigned {
  kMbOk = 0x0,
  kMbIconStop = 0x10,
  kMbIconExclamation = 0x30,
  kMbSystemModal = 0x1000,
};
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Shows a modal box and answers the button pressed.
using MessageBoxHandler =
    std::function<int(const std::string& text, const std::string& title, unsigned style)>;

Profile& profile();
FileSystem& fileSystem();
Clock& clock();
int showMessageBox(const std::string& text, const std::string& title, unsigned style);

// Each setter returns the previous value; nullptr (or an empty handler)
// brings back the built-in implementation.
Profile* setProfile(Profile* p);
FileSystem* setFileSystem(FileSystem* f);
Clock* setClock(Clock* c);
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler h);

// The folder of the file that holds the library (MERID_HOME overrides it on
// POSIX), taken afresh at each call, without a trailing separator.
std::string ownFolder();
// A folder the host chose in place of ownFolder(); empty for none. Returns
// the previous one.
std::string setOwnFolderOverride(const std::string& folder);
std::string ownFolderOverride();
// The calling thread's own folder, which wins over the one above; empty for
// none. Returns the previous one.
std::string setThreadOwnFolderOverride(const std::string& folder);
// Why the folder the environment named was not used ("" when it was, or
// when the reason was handed out already): the error log records it once.
std::string takeOwnFolderProblem();
void noteOwnFolderProblem(const std::string& why);
// ownFolder() joined with a file name.
std::string inOwnFolder(const std::string& name);
// Where the printer library keeps its own log ("C:\CeFdll.log" on Windows).
std::string printerLibraryLogPath();

constexpr char kPathSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif

// Built-in implementations, for tests that wrap them.
Profile& builtinProfile();
FileSystem& builtinFileSystem();
Clock& builtinClock();
int builtinMessageBox(const std::string& text, const std::string& title, unsigned style);

}  // namespace merid::platform
