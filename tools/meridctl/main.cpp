// meridctl: drives the library's three classes from the command line, on the
// virtual printer or on a real printer library.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "merid/MeridEnumValue.h"
#include "merid/MeridTallo_Scontrino.h"
#include "merid/codepage.h"
#include "merid/version.h"
#include "check.h"
#include "demo.h"
#include "host.h"
#include "reference.h"
#include "run.h"
#include "script.h"

namespace {

using meridctl::Options;

const char* kUsage =
    "usage: meridctl [options] COMMAND [arguments]\n"
    "\n"
    "Commands:\n"
    "  demo                 a day of trading on the virtual printer, then its tape\n"
    "  run SCRIPT           run a host script, one line per call\n"
    "  status               the printer status (MeridCodeErrors name and number)\n"
    "  send COMMAND         send one raw printer command; prints True or False\n"
    "  tape [--html FILE]   the virtual printer's paper tape\n"
    "  check                whether the virtual printer's folder holds its documents whole\n"
    "  help [METHOD|CLASS]  the reference of the library's methods (--markdown: all of it)\n"
    "\n"
    "Options:\n"
    "  --printer PATH       the printer library to load (default: the virtual printer beside meridctl)\n"
    "  --sim-dir DIR        the virtual printer's state folder\n"
    "  --home DIR           the folder of MeridFiscal.ini, display.ini and the logs\n"
    "                       (default: ~/.local/share/meridctl)\n"
    "  --port N             the port given to InitComunicazione by demo, status and send (default 1)\n"
    "  --now \"YYYY-MM-DD HH:MM\"  a fixed clock for the computer's date and time\n"
    "  --debug-log          write the debug log (MeridDll_LoggerDebug.log); it starts anew at each\n"
    "                       object creation unless MeridDll_LoggerDebug_KeepFile=1 is set\n"
    "  --auto-ok            answer operator prompts at once\n"
    "  --version            the library's version\n"
    "\n"
    "meridctl COMMAND --help describes a command.\n";

const char* commandHelp(const std::string& command) {
  if (command == "demo")
    return "usage: meridctl demo\n"
           "Runs a day of trading on the virtual printer in a fresh state folder: receipts with\n"
           "quantities, a return, discounts, after-total lines and payments; a voided receipt; a\n"
           "non-fiscal slip; an invoice; a credit note; an X report and a Z report. Prints every\n"
           "call, then the paper tape and the path of tape.html. Exit 0 when every call returned\n"
           "what the demo expects.\n";
  if (command == "run")
    return "usage: meridctl run SCRIPT\n"
           "Runs a host script (UTF-8). One statement a line; ' or # starts a comment.\n"
           "  s = MeridTallo_Scontrino\n"
           "  s.InitComunicazione 1\n"
           "  s.Vendita \"\", \"PANE\", 2, 1.25, 2.5, \"\", \"22\", 1\n"
           "Arguments: \"strings\" (\"\" for a quote), numbers with a point (-2.5, 1e3), True, False,\n"
           "enumeration members (kMerid_Grassetto, CBT_Ean13, ...), dates #YYYY-MM-DD# or\n"
           "#YYYY-MM-DD HH:MM[:SS]#. The script is checked first: errors are listed as FILE:LINE:\n"
           "and nothing runs (exit 2). Each call prints NAME.Method -> RESULT.\n";
  if (command == "status")
    return "usage: meridctl status\nPrints the printer status as its MeridCodeErrors name and number.\n";
  if (command == "send")
    return "usage: meridctl send COMMAND\n"
           "Sends one raw printer command (e.g. 3003) through InviaComandoDiretto_CefDLL and prints\n"
           "True or False.\n";
  if (command == "check") return meridctl::kCheckHelp;
  if (command == "tape")
    return "usage: meridctl tape [--html FILE]\n"
           "Prints the virtual printer's paper tape; with --html, also writes it as a web page.\n";
  return nullptr;
}

bool readFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

int usageError(const std::string& message) {
  std::cerr << "meridctl: " << message << "\n" << kUsage;
  return 1;
}

int commandRun(const std::string& path) {
  std::string text, problem;
  const auto read = meridctl::readScriptFile(path, text, problem);
  if (read == meridctl::ScriptFileRead::Refused) {
    std::cerr << "meridctl: " << problem << "\n";
    return 2;
  }
  if (read != meridctl::ScriptFileRead::Ok) {
    std::cerr << "meridctl: " << meridctl::cannotRead(path) << "\n";
    return 1;
  }
  const meridctl::Script script = meridctl::parseScript(path, text);
  if (!script.errors.empty()) {
    for (const auto& e : script.errors) std::cerr << e << "\n";
    return 2;
  }
  meridctl::runScript(script, std::cout);
  return 0;
}

// A receipt object on the given port, with the link opened as a host would.
merid::MeridTallo_Scontrino connected(const Options& o) {
  merid::MeridTallo_Scontrino s;
  int16_t port = static_cast<int16_t>(o.port);
  s.InitComunicazione(port);
  s.IsConnected();
  return s;
}

int commandStatus(const Options& o) {
  auto s = connected(o);
  const auto code = s.StatoStampante();
  std::cout << merid::codeErrorName(code) << " " << static_cast<int>(code) << std::endl;
  return 0;
}

int commandSend(const Options& o, const std::string& command) {
  auto s = connected(o);
  std::cout << (s.InviaComandoDiretto_CefDLL(merid::utf8ToAnsi(command)) ? "True" : "False") << std::endl;
  return 0;
}

int commandTape(const Options& o, const std::string& html) {
  const std::string folder = meridctl::simulatorFolder(o);
  std::string tape;
  if (!readFile(folder + "/tape.txt", tape)) {
    std::cerr << "meridctl: no tape in " << folder << " (nothing printed yet)\n";
    return 1;
  }
  std::cout << merid::ansiToUtf8(tape) << std::flush;  // the printer's text is Windows-1252
  if (!html.empty()) {
    std::string page;
    if (!readFile(folder + "/tape.html", page)) {
      std::cerr << "meridctl: no tape.html in " << folder << "\n";
      return 1;
    }
    std::ofstream out(html, std::ios::binary | std::ios::trunc);
    out << page;
    if (!out) {
      std::cerr << "meridctl: cannot write " << html << "\n";
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::vector<std::string> rest;
  bool help = false;
  std::string html;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      help = true;
    } else if (a == "--version") {
      std::cout << "meridctl " << merid::version() << "\n";
      return 0;
    } else if (a == "--printer") {
      if (!value(o.printer)) return usageError("--printer needs a path");
    } else if (a == "--sim-dir") {
      if (!value(o.simDir)) return usageError("--sim-dir needs a folder");
    } else if (a == "--home") {
      if (!value(o.home)) return usageError("--home needs a folder");
    } else if (a == "--port") {
      if (!value(v)) return usageError("--port needs a number");
      char* end = nullptr;
      const long port = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end || port < -32768 || port > 32767) return usageError("--port needs a number from -32768 to 32767");
      o.port = static_cast<int>(port);
    } else if (a == "--now") {
      if (!value(v) || !(o.now = meridctl::parseNow(v))) {
        usageError("--now needs a date and time that exist, \"YYYY-MM-DD HH:MM\" (years 100 to 9999)");
        return 2;
      }
    } else if (a == "--debug-log") {
      o.debugLog = true;
    } else if (a == "--auto-ok") {
      o.autoOk = true;
    } else if (a == "--html") {
      if (!value(html)) return usageError("--html needs a file");
    } else if (a == "help" && rest.empty()) {
      return meridctl::helpCommand({argv + i + 1, argv + argc}, std::cout, std::cerr);
    } else if (a.rfind("--", 0) == 0) {
      return usageError("unknown option " + a);
    } else {
      rest.push_back(a);
    }
  }
  if (rest.empty()) {
    if (help) {
      std::cout << kUsage;
      return 0;
    }
    return usageError("no command");
  }
  const std::string command = rest[0];
  const char* text = commandHelp(command);
  if (!text) return usageError("unknown command " + command);
  if (help) {
    std::cout << text;
    return 0;
  }
  const std::size_t wanted = command == "run" || command == "send" ? 2 : 1;
  if (rest.size() != wanted) return usageError(std::string("wrong number of arguments\n") + text);
  if (!html.empty() && command != "tape") return usageError("--html goes with tape");

  if (command == "demo") return meridctl::runDemo(o);
  if (command == "check") return meridctl::runCheck(meridctl::simulatorFolder(o), std::cout);
  if (!meridctl::setUpHost(o)) return 1;
  if (command == "run") return commandRun(rest[1]);
  if (command == "status") return commandStatus(o);
  if (command == "send") return commandSend(o, rest[1]);
  return commandTape(o, html);
}
