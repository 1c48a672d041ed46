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

#include <string>
#include <vector>

#include "methods.h"

namespace meridctl {

struct Statement {
  int line = 0;
  std::string object;  // as written
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

}  // namespace meridctl
