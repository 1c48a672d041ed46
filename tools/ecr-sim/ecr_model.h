// The virtual ECR: a fiscal printer with its document state, journal (DGFE),
// fiscal memory, clock, shopper display and cash drawer, kept in a state folder.
//
// Every command runs under an exclusive lock of the folder and starts from what
// is on disk, so a command is never seen half done (the port, held by the
// printer library, keeps a second host out). Records that do not agree make it
// refuse fiscal work and change nothing. The model never throws: each command
// answers 0 or a printer error number.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "faults.h"
#include "integrity.h"
#include "journal.h"
#include "tape.h"

namespace merid::sim {

// Printer error numbers (the host library's MeridCodeErrors numbering).
enum Err : int {
  kOk = 0,
  kNotConnected = -1,
  kWriteFailed = -2,  // the command ran, the answer was lost (fault lose_answer)
  kBadValue = 3,
  kNotPossible = 5,
  kDateBeforeFiscalMemory = 12,
  kBadDate = 13,
  kPaperEnd = 16,
  kFiscalWriteFailed = 19,
  kBadDateRange = 22,
  kNegativeTotal = 23,
  kBadLength = 24,
  kIncompletePayment = 25,
  kJournalFull = 30,
  kJournalNothingInRange = 36,
  kJournalRecordMissing = 40,
  kFiscalMemoryFull = 51,
  kClosingRequired = 54,
  kCoverOpen = 64,
  kInternalError = 67,
  kPriceOverLimit = 102,
  kUnknownCommand = 116,
  kNotAllowed = 117,
  kBadDiscount = 121,
  kUnknownDepartment = 148,
};

enum class DocState { Idle, Receipt, Voided, AfterTotal, NonFiscal, Invoice, CreditNote };
const char* stateName(DocState s);

// The document being printed; lost only if the process dies before it closes.
struct Document {
  DocState state = DocState::Idle;
  std::string kind;  // journal kind written when it closes
  int64_t number = 0;
  int64_t total = 0, paid = 0, change = 0;
  int64_t pricedLines = 0;
  bool paying = false, changePrinted = false, totalLine = false, copy = false, reference = false;
  int64_t announced = 0;  // invoice total given when it was opened
  std::map<int64_t, int64_t> departments;
  std::vector<std::pair<std::string, int64_t>> payments;
  std::vector<std::string> lines;  // what goes to the journal: font digit, then text
};

// What the fault counters have seen since faults.ini last changed.
struct FaultBook {
  std::string signature;
  int64_t linesPrinted = 0;
  bool paperOut = false;
  bool cleared = false;  // the operator fixed paper / cover
  int64_t statusRequests = 0;
  std::vector<int64_t> refusalsUsed;
};

// Printing commands refused for paper end or an open cover. The printer keeps
// them and prints them, in order, once the operator has fixed the fault: the
// host waits at its operator prompt and does not send them again.
struct HeldCommands {
  std::vector<std::string> commands;
};

struct PrinterState {
  Counters counters;
  Document doc;
  int64_t clockOffset = 0;
  int bufferMode = 0;
  std::string display1 = std::string(20, ' '), display2 = std::string(20, ' ');
  int64_t drawerOpenings = 0;
  FaultBook faults;
  HeldCommands held;
};

// state.txt. Decoding never fails: what cannot be read keeps its default.
std::string encodeState(const PrinterState& s);
PrinterState decodeState(const std::string& text);

struct DayTotals {
  int64_t total = 0, receipts = 0, voided = 0, nonFiscal = 0, invoices = 0, invoiceCount = 0;
  int64_t creditNotes = 0, creditNoteCount = 0;
  std::map<int64_t, int64_t> departments;
  std::map<std::string, int64_t> payments;
};

class EcrModel {
 public:
  // Wall-clock seconds (civil local time counted as UTC); the system clock when empty.
  using WallClock = std::function<int64_t()>;

  explicit EcrModel(std::string dir, WallClock clock = {});

  // Runs one command; 0 when executed, else the printer error number.
  int execute(std::string_view command);
  // The reply of the last "1109": positions 1..5 hold '1' for cover open, paper
  // end, paper near end, journal full, journal nearly full.
  const std::string& reply() const { return reply_; }

  bool linkUnplugged();
  // Replaces faults.ini (empty text: no faults).
  bool setFaults(std::string_view ini);

  // Views of what is on disk, refreshed by execute() or refresh().
  void refresh();
  const PrinterState& state() const { return state_; }
  const std::vector<JournalRecord>& journal() const { return journal_; }
  const std::vector<FiscalRecord>& fiscalMemory() const { return fiscal_; }
  const std::string& dir() const { return dir_; }
  DayTotals dayTotals() const;
  // What makes the printer refuse fiscal commands (error 0: nothing).
  const Problem& damage() const { return damage_; }

 private:
  struct Settings {
    std::vector<std::string> header;
    int64_t departments = 20;
    int64_t fiscalCapacity = 1825;
    int64_t lineLimit = 99999999;  // cents on one line
  };

  void load();
  void loadSettings();
  void loadJournal();
  void loadFiscal();
  void saveState();
  int run(std::string_view cmd);
  int dispatch(std::string_view cmd);
  int status();
  int applyFaults(std::string_view cmd);
  int checkPaper();
  // Paper end or cover open, and not yet fixed by the operator.
  bool paperOrCoverFault() const;
  void printHeldCommands();
  void commit();

  // Command handlers; each works on work_ and returns 0 or an error.
  int bufferMode(std::string_view c);
  int saleLine(std::string_view c);
  int descriptiveLine(std::string_view c, bool afterTotal);
  int subtotal(std::string_view c);
  int pricedText(std::string_view c);
  int payment(std::string_view c);
  int printChange(std::string_view c);
  int closeFiscal(std::string_view c);
  int reference(std::string_view c);
  int printAndCut(std::string_view c);
  int openNonFiscal(std::string_view c);
  int openInvoice(std::string_view c);
  int printHeaderCommand(std::string_view c);
  int nonFiscalLine(std::string_view c);
  int invoiceTotal(std::string_view c);
  int closeNonFiscal(std::string_view c);
  int closeInvoice(std::string_view c);
  int openCreditNote(std::string_view c);
  int displayText(std::string_view c);
  int drawer(std::string_view c);
  int barcode(std::string_view c);
  int setClock(std::string_view c);
  int zReport(std::string_view c);
  int xReport(std::string_view c);
  int reprint(std::string_view c);
  int journalByDates(std::string_view c);
  int journalByReceipts(std::string_view c);
  int journalByClosings(std::string_view c);
  int journalRecord(std::string_view c);
  int journalAll(std::string_view c);
  int newJournal(std::string_view c);

  // Helpers of the handlers.
  int64_t now() const;
  int64_t currentZ() const { return int64_t(fiscal_.size()) + 1; }
  int openDocument(DocState state, const char* kind, const std::string& title);
  int startReceiptIfIdle();
  int dayMustMatch(const std::string& today) const;
  void print(int font, const std::string& text);
  void printTwo(int font, const std::string& left, const std::string& right);
  void printHeader(const std::string& title, const std::string& number);
  // The rule and the total line that end the priced lines of a document.
  void printTotal(const std::string& label, int64_t amount);
  void finishDocument();
  void writeRecord(const char* kind);
  void printTotals(const DayTotals& t);
  int printJournal(const std::vector<const JournalRecord*>& records, const std::string& title);
  bool departmentExists(int64_t d) const { return d >= 1 && d <= settings_.departments; }

  std::string dir_;
  WallClock clock_;
  Settings settings_;
  FaultConfig faultConfig_;
  PrinterState state_;  // as on disk
  PrinterState work_;   // being changed by the current command
  // How much of a record file has been read, and what was found in it.
  struct FileView {
    uint64_t id = 0, size = 0, valid = 0;  // valid: the bytes read cleanly
    int64_t modified = 0;
    uint32_t validSum = 0;  // checksum of those bytes, to notice a change in place
    std::vector<Problem> problems;
  };
  template <class Record>
  void loadRecords(const std::string& name, std::vector<Record>& records, FileView& view);
  void repairAndCheck();

  std::vector<JournalRecord> journal_;
  FileView journalFile_;
  std::vector<FiscalRecord> fiscal_;
  FileView fiscalFile_;
  Problem damage_;
  bool started_ = false;  // the first load cleans up after interrupted writes
  std::string reply_;
  // Output of the current command, written only when it succeeds.
  std::vector<PrintLine> out_;
  std::vector<JournalRecord> newRecords_;
  std::vector<FiscalRecord> newFiscal_;
  bool archiveJournal_ = false;
};

}  // namespace merid::sim
