#pragma once
// What a C++ host may set up around the library before it creates objects:
// who answers the operator prompts, which clock it reads, which folder holds
// its settings and logs, where its log lines go besides the files, and an
// in-process printer library in place of CeFdll. Every setting is
// process-wide, except the two setThread... ones; each setter returns the
// previous value, and an empty value brings back the built-in behaviour.
// None of these functions throws.

#include <functional>
#include <optional>
#include <string>

#include "merid/cefdll.h"
#include "merid/datetime.h"

namespace merid {

// Operator prompts: paper end or cover open (the library then checks the
// printer again), and the journal checks of the maintenance methods. The
// built-in answer is a modal message box on Windows, and on other systems a
// line on stderr answered with OK at once. GiveUp ends the wait: the command
// that needed the operator fails.
enum class PromptAnswer { Ok, GiveUp };
using PromptHandler = std::function<PromptAnswer(const std::string& text, const std::string& title)>;
PromptHandler setPromptHandler(PromptHandler handler);

// The clock read for dates printed or sent to the printer; local time.
using ClockFunction = std::function<DateTime()>;
ClockFunction setClock(ClockFunction clock);

// The folder of MeridFiscal.ini, display.ini and the log files. The built-in
// one is the folder of the library's own file ($MERID_HOME overrides it). A
// relative folder is made absolute against the current directory when set.
std::string setHomeFolder(const std::string& folder);

// The home folder of the calling thread only, in place of the process-wide
// one above; for a host that drives several printers, one thread each, each
// with its own settings. Made absolute the same way.
std::string setThreadHomeFolder(const std::string& folder);

// Receives each line written to the error log or the debug log, as it is
// written, on the calling thread. A sink that throws is ignored.
enum class LogKind { Error, Debug };
using LogSink = std::function<void(LogKind kind, const std::string& line)>;
LogSink setLogSink(LogSink sink);

// A printer library inside the host's own process. The functions are called
// as the library's exports would be; nullptr brings back loading CeFdll.
struct PrinterFunctions {
  VbCEFOpen_t open;
  VbCEFWrite_t write;
  VbCEFRead_t read;
  VbCEFClose_t close;
};
const PrinterFunctions* setPrinterFunctions(const PrinterFunctions* functions);

// The printer library file the calling thread loads, in place of
// $MERID_CEFDLL, the library beside the core and setPrinterFunctions. Threads
// that name the same file share one loaded copy; a printer library that keeps
// one link per process needs one file per printer. The file is loaded at the
// thread's first call to the printer; a missing file fails that call as a
// missing CeFdll does.
std::string setThreadPrinterLibrary(const std::string& path);

// An automation date (days since 30 December 1899, the time of day as the
// fraction), as the date arguments of the methods take it; nothing for a
// date that does not exist or lies outside the years 100 to 9999.
std::optional<double> automationDate(const DateTime& when);

}  // namespace merid
