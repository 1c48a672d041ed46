#pragma once
// Host scripts: one statement a line, as a VBScript programmer writes them.
//
//   ' a comment (so is a line starting with #, or REM)
//   s = MeridTallo_Scontrino          (or: Set s = CreateObject("MeridDLLManager.MeridTallo_Scontrino"))
//   s.InitComunicazione 1
//   s.Vendita "", "PANE", 2, 1.25, 2.5, "", "22", 1
//   s.Manutenzione_DGFE_StampaIntervalloDate #2026-12-01#, #2026-12-04 18:30#
//
// The whole script is checked before anything runs.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "merid/datetime.h"
#include "methods.h"

namespace meridctl {

struct Statement {
  int line = 0;
  std::string object;     // as written
  std::string className;  // set for a creation
  std::string methodWritten;
  const Method* method = nullptr;  // set for a call
  std::vector<Value> args;
};

struct Script {
  std::vector<Statement> statements;
  std::vector<std::string> errors;  // "FILE:LINE: message"
};

// "cannot read PATH: the system's reason", for a script file that cannot be read.
std::string cannotRead(const std::string& path);

// text is UTF-8; strings reach the library in its code page.
Script parseScript(const std::string& fileName, const std::string& text);

// The fields of "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS",
// digits only (no sign, no blank); whether that day and time exist is not
// checked here.
std::optional<merid::DateTime> dateFields(const std::string& text);

// A script file is at most this long: a host script is a few hundred lines.
constexpr std::size_t kMaxScriptBytes = 16 * 1024 * 1024;

// Reads a script file. Refused without reading it whole (a message in
// `problem`) when it is not a regular file (a folder, a FIFO, a device such as
// /dev/zero) or is longer than kMaxScriptBytes; Unreadable when it cannot be
// opened or read.
enum class ScriptFileRead { Ok, Unreadable, Refused };
ScriptFileRead readScriptFile(const std::string& path, std::string& text, std::string& problem);

}  // namespace meridctl
