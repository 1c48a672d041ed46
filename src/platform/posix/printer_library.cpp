// The real printer library on POSIX: $MERID_CEFDLL when set, else
// libCeFdll.so in the library's own folder, else the dynamic loader's search.
// One binding per process; a failed load is not remembered, so a library
// installed later is found by the next call.

#include "platform/printer_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/failure.h"
#include "platform/platform.h"

namespace merid::platform {

namespace {

constexpr const char* kLibraryName = "libCeFdll.so";

enum EntryPoint { kOpen, kWrite, kRead, kClose, kEntryPoints };
constexpr const char* kEntryNames[kEntryPoints] = {"VbCEFOpen", "VbCEFWrite", "VbCEFRead", "VbCEFClose"};

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

class DlBinding : public PrinterLibrary {
 public:
  int32_t open(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
               int32_t& status) override {
    return entry<VbCEFOpen_t>(kOpen)(port, baud, b1, b2, b3, b4, &status);
  }
  int32_t write(char** command, int32_t& status) override {
    return entry<VbCEFWrite_t>(kWrite)(command, &status);
  }
  int32_t read(MeridByteArray** reply, int32_t& length, int32_t& status) override {
    return entry<VbCEFRead_t>(kRead)(reply, &length, &status);
  }
  int32_t close(int32_t& status) override { return entry<VbCEFClose_t>(kClose)(&status); }

  void reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& f : entries_) f = nullptr;
    if (handle_) ::dlclose(handle_);
    handle_ = nullptr;
    name_.clear();
  }

 private:
  template <class Fn>
  Fn entry(EntryPoint which) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!handle_) load();
    if (!entries_[which]) {
      void* symbol = ::dlsym(handle_, kEntryNames[which]);
      if (!symbol)
        throw RuntimeFailure(std::string("Can't find DLL entry point ") + kEntryNames[which] + " in " +
                             name_);
      entries_[which] = symbol;
    }
    return reinterpret_cast<Fn>(entries_[which]);
  }

  void load() {
    if (const char* chosen = std::getenv("MERID_CEFDLL"); chosen && *chosen) {
      if (tryOpen(chosen)) return;
      throw RuntimeFailure(std::string("File not found: ") + chosen);
    }
    const std::string beside = inOwnFolder(kLibraryName);
    if (isFile(beside) && tryOpen(beside)) return;
    if (tryOpen(kLibraryName)) return;
    throw RuntimeFailure(std::string("File not found: ") + kLibraryName);
  }

  bool tryOpen(const std::string& path) {
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_) name_ = path;
    return handle_ != nullptr;
  }

  std::mutex mutex_;
  void* handle_ = nullptr;
  std::string name_;
  void* entries_[kEntryPoints] = {};
};

DlBinding& binding() {
  static DlBinding b;
  return b;
}

}  // namespace

PrinterLibrary& builtinPrinterLibrary() {
  return binding();
}
void resetBuiltinPrinterLibrary() {
  binding().reset();
}

}  // namespace merid::platform
