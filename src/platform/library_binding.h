#pragma once
// The shared half of the built-in printer library bindings: the four calls,
// the lock, and the entry points bound by name at their first call. Each OS
// file says how the library is found, how a name is looked up and how the
// library is let go. One built-in binding per process, plus one per file a
// thread chose; a failed load is not remembered, so a library installed
// later is found by the next call.

#include <memory>
#include <mutex>
#include <string>

#include "platform/printer_library.h"

namespace merid::platform {

class LibraryBinding : public PrinterLibrary {
 public:
  int32_t open(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
               int32_t& status) override;
  int32_t write(char** command, int32_t& status) override;
  int32_t read(MeridByteArray** reply, int32_t& length, int32_t& status) override;
  int32_t close(int32_t& status) override;
  void check() override;

  // Lets the library go and forgets every bound entry point.
  void reset();

 protected:
  enum EntryPoint { kOpen, kWrite, kRead, kClose, kEntryPoints };
  static constexpr const char* kEntryNames[kEntryPoints] = {"VbCEFOpen", "VbCEFWrite", "VbCEFRead",
                                                            "VbCEFClose"};

  // Loads the library: its handle and the name it was found under. Throws
  // RuntimeFailure when it cannot be found.
  virtual void* load(std::string& name) = 0;
  // The entry point's address, or nullptr when the library lacks it.
  virtual void* find(void* handle, EntryPoint which) = 0;
  virtual void unload(void* handle) = 0;

 private:
  void* entry(EntryPoint which);

  std::mutex mutex_;
  void* handle_ = nullptr;
  std::string name_;
  void* entries_[kEntryPoints] = {};
};

// A binding that loads exactly the file at path (UTF-8) and nothing else.
std::unique_ptr<LibraryBinding> libraryBindingAt(const std::string& path);

}  // namespace merid::platform
