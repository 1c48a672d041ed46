// File operations, clock, message box and the library's own folder on POSIX.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/platform.h"
#include "platform/posix/atomic_file.h"

namespace merid::platform {

namespace {

class PosixFileSystem : public FileSystem {
 public:
  bool exists(const std::string& path) override {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  bool copyReplacing(const std::string& from, const std::string& to) override {
    std::FILE* f = std::fopen(from.c_str(), "rb");
    if (!f) return false;
    std::string bytes;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    const bool readOk = !std::ferror(f);
    std::fclose(f);
    return readOk && writeFileAtomically(to, bytes, 0644);
  }

  // unlink needs write access to the folder, not to the file, so a read-only
  // file goes as any other.
  bool removeForced(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
};

class SystemClock : public Clock {
 public:
  DateTime now() override {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }
};

}  // namespace

FileSystem& builtinFileSystem() {
  static PosixFileSystem f;
  return f;
}

Clock& builtinClock() {
  static SystemClock c;
  return c;
}

int builtinMessageBox(const std::string& text, const std::string& title, unsigned) {
  std::string line = "MessageBox [" + title + "] " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return kIdOk;
}

std::string ownFolder() {
  if (std::string chosen = ownFolderOverride(); !chosen.empty()) return chosen;
  if (const char* home = std::getenv("MERID_HOME"); home && *home) {
    std::string h = home;
    while (h.size() > 1 && h.back() == '/') h.pop_back();
    return h;
  }
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&ownFolder), &info) && info.dli_fname) {
    std::string path = info.dli_fname;
    char resolved[4096];
    if (::realpath(path.c_str(), resolved)) path = resolved;
    auto slash = path.rfind('/');
    if (slash != std::string::npos) return slash == 0 ? "/" : path.substr(0, slash);
  }
  return ".";
}

std::string printerLibraryLogPath() {
  if (const char* p = std::getenv("MERID_CEFDLL_LOG"); p && *p) return p;
  return inOwnFolder("CeFdll.log");
}

}  // namespace merid::platform
