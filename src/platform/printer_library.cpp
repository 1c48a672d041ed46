#include "platform/printer_library.h"

#include <atomic>

namespace merid::platform {

namespace {
std::atomic<PrinterLibrary*> gLibrary{nullptr};
}

PrinterLibrary& printerLibrary() {
  PrinterLibrary* p = gLibrary.load();
  return p ? *p : builtinPrinterLibrary();
}

PrinterLibrary* setPrinterLibrary(PrinterLibrary* library) {
  return gLibrary.exchange(library);
}

}  // namespace merid::platform
