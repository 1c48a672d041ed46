// The real printer library on Windows: CeFdll.dll from the folder of our own
// DLL, by full path, else the standard search order without the current
// directory (the host's folder, the system folders, PATH), so that a file
// dropped in whatever folder the host happens to run in is never loaded.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "platform/library_binding.h"
#include "platform/win32/win32_text.h"

namespace merid::platform {

namespace {

constexpr const wchar_t* kLibraryName = L"CeFdll.dll";

#if !defined(_WIN64)
// A 32-bit library built without a .def file exports decorated __stdcall
// names: "_Name@N" from MSVC, "Name@N" from mingw, N the argument bytes.
constexpr const char* kDecoratedNames[2][4] = {
    {"_VbCEFOpen@28", "_VbCEFWrite@8", "_VbCEFRead@12", "_VbCEFClose@4"},
    {"VbCEFOpen@28", "VbCEFWrite@8", "VbCEFRead@12", "VbCEFClose@4"}};
#endif

std::wstring folderOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool isFile(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring systemFolder(UINT(WINAPI* query)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH + 1];
  const UINT n = query(buffer, MAX_PATH + 1);
  return n > 0 && n <= MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

std::wstring processFolder() {
  wchar_t buffer[32768];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, 32768);
  return n > 0 && n < 32768 ? folderOf(std::wstring(buffer, n)) : std::wstring();
}

std::vector<std::wstring> pathFolders() {
  std::vector<std::wstring> out;
  const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (size == 0) return out;
  std::wstring path(size, L'\0');
  const DWORD n = GetEnvironmentVariableW(L"PATH", &path[0], size);
  path.resize(n < size ? n : 0);
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(L';', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring folder = path.substr(start, end - start);
    // A relative entry ("." or empty) would bring the current directory back.
    if (folder.size() >= 2 && (folder[1] == L':' || (folder[0] == L'\\' && folder[1] == L'\\')))
      out.push_back(folder);
    start = end + 1;
  }
  return out;
}

// The system's words for a Win32 error number.
std::string systemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n && text ? std::wstring(text, n) : std::wstring();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  return "error " + std::to_string(code) + (message.empty() ? "" : ": " + win32::narrow(message));
}

class Win32Binding : public LibraryBinding {
 public:
  Win32Binding() = default;
  explicit Win32Binding(std::string file) : file_(std::move(file)) {}

 protected:
  void* load(std::string& name) override {
    if (!file_.empty()) {
      const std::wstring path = win32::widen(file_, CP_UTF8);
      if (HMODULE handle = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
        name = file_;
        return handle;
      }
      throw PrinterLibraryFailure(PrinterLibraryFailure::kNotLoaded, "File not found: " + file_,
                                  file_ + ": " + systemMessage(GetLastError()));
    }
    std::string reason =
        "CeFdll.dll is not beside MeridDLLManager.dll, in the program's folder, the system "
        "folders or a folder of PATH";
    std::vector<std::wstring> folders;
    folders.push_back(folderOf(win32::ownModulePath()));
    folders.push_back(processFolder());
    folders.push_back(systemFolder(GetSystemDirectoryW));
    folders.push_back(systemFolder(GetWindowsDirectoryW));
    for (auto& f : pathFolders()) folders.push_back(f);
    for (const auto& folder : folders) {
      if (folder.empty()) continue;
      const std::wstring candidate = folder + L"\\" + kLibraryName;
      if (!isFile(candidate)) continue;
      if (HMODULE handle = LoadLibraryExW(candidate.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
        name = win32::narrow(candidate);
        return handle;
      }
      reason = win32::narrow(candidate) + ": " + systemMessage(GetLastError());
    }
    throw PrinterLibraryFailure(PrinterLibraryFailure::kNotLoaded, "File not found: CeFdll.dll", reason);
  }

  void* find(void* handle, EntryPoint which) override {
    auto module = static_cast<HMODULE>(handle);
    FARPROC symbol = GetProcAddress(module, kEntryNames[which]);
#if !defined(_WIN64)
    for (const auto& names : kDecoratedNames)
      if (!symbol) symbol = GetProcAddress(module, names[which]);
#endif
    return reinterpret_cast<void*>(symbol);
  }

  void unload(void* handle) override {
    FreeLibrary(static_cast<HMODULE>(handle));
  }

 private:
  std::string file_;  // empty: the search above
};

Win32Binding& binding() {
  static Win32Binding b;
  return b;
}

}  // namespace

std::unique_ptr<LibraryBinding> libraryBindingAt(const std::string& path) {
  return std::make_unique<Win32Binding>(path);
}

PrinterLibrary& builtinPrinterLibrary() {
  return binding();
}
void resetBuiltinPrinterLibrary() {
  binding().reset();
}

}  // namespace merid::platform
