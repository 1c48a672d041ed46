#pragma once
// What meridctl sets up before the library runs: which printer library, the
// folders, the clock, the debug log and how operator prompts are answered.

#include <optional>
#include <string>

#include "merid/host.h"

namespace meridctl {

struct Options {
  std::string printer;  // empty: the virtual printer beside meridctl
  std::string simDir;
  std::string home;  // empty: a per-user folder
  int port = 1;
  std::optional<merid::DateTime> now;
  bool debugLog = false;
  bool autoOk = false;
  int promptLimit = 0;  // 0: the default (see prompts.h)
  bool strict = false;
  bool json = false;
  bool markdown = false;
};

// "YYYY-MM-DD HH:MM"
std::optional<merid::DateTime> parseNow(const std::string& text);

// The folder of the running meridctl.
std::string programFolder();
std::string defaultHome();
// The virtual printer meridctl uses when no --printer is given.
std::string virtualPrinter();
// Where the virtual printer keeps its state: --sim-dir, else $MERID_SIM_DIR,
// else its per-user default.
std::string simulatorFolder(const Options& o);

// Whether stdin is a terminal someone can answer from.
bool stdinIsTerminal();
// A new empty folder PREFIX-... in the temporary folder; empty if none could be made.
std::string temporaryFolder(const std::string& prefix);

// Applies the options to this process; false (with a message on stderr) when
// a folder cannot be made.
bool setUpHost(const Options& o);

}  // namespace meridctl
