#pragma once
#include <ostream>

#include "script.h"

namespace meridctl {

// Runs a checked script, one output line per call: "NAME.Method -> RESULT" or
// "NAME.Method". Answers how many calls returned False or Empty.
int runScript(const Script& script, std::ostream& out);

}  // namespace meridctl
