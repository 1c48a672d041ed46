#pragma once
// The seams to the outside world. Each is a small interface with one
// implementation per OS, chosen by the build, and replaceable by tests.
// Nothing above this folder includes an OS header.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

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
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool exists(const std::string& path) = 0;
  virtual bool copyReplacing(const std::string& from, const std::string& to) = 0;
  // Deletes the file even when it is read-only.
  virtual bool removeForced(const std::string& path) = 0;
};

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
using MessageBoxHandler = std::function<int(const std::string& text, const std::string& title, unsigned style)>;

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
