#pragma once
#include <ostream>

#include "script.h"

namespace meridctl {

struct RunOptions {
  bool json = false;  // one JSON object per call instead of the result lines
  // Asked after each call: true stops the script there (the operator gave up).
  bool (*stop)() = nullptr;
};

struct RunSummary {
  int failures = 0;  // calls that returned False or Empty
  int refused = 0;   // calls whose outcome is refused
  int unknown = 0;   // calls whose outcome is unknown
  bool stopped = false;
  merid::Outcome last;  // the outcome of the last call run
};

// Runs a checked script, one output line per call: "NAME.Method -> RESULT" or
// "NAME.Method", followed by "  [outcome]" when the call was not plainly done.
RunSummary runScript(const Script& script, std::ostream& out, const RunOptions& options = {});

// The outcome in brackets as a result line carries it ("" when plainly done).
std::string outcomeSuffix(const merid::Outcome& o);
// One call as a JSON object on one line.
std::string callJson(const std::string& object, const std::string& method, const std::vector<Value>& args,
                     const std::optional<std::string>& result, const merid::Outcome& o);

}  // namespace meridctl
