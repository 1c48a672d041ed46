// The virtual printer starting from whatever its folder holds never cuts or rewrites a recorded line:
// opening, asking the status and closing leave the journal and the fiscal memory as they were (save a
// crash's repairs: a torn last line is cut off, the journal's last closing is copied to the fiscal
// memory, a journal left behind by a new one is moved to its archive whole), and a receipt only adds
// to them. A journal line that reads as a record re-serialises to the
// same bytes.
//
// Input: files, each after a line "@@ NAME" (state.txt, journal.txt,
// fiscal.txt, settings.ini, faults.ini); without such a line, the journal.

#define MERID_CEFDLL_IMPLEMENTATION  // the entry points are linked in

#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "fuzz_support.h"
#include "merid/cefdll.h"
#include "journal.h"

namespace {

std::map<std::string, std::string> filesOf(std::string_view input) {
  const std::set<std::string> names = {"state.txt", "journal.txt", "fiscal.txt", "settings.ini",
                                       "faults.ini"};
  std::map<std::string, std::string> files;
  std::string* current = &files["journal.txt"];
  for (const std::string& line : fuzzing::lines(input)) {
    if (fuzzing::startsWith(line, "@@ ") && names.count(line.substr(3)))
      (current = &files[line.substr(3)])->clear();
    else
      *current += line + "\n";
  }
  if (!input.empty() && input.back() != '\n' && !current->empty()) current->pop_back();
  return files;
}

int32_t send(std::string command) {
  char* text = command.data();
  int32_t status = 0;
  return VbCEFWrite(&text, &status);
}

// What the journal records: the archives of the journals the printer moved
// away (finishing a new journal that a crash interrupted), then the current one.
std::string recorded(const std::string& dir) {
  std::string all;
  for (int n = 1;; ++n) {
    const std::string archive = fuzzing::readFile(dir + "/journal-" + std::to_string(n) + ".txt");
    if (archive.empty()) break;
    all += archive;
  }
  return all + fuzzing::readFile(dir + "/journal.txt");
}

// Every complete line of `before` is still there, in place.
bool kept(const std::string& before, const std::string& after) {
  return fuzzing::startsWith(after, fuzzing::completeLines(before));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string dir = fuzzing::freshFolder("merid-fuzz-simfiles");
  ::setenv("MERID_SIM_DIR", dir.c_str(), 1);
  auto files = filesOf(fuzzing::asText(data, size));
  for (const auto& [name, bytes] : files) fuzzing::writeFile(dir + "/" + name, bytes);
  const std::string journal = files["journal.txt"], fiscal = files["fiscal.txt"];  // "" when not given

  for (const std::string& line : fuzzing::lines(journal)) {
    merid::sim::JournalRecord r;
    if (merid::sim::decodeRecord(line, r)) FUZZ_CHECK(merid::sim::encodeRecord(r) == line + "\n");
  }

  int32_t status = 0;
  VbCEFOpen(1, 9600, 1, 7, 0, 1, &status);
  send("1109");  // a status reply made from whatever was loaded
  VbCEFClose(&status);
  const std::string journalAfter = recorded(dir);
  FUZZ_CHECK(journalAfter == journal || journalAfter == fuzzing::completeLines(journal));
  FUZZ_CHECK(kept(fiscal, fuzzing::readFile(dir + "/fiscal.txt")));

  // A receipt: taken or refused, it must not cost a recorded line.
  VbCEFOpen(1, 9600, 1, 7, 0, 1, &status);
  // A sale of 2,50 (type 1, department 03, a 22-character text), cash, the total and the cut.
  for (const char* command :
       {"310110322PANE                  000000250", "300408CONTANTE000000000", "3011", "3013"})
    FUZZ_CHECK(send(command) != 67);
  send("1109");
  VbCEFClose(&status);
  FUZZ_CHECK(kept(journal, recorded(dir)));
  FUZZ_CHECK(kept(fiscal, fuzzing::readFile(dir + "/fiscal.txt")));
  return 0;
}
