// The real printer library on POSIX: $MERID_CEFDLL when set, else
// libCeFdll.so in the library's own folder; absolute paths only.

#include "platform/library_binding.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "platform/failure.h"
#include "platform/platform.h"

namespace merid::platform {

namespace {

constexpr const char* kLibraryName = "libCeFdll.so";

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The loader's words for the last failed dlopen.
std::string lastError;

void* openLibrary(const std::string& path, std::string& name) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle) {
    name = path;
  } else {
    const char* why = ::dlerror();
    lastError = why ? why : path + ": cannot be loaded";
  }
  return handle;
}

[[noreturn]] void notLoaded(const std::string& name) {
  throw PrinterLibraryFailure(PrinterLibraryFailure::kNotLoaded, "File not found: " + name, lastError);
}

class DlBinding : public LibraryBinding {
 public:
  DlBinding() = default;
  explicit DlBinding(std::string file) : file_(std::move(file)) {}

 protected:
  void* load(std::string& name) override {
    // Only ever by an absolute path: a relative one, or a bare name given to
    // the loader, could load whatever lies in the current directory.
    if (!file_.empty()) {
      if (file_[0] != '/') {
        lastError = file_ + ": not an absolute path";
        notLoaded(file_);
      }
      if (void* h = openLibrary(file_, name)) return h;
      notLoaded(file_);
    }
    if (const char* chosen = std::getenv("MERID_CEFDLL"); chosen && *chosen) {
      if (chosen[0] != '/') {
        lastError = std::string(chosen) + ": not an absolute path";
        notLoaded(chosen);
      }
      if (void* h = openLibrary(chosen, name)) return h;
      notLoaded(chosen);
    }
    const std::string beside = inOwnFolder(kLibraryName);
    if (beside.front() == '/' && isFile(beside))
      if (void* h = openLibrary(beside, name)) return h;
    if (!isFile(beside)) lastError = beside + ": no such file";
    notLoaded(kLibraryName);
  }
  void* find(void* handle, EntryPoint which) override { return ::dlsym(handle, kEntryNames[which]); }
  void unload(void* handle) override { ::dlclose(handle); }

 private:
  std::string file_;  // empty: the search above
};

DlBinding& binding() {
  static DlBinding b;
  return b;
}

}  // namespace

std::unique_ptr<LibraryBinding> libraryBindingAt(const std::string& path) {
  return std::make_unique<DlBinding>(path);
}

PrinterLibrary& builtinPrinterLibrary() {
  return binding();
}
void resetBuiltinPrinterLibrary() {
  binding().reset();
}

}  // namespace merid::platform
