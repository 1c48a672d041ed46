// meridctl check on a printer folder: one OK line, or each problem with its file, line and what was expected.
#include <cstdlib>

#include "sim_support.h"

namespace {

using namespace simtest;

struct Case {
  const char* name;
  const char* file;  // damaged through `change`, or removed without one ("": the folder)
  Edit change;
  int exit;
  std::string out;  // "DIR" stands for the folder
};

const std::string kOk = "OK: DIR: journal, numbering and fiscal memory agree";
const std::string k34 = " (fiscal commands refused with 34)\n", k50 = " (fiscal commands refused with 50)\n";
// clang-format off
const std::vector<Case> kCases = {
    {"good", "journal.txt", [](std::string&) {}, 0, kOk + "\n"},
    {"a torn last line", "journal.txt", [](std::string& t) { t += "J|7|04"; }, 0, kOk + " (journal.txt: an "
     "unfinished last line (a write cut short), dropped at the next start)\n"},
    {"record 2 damaged", "journal.txt", flipByte(2), 1,
     "DIR/journal.txt line 2: its checksum does not match its content" + k34},
    {"record 5 twice", "journal.txt", appendCopyOf(5), 1, "DIR/journal.txt line 7: record number 5, expected 7" + k34},
    {"no fiscal memory", "fiscal.txt", nullptr, 1, "DIR/fiscal.txt: no record of closing 1 (journal.txt line 4)" + k50 +
     "DIR/fiscal.txt: holds 0 closings, but journal.txt line 6 belongs to day Z 2" + k50},
    {"state ahead", "state.txt", setKey("counters", "999,999,999,999,999,1"), 1,
     "DIR/state.txt: counts 999 journal records, but journal.txt ends at record 6" + k34},
    {"no folder", "", nullptr, 1, "DIR: no such folder\n"},
};
// clang-format on

TEST(MeridctlCheck, SaysWhatIsWrongWithAFolder) {
  for (const Case& c : kCases) {
    Sim sim;
    sim.run(kPaid + kPaid + kPaid + Lines{"2002"} + kPaid + kPaid);
    damage(sim.dir.path, c.file, c.change);
    const std::string before = readText(sim.dir.path + "/journal.txt"), out = sim.dir.path + ".out";
    const int status =
        std::system((std::string(MERIDCTL_PATH) + " check --sim-dir " + sim.dir.path + " > " + out).c_str());
    std::string expected = c.out;
    for (size_t at; (at = expected.find("DIR")) != std::string::npos;) expected.replace(at, 3, sim.dir.path);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.exit) << c.name;
    EXPECT_EQ(readText(out), expected) << c.name;
    EXPECT_EQ(readText(sim.dir.path + "/journal.txt"), before) << c.name;  // nothing repaired
    std::filesystem::remove(out);
  }
}

}  // namespace
