// The electronic journal (DGFE) and the fiscal memory: one line per record,
// ending in a checksum, so that a line torn by a crash is recognised and dropped.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace merid::sim {

// Document numbers at the moment a record was written, so that a restart after
// a crash continues from the journal even when the state file is older.
struct Counters {
  int64_t record = 0;      // last journal record number
  int64_t receipt = 0;     // last fiscal receipt of the day (reset by Z)
  int64_t nonFiscal = 0;   // last non-fiscal document of the day (reset by Z)
  int64_t invoice = 0;     // progressive
  int64_t creditNote = 0;  // progressive
  int64_t journalNo = 1;   // which DGFE this is
};

// Journal record kinds.
inline constexpr const char* kReceipt = "SC";
inline constexpr const char* kVoided = "AN";
inline constexpr const char* kNonFiscal = "NF";
inline constexpr const char* kInvoice = "FA";
inline constexpr const char* kCreditNote = "NC";
inline constexpr const char* kClosing = "Z";

struct JournalRecord {
  int64_t recno = 0;
  std::string date;  // ddmmyy
  std::string time;  // hhmm
  int64_t z = 0;     // the daily closing this record belongs to (a Z record: its own number)
  std::string kind;
  int64_t number = 0;
  int64_t total = 0;
  int64_t change = 0;
  std::map<int64_t, int64_t> departments;   // net cents by department
  std::map<std::string, int64_t> payments;  // cents by payment description, change deducted
  Counters counters;
  std::string fiscal;              // a Z record: its fiscal memory line
  std::vector<std::string> lines;  // printed lines: font digit then text
};

struct FiscalRecord {
  int64_t z = 0;
  std::string date, time;
  int64_t total = 0;  // sum of the day's receipts
  int64_t receipts = 0, voided = 0;
  int64_t invoices = 0, creditNotes = 0;  // their day totals
  int64_t grandTotal = 0;
  std::map<int64_t, int64_t> departments;
  std::map<std::string, int64_t> payments;
};

std::string encodeRecord(const JournalRecord& r);
bool decodeRecord(const std::string& line, JournalRecord& r);
std::string encodeFiscal(const FiscalRecord& r);
bool decodeFiscal(const std::string& line, FiscalRecord& r);

// Reads complete, valid lines from `text` starting at `offset`; sets `validEnd`
// to the byte after the last good line. Parsing stops at the first bad line.
template <class Record>
std::vector<Record> parseLines(const std::string& text, uint64_t offset, uint64_t& validEnd,
                               bool (*decode)(const std::string&, Record&)) {
  std::vector<Record> out;
  validEnd = offset;
  while (validEnd < text.size()) {
    size_t nl = text.find('\n', validEnd);
    if (nl == std::string::npos) break;
    Record r;
    if (!decode(text.substr(validEnd, nl - validEnd), r)) break;
    out.push_back(std::move(r));
    validEnd = nl + 1;
  }
  return out;
}

}  // namespace merid::sim
