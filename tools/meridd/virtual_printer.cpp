#include "virtual_printer.h"

#include <filesystem>
#include <system_error>

#include "merid/cefdll.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace meridd {

namespace {

namespace fs = std::filesystem;

using SetFolder = int32_t(MERID_CEFCALL*)(const char*);

// The folder setter of the loaded file, or nullptr with the reason.
SetFolder loadSetFolder(const std::string& file, std::string& error) {
#if defined(_WIN32)
  HMODULE module = ::LoadLibraryA(file.c_str());
  if (!module) return error = "cannot load " + file, nullptr;
  auto f =
      reinterpret_cast<SetFolder>(reinterpret_cast<void*>(::GetProcAddress(module, "MeridSimSetFolder")));
#else
  void* module = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return error = "cannot load " + file + ": " + ::dlerror(), nullptr;
  auto f = reinterpret_cast<SetFolder>(::dlsym(module, "MeridSimSetFolder"));
#endif
  if (!f) error = file + " is not the virtual printer (no MeridSimSetFolder); leave out simulatorFolder";
  return f;
}

}  // namespace

std::string privateVirtualPrinter(const PrinterConfig& printer, std::string& error) {
  const fs::path original(printer.library);
  const fs::path copy =
      fs::path(printer.home) / ("virtual-printer-" + printer.id + original.extension().string());
  const fs::path part = copy.string() + ".part";
  std::error_code ec;
  // Written beside and renamed over: a process that still has the old copy
  // loaded keeps its own file.
  fs::copy_file(original, part, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(part, copy, ec);
  if (ec) {
    fs::remove(part, ec);
    error = "printer " + printer.id + ": cannot copy " + original.string() + " to " + copy.string();
    return "";
  }
  SetFolder setFolder = loadSetFolder(copy.string(), error);
  if (!setFolder) return error = "printer " + printer.id + ": " + error, "";
  if (setFolder(printer.simulatorFolder.c_str()) != 0) {
    error = "printer " + printer.id + ": cannot make " + printer.simulatorFolder;
    return "";
  }
  return copy.string();
}

}  // namespace meridd
