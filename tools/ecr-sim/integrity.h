// Whether what the printer has recorded is whole: each line of the journal and
// of the fiscal memory, their numbering, and what the state file, the journal
// and the fiscal memory say of each other. The model refuses fiscal work on
// the first problem found; `meridctl check` lists them all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "journal.h"

namespace merid::sim {

struct PrinterState;

// The error number a problem makes the printer answer to fiscal commands.
enum DamageError : int {
  kFiscalMemoryUnreadable = 2,  // a fiscal-memory record that does not read back
  kJournalMissing = 33,         // documents recorded, but no journal file
  kJournalInconsistent = 34,    // a journal line, its numbering or the state does not agree
  kFiscalMemoryMissing = 50,    // closings recorded, but no fiscal-memory file
};

struct Problem {
  int error = 0;
  std::string file;  // "journal.txt", "fiscal.txt", "state.txt"
  int64_t line = 0;  // 1-based; 0: the file as a whole
  std::string what;
};
// "journal.txt line 2: ..." or "journal.txt: ...".
std::string describe(const Problem& p);

// How far a journal or fiscal-memory text reads cleanly.
struct TextScan {
  uint64_t end = 0;       // the byte after the last good line
  bool tornTail = false;  // an unfinished last line that is not a whole record: a write cut short
  std::vector<Problem> problems;
};

// Reads the lines of a journal text from byte `offset`, which is the start of
// line `records.size() + 1`, into `records`. Line n must hold record n, with
// the journal number of the lines before it. Stops at the first problem
// unless `all` (then every bad line is listed and the good ones still read).
TextScan scanJournal(const std::string& text, uint64_t offset, std::vector<JournalRecord>& records, bool all,
                     const std::string& file = "journal.txt");
// The same for the fiscal memory: line n holds closing n, whose grand total
// adds its day to the one before.
TextScan scanFiscal(const std::string& text, uint64_t offset, std::vector<FiscalRecord>& records, bool all);

// What the state file, the current journal and the fiscal memory say of each
// other. Two things a crash leaves are not problems, as the next start repairs
// them: a state file older than the journal, and the last closing of the
// journal missing from the fiscal memory. While the current journal is empty,
// `previousEnd` (when given) is the last record of the journal before it.
std::vector<Problem> crossCheck(const PrinterState& state, const std::vector<JournalRecord>& journal,
                                bool journalExists, const std::vector<FiscalRecord>& fiscal,
                                bool fiscalExists, const JournalRecord* previousEnd = nullptr);

// The last record of the journal kept as journal-<n>.txt in `dir`; false when
// there is no such file or its last line does not read.
bool archivedJournalEnd(const std::string& dir, int64_t n, JournalRecord& last);

// Every problem of a printer folder, read as it is on disk (nothing is changed):
// the current and archived journals, the fiscal memory and the state file.
// `notes` gets what the printer repairs by itself at its next start.
std::vector<Problem> checkFolder(const std::string& dir, std::vector<std::string>& notes);

// Names of the temporary files that interrupted atomic writes left in `dir`.
std::vector<std::string> staleTemporaries(const std::string& dir);

}  // namespace merid::sim
