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
#include "merid/outcome.h"
#include "merid/version.h"
#include "check.h"
#include "codes.h"
#include "demo.h"
#include "host.h"
#include "prompts.h"
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
    "  send COMMAND         send one raw printer command; prints True or False and the printer's answer\n"
    "  tape [--html FILE]   the virtual printer's paper tape\n"
    "  check                whether the virtual printer's folder holds its documents whole\n"
    "  help [METHOD|CLASS]  the reference of the library's methods (--markdown: all of it)\n"
    "  codes [--markdown]   every printer result number: name, meaning, what to do\n"
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
    "  --prompt-limit N     with nobody to answer (stdin not a terminal, no --auto-ok), give up after N\n"
    "                       prompts of one call (default 3); with --auto-ok the default is 1000\n"
    "  --strict             exit 1 when a call answered False or Empty, was refused, or has an unknown "
    "outcome\n"
    "  --json               one JSON object per call: object, method, arguments, result, outcome\n"
    "\n"
    "A result line carries the call's outcome when it was not plainly done:\n"
    "  s.ChiudiTransazioneFiscale -> True  [refused 25 ECK_PagamentoIncompleto: incomplete payment]\n"
    "\n"
    "Exit status:\n"
    "  0  done (a refused call still answers True: see --strict)\n"
    "  1  wrong usage, an unreadable file, a status that could not be read, or with --strict a call\n"
    "     that answered False or Empty, was refused or has an unknown outcome\n"
    "  2  the script has errors; nothing was sent\n"
    "  3  the printer library cannot be loaded or lacks an entry point; nothing was sent\n"
    "  4  the printer needs the operator and nobody answered (see --prompt-limit); the run stopped there\n"
    "\n"
    "meridctl COMMAND --help describes a command.\n";

// Exit statuses (listed in kUsage and the README).
constexpr int kExitFailed = 1;
constexpr int kExitScript = 2;
constexpr int kExitLibrary = 3;
constexpr int kExitGaveUp = 4;

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
           "and nothing runs (exit 2). Each call prints NAME.Method -> RESULT, followed by\n"
           "  [OUTCOME] when the call was not plainly done (refused, done after prompts, not sent,\n"
           "gave up, unknown). --json prints one JSON object per call instead.\n";
  if (command == "status")
    return "usage: meridctl status\n"
           "Asks the printer for its status and prints its MeridCodeErrors name and number. When the\n"
           "status could not be read, says why and exits 1.\n";
  if (command == "send")
    return "usage: meridctl send COMMAND\n"
           "Sends one raw printer command (e.g. 3003) through InviaComandoDiretto_CefDLL and prints\n"
           "True or False with the outcome, then the printer's answer: its number and name, and the\n"
           "status data read, if any.\n";
  if (command == "codes")
    return "usage: meridctl codes [--markdown]\n"
           "Prints every printer result number the library knows: number, MeridCodeErrors name,\n"
           "meaning in Italian and English, and what the host or the operator should do. With\n"
           "--markdown, the table of docs/result-codes.md.\n";
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

// Why the operator is needed, and how to go on.
int gaveUp(const merid::Outcome& o) {
  std::cerr
      << "meridctl: the printer needs the operator and nobody answered: " << o.summary() << ".\n"
      << "  Fix the printer (load paper, close the cover) and run again from the call that failed,\n"
      << "  or pass --auto-ok to answer prompts at once, or run meridctl in a terminal to answer them.\n";
  return kExitGaveUp;
}

int commandRun(const Options& o, const std::string& path) {
  std::string text, problem;
  const auto read = meridctl::readScriptFile(path, text, problem);
  if (read == meridctl::ScriptFileRead::Refused) {
    std::cerr << "meridctl: " << problem << "\n";
    return kExitScript;
  }
  if (read != meridctl::ScriptFileRead::Ok) {
    std::cerr << "meridctl: " << meridctl::cannotRead(path) << "\n";
    return 1;
  }
  const meridctl::Script script = meridctl::parseScript(path, text);
  if (!script.errors.empty()) {
    for (const auto& e : script.errors) std::cerr << e << "\n";
    return kExitScript;
  }
  meridctl::RunOptions options;
  options.json = o.json;
  options.stop = [] {
    const bool stop = meridctl::promptsGaveUp();
    meridctl::resetPromptCount();
    return stop;
  };
  const meridctl::RunSummary summary = meridctl::runScript(script, std::cout, options);
  if (summary.stopped) return gaveUp(summary.last);
  if (o.strict && (summary.failures || summary.refused || summary.unknown)) return kExitFailed;
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
  const merid::Outcome& esito = s.UltimoEsito();
  // ECK_NonConnesso is an answer too; ECK_OK only when a reply was read.
  if (code != merid::ECK_NonConnesso && esito.dataRead.empty()) {
    std::cerr << "meridctl: the status could not be read: " << esito.summary() << "\n";
    return kExitFailed;
  }
  std::cout << merid::codeErrorName(code) << " " << static_cast<int>(code) << std::endl;
  return 0;
}

int commandSend(const Options& o, const std::string& command) {
  auto s = connected(o);
  meridctl::resetPromptCount();
  const bool done = s.InviaComandoDiretto_CefDLL(merid::utf8ToAnsi(command));
  const merid::Outcome& esito = s.UltimoEsito();
  if (o.json) {
    std::cout << meridctl::callJson("s", "InviaComandoDiretto_CefDLL",
                                    {meridctl::Value{meridctl::Kind::String, merid::utf8ToAnsi(command), 0}},
                                    done ? "True" : "False", esito)
              << std::endl;
  } else {
    std::cout << (done ? "True" : "False") << meridctl::outcomeSuffix(esito) << std::endl;
    if (esito.commands > 0) {
      std::cout << "answer " << esito.answer;
      const std::string_view name = merid::codeErrorName(esito.answer);
      if (!name.empty()) std::cout << " " << name;
      if (const merid::ResultCode* c = merid::findResultCode(esito.answer)) std::cout << ": " << c->english;
      std::cout << std::endl;
    }
    if (!esito.dataRead.empty()) std::cout << "read " << esito.dataRead << std::endl;
  }
  if (meridctl::promptsGaveUp()) return gaveUp(esito);
  const bool bad =
      !done || esito.kind == merid::OutcomeKind::Refused || esito.kind == merid::OutcomeKind::Unknown;
  return o.strict && bad ? kExitFailed : 0;
}

// Before anything is sent: a printer library that cannot be used stops every
// command at once, with the system's reason.
bool printerLibraryUsable(const Options& o) {
  std::string reason = merid::printerLibraryProblem();
  if (reason.empty()) return true;
  const char* chosen = std::getenv("MERID_CEFDLL");
  const std::string path = chosen ? chosen : o.printer;
  if (reason.rfind(path + ": ", 0) == 0) reason.erase(0, path.size() + 2);
  std::cerr << "meridctl: cannot load printer library " << path << ": " << reason << "\n";
  return false;
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
      if (v.empty() || *end || port < -32768 || port > 32767)
        return usageError("--port needs a number from -32768 to 32767");
      o.port = static_cast<int>(port);
    } else if (a == "--now") {
      if (!value(v) || !(o.now = meridctl::parseNow(v)))
        return usageError("--now needs a date and time that exist, \"YYYY-MM-DD HH:MM\" (years 100 to 9999)");
    } else if (a == "--debug-log") {
      o.debugLog = true;
    } else if (a == "--auto-ok") {
      o.autoOk = true;
    } else if (a == "--strict") {
      o.strict = true;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--markdown") {
      o.markdown = true;
    } else if (a == "--prompt-limit") {
      if (!value(v)) return usageError("--prompt-limit needs a number");
      char* end = nullptr;
      const long limit = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end || limit < 1 || limit > 1000000)
        return usageError("--prompt-limit needs a number from 1 to 1000000");
      o.promptLimit = static_cast<int>(limit);
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
  if (o.markdown && command != "codes") return usageError("--markdown goes with codes");

  if (command == "codes") {
    std::cout << meridctl::codesTable(o.markdown);
    return 0;
  }
  if (command == "demo") return meridctl::runDemo(o);
  if (command == "check") return meridctl::runCheck(meridctl::simulatorFolder(o), std::cout);
  if (!meridctl::setUpHost(o)) return 1;
  if (command == "tape") return commandTape(o, html);
  meridctl::PromptPolicy prompts;
  prompts.autoOk = o.autoOk;
  prompts.terminal = meridctl::stdinIsTerminal();
  prompts.limit = o.promptLimit > 0 ? o.promptLimit : o.autoOk ? meridctl::kAutoOkLimit : 3;
  meridctl::installPrompts(prompts);
  if (!printerLibraryUsable(o)) return kExitLibrary;
  if (command == "run") return commandRun(o, rest[1]);
  if (command == "status") return commandStatus(o);
  if (command == "send") return commandSend(o, rest[1]);
  return commandTape(o, html);
}
