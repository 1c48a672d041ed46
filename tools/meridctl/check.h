#pragma once
// meridctl check: whether a virtual printer's folder holds its documents whole.

#include <ostream>
#include <string>

namespace meridctl {

extern const char* const kCheckHelp;

// Lists every problem of the folder on `out`, one a line, and returns 1; or
// prints one OK line and returns 0. Nothing in the folder is changed.
int runCheck(const std::string& folder, std::ostream& out);

}  // namespace meridctl
