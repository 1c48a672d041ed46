// File operations, clock, message box and the library's own folder on Windows.

#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace merid::platform {

namespace {

int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

int lastErrno() {
  return errnoOf(GetLastError());
}

int64_t nanoseconds(const FILETIME& t) {
  const int64_t ticks = (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return (ticks - 116444736000000000LL) * 100;  // from 1601 in 100 ns steps
}

class Win32File : public File {
 public:
  explicit Win32File(HANDLE h) : h_(h) {}
  ~Win32File() override {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  long long read(char* buffer, std::size_t size) override {
    DWORD n = 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    return ReadFile(h_, buffer, want, &n, nullptr) ? static_cast<long long>(n) : -1;
  }
  bool write(const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD n = 0;
      const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      if (!WriteFile(h_, data, chunk, &n, nullptr) || n == 0) return false;
      data += n;
      size -= n;
    }
    return true;
  }
  bool sync() override { return FlushFileBuffers(h_) != FALSE; }
  bool close() override {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != FALSE;
  }

 private:
  HANDLE h_;
};

class Win32FileSystem : public FileSystem {
 public:
  int stat(const std::string& path, FileInfo& out) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return lastErrno();
    out.regular = !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    out.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    out.modified = out.changed = nanoseconds(data.ftLastWriteTime);
    out.id = 0;
    out.permissions = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0644;
    return 0;
  }

  std::unique_ptr<File> open(const std::string& path, OpenMode mode, unsigned, int& error) override {
    DWORD access = GENERIC_READ, disposition = OPEN_EXISTING;
    if (mode == OpenMode::CreateNew) access = GENERIC_WRITE, disposition = CREATE_NEW;
    if (mode == OpenMode::Append) access = FILE_APPEND_DATA, disposition = OPEN_ALWAYS;
    // Readers let a writer replace the file under them, as on POSIX.
    HANDLE h = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      error = lastErrno();
      return nullptr;
    }
    error = 0;
    return std::make_unique<Win32File>(h);
  }

  int rename(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : lastErrno();
  }

  int remove(const std::string& path) override {
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesA(path.c_str(), a & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    return DeleteFileA(path.c_str()) ? 0 : lastErrno();
  }

  // MOVEFILE_WRITE_THROUGH already waits for the rename to reach the disk.
  int syncFolder(const std::string&) override { return 0; }

  int list(const std::string& folder, std::vector<std::string>& names) override {
    WIN32_FIND_DATAA entry{};
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (h == INVALID_HANDLE_VALUE) return lastErrno();
    do names.emplace_back(entry.cFileName);
    while (FindNextFileA(h, &entry));
    FindClose(h);
    return 0;
  }
};

class SystemClock : public Clock {
 public:
  DateTime now() override {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  }
};

}  // namespace

FileSystem& builtinFileSystem() {
  static Win32FileSystem f;
  return f;
}

Clock& builtinClock() {
  static SystemClock c;
  return c;
}

int builtinMessageBox(const std::string& text, const std::string& title, unsigned style) {
  return MessageBoxA(nullptr, text.c_str(), title.c_str(), style);
}

std::string ownFolder() {
  if (std::string chosen = ownFolderOverride(); !chosen.empty()) return chosen;
  // MERID_HOME lets tests give each run a folder of its own without copying
  // the DLL; hosts leave it unset.
  char home[MAX_PATH + 1];
  const DWORD n = GetEnvironmentVariableA("MERID_HOME", home, sizeof home);
  if (n > 0 && n < sizeof home) {
    std::string h(home, n);
    // A relative folder would follow the host's current directory.
    const bool absolute = (h.size() >= 3 && h[1] == ':' && (h[2] == '\\' || h[2] == '/')) ||
                          (h.size() >= 2 && (h[0] == '\\' || h[0] == '/') && h[1] == h[0]);
    if (absolute) {
      while (h.size() > 3 && (h.back() == '\\' || h.back() == '/')) h.pop_back();
      return h;
    }
    noteOwnFolderProblem("MERID_HOME \"" + h + "\" is not an absolute path: ignored");
  }
  const std::wstring path = win32::ownModulePath();
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return ".";
  return win32::narrow(path.substr(0, slash));
}

long currentProcessId() {
  return static_cast<long>(GetCurrentProcessId());
}

bool processIsRunning(long pid) {
  if (pid <= 0) return false;
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
  CloseHandle(h);
  return running;
}

std::string printerLibraryLogPath() {
  return "C:\\CeFdll.log";
}

}  // namespace merid::platform
