#include "integrity.h"

#include <algorithm>

#include "ecr_model.h"
#include "sim_text.h"
#include "storage.h"

namespace merid::sim {

namespace {

std::string num(int64_t v) {
  return std::to_string(v);
}

// Tells a damaged checksum from fields that do not read, for the report.
std::string whyUnreadable(const std::string& line) {
  size_t at = line.rfind("|#");
  if (at == std::string::npos || line.size() - at != 10 ||
      hex8(checksum(std::string_view(line.data(), at))) != line.substr(at + 2))
    return "its checksum does not match its content";
  return "its fields do not read";
}

template <class Record, class Check>
TextScan scanText(const std::string& text, uint64_t offset, std::vector<Record>& records, bool all,
                  const std::string& file, int error, bool (*decode)(const std::string&, Record&),
                  std::string (*encode)(const Record&), Check check) {
  TextScan scan;
  scan.end = offset;
  int64_t line = int64_t(records.size()) + 1;
  for (size_t at = size_t(offset); at < text.size(); ++line) {
    size_t nl = text.find('\n', at);
    Record r;
    if (nl == std::string::npos) {
      // A write cut short leaves part of a line; a whole record that lost its
      // end of line was damaged after it was written.
      const std::string tail = text.substr(at);
      if (decode(tail, r) || decode(tail.substr(0, tail.size() - 1), r))
        scan.problems.push_back({error, file, line, "a whole record without its end of line"});
      else
        scan.tornTail = true;
      break;
    }
    const std::string body = text.substr(at, nl - at);
    std::string why = !decode(body, r) ? whyUnreadable(body)
                      : encode(r) != text.substr(at, nl + 1 - at)
                          ? "its fields are not written as the printer writes them"
                          : check(r, line, records);
    at = nl + 1;
    if (!why.empty()) {
      scan.problems.push_back({error, file, line, why});
      if (!all) break;
      continue;
    }
    records.push_back(std::move(r));
    if (scan.problems.empty()) scan.end = at;
  }
  return scan;
}

const FiscalRecord* closingIn(const std::vector<FiscalRecord>& fiscal, int64_t z) {
  auto it = std::find_if(fiscal.begin(), fiscal.end(), [z](const FiscalRecord& f) { return f.z == z; });
  return it == fiscal.end() ? nullptr : &*it;
}

// A closing of a journal against its record in the fiscal memory; false when
// the fiscal memory has none.
bool matchClosing(const JournalRecord& r, const std::string& file, int64_t line,
                  const std::vector<FiscalRecord>& fiscal, std::vector<Problem>& out) {
  const FiscalRecord* f = closingIn(fiscal, r.z);
  if (!f) return false;
  std::string kept = encodeFiscal(*f);
  kept.pop_back();
  if (kept != r.fiscal)
    out.push_back({kJournalInconsistent, "fiscal.txt", r.z,
                   "closing " + num(r.z) + " differs from the one in " + file + " line " + num(line)});
  return true;
}

// Which document counter the document in progress has already taken.
const int64_t* openCounter(const PrinterState& s) {
  switch (s.doc.state) {
    case DocState::Receipt:
    case DocState::Voided:
      return &s.counters.receipt;
    case DocState::NonFiscal:
      return &s.counters.nonFiscal;
    case DocState::Invoice:
      return &s.counters.invoice;
    case DocState::CreditNote:
      return &s.counters.creditNote;
    default:
      return nullptr;
  }
}

void stateAgainstJournal(const PrinterState& state, const JournalRecord& last, std::vector<Problem>& out) {
  const Counters& c = state.counters;
  const Counters& j = last.counters;
  if (c.journalNo > j.journalNo) {
    // A new journal starts right after a closing; a crash before the old file
    // was moved away is repaired at the start.
    if (c.journalNo != j.journalNo + 1 || c.record != 0 || last.kind != kClosing)
      out.push_back({kJournalInconsistent, "state.txt", 0,
                     "is at journal " + num(c.journalNo) + " record " + num(c.record) +
                         ", but journal.txt is journal " + num(j.journalNo) + " up to record " +
                         num(j.record)});
    return;
  }
  if (c.journalNo < j.journalNo || c.record < j.record)
    return;  // older than the journal: repaired at the start
  if (c.record > j.record) {
    out.push_back(
        {kJournalInconsistent, "state.txt", 0,
         "counts " + num(c.record) + " journal records, but journal.txt ends at record " + num(j.record)});
    return;
  }
  const struct {
    const char* name;
    const int64_t* state;
    int64_t journal;
  } counters[] = {{"receipt", &c.receipt, j.receipt},
                  {"non-fiscal document", &c.nonFiscal, j.nonFiscal},
                  {"invoice", &c.invoice, j.invoice},
                  {"credit note", &c.creditNote, j.creditNote}};
  const int64_t* open = openCounter(state);
  for (const auto& k : counters) {
    // Only the document in progress may have taken the next number.
    const int64_t allowed = k.journal + (k.state == open ? 1 : 0);
    if (*k.state != k.journal && *k.state != allowed)
      out.push_back({kJournalInconsistent, "state.txt", 0,
                     "the last " + std::string(k.name) + " is number " + num(*k.state) + ", expected " +
                         num(allowed) + " from the journal's last record"});
  }
}

bool isTemporary(const std::string& name) {
  const size_t at = name.rfind(".tmp");
  return at != std::string::npos && at > 0 && at + 4 < name.size() &&
         allDigits(std::string_view(name).substr(at + 4));
}

}  // namespace

std::string describe(const Problem& p) {
  return p.file + (p.line ? " line " + num(p.line) : "") + ": " + p.what;
}

TextScan scanJournal(const std::string& text, uint64_t offset, std::vector<JournalRecord>& records, bool all,
                     const std::string& file) {
  auto check = [](const JournalRecord& r, int64_t line, const std::vector<JournalRecord>& before) {
    if (r.recno != line) return "record number " + num(r.recno) + ", expected " + num(line);
    if (r.counters.record != r.recno) return "its counters say record " + num(r.counters.record);
    if (!before.empty() && r.counters.journalNo != before.front().counters.journalNo)
      return "journal number " + num(r.counters.journalNo) + ", expected " +
             num(before.front().counters.journalNo);
    return std::string();
  };
  return scanText<JournalRecord>(text, offset, records, all, file, kJournalInconsistent, decodeRecord,
                                 encodeRecord, check);
}

TextScan scanFiscal(const std::string& text, uint64_t offset, std::vector<FiscalRecord>& records, bool all) {
  auto check = [](const FiscalRecord& r, int64_t line, const std::vector<FiscalRecord>& before) {
    if (r.z != line) return "closing number " + num(r.z) + ", expected " + num(line);
    const bool follows = !before.empty() && before.back().z == line - 1;
    const int64_t grand = (follows ? before.back().grandTotal : 0) + r.total;
    if ((follows || line == 1) && r.grandTotal != grand)
      return "grand total " + num(r.grandTotal) + ", expected " + num(grand);
    return std::string();
  };
  return scanText<FiscalRecord>(text, offset, records, all, "fiscal.txt", kFiscalMemoryUnreadable,
                                decodeFiscal, encodeFiscal, check);
}

std::vector<Problem> crossCheck(const PrinterState& state, const std::vector<JournalRecord>& journal,
                                bool journalExists, const std::vector<FiscalRecord>& fiscal,
                                bool fiscalExists, const JournalRecord* previousEnd) {
  std::vector<Problem> out;
  const int fiscalLost = fiscalExists ? kFiscalMemoryUnreadable : kFiscalMemoryMissing;
  const int journalLost = journalExists ? kJournalInconsistent : kJournalMissing;
  const int64_t closings = int64_t(fiscal.size());
  for (size_t i = 0; i < journal.size(); ++i) {
    const JournalRecord& r = journal[i];
    const bool pending = i + 1 == journal.size() && r.z == closings + 1;  // copied at the next start
    if (r.kind == kClosing && !matchClosing(r, "journal.txt", int64_t(i + 1), fiscal, out) && !pending)
      out.push_back({fiscalLost, "fiscal.txt", 0,
                     "no record of closing " + num(r.z) + " (journal.txt line " + num(int64_t(i + 1)) + ")"});
  }
  if (!journal.empty()) {
    // The last record belongs to the day after the last closing, or is that closing.
    const JournalRecord& last = journal.back();
    const bool closing = last.kind == kClosing;
    const int64_t expected = closings + (closing ? (last.z == closings + 1 ? 1 : 0) : 1);
    if (last.z < expected)
      out.push_back({kJournalInconsistent, "journal.txt", 0,
                     "ends with record " + num(last.recno) + " of day Z " + num(last.z) +
                         ", but fiscal.txt holds " + num(closings) + " closings"});
    else if (last.z > expected)
      out.push_back({fiscalLost, "fiscal.txt", 0,
                     "holds " + num(closings) + " closings, but journal.txt line " + num(last.recno) +
                         " belongs to day Z " + num(last.z)});
    stateAgainstJournal(state, last, out);
    return out;
  }
  const Counters& c = state.counters;
  if (c.record > 0)
    out.push_back(
        {journalLost, "journal.txt", 0,
         (journalExists ? "holds no record, but state.txt counts " : "missing, but state.txt counts ") +
             num(c.record) + " records"});
  else if (c.journalNo == 1 && closings > 0)
    out.push_back(
        {journalLost, "journal.txt", 0,
         (journalExists ? "holds no record, but fiscal.txt holds " : "missing, but fiscal.txt holds ") +
             num(closings) + " closings"});
  // A new journal starts right after a closing (or before any record): the
  // journal before it ends with the fiscal memory's last closing.
  if (previousEnd && previousEnd->z > closings)
    out.push_back({fiscalLost, "fiscal.txt", 0,
                   "holds " + num(closings) + " closings, but journal-" + num(c.journalNo - 1) +
                       ".txt ends with closing " + num(previousEnd->z)});
  else if (previousEnd && (previousEnd->kind != kClosing || previousEnd->z < closings))
    out.push_back({kJournalInconsistent, "journal-" + num(c.journalNo - 1) + ".txt", 0,
                   "ends with record " + num(previousEnd->recno) + " of day Z " + num(previousEnd->z) +
                       ", but fiscal.txt holds " + num(closings) + " closings"});
  return out;
}

std::vector<Problem> checkFolder(const std::string& dir, std::vector<std::string>& notes) {
  if (!isFolder(dir)) return {{0, "", 0, "no such folder"}};
  FolderLock lock(dir);
  std::vector<Problem> out;
  auto add = [&out](const std::vector<Problem>& more) { out.insert(out.end(), more.begin(), more.end()); };
  // Every bad line of a journal or the fiscal memory; a write cut short is only noted.
  auto scan = [&](const char* name, const TextScan& found) {
    add(found.problems);
    if (found.tornTail)
      notes.push_back(std::string(name) +
                      ": an unfinished last line (a write cut short), dropped at the next start");
  };
  std::vector<FiscalRecord> fiscal;
  const std::string fiscalPath = dir + "/fiscal.txt";
  scan("fiscal.txt", scanFiscal(readFile(fiscalPath), 0, fiscal, true));
  // Archived journals: their lines, and their closings against the fiscal memory.
  for (int64_t n = 1; fileExists(dir + "/journal-" + num(n) + ".txt"); ++n) {
    const std::string name = "journal-" + num(n) + ".txt";
    std::vector<JournalRecord> archived;
    add(scanJournal(readFile(dir + "/" + name), 0, archived, true, name).problems);
    for (size_t i = 0; i < archived.size(); ++i)
      if (archived[i].kind == kClosing && !matchClosing(archived[i], name, int64_t(i + 1), fiscal, out))
        out.push_back({fileExists(fiscalPath) ? kFiscalMemoryUnreadable : kFiscalMemoryMissing, "fiscal.txt",
                       0,
                       "no record of closing " + num(archived[i].z) + " (" + name + " line " +
                           num(int64_t(i + 1)) + ")"});
  }
  std::vector<JournalRecord> journal;
  const std::string journalPath = dir + "/journal.txt";
  scan("journal.txt", scanJournal(readFile(journalPath), 0, journal, true));
  const PrinterState state = decodeState(readFile(dir + "/state.txt"));
  JournalRecord previous;
  const bool archived = journal.empty() && archivedJournalEnd(dir, state.counters.journalNo - 1, previous);
  add(crossCheck(state, journal, fileExists(journalPath), fiscal, fileExists(fiscalPath),
                 archived ? &previous : nullptr));
  if (!journal.empty()) {
    const JournalRecord& last = journal.back();
    if (last.kind == kClosing && last.z == int64_t(fiscal.size()) + 1 && !closingIn(fiscal, last.z))
      notes.push_back("closing " + num(last.z) +
                      " is in the journal but not yet in fiscal.txt: copied there at the next start");
    if (state.counters.journalNo == last.counters.journalNo && state.counters.record < last.counters.record)
      notes.push_back(
          "state.txt is older than the journal: the journal's numbers are taken at the next start");
  }
  for (const std::string& name : staleTemporaries(dir))
    notes.push_back(name + ": left by an interrupted write, removed at the next start");
  return out;
}

bool archivedJournalEnd(const std::string& dir, int64_t n, JournalRecord& last) {
  const std::string text = readFile(dir + "/journal-" + num(n) + ".txt");
  if (text.size() < 2 || text.back() != '\n') return false;
  const size_t newline = text.rfind('\n', text.size() - 2);
  const size_t start = newline == std::string::npos ? 0 : newline + 1;
  return decodeRecord(text.substr(start, text.size() - 1 - start), last);
}

std::vector<std::string> staleTemporaries(const std::string& dir) {
  std::vector<std::string> out;
  for (const std::string& name : listFolder(dir))
    if (isTemporary(name)) out.push_back(name);
  return out;
}

}  // namespace merid::sim
