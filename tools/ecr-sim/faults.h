// Faults an integrator can inject: read from faults.ini in the state folder at
// every call (the exported MeridSimSetFaults writes the same file).
//
//   [faults]
//   paper_end_after_lines = 20   ; the paper runs out after 20 more printed lines
//   cover_open = 1
//   journal = nearly_full        ; or full, or ok
//   link_unplugged = 1           ; VbCEFOpen and every write fail
//   refuse = 3101 148 2          ; refuse commands starting 3101 with 148, twice
//   refuse = 2002 54 always      ; (the key may repeat)
//   clear_after_status = 2       ; paper end / cover open clear after 2 status requests
//   lose_answer = 3013           ; commands starting 3013 run and print, then the write
//                                ; answers -2: the host cannot tell whether they printed
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace merid::sim {

struct RefuseRule {
  std::string prefix;
  int error = 0;
  int64_t times = -1;  // -1: always
};

struct FaultConfig {
  int64_t paperEndAfterLines = -1;  // -1: never
  bool coverOpen = false;
  bool journalNearlyFull = false;
  bool journalFull = false;
  bool linkUnplugged = false;
  int64_t clearAfterStatus = -1;  // -1: the condition stays
  std::vector<RefuseRule> refuse;
  std::vector<std::string> loseAnswer;  // command prefixes
};

// Unknown keys and malformed values are ignored, so a typo never stops the printer.
FaultConfig parseFaults(std::string_view ini);

// The command ran, but its answer is to be lost on the way back (never for
// the status request).
bool answerLost(const FaultConfig& f, std::string_view command);

}  // namespace merid::sim
