// Loading, saving and running commands; the handlers are in ecr_commands.cpp.
#include "ecr_model.h"

#include <algorithm>
#include <ctime>
#include <exception>
#include <iterator>
#include <stdexcept>

#include "sim_text.h"
#include "storage.h"

namespace merid::sim {

namespace {

// In the order of DocState.
const char* const kStateNames[] = {"idle",       "receipt", "voided",     "after-total",
                                   "non-fiscal", "invoice", "credit-note"};

}  // namespace

const char* stateName(DocState s) {
  return size_t(s) < std::size(kStateNames) ? kStateNames[size_t(s)] : "idle";
}

namespace {

const char* kDefaultSettings =
    "; Settings of the virtual printer (MERID-ECR-SIM).\n"
    "[shop]\n"
    "line1 = NEGOZIO DI PROVA\n"
    "line2 = VIA ROMA 1 - 00100 ROMA\n"
    "line3 = P.IVA 00000000000\n"
    "[printer]\n"
    "departments = 20\n"
    "fiscal_memory_records = 1825\n";

int64_t systemWallClock() {
  return localWallSeconds();
}

std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return std::string(s.substr(b, e - b));
}

DocState stateFrom(const std::string& name) {
  for (size_t i = 0; i < std::size(kStateNames); ++i)
    if (name == kStateNames[i]) return DocState(i);
  return DocState::Idle;
}

}  // namespace

std::string encodeState(const PrinterState& s) {
  auto n = [](int64_t v) { return std::to_string(v); };
  const Counters& c = s.counters;
  const Document& d = s.doc;
  std::string out = "version=1\n";
  out += "counters=" + n(c.record) + "," + n(c.receipt) + "," + n(c.nonFiscal) + "," + n(c.invoice) + "," +
         n(c.creditNote) + "," + n(c.journalNo) + "\n";
  out += "clock_offset=" + n(s.clockOffset) + "\nbuffer_mode=" + n(s.bufferMode) + "\n";
  out += "display1=" + escapeField(s.display1) + "\ndisplay2=" + escapeField(s.display2) + "\n";
  out += "drawer_openings=" + n(s.drawerOpenings) + "\n";
  out += "doc_state=" + std::string(stateName(d.state)) + "\ndoc_kind=" + escapeField(d.kind) + "\n";
  out += "doc=" + n(d.number) + "," + n(d.total) + "," + n(d.paid) + "," + n(d.change) + "," +
         n(d.pricedLines) + "," + n(d.paying) + "," + n(d.changePrinted) + "," + n(d.totalLine) + "," +
         n(d.copy) + "," + n(d.reference) + "," + n(d.announced) + "\n";
  for (auto& [k, v] : d.departments) out += "dept=" + n(k) + "," + n(v) + "\n";
  for (auto& [k, v] : d.payments) out += "pay=" + escapeField(k) + "," + n(v) + "\n";
  for (auto& l : d.lines) out += "line=" + escapeField(l) + "\n";
  const FaultBook& f = s.faults;
  out += "fault_signature=" + escapeField(f.signature) + "\n";
  out += "fault_book=" + n(f.linesPrinted) + "," + n(f.paperOut) + "," + n(f.cleared) + "," +
         n(f.statusRequests) + "\n";
  for (int64_t used : f.refusalsUsed) out += "refused=" + n(used) + "\n";
  for (const auto& c : s.held.commands) out += "held=" + escapeField(c) + "\n";
  return out;
}

namespace {

bool nums(std::string_view v, std::vector<int64_t>& out, size_t count) {
  out.clear();
  for (auto part : split(v, ',')) {
    bool negative = !part.empty() && part[0] == '-';
    if (negative) part.remove_prefix(1);
    int64_t x;
    if (!parseNumber(part, x)) return false;
    out.push_back(negative ? -x : x);
  }
  return out.size() == count;
}

}  // namespace

// A damaged state file is not fatal: what cannot be read keeps its default,
// and the journal still gives the numbering.
PrinterState decodeState(const std::string& text) {
  PrinterState s;
  std::vector<int64_t> v;
  for (auto line : split(text, '\n')) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    std::string str;
    if (key == "counters" && nums(value, v, 6)) {
      s.counters = Counters{v[0], v[1], v[2], v[3], v[4], v[5]};
    } else if (key == "clock_offset" && nums(value, v, 1)) {
      s.clockOffset = v[0];
    } else if (key == "buffer_mode" && nums(value, v, 1)) {
      s.bufferMode = int(v[0]);
    } else if (key == "display1" && unescapeField(value, str)) {
      s.display1 = str;
    } else if (key == "display2" && unescapeField(value, str)) {
      s.display2 = str;
    } else if (key == "drawer_openings" && nums(value, v, 1)) {
      s.drawerOpenings = v[0];
    } else if (key == "doc_state") {
      s.doc.state = stateFrom(std::string(value));
    } else if (key == "doc_kind" && unescapeField(value, str)) {
      s.doc.kind = str;
    } else if (key == "doc" && nums(value, v, 11)) {
      Document& d = s.doc;
      d.number = v[0], d.total = v[1], d.paid = v[2], d.change = v[3], d.pricedLines = v[4];
      d.paying = v[5], d.changePrinted = v[6], d.totalLine = v[7], d.copy = v[8], d.reference = v[9];
      d.announced = v[10];
    } else if (key == "dept" && nums(value, v, 2)) {
      s.doc.departments[v[0]] = v[1];
    } else if (key == "pay") {
      auto parts = split(value, ',');
      std::vector<int64_t> amount;
      if (parts.size() == 2 && unescapeField(parts[0], str) && nums(parts[1], amount, 1))
        s.doc.payments.emplace_back(str, amount[0]);
    } else if (key == "line" && unescapeField(value, str)) {
      s.doc.lines.push_back(str);
    } else if (key == "fault_signature" && unescapeField(value, str)) {
      s.faults.signature = str;
    } else if (key == "fault_book" && nums(value, v, 4)) {
      s.faults.linesPrinted = v[0], s.faults.paperOut = v[1], s.faults.cleared = v[2];
      s.faults.statusRequests = v[3];
    } else if (key == "refused" && nums(value, v, 1)) {
      s.faults.refusalsUsed.push_back(v[0]);
    } else if (key == "held" && unescapeField(value, str)) {
      s.held.commands.push_back(str);
    }
  }
  return s;
}

EcrModel::EcrModel(std::string dir, WallClock clock) : dir_(std::move(dir)), clock_(std::move(clock)) {
  if (!clock_) clock_ = systemWallClock;
}

int64_t EcrModel::now() const {
  return clock_() + work_.clockOffset;
}

void EcrModel::loadSettings() {
  std::string path = dir_ + "/settings.ini";
  std::string text = readFile(path);
  if (text.empty() && !fileExists(path)) {
    replaceFile(path, kDefaultSettings);
    text = kDefaultSettings;
  }
  Settings s;
  std::map<std::string, std::string> header;
  for (auto raw : split(text, '\n')) {
    std::string line = trim(raw);
    size_t eq = line.find('=');
    if (line.empty() || line[0] == ';' || line[0] == '[' || eq == std::string::npos) continue;
    std::string key = trim(line.substr(0, eq)), value = trim(line.substr(eq + 1));
    int64_t n;
    if (key.size() == 5 && key.compare(0, 4, "line") == 0 && key[4] >= '1' && key[4] <= '4')
      header[key] = value;
    else if (key == "departments" && value.size() <= 2 && parseNumber(value, n))
      s.departments = n;
    else if (key == "fiscal_memory_records" && value.size() <= 6 && parseNumber(value, n))
      s.fiscalCapacity = n;
  }
  for (auto& [k, v] : header)
    if (!v.empty()) s.header.push_back(v);
  if (s.header.empty()) s.header.push_back("NEGOZIO DI PROVA");
  settings_ = s;
}

// Reads what was added to a record file since the last call. A file changed
// in place or replaced is read again from its start. Only an unfinished last
// line, a write cut short by a crash, is cut off (so that the next record starts
// on a clean line): whatever else is wrong is left as it is, and reported.
namespace {

TextScan scanRecords(const std::string& text, uint64_t offset, std::vector<JournalRecord>& records) {
  return scanJournal(text, offset, records, false);
}

TextScan scanRecords(const std::string& text, uint64_t offset, std::vector<FiscalRecord>& records) {
  return scanFiscal(text, offset, records, false);
}

}  // namespace

template <class Record>
void EcrModel::loadRecords(const std::string& name, std::vector<Record>& records, FileView& view) {
  const std::string path = dir_ + "/" + name;
  uint64_t size;
  int64_t modified;
  uint64_t id = fileIdentity(path, size, &modified);
  if (id == view.id && size == view.size && modified == view.modified) return;
  const std::string text = readFile(path);
  if (id != view.id || text.size() < view.valid ||
      checksum(std::string_view(text).substr(0, size_t(view.valid))) != view.validSum) {
    records.clear();
    view.valid = 0;
  }
  TextScan found = scanRecords(text, view.valid, records);
  view.id = id;
  view.size = text.size();
  view.modified = modified;
  view.valid = found.end;
  view.validSum = checksum(std::string_view(text).substr(0, size_t(found.end)));
  view.problems = found.problems;
  if (found.problems.empty() && found.tornTail) {
    truncateFile(path, found.end);
    view.id = fileIdentity(path, view.size, &view.modified);
  }
}

void EcrModel::loadJournal() {
  loadRecords("journal.txt", journal_, journalFile_);
}

void EcrModel::loadFiscal() {
  loadRecords("fiscal.txt", fiscal_, fiscalFile_);
}

void EcrModel::load() {
  if (!makeDirs(dir_)) throw std::runtime_error("cannot create " + dir_);
  if (!started_) {
    // Under the folder lock nobody is writing: a temporary file is a leftover.
    // One that cannot be removed yet harms nothing: the next command tries again.
    try {
      started_ = true;
      for (const std::string& name : staleTemporaries(dir_))
        started_ = removeFile(dir_ + "/" + name) && started_;
    } catch (const std::exception&) {
      started_ = false;
    }
  }
  loadSettings();
  state_ = decodeState(readFile(dir_ + "/state.txt"));
  loadJournal();
  loadFiscal();
  repairAndCheck();
  std::string faults = readFile(dir_ + "/faults.ini");
  faultConfig_ = parseFaults(faults);
  std::string signature = hex8(checksum(faults)) + ":" + std::to_string(faults.size());
  if (signature != state_.faults.signature) {
    state_.faults = FaultBook{};
    state_.faults.signature = signature;
  }
  state_.faults.refusalsUsed.resize(faultConfig_.refuse.size(), 0);
}

// Damage first: a printer whose records do not agree changes nothing. Then
// what a crash can leave half done is finished.
void EcrModel::repairAndCheck() {
  damage_ = Problem{};
  std::vector<Problem> found = journalFile_.problems;
  found.insert(found.end(), fiscalFile_.problems.begin(), fiscalFile_.problems.end());
  JournalRecord previous;  // read only between a new journal and its first record
  const bool archived = found.empty() && journal_.empty() && state_.counters.journalNo > 1 &&
                        archivedJournalEnd(dir_, state_.counters.journalNo - 1, previous);
  if (found.empty())
    found = crossCheck(state_, journal_, journalFile_.id != 0, fiscal_, fiscalFile_.id != 0,
                       archived ? &previous : nullptr);
  if (!found.empty()) {
    damage_ = found.front();
    return;
  }
  if (journal_.empty()) return;
  // A Z record reaches the journal before the fiscal memory; finish a closing
  // that a crash interrupted in between.
  const JournalRecord& back = journal_.back();
  FiscalRecord f;
  if (back.kind == kClosing && back.z == currentZ() && decodeFiscal(back.fiscal, f)) {
    appendFile(dir_ + "/fiscal.txt", encodeFiscal(f), true);
    loadFiscal();
  }
  const Counters& last = journal_.back().counters;
  if (last.journalNo < state_.counters.journalNo) {
    // A new journal was started but the old file was not yet moved away.
    std::string archive = dir_ + "/journal-" + std::to_string(last.journalNo) + ".txt";
    renameFile(dir_ + "/journal.txt", archive);
    journal_.clear();
    loadJournal();
  } else if (last.record > state_.counters.record || last.journalNo > state_.counters.journalNo) {
    // The document was written to the journal but the state file is older:
    // the journal wins, and the document it holds is no longer in progress.
    state_.counters = last;
    state_.doc = Document{};
  }
}

void EcrModel::saveState() {
  replaceFile(dir_ + "/state.txt", encodeState(state_));
}

void EcrModel::refresh() {
  try {
    FolderLock lock(dir_);
    load();
  } catch (const std::exception&) {
  }
}

bool EcrModel::linkUnplugged() {
  try {
    FolderLock lock(dir_);
    load();
    return faultConfig_.linkUnplugged;
  } catch (const std::exception&) {
    return false;
  }
}

bool EcrModel::setFaults(std::string_view ini) {
  try {
    if (!makeDirs(dir_)) return false;
    FolderLock lock(dir_);
    replaceFile(dir_ + "/faults.ini", std::string(ini));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

int EcrModel::execute(std::string_view command) {
  try {
    FolderLock lock(dir_);
    load();
    if (!damage_.error) printHeldCommands();
    int rc = run(command);
    if ((rc == kPaperEnd || rc == kCoverOpen) && paperOrCoverFault())
      state_.held.commands.emplace_back(command);
    if (rc == kOk) {
      commit();
      if (answerLost(faultConfig_, command)) return kWriteFailed;
    } else if (!damage_.error) {
      saveState();  // the fault counters move even when a command is refused
    }
    return rc;
  } catch (const std::exception&) {
    return kInternalError;
  } catch (...) {
    return kInternalError;
  }
}

int EcrModel::run(std::string_view cmd) {
  out_.clear();
  newRecords_.clear();
  newFiscal_.clear();
  archiveJournal_ = false;
  work_ = state_;
  if (faultConfig_.linkUnplugged) return kNotConnected;
  if (cmd.size() < 4 || cmd.size() > 512) return kBadLength;
  if (cmd.substr(0, 4) == "1109") {
    if (cmd.size() != 4) return kBadLength;
    return status();
  }
  // Records that do not agree: nothing more is recorded until they are put
  // right. What records nothing still works.
  static const char* const harmless[] = {"3016", "7007", "7008"};
  if (damage_.error && std::none_of(std::begin(harmless), std::end(harmless),
                                    [&](const char* h) { return cmd.substr(0, 4) == h; }))
    return damage_.error;
  int rc = applyFaults(cmd);
  if (rc != kOk) return rc;
  rc = dispatch(cmd);
  if (rc != kOk) return rc;
  return checkPaper();
}

bool EcrModel::paperOrCoverFault() const {
  const FaultBook& book = state_.faults;
  return !book.cleared && (faultConfig_.coverOpen || book.paperOut);
}

// Once the fault is gone, what the printer kept is printed before anything
// else; a held command that no longer fits the document is dropped, as its
// refusal would have been.
void EcrModel::printHeldCommands() {
  if (state_.held.commands.empty() || paperOrCoverFault()) return;
  std::vector<std::string> held = std::move(state_.held.commands);
  state_.held.commands.clear();
  for (size_t i = 0; i < held.size(); ++i) {
    if (run(held[i]) == kOk) {
      commit();
      continue;
    }
    if (paperOrCoverFault()) {
      // The paper ran out again: keep this one and the rest for the next fix.
      state_.held.commands.assign(held.begin() + static_cast<std::ptrdiff_t>(i), held.end());
    }
    saveState();
    if (!state_.held.commands.empty()) return;
  }
}

int EcrModel::status() {
  FaultBook& book = state_.faults;
  bool cover = faultConfig_.coverOpen && !book.cleared;
  bool paper = book.paperOut && !book.cleared;
  bool nearEnd = false;
  if (faultConfig_.paperEndAfterLines >= 0 && !book.cleared && !paper)
    nearEnd = faultConfig_.paperEndAfterLines - book.linesPrinted <= 10;
  const char* stateDigit = "0123456";
  reply_ = std::string(1, stateDigit[int(state_.doc.state)]);
  reply_ += cover ? '1' : '0';
  reply_ += paper ? '1' : '0';
  reply_ += nearEnd ? '1' : '0';
  reply_ += faultConfig_.journalFull || damage_.error ? '1' : '0';  // no more documents
  reply_ += faultConfig_.journalNearlyFull ? '1' : '0';
  // The operator is fixing paper or cover: after the set number of looks the
  // condition is gone for good (until faults.ini changes).
  if ((cover || paper) && faultConfig_.clearAfterStatus >= 0 &&
      ++book.statusRequests >= faultConfig_.clearAfterStatus)
    book.cleared = true;
  work_.faults = book;
  return kOk;
}

int EcrModel::applyFaults(std::string_view cmd) {
  FaultBook& book = state_.faults;
  for (size_t i = 0; i < faultConfig_.refuse.size(); ++i) {
    const RefuseRule& r = faultConfig_.refuse[i];
    if (cmd.substr(0, r.prefix.size()) != r.prefix) continue;
    if (r.times >= 0 && book.refusalsUsed[i] >= r.times) continue;
    ++book.refusalsUsed[i];
    return r.error;
  }
  return kOk;
}

// Paper and cover are checked once the command knows what it would print: a
// command is printed whole or not at all, so a retry never prints a line twice.
int EcrModel::checkPaper() {
  size_t lines = 0;
  for (const PrintLine& l : out_)
    if (l.font != kCut) ++lines;
  if (lines == 0) return kOk;
  FaultBook& book = state_.faults;
  if (faultConfig_.coverOpen && !book.cleared) return kCoverOpen;
  if (book.paperOut && !book.cleared) return kPaperEnd;
  if (faultConfig_.paperEndAfterLines >= 0 && !book.cleared) {
    if (book.linesPrinted + int64_t(lines) > faultConfig_.paperEndAfterLines) {
      book.paperOut = true;
      return kPaperEnd;
    }
    book.linesPrinted += int64_t(lines);
  }
  return kOk;
}

// Journal and fiscal memory first, durable; then the state; then the tape. A
// crash after the journal write is repaired by load() from the journal.
void EcrModel::commit() {
  work_.faults = state_.faults;
  for (const JournalRecord& r : newRecords_) appendFile(dir_ + "/journal.txt", encodeRecord(r), true);
  for (const FiscalRecord& f : newFiscal_) appendFile(dir_ + "/fiscal.txt", encodeFiscal(f), true);
  state_ = work_;
  saveState();
  if (archiveJournal_) {
    std::string archive = dir_ + "/journal-" + std::to_string(state_.counters.journalNo - 1) + ".txt";
    if (fileExists(dir_ + "/journal.txt")) renameFile(dir_ + "/journal.txt", archive);
  }
  loadJournal();
  loadFiscal();
  appendTape(dir_, out_);
}

DayTotals EcrModel::dayTotals() const {
  DayTotals t;
  int64_t z = currentZ();
  for (const JournalRecord& r : journal_) {
    if (r.z != z) continue;
    if (r.kind == kReceipt) {
      t.total += r.total;
      ++t.receipts;
      for (auto& [d, v] : r.departments) t.departments[d] += v;
      for (auto& [p, v] : r.payments) t.payments[p] += v;
    } else if (r.kind == kVoided) {
      ++t.voided;
    } else if (r.kind == kNonFiscal) {
      ++t.nonFiscal;
    } else if (r.kind == kInvoice) {
      t.invoices += r.total;
      ++t.invoiceCount;
    } else if (r.kind == kCreditNote) {
      t.creditNotes += r.total;
      ++t.creditNoteCount;
    }
  }
  return t;
}

}  // namespace merid::sim
