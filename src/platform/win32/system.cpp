// File operations, clock, message box and the library's own folder on Windows.

#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace merid::platform {

namespace {

class Win32FileSystem : public FileSystem {
 public:
  bool exists(const std::string& path) override {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool copyReplacing(const std::string& from, const std::string& to) override {
    // CopyFile refuses to replace a read-only target.
    SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
  }

  bool removeForced(const std::string& path) override {
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesA(path.c_str(), a & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    return DeleteFileA(path.c_str()) != FALSE;
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
    while (h.size() > 3 && (h.back() == '\\' || h.back() == '/')) h.pop_back();
    return h;
  }
  const std::wstring path = win32::ownModulePath();
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return ".";
  return win32::narrow(path.substr(0, slash));
}

std::string printerLibraryLogPath() { return "C:\\CeFdll.log"; }

}  // namespace merid::platform
