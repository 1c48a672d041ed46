#include "check.h"

#include <exception>
#include <vector>

#include "integrity.h"

namespace meridctl {

const char* const kCheckHelp =
    "usage: meridctl check [--sim-dir DIR]\n"
    "Checks the virtual printer's folder without changing it: each journal line's checksum,\n"
    "record numbers without gaps or repeats, the fiscal memory's closings and grand totals, the\n"
    "closings of the journal against the fiscal memory, and the state file against the journal.\n"
    "Prints each problem as FILE line N: what is wrong (and the error number the printer gives\n"
    "fiscal commands meanwhile), exit 1; or one OK line, exit 0.\n";

int runCheck(const std::string& folder, std::ostream& out) {
  std::vector<std::string> notes;
  std::vector<merid::sim::Problem> problems;
  try {
    problems = merid::sim::checkFolder(folder, notes);
  } catch (const std::exception& e) {
    problems.push_back({0, "", 0, std::string("cannot be read: ") + e.what()});
  }
  for (const auto& p : problems)
    out << folder << (p.file.empty() ? ": " + p.what : "/" + describe(p))
        << (p.error ? " (fiscal commands refused with " + std::to_string(p.error) + ")" : "") << "\n";
  if (!problems.empty()) return 1;
  std::string repairs;
  for (const auto& n : notes) repairs += (repairs.empty() ? " (" : "; ") + n;
  out << "OK: " << folder << ": journal, numbering and fiscal memory agree"
      << (repairs.empty() ? "" : repairs + ")") << "\n";
  return 0;
}

}  // namespace meridctl
