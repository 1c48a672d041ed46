#pragma once
// The virtual printer keeps its state per loaded library file, and a process
// loads a file once. So that several virtual printers in one service are each
// their own, each gets a private copy of the library file, told its folder.

#include <string>

#include "config.h"

namespace meridd {

// Copies the printer's library into its home folder, loads the copy and names
// its state folder. Returns the copy's path, which the printer's worker must
// load; "" with a one-line reason in error when that cannot be done. The copy
// stays loaded until the process ends, so the folder it was told holds.
std::string privateVirtualPrinter(const PrinterConfig& printer, std::string& error);

}  // namespace meridd
