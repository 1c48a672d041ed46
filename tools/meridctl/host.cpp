#include "host.h"

#include <sys/stat.h>
#include <unistd.h>

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
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? "." : exe.parent_path().string();
}

std::string virtualPrinter() {
  // Beside meridctl in a build tree; in the library folder once installed.
  const std::string beside = programFolder() + "/libCeFdll.so";
  const std::string installed = programFolder() + "/" MERID_SIM_FROM_BIN "/libCeFdll.so";
  std::error_code ec;
  return std::filesystem::exists(beside, ec) || !std::filesystem::exists(installed, ec) ? beside : installed;
}

std::string defaultHome() {
  const std::string data = envOr("XDG_DATA_HOME", envOr("HOME", "/tmp") + "/.local/share");
  return data + "/meridctl";
}

std::string simulatorFolder(const Options& o) {
  if (!o.simDir.empty()) return o.simDir;
  const std::string state = envOr("XDG_STATE_HOME", envOr("HOME", "/tmp") + "/.local/state");
  return envOr("MERID_SIM_DIR", state + "/merid-ecr-sim");
}

bool setUpHost(const Options& o) {
  const std::string printer = o.printer.empty() ? virtualPrinter() : o.printer;
  ::setenv("MERID_CEFDLL", printer.c_str(), 1);
  if (!o.simDir.empty()) {
    if (!makeFolder(o.simDir)) return false;
    ::setenv("MERID_SIM_DIR", o.simDir.c_str(), 1);
  }
  const std::string home = o.home.empty() ? defaultHome() : o.home;
  if (!makeFolder(home)) return false;
  // The library takes an absolute folder only.
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(home, ec).lexically_normal().string();
  ::setenv("MERID_HOME", ec ? home.c_str() : absolute.c_str(), 1);
  ::setenv("MeridDll_LoggerDebug", o.debugLog ? "1" : "0", 1);
  if (o.now) merid::setClock([t = *o.now] { return t; });
  const bool wait = !o.autoOk && ::isatty(STDIN_FILENO);
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
