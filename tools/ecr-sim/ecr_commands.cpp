// The printer side of every command: field checks, when it is allowed, what it
// prints and what it changes. Handlers work on work_; the caller keeps the
// result only when the handler answers 0, so a refused command changes nothing.
#include <algorithm>
#include <cctype>

#include "ecr_model.h"
#include "sim_text.h"

namespace merid::sim {

namespace {

const std::string kRule(32, '-');
const char* kFooter = "SIMULATORE - DOCUMENTO NON FISCALE";

std::string rtrim(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  return std::string(s.substr(0, e));
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string zeroPad(int64_t v, int width) {
  std::string s = std::to_string(v);
  return s.size() >= size_t(width) ? s : std::string(size_t(width) - s.size(), '0') + s;
}

// A text field "LL" + LL characters starting at `at`, which must end exactly at
// `end` (the rest of the command belongs to later fields).
int textField(std::string_view c, size_t at, size_t maxLen, std::string& text, size_t& after) {
  if (c.size() < at + 2) return kBadLength;
  int64_t len;
  if (!parseNumber(c.substr(at, 2), len)) return kBadValue;
  if (size_t(len) > maxLen || c.size() < at + 2 + size_t(len)) return kBadLength;
  text = std::string(c.substr(at + 2, size_t(len)));
  after = at + 2 + size_t(len);
  return kOk;
}

// A text field followed by the amount field that ends the command.
int textAndAmount(std::string_view c, size_t at, size_t maxLen, std::string& text, int64_t& amount) {
  size_t after;
  int rc = textField(c, at, maxLen, text, after);
  if (rc != kOk) return rc;
  if (c.size() - after < 9 || !parseAmount(c.substr(after), amount)) return kBadLength;
  return kOk;
}

bool fontDigit(char c) {
  return c >= '1' && c <= '9';
}

// A font digit, then a text field of up to 32 characters that ends the command.
int fontAndText(std::string_view c, std::string& text) {
  if (c.size() < 7) return kBadLength;
  if (!fontDigit(c[4])) return kBadValue;
  size_t after;
  const int rc = textField(c, 5, 32, text, after);
  if (rc != kOk) return rc;
  return after == c.size() ? kOk : kBadLength;
}

// A label followed by the amount that ends the command (a payment, an invoice
// total). The label as printed: upper case, without trailing blanks; an empty
// one is refused with 3, or stands for `whenEmpty` when given.
struct LabelledAmount {
  std::string label;
  int64_t amount = 0;
  int parse(std::string_view c, size_t at, size_t maxLen, const char* whenEmpty) {
    const int rc = textAndAmount(c, at, maxLen, label, amount);
    if (rc != kOk) return rc;
    label = upper(rtrim(label));
    if (!label.empty()) return kOk;
    if (!whenEmpty) return kBadValue;
    label = whenEmpty;
    return kOk;
  }
};

bool eanValid(std::string_view code, size_t length) {
  if (code.size() != length || !allDigits(code)) return false;
  int sum = 0;
  // Weights 3 and 1 alternate from the digit left of the check digit.
  for (size_t i = 0; i + 1 < code.size(); ++i) {
    size_t fromRight = code.size() - 2 - i;
    sum += (code[i] - '0') * (fromRight % 2 == 0 ? 3 : 1);
  }
  return (10 - sum % 10) % 10 == code.back() - '0';
}

bool code39Valid(std::string_view code) {
  if (code.empty() || code.size() > 30) return false;
  for (char c : code)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
          std::string_view(" -.$/+%").find(c) != std::string_view::npos))
      return false;
  return true;
}

std::string bars(std::string_view code) {
  std::string out = "||";
  for (unsigned char c : code) {
    unsigned v = c * 7u + 3u;
    out += (v & 1) ? "| " : "||";
    out += (v & 2) ? " |" : "  ";
  }
  out += "||";
  return out.size() > 32 ? out.substr(0, 32) : out;
}

bool isCash(const std::string& description) {
  return upper(description).rfind("CONTANT", 0) == 0;
}

}  // namespace

// ---- helpers

void EcrModel::print(int font, const std::string& text) {
  std::string line = rtrim(std::string_view(text).substr(0, lineWidth(font)));
  out_.push_back(PrintLine{font, line});
  if (work_.doc.state != DocState::Idle) work_.doc.lines.push_back(std::string(1, char('0' + font)) + line);
}

void EcrModel::printTwo(int font, const std::string& left, const std::string& right) {
  print(font, twoColumns(left, right, lineWidth(font)));
}

void EcrModel::printHeader(const std::string& title, const std::string& number) {
  for (const std::string& l : settings_.header) print(1, center(l, 32));
  print(2, center(title, 32));
  printTwo(1, printedDate(toCivil(now())), number);
  print(1, kRule);
}

void EcrModel::printTotal(const std::string& label, int64_t amount) {
  print(1, kRule);
  printTwo(2, label, formatMoney(amount));
  work_.doc.totalLine = true;
}

void EcrModel::finishDocument() {
  print(3, center(kFooter, 42));
  out_.push_back(PrintLine{kCut, ""});
  work_.doc = Document{};
}

int EcrModel::dayMustMatch(const std::string& today) const {
  for (const JournalRecord& r : journal_)
    if (r.z == currentZ() && r.kind != kClosing) return r.date == today ? kOk : kClosingRequired;
  return kOk;
}

int EcrModel::openDocument(DocState state, const char* kind, const std::string& title) {
  if (faultConfig_.journalFull) return kJournalFull;
  std::string today = ddmmyy(toCivil(now()));
  if (state != DocState::NonFiscal) {
    int rc = dayMustMatch(today);
    if (rc != kOk) return rc;
  }
  Counters& c = work_.counters;
  int64_t number = 0;
  std::string label;
  switch (state) {
    case DocState::Receipt:
      number = ++c.receipt;
      label = "N. " + zeroPad(currentZ(), 4) + "-" + zeroPad(number, 4);
      break;
    case DocState::NonFiscal:
      number = ++c.nonFiscal;
      label = "N. " + zeroPad(currentZ(), 4) + "-" + zeroPad(number, 4);
      break;
    case DocState::Invoice:
      number = ++c.invoice;
      label = "N. " + zeroPad(number, 4);
      break;
    default:
      number = ++c.creditNote;
      label = "N. " + zeroPad(number, 4);
      break;
  }
  work_.doc = Document{};
  work_.doc.state = state;
  work_.doc.kind = kind;
  work_.doc.number = number;
  printHeader(title, label);
  return kOk;
}

int EcrModel::startReceiptIfIdle() {
  if (work_.doc.state == DocState::Idle)
    return openDocument(DocState::Receipt, kReceipt, "DOCUMENTO COMMERCIALE");
  return work_.doc.state == DocState::Receipt && !work_.doc.paying ? kOk : kNotAllowed;
}

void EcrModel::writeRecord(const char* kind) {
  Document& d = work_.doc;
  JournalRecord r;
  r.recno = ++work_.counters.record;
  CivilTime t = toCivil(now());
  r.date = ddmmyy(t);
  r.time = hhmm(t);
  r.z = currentZ();
  r.kind = kind;
  r.number = d.number;
  r.total = d.total;
  r.change = d.change;
  r.departments = d.departments;
  for (auto& [name, amount] : d.payments) r.payments[name] += amount;
  // The change comes out of the cash drawer: the cash payments are kept net of it.
  int64_t change = d.change;
  for (auto it = d.payments.rbegin(); it != d.payments.rend() && change > 0; ++it) {
    if (!isCash(it->first)) continue;
    int64_t take = std::min(change, r.payments[it->first]);
    r.payments[it->first] -= take;
    change -= take;
  }
  r.counters = work_.counters;
  r.lines = d.lines;
  newRecords_.push_back(std::move(r));
}

// ---- dispatch

int EcrModel::dispatch(std::string_view c) {
  std::string code(c.substr(0, 4));
  // A closed receipt waits for its after-total lines and the cut; another
  // printing command finishes it first, as the paper cannot wait.
  static const char* keepsOpen[] = {"3012", "3013", "3016", "3021", "7007", "7008"};
  if (work_.doc.state == DocState::AfterTotal &&
      std::none_of(std::begin(keepsOpen), std::end(keepsOpen), [&](const char* k) { return code == k; }))
    finishDocument();

  if (code == "3016") return bufferMode(c);
  if (code == "3101") return saleLine(c);
  if (code == "3002") return descriptiveLine(c, false);
  if (code == "3012") return descriptiveLine(c, true);
  if (code == "3003") return subtotal(c);
  if (code == "3001") return pricedText(c);
  if (code == "3004" || code == "3005") return payment(c);
  if (code == "3009") return printChange(c);
  if (code == "3010") return reference(c);
  if (code == "3011") return closeFiscal(c);
  if (code == "3013") return printAndCut(c);
  if (code == "3021") return barcode(c);
  if (code == "4001") {
    if (c.size() < 5) return kBadLength;
    if (c[4] == '1') return openNonFiscal(c);
    if (c[4] == '2') return openInvoice(c);
    return kBadValue;
  }
  if (code == "4002") return printHeaderCommand(c);
  if (code == "4003") return c.size() > 4 && c[4] == 'F' ? invoiceTotal(c) : nonFiscalLine(c);
  if (code == "4004") return closeNonFiscal(c);
  if (code == "4006") return closeInvoice(c);
  if (code == "4007") return reprint(c);
  if (code == "7102") return openCreditNote(c);
  if (code == "7007") return displayText(c);
  if (code == "7008") return drawer(c);
  if (code == "2001") return setClock(c);
  if (code == "2002") return zReport(c);
  if (code == "2003") return xReport(c);
  if (code == "8001") return journalByDates(c);
  if (code == "8002") return journalByReceipts(c);
  if (code == "8003") return journalByClosings(c);
  if (code == "8004") return journalRecord(c);
  if (code == "8005") return journalAll(c);
  if (code == "8007") return newJournal(c);
  return kUnknownCommand;
}

// ---- link and receipt

int EcrModel::bufferMode(std::string_view c) {
  if (c.size() != 5) return kBadLength;
  if (c[4] != '0' && c[4] != '1') return kBadValue;
  work_.bufferMode = c[4] - '0';
  return kOk;
}

// "3101" type, department (2 digits, or more for a high department), "22",
// description, amount. The department width is the one that leaves a
// consistent line.
int EcrModel::saleLine(std::string_view c) {
  if (c.size() < 4 + 1 + 2 + 2 + 9) return kBadLength;
  char type = c[4];
  int64_t department = -1, amount = 0;
  std::string description;
  for (size_t width = 2; width <= 5 && department < 0; ++width) {
    int64_t d, len;
    if (c.size() < 5 + width + 2 + 9 || !parseNumber(c.substr(5, width), d) ||
        !parseNumber(c.substr(5 + width, 2), len))
      continue;
    size_t at = 5 + width + 2;
    if (len > 22 || at + size_t(len) + 9 > c.size() || !parseAmount(c.substr(at + size_t(len)), amount))
      continue;
    department = d;
    description = rtrim(c.substr(at, size_t(len)));
  }
  if (department < 0) return allDigits(c.substr(5, 2)) ? kBadLength : kBadValue;
  if (type != '1' && type != '9' && type != '3') return kBadValue;
  if (work_.doc.state != DocState::Idle && (work_.doc.state != DocState::Receipt || work_.doc.paying))
    return kNotAllowed;
  if (!departmentExists(department)) return kUnknownDepartment;
  if (amount > settings_.lineLimit) return kPriceOverLimit;
  int64_t signedAmount = amount;
  if (type == '1') {
    if (amount < 0) return kBadValue;
  } else if (type == '9') {
    if (amount <= 0) return kBadValue;
    signedAmount = -amount;
  } else {
    if (amount <= 0) return kBadDiscount;
    signedAmount = -amount;
  }
  if (work_.doc.total + signedAmount < 0) return kNegativeTotal;
  int rc = startReceiptIfIdle();
  if (rc != kOk) return rc;
  Document& d = work_.doc;
  if (type == '1')
    printTwo(1, description, formatMoney(amount));
  else if (type == '9')
    printTwo(1, "RESO " + description, formatMoney(-amount));
  else
    printTwo(1, description.empty() ? std::string("SCONTO") : description, formatMoney(-amount));
  d.total += signedAmount;
  d.departments[department] += signedAmount;
  ++d.pricedLines;
  return kOk;
}

int EcrModel::descriptiveLine(std::string_view c, bool afterTotal) {
  std::string text;
  if (int rc = fontAndText(c, text)) return rc;
  if (afterTotal) {
    if (work_.doc.state != DocState::AfterTotal) return kNotAllowed;
  } else if (int rc = startReceiptIfIdle()) {
    return rc;
  }
  print(c[4] - '0', text);
  return kOk;
}

int EcrModel::subtotal(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  if (work_.doc.state != DocState::Receipt) return kNotAllowed;
  printTwo(2, "SUBTOTALE", formatMoney(work_.doc.total));
  return kOk;
}

// "3001", type, "LL", text, amount: type 8 voids the open receipt; type 1 is a
// priced line of a credit note.
int EcrModel::pricedText(std::string_view c) {
  if (c.size() < 4 + 1 + 2 + 9) return kBadLength;
  std::string text;
  int64_t amount;
  int rc = textAndAmount(c, 5, 32, text, amount);
  if (rc != kOk) return rc;
  Document& d = work_.doc;
  if (c[4] == '8') {
    if (amount != 0) return kBadValue;
    if (d.state != DocState::Receipt) return kNotAllowed;
    print(1, rtrim(text));
    print(2, center("DOCUMENTO ANNULLATO", 32));
    d.state = DocState::Voided;
    d.kind = kVoided;
    return kOk;
  }
  if (c[4] != '1') return kBadValue;
  if (d.state != DocState::CreditNote || d.paying) return kNotAllowed;
  if (amount < 0) return kBadValue;
  if (amount > settings_.lineLimit) return kPriceOverLimit;
  printTwo(1, rtrim(text), formatMoney(amount));
  d.total += amount;
  ++d.pricedLines;
  return kOk;
}

int EcrModel::payment(std::string_view c) {
  LabelledAmount field;
  if (int rc = field.parse(c, 4, 99, nullptr)) return rc;
  const std::string& description = field.label;
  int64_t amount = field.amount;
  Document& d = work_.doc;
  if (d.state != DocState::Receipt && d.state != DocState::CreditNote) return kNotAllowed;
  if (amount < 0) return kBadValue;
  int64_t remaining = d.total - d.paid;
  if (d.paying && remaining <= 0) return kNotAllowed;
  bool collected = c[3] == '4';
  if (d.state == DocState::CreditNote) {
    if (!collected || d.pricedLines == 0) return kNotAllowed;
    if (amount > remaining) return kBadValue;
  }
  // An amount of zero pays what is left.
  if (amount == 0) amount = remaining > 0 ? remaining : 0;
  if (amount > remaining && (!collected || !isCash(description))) return kBadValue;
  if (!d.totalLine) printTotal("TOTALE EURO", d.total);
  printTwo(1, description, formatMoney(amount));
  d.payments.emplace_back(description, amount);
  d.paid += amount;
  d.paying = true;
  d.change = d.paid > d.total ? d.paid - d.total : 0;
  return kOk;
}

int EcrModel::printChange(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  Document& d = work_.doc;
  if (d.state != DocState::Receipt || d.changePrinted) return kNotAllowed;
  if (!d.paying || d.paid < d.total) return kIncompletePayment;
  printTwo(1, "RESTO", formatMoney(d.change));
  d.changePrinted = true;
  return kOk;
}

int EcrModel::reference(std::string_view c) {
  if (c.size() < 7) return kBadLength;
  if (c[4] < 'A' || c[4] > 'Z' || !allDigits(c.substr(5, 2))) return kBadValue;
  if (c.size() > 7 + 32) return kBadLength;
  Document& d = work_.doc;
  if (d.state != DocState::CreditNote || d.reference) return kNotAllowed;
  // The blank part (underscores) is left for the cashier to fill in by hand.
  printTwo(1, "RIF. DOC. " + std::string(c.substr(4, 3)), std::string(c.substr(7)));
  d.reference = true;
  return kOk;
}

int EcrModel::closeFiscal(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  Document& d = work_.doc;
  if (d.state == DocState::Receipt) {
    if ((d.total > 0 && !d.paying) || d.paid < d.total) return kIncompletePayment;
    if (!d.totalLine) printTotal("TOTALE EURO", d.total);
    if (!d.changePrinted) printTwo(1, "RESTO", formatMoney(d.change));
    writeRecord(kReceipt);
  } else if (d.state == DocState::Voided) {
    d.total = 0;
    d.departments.clear();
    d.payments.clear();
    d.change = 0;
    writeRecord(kVoided);
  } else if (d.state == DocState::CreditNote) {
    if (d.pricedLines == 0) return kNotAllowed;
    if (d.paid != d.total) return kIncompletePayment;
    writeRecord(kCreditNote);
  } else {
    return kNotAllowed;
  }
  d.state = DocState::AfterTotal;
  return kOk;
}

int EcrModel::printAndCut(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  switch (work_.doc.state) {
    case DocState::AfterTotal:
      finishDocument();
      return kOk;
    case DocState::Idle:
    case DocState::NonFiscal:
      out_.push_back(PrintLine{kCut, ""});
      return kOk;
    default:
      return kNotAllowed;
  }
}

// ---- non-fiscal documents, invoices, credit notes

int EcrModel::openNonFiscal(std::string_view c) {
  if (c.size() != 5) return kBadLength;
  if (work_.doc.state != DocState::Idle) return kNotAllowed;
  return openDocument(DocState::NonFiscal, kNonFiscal, "DOCUMENTO GESTIONALE");
}

int EcrModel::openInvoice(std::string_view c) {
  if (c.size() < 15) return kBadLength;
  if (c[5] != '0' && c[5] != '1') return kBadValue;
  int64_t amount;
  if (!parseAmount(c.substr(6), amount)) return kBadLength;
  if (amount < 0) return kNegativeTotal;
  if (work_.doc.state != DocState::Idle) return kNotAllowed;
  int rc = openDocument(DocState::Invoice, kInvoice, "FATTURA");
  if (rc != kOk) return rc;
  work_.doc.announced = amount;
  work_.doc.copy = c[5] == '1';
  return kOk;
}

int EcrModel::printHeaderCommand(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  DocState s = work_.doc.state;
  if (s != DocState::NonFiscal && s != DocState::Invoice) return kNotAllowed;
  for (const std::string& l : settings_.header) print(2, center(l, 32));
  return kOk;
}

int EcrModel::nonFiscalLine(std::string_view c) {
  std::string text;
  if (int rc = fontAndText(c, text)) return rc;
  DocState s = work_.doc.state;
  if (s != DocState::NonFiscal && (s != DocState::Invoice || work_.doc.totalLine)) return kNotAllowed;
  print(c[4] - '0', text);
  return kOk;
}

int EcrModel::invoiceTotal(std::string_view c) {
  LabelledAmount total;
  if (int rc = total.parse(c, 5, 32, "TOTALE FATTURA")) return rc;
  Document& d = work_.doc;
  if (d.state != DocState::Invoice || d.totalLine) return kNotAllowed;
  if (total.amount < 0) return kNegativeTotal;
  if (total.amount != d.announced) return kBadValue;
  printTotal(total.label, total.amount);
  d.total = total.amount;
  return kOk;
}

int EcrModel::closeNonFiscal(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  if (work_.doc.state != DocState::NonFiscal) return kNotAllowed;
  writeRecord(kNonFiscal);
  finishDocument();
  return kOk;
}

int EcrModel::closeInvoice(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  Document& d = work_.doc;
  if (d.state != DocState::Invoice) return kNotAllowed;
  if (!d.totalLine) return kIncompletePayment;
  writeRecord(kInvoice);
  std::vector<std::string> lines = d.lines;
  bool copy = d.copy;
  finishDocument();
  if (copy) {
    print(2, center("*** COPIA ***", 32));
    for (const std::string& l : lines) print(l[0] - '0', l.substr(1));
    finishDocument();
  }
  return kOk;
}

int EcrModel::openCreditNote(std::string_view c) {
  if (c.size() != 10) return kBadLength;
  if (!allDigits(c.substr(4))) return kBadValue;
  if (c[4] != '6') return kBadValue;  // 6: credit note; no other special document here
  if (work_.doc.state != DocState::Idle) return kNotAllowed;
  int rc = openDocument(DocState::CreditNote, kCreditNote, "NOTA DI CREDITO");
  if (rc != kOk) return rc;
  int64_t original;
  parseNumber(c.substr(5), original);
  if (original != 0) printTwo(1, "RIF. DOCUMENTO", "N. " + zeroPad(original, 5));
  return kOk;
}

// ---- peripherals

int EcrModel::displayText(std::string_view c) {
  if (c.size() != 44) return kBadLength;
  work_.display1 = std::string(c.substr(4, 20));
  work_.display2 = std::string(c.substr(24, 20));
  return kOk;
}

int EcrModel::drawer(std::string_view c) {
  if (c.size() != 5) return kBadLength;
  if (c[4] != '1') return kBadValue;
  ++work_.drawerOpenings;
  return kOk;
}

// "3021", symbology (1 EAN-13, 2 EAN-8, 3 Code 39), option (0 or 2), "00", "LL", code.
int EcrModel::barcode(std::string_view c) {
  if (c.size() < 10) return kBadLength;
  if (c[4] < '1' || c[4] > '3' || (c[5] != '0' && c[5] != '2') || c.substr(6, 2) != "00") return kBadValue;
  std::string code;
  size_t after;
  int rc = textField(c, 8, 99, code, after);
  if (rc != kOk) return rc;
  if (after != c.size()) return kBadLength;
  bool valid = c[4] == '1' ? eanValid(code, 13) : c[4] == '2' ? eanValid(code, 8) : code39Valid(code);
  if (!valid) return kBadValue;
  DocState s = work_.doc.state;
  if (s == DocState::Voided || s == DocState::CreditNote) return kNotAllowed;
  std::string pattern = bars(code);
  print(1, center(pattern, 32));
  print(1, center(pattern, 32));
  print(1, center(code, 32));
  return kOk;
}

// ---- clock and reports

int EcrModel::setClock(std::string_view c) {
  if (c.size() != 14) return kBadLength;
  if (!allDigits(c.substr(4))) return kBadValue;
  CivilTime t;
  int64_t hour = 0, minute = 0;
  parseNumber(c.substr(10, 2), hour);
  parseNumber(c.substr(12, 2), minute);
  if (!parseDdmmyy(c.substr(4, 6), t)) return kBadDate;
  t.hour = int(hour);
  t.minute = int(minute);
  if (!validCivil(t)) return kBadDate;
  if (work_.doc.state != DocState::Idle) return kNotAllowed;
  if (!fiscal_.empty()) {
    CivilTime last;
    int64_t lh = 0, lm = 0;
    const FiscalRecord& f = fiscal_.back();
    if (parseDdmmyy(f.date, last) && f.time.size() == 4 && parseNumber(f.time.substr(0, 2), lh) &&
        parseNumber(f.time.substr(2, 2), lm)) {
      last.hour = int(lh);
      last.minute = int(lm);
      if (fromCivil(t) < fromCivil(last)) return kDateBeforeFiscalMemory;
    }
  }
  // The day of the documents not yet closed by a Z cannot change.
  int rc = dayMustMatch(ddmmyy(t));
  if (rc != kOk) return rc;
  int64_t base = clock_();
  work_.clockOffset = fromCivil(t) - (base - base % 60);
  return kOk;
}

void EcrModel::printTotals(const DayTotals& t) {
  for (auto& [d, v] : t.departments) printTwo(1, "REPARTO " + zeroPad(d, 2), formatMoney(v));
  print(1, kRule);
  for (auto& [p, v] : t.payments) printTwo(1, p, formatMoney(v));
  print(1, kRule);
  printTwo(1, "DOC. COMMERCIALI", std::to_string(t.receipts));
  printTwo(1, "DOC. ANNULLATI", std::to_string(t.voided));
  printTwo(1, "DOC. GESTIONALI", std::to_string(t.nonFiscal));
  printTwo(1, "FATTURE (" + std::to_string(t.invoiceCount) + ")", formatMoney(t.invoices));
  printTwo(1, "NOTE DI CREDITO (" + std::to_string(t.creditNoteCount) + ")", formatMoney(t.creditNotes));
  printTwo(2, "TOTALE GIORNALIERO", formatMoney(t.total));
}

int EcrModel::zReport(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  if (work_.doc.state != DocState::Idle) return kNotAllowed;
  if (faultConfig_.journalFull) return kJournalFull;
  if (int64_t(fiscal_.size()) >= settings_.fiscalCapacity) return kFiscalMemoryFull;
  DayTotals t = dayTotals();
  CivilTime now_ = toCivil(now());
  FiscalRecord f;
  f.z = currentZ();
  f.date = ddmmyy(now_);
  f.time = hhmm(now_);
  f.total = t.total;
  f.receipts = t.receipts;
  f.voided = t.voided;
  f.invoices = t.invoices;
  f.creditNotes = t.creditNotes;
  f.grandTotal = (fiscal_.empty() ? 0 : fiscal_.back().grandTotal) + t.total;
  f.departments = t.departments;
  f.payments = t.payments;
  // The report is a document of its own in the journal.
  work_.doc = Document{};
  work_.doc.state = DocState::NonFiscal;
  work_.doc.number = f.z;
  printHeader("CHIUSURA GIORNALIERA", "Z N. " + zeroPad(f.z, 4));
  printTotals(t);
  printTwo(2, "GRAN TOTALE", formatMoney(f.grandTotal));
  work_.counters.receipt = 0;
  work_.counters.nonFiscal = 0;
  std::string fiscalLine = encodeFiscal(f);
  writeRecord(kClosing);
  newRecords_.back().total = t.total;
  newRecords_.back().fiscal = fiscalLine.substr(0, fiscalLine.size() - 1);
  newFiscal_.push_back(f);
  finishDocument();
  return kOk;
}

int EcrModel::xReport(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  if (work_.doc.state != DocState::Idle) return kNotAllowed;
  printHeader("LETTURA GIORNALIERA", "X N. " + zeroPad(currentZ(), 4));
  printTotals(dayTotals());
  finishDocument();
  return kOk;
}

int EcrModel::reprint(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  if (work_.doc.state != DocState::Idle) return kNotAllowed;
  const JournalRecord* last = nullptr;
  for (const JournalRecord& r : journal_)
    if (r.kind == kReceipt) last = &r;
  if (!last) return kJournalRecordMissing;
  print(2, center("*** COPIA ***", 32));
  for (const std::string& l : last->lines)
    if (!l.empty()) print(l[0] - '0', l.substr(1));
  print(2, center("*** COPIA ***", 32));
  finishDocument();
  return kOk;
}

int EcrModel::printJournal(const std::vector<const JournalRecord*>& records, const std::string& title) {
  if (work_.doc.state != DocState::Idle) return kNotAllowed;
  if (records.empty()) return kJournalNothingInRange;
  printHeader(title, "DGFE N. " + zeroPad(work_.counters.journalNo, 4));
  for (const JournalRecord* r : records) {
    printTwo(3, "REC. " + zeroPad(r->recno, 6) + " " + r->kind + " " + zeroPad(r->number, 4),
             r->date.substr(0, 2) + "-" + r->date.substr(2, 2) + "-" + r->date.substr(4, 2) + " " +
                 r->time.substr(0, 2) + ":" + r->time.substr(2, 2));
    for (const std::string& l : r->lines)
      if (!l.empty()) print(l[0] - '0', l.substr(1));
  }
  finishDocument();
  return kOk;
}

int EcrModel::journalByDates(std::string_view c) {
  if (c.size() != 17) return kBadLength;
  if (!allDigits(c.substr(4))) return kBadValue;
  CivilTime from, to;
  if (!parseDdmmyy(c.substr(4, 6), from) || !parseDdmmyy(c.substr(10, 6), to)) return kBadDate;
  if (c[16] != '0') return kBadValue;
  if (dayKey(from) > dayKey(to)) return kBadDateRange;
  std::vector<const JournalRecord*> found;
  for (const JournalRecord& r : journal_) {
    CivilTime d;
    if (parseDdmmyy(r.date, d) && dayKey(d) >= dayKey(from) && dayKey(d) <= dayKey(to)) found.push_back(&r);
  }
  return printJournal(found, "STAMPA DGFE PER DATA");
}

int EcrModel::journalByReceipts(std::string_view c) {
  if (c.size() != 19) return kBadLength;
  if (!allDigits(c.substr(4))) return kBadValue;
  CivilTime day;
  if (!parseDdmmyy(c.substr(4, 6), day)) return kBadDate;
  int64_t first, last;
  parseNumber(c.substr(10, 4), first);
  parseNumber(c.substr(14, 4), last);
  if (c[18] != '0' || first == 0 || last == 0 || first > last) return kBadValue;
  std::vector<const JournalRecord*> found;
  for (const JournalRecord& r : journal_)
    if ((r.kind == kReceipt || r.kind == kVoided) && r.date == c.substr(4, 6) && r.number >= first &&
        r.number <= last)
      found.push_back(&r);
  return printJournal(found, "STAMPA DGFE PER NUMERO");
}

int EcrModel::journalByClosings(std::string_view c) {
  if (c.size() != 16) return kBadLength;
  if (!allDigits(c.substr(4))) return kBadValue;
  int64_t first, last;
  parseNumber(c.substr(4, 4), first);
  parseNumber(c.substr(8, 4), last);
  if (c.substr(12) != "0000" || first == 0 || last == 0 || first > last) return kBadValue;
  std::vector<const JournalRecord*> found;
  for (const JournalRecord& r : journal_)
    if (r.z >= first && r.z <= last) found.push_back(&r);
  return printJournal(found, "STAMPA DGFE PER CHIUSURE");
}

int EcrModel::journalRecord(std::string_view c) {
  if (c.size() != 13) return kBadLength;
  int64_t recno;
  if (!parseNumber(c.substr(4), recno) || recno == 0) return kBadValue;
  for (const JournalRecord& r : journal_)
    if (r.recno == recno) return printJournal({&r}, "STAMPA RECORD DGFE");
  return work_.doc.state != DocState::Idle ? kNotAllowed : kJournalRecordMissing;
}

int EcrModel::journalAll(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  std::vector<const JournalRecord*> all;
  for (const JournalRecord& r : journal_) all.push_back(&r);
  return printJournal(all, "STAMPA DGFE INTEGRALE");
}

// A new journal only right after a daily closing, so that no day is split
// across two journals.
int EcrModel::newJournal(std::string_view c) {
  if (c.size() != 4) return kBadLength;
  if (work_.doc.state != DocState::Idle) return kNotAllowed;
  for (const JournalRecord& r : journal_)
    if (r.z == currentZ()) return kClosingRequired;
  ++work_.counters.journalNo;
  work_.counters.record = 0;
  archiveJournal_ = true;
  printHeader("NUOVO DGFE", "DGFE N. " + zeroPad(work_.counters.journalNo, 4));
  finishDocument();
  return kOk;
}

}  // namespace merid::sim
