#include "platform/library_binding.h"

#include "platform/failure.h"

namespace merid::platform {

void* LibraryBinding::entry(EntryPoint which) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!handle_) handle_ = load(name_);
  if (!entries_[which]) {
    void* symbol = find(handle_, which);
    if (!symbol) {
      const std::string text =
          std::string("Can't find DLL entry point ") + kEntryNames[which] + " in " + name_;
      throw PrinterLibraryFailure(PrinterLibraryFailure::kEntryPointMissing, text,
                                  name_ + ": no entry point " + kEntryNames[which]);
    }
    entries_[which] = symbol;
  }
  return entries_[which];
}

int32_t LibraryBinding::open(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                             int32_t& status) {
  return reinterpret_cast<VbCEFOpen_t>(entry(kOpen))(port, baud, b1, b2, b3, b4, &status);
}

int32_t LibraryBinding::write(char** command, int32_t& status) {
  return reinterpret_cast<VbCEFWrite_t>(entry(kWrite))(command, &status);
}

int32_t LibraryBinding::read(MeridByteArray** reply, int32_t& length, int32_t& status) {
  return reinterpret_cast<VbCEFRead_t>(entry(kRead))(reply, &length, &status);
}

int32_t LibraryBinding::close(int32_t& status) {
  return reinterpret_cast<VbCEFClose_t>(entry(kClose))(&status);
}

void LibraryBinding::check() {
  for (int which = 0; which < kEntryPoints; ++which) entry(static_cast<EntryPoint>(which));
}

void LibraryBinding::reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& f : entries_) f = nullptr;
  if (handle_) unload(handle_);
  handle_ = nullptr;
  name_.clear();
}

}  // namespace merid::platform
