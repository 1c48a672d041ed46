#include "platform/printer_library.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "merid/host.h"
#include "platform/library_binding.h"
#include "merid/outcome.h"

namespace merid::platform {

namespace {
std::atomic<PrinterLibrary*> gLibrary{nullptr};
// A thread's own choice of file wins over the process-wide library.
thread_local PrinterLibrary* tLibrary = nullptr;
thread_local std::string tLibraryPath;
}  // namespace

PrinterLibrary& printerLibrary() {
  if (tLibrary) return *tLibrary;
  PrinterLibrary* p = gLibrary.load();
  return p ? *p : builtinPrinterLibrary();
}

PrinterLibrary* setPrinterLibrary(PrinterLibrary* library) {
  return gLibrary.exchange(library);
}

}  // namespace merid::platform

namespace merid {

namespace {

// A host's in-process printer library behind the same seam as a loaded one.
class FunctionPrinter : public platform::PrinterLibrary {
 public:
  explicit FunctionPrinter(const PrinterFunctions& f) : f_(f) {}
  int32_t open(int32_t port, int32_t baud, uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4,
               int32_t& status) override {
    return f_.open(port, baud, b1, b2, b3, b4, &status);
  }
  int32_t write(char** command, int32_t& status) override { return f_.write(command, &status); }
  int32_t read(MeridByteArray** reply, int32_t& length, int32_t& status) override {
    return f_.read(reply, &length, &status);
  }
  int32_t close(int32_t& status) override { return f_.close(&status); }

 private:
  PrinterFunctions f_;
};

std::mutex gFunctionsMutex;
const PrinterFunctions* gFunctions = nullptr;

}  // namespace

const PrinterFunctions* setPrinterFunctions(const PrinterFunctions* functions) {
  std::lock_guard<std::mutex> lock(gFunctionsMutex);
  const PrinterFunctions* previous = gFunctions;
  const bool complete =
      functions && functions->open && functions->write && functions->read && functions->close;
  gFunctions = complete ? functions : nullptr;
  // Each adapter lives as long as the process: a call on another thread may
  // still be inside the previous one.
  static std::vector<std::unique_ptr<FunctionPrinter>> adapters;
  if (complete) adapters.push_back(std::make_unique<FunctionPrinter>(*functions));
  platform::setPrinterLibrary(complete ? adapters.back().get() : nullptr);
  return previous;
}

std::string setThreadPrinterLibrary(const std::string& path) {
  // One binding per file for the whole process, never let go: threads that
  // chose the same file share it, and a thread may still be inside a call.
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<platform::LibraryBinding>> bindings;
  std::string previous = std::move(platform::tLibraryPath);
  platform::tLibraryPath = path;
  if (path.empty()) {
    platform::tLibrary = nullptr;
    return previous;
  }
  std::lock_guard<std::mutex> lock(mutex);
  auto& binding = bindings[path];
  if (!binding) binding = platform::libraryBindingAt(path);
  platform::tLibrary = binding.get();
  return previous;
}

std::string printerLibraryProblem() {
  try {
    platform::printerLibrary().check();
    return {};
  } catch (const platform::PrinterLibraryFailure& f) {
    return f.reason();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "the printer library cannot be used";
  }
}

}  // namespace merid
