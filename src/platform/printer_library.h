#pragma once
// The printer maker's communication library, behind a seam so tests can put a
// fake in its place. The methods mirror the four entry points the core calls,
// with the same by-reference arguments; the built-in binding loads the real
// library on first use and binds each entry point by name at its first call.
// A library or entry point that cannot be found throws RuntimeFailure.

#include <cstdint>
#include <string>

#include "merid/cefdll.h"
#include "platform/failure.h"

namespace merid::platform {

// The printer library cannot be used: what() is the error-log text, reason
// the system's own words (the loader's message, or the missing name).
class PrinterLibraryFailure : public RuntimeFailure {
 public:
  enum Kind { kNotLoaded, kEntryPointMissing };
  PrinterLibraryFailure(Kind kind, const std::string& text, std::string reason)
      : RuntimeFailure(text), kind_(kind), reason_(std::move(reason)) {}
  Kind kind() const { return kind_; }
  const std::string& reason() const { return reason_; }

 private:
  Kind kind_;
  std::string reason_;
};

class PrinterLibrary {
 public:
  virtual ~PrinterLibrary() = default;
  virtual int32_t open(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
                       int32_t& status) = 0;
  // The library may change the text in place.
  virtual int32_t write(char** command, int32_t& status) = 0;
  virtual int32_t read(MeridByteArray** reply, int32_t& length, int32_t& status) = 0;
  virtual int32_t close(int32_t& status) = 0;
  // Makes sure every entry point can be called, without calling any; throws
  // PrinterLibraryFailure when not.
  virtual void check() {}
};

// A descriptor of a one-dimensional array of MERID_REPLY_SIZE bytes at data,
// marked static and fixed-size: the library may fill it, not resize or free it.
inline MeridByteArray replyDescriptor(uint8_t* data) {
  MeridByteArray d{};
  d.cDims = 1;
  d.fFeatures = 0x0012;
  d.cbElements = 1;
  d.pvData = data;
#if defined(_WIN32)
  d.rgsabound[0].cElements = MERID_REPLY_SIZE;
  d.rgsabound[0].lLbound = 0;
#else
  d.cElements = MERID_REPLY_SIZE;
  d.lLbound = 0;
#endif
  return d;
}

PrinterLibrary& printerLibrary();
// Returns the previous one; nullptr brings back the built-in binding.
PrinterLibrary* setPrinterLibrary(PrinterLibrary* library);

PrinterLibrary& builtinPrinterLibrary();
// Unloads the real library and forgets every bound entry point, so the next
// call looks for the library again (tests change where it is found).
void resetBuiltinPrinterLibrary();

}  // namespace merid::platform
