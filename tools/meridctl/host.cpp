#include "host.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "merid/codepage.h"
#include "script.h"

namespace meridctl {

namespace {

std::string envOr(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return v && *v ? v : fallback;
}

// The environment the library and the virtual printer read.
void setEnvironment(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

#if defined(_WIN32)
constexpr const char* kVirtualPrinterFile = "CeFdll.dll";
// Per-user data on Windows; the virtual printer's own default is beside it.
std::string userDataFolder() {
  return envOr("LOCALAPPDATA", envOr("TEMP", "C:"));
}
#else
constexpr const char* kVirtualPrinterFile = "libCeFdll.so";
#endif

bool makeFolder(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (std::filesystem::is_directory(path, ec)) return true;
  std::cerr << "meridctl: cannot make the folder " << path << "\n";
  return false;
}

}  // namespace

std::optional<merid::DateTime> parseNow(const std::string& text) {
  auto t = text.size() == 16 ? dateFields(text) : std::nullopt;
  if (!t || !merid::automationDate(*t)) return std::nullopt;  // no such day, or a year outside 100 to 9999
  return t;
}

std::string programFolder() {
#if defined(_WIN32)
  std::wstring exe(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, &exe[0], static_cast<DWORD>(exe.size()));
  if (n == 0 || n >= exe.size()) return ".";
  exe.resize(n);
  return std::filesystem::path(exe).parent_path().string();
#else
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? "." : exe.parent_path().string();
#endif
}

std::string virtualPrinter() {
  // Beside meridctl in a build tree; in the library folder once installed.
  const std::string beside = programFolder() + "/" + kVirtualPrinterFile;
  const std::string installed = programFolder() + "/" MERID_SIM_FROM_BIN "/" + kVirtualPrinterFile;
  std::error_code ec;
  return std::filesystem::exists(beside, ec) || !std::filesystem::exists(installed, ec) ? beside : installed;
}

std::string defaultHome() {
#if defined(_WIN32)
  return userDataFolder() + "\\meridctl";
#else
  const std::string data = envOr("XDG_DATA_HOME", envOr("HOME", "/tmp") + "/.local/share");
  return data + "/meridctl";
#endif
}

std::string simulatorFolder(const Options& o) {
  if (!o.simDir.empty()) return o.simDir;
#if defined(_WIN32)
  return envOr("MERID_SIM_DIR", userDataFolder() + "\\merid-ecr-sim");
#else
  const std::string state = envOr("XDG_STATE_HOME", envOr("HOME", "/tmp") + "/.local/state");
  return envOr("MERID_SIM_DIR", state + "/merid-ecr-sim");
#endif
}

bool stdinIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stdin)) != 0;
#else
  return ::isatty(STDIN_FILENO) != 0;
#endif
}

std::string temporaryFolder(const std::string& prefix) {
#if defined(_WIN32)
  // No mkdtemp: a name from the process, the time and a counter, made only if it is new.
  std::error_code ec;
  const auto base = std::filesystem::temp_directory_path(ec);
  if (ec) return "";
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const auto name = prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(GetTickCount64()) + "-" + std::to_string(attempt);
    const auto folder = base / name;
    if (std::filesystem::create_directory(folder, ec)) return folder.string();
  }
  return "";
#else
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
  return ::mkdtemp(pattern.data()) ? pattern : "";
#endif
}

bool setUpHost(const Options& o) {
  const std::string printer = o.printer.empty() ? virtualPrinter() : o.printer;
  setEnvironment("MERID_CEFDLL", printer);
#if defined(_WIN32)
  // The library on Windows finds CeFdll.dll by its own search, not from the
  // environment: a printer named, or the virtual one beside meridctl, is
  // given to it by path (meridctl calls the library from this thread only).
  std::error_code exists;
  if (!o.printer.empty() || std::filesystem::exists(printer, exists))
    merid::setThreadPrinterLibrary(std::filesystem::absolute(printer, exists).string());
#endif
  if (!o.simDir.empty()) {
    if (!makeFolder(o.simDir)) return false;
    setEnvironment("MERID_SIM_DIR", o.simDir);
  }
  const std::string home = o.home.empty() ? defaultHome() : o.home;
  if (!makeFolder(home)) return false;
  // The library takes an absolute folder only.
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(home, ec).lexically_normal().string();
  setEnvironment("MERID_HOME", ec ? home : absolute);
  setEnvironment("MeridDll_LoggerDebug", o.debugLog ? "1" : "0");
  if (o.now) merid::setClock([t = *o.now] { return t; });
  const bool wait = !o.autoOk && stdinIsTerminal();
  merid::setPromptHandler([wait](const std::string& text, const std::string& title) {
    std::cerr << "MessageBox [" << merid::ansiToUtf8(title) << "] " << merid::ansiToUtf8(text) << std::endl;
    if (wait) {
      std::string answer;
      std::getline(std::cin, answer);
    }
    return merid::PromptAnswer::Ok;
  });
  return true;
}

}  // namespace meridctl
