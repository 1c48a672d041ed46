// meridctl check on a printer folder: one OK line, or each problem with its file, line and what was expected.
#include <cstdlib>
#include <functional>

#include "sim_support.h"

namespace {

using namespace simtest;

struct Case {
  const char* name;
  std::function<void(const std::string& dir)> damage;
  int exit;
  std::string out;  // "DIR" stands for the folder
};

void flip(const std::string& path, int line) {
  std::string text = readText(path);
  size_t at = 0;
  for (int i = 1; i < line; ++i) at = text.find('\n', at) + 1;
  text[at + 20] ^= 0x01;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

const std::string kRefused34 = " (fiscal commands refused with 34)\n";
// clang-format off
const std::vector<Case> kCases = {
    {"good", [](const std::string&) {}, 0, "OK: DIR: journal, numbering and fiscal memory agree\n"},
    {"a torn last line", [](const std::string& d) { std::ofstream(d + "/journal.txt", std::ios::app) << "J|7|04"; },
     0, "OK: DIR: journal, numbering and fiscal memory agree (journal.txt: an unfinished last line (a write cut "
        "short), dropped at the next start)\n"},
    {"record 2 damaged", [](const std::string& d) { flip(d + "/journal.txt", 2); }, 1,
     "DIR/journal.txt line 2: its checksum does not match its content" + kRefused34},
    {"record 5 twice", [](const std::string& d) {
       const std::string j = readText(d + "/journal.txt");
       size_t at = 0;
       for (int i = 1; i < 5; ++i) at = j.find('\n', at) + 1;
       std::ofstream(d + "/journal.txt", std::ios::app) << j.substr(at, j.find('\n', at) + 1 - at); }, 1,
     "DIR/journal.txt line 7: record number 5, expected 7" + kRefused34},
    {"no fiscal memory", [](const std::string& d) { std::filesystem::remove(d + "/fiscal.txt"); }, 1,
     "DIR/fiscal.txt: no record of closing 1 (journal.txt line 4) (fiscal commands refused with 50)\n"
     "DIR/fiscal.txt: holds 0 closings, but journal.txt line 6 belongs to day Z 2 (fiscal commands refused with 50)\n"},
    {"state ahead", [](const std::string& d) {
       std::ofstream(d + "/state.txt", std::ios::app) << "counters=999,999,999,999,999,1\n"; }, 1,
     "DIR/state.txt: counts 999 journal records, but journal.txt ends at record 6" + kRefused34},
    {"no folder", [](const std::string& d) { std::filesystem::remove_all(d); }, 1, "DIR: no such folder\n"},
};
// clang-format on

TEST(MeridctlCheck, SaysWhatIsWrongWithAFolder) {
  for (const Case& c : kCases) {
    Sim sim;
    sim.run(kPaid + kPaid + kPaid + Lines{"2002"} + kPaid + kPaid);
    c.damage(sim.dir.path);
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
