// The virtual printer's commands through its entry points: every answer is a documented one, a status
// reply reads back, and what the journal and the fiscal memory recorded is only ever added to.
//
// Input: one command a line. "=TEXT" sets the faults (TEXT with '|' for line
// breaks), "@open", "@close" and "@read" call those entry points.

#define MERID_CEFDLL_IMPLEMENTATION  // the entry points are linked in

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "fuzz_support.h"
#include "merid/cefdll.h"

extern "C" int32_t MeridSimSetFaults(const char*);

namespace {

constexpr size_t kMaxCommands = 200;

// The printer's error numbers, but 67 (an internal error): no command text may reach it. An injected
// refusal answers the number faults.ini gives, whatever it is.
const std::set<int32_t> kAnswers = {-1, 0,  3,  5,  12, 13, 16,  19,  22,  23,  24, 25,
                                    30, 36, 40, 51, 54, 64, 102, 116, 117, 121, 148};

// Any archived journal (journal-N.txt) with exactly these bytes.
bool archived(const std::string& dir, const std::string& bytes) {
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (fuzzing::startsWith(name, "journal-") && fuzzing::readFile(entry.path().string()) == bytes)
      return true;
  }
  return false;
}

int32_t readStatus(std::string& reply) {
  char buffer[MERID_REPLY_SIZE] = {};
  MeridByteArray array{1, 0, 1, 0, buffer, MERID_REPLY_SIZE, 0}, *a = &array;
  int32_t length = -1, status = 1;
  const int32_t rc = VbCEFRead(&a, &length, &status);
  FUZZ_CHECK(status == 0);
  if (rc == 0) {
    FUZZ_CHECK(length >= 0 && length <= MERID_REPLY_SIZE);
    reply.assign(buffer, size_t(length));
  }
  return rc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string dir = fuzzing::freshFolder("merid-fuzz-sim");
  ::setenv("MERID_SIM_DIR", dir.c_str(), 1);
  int32_t status = 0;
  FUZZ_CHECK(VbCEFOpen(1, 9600, 1, 7, 0, 1, &status) == 0);

  size_t count = 0;
  bool refusals = false;
  for (std::string line : fuzzing::lines(fuzzing::asText(data, size))) {
    if (++count > kMaxCommands) break;
    const std::string journal = fuzzing::readFile(dir + "/journal.txt");
    const std::string fiscal = fuzzing::readFile(dir + "/fiscal.txt");
    std::string reply;
    if (line[0] == '=') {
      std::string ini = line.substr(1);
      refusals = refusals || ini.find("refuse") != std::string::npos;
      for (char& c : ini)
        if (c == '|') c = '\n';
      FUZZ_CHECK(MeridSimSetFaults(ini.c_str()) == 0);
    } else if (line == "@open") {
      VbCEFOpen(1, 9600, 1, 7, 0, 1, &status);
    } else if (line == "@close") {
      FUZZ_CHECK(VbCEFClose(&status) == 0);
    } else if (line == "@read") {
      const int32_t rc = readStatus(reply);
      FUZZ_CHECK(rc == 0 || rc == -1 || rc == 5);
    } else {
      char* command = line.data();
      status = 1;
      const int32_t rc = VbCEFWrite(&command, &status);
      FUZZ_CHECK(status == 0 && (refusals || kAnswers.count(rc) == 1));
      FUZZ_CHECK(command == line.data());
      if (rc == 0 && line == "1109") {
        FUZZ_CHECK(readStatus(reply) == 0);
        FUZZ_CHECK(reply.size() == 6 && reply[0] >= '0' && reply[0] <= '6');
        FUZZ_CHECK(reply.find_first_not_of("01", 1) == std::string::npos);
      }
    }
    const std::string journalAfter = fuzzing::readFile(dir + "/journal.txt");
    FUZZ_CHECK(fuzzing::startsWith(journalAfter, journal) ||
               (fuzzing::startsWith(line, "8007") && archived(dir, journal)));
    FUZZ_CHECK(fuzzing::startsWith(fuzzing::readFile(dir + "/fiscal.txt"), fiscal));
  }
  VbCEFClose(&status);
  return 0;
}
