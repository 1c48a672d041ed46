#include "journal.h"

#include "sim_text.h"

namespace merid::sim {

namespace {

std::string num(int64_t v) {
  return std::to_string(v);
}

bool toNum(std::string_view s, int64_t& v) {
  bool negative = !s.empty() && s[0] == '-';
  if (negative) s.remove_prefix(1);
  if (!parseNumber(s, v)) return false;
  if (negative) v = -v;
  return true;
}

std::string encodeDepartments(const std::map<int64_t, int64_t>& m) {
  std::string out;
  for (auto& [k, v] : m) out += (out.empty() ? "" : ";") + num(k) + ":" + num(v);
  return out;
}

bool decodeDepartments(std::string_view s, std::map<int64_t, int64_t>& m) {
  if (s.empty()) return true;
  for (auto item : split(s, ';')) {
    auto kv = split(item, ':');
    int64_t k, v;
    if (kv.size() != 2 || !toNum(kv[0], k) || !toNum(kv[1], v)) return false;
    m[k] = v;
  }
  return true;
}

std::string encodePayments(const std::map<std::string, int64_t>& m) {
  std::string out;
  for (auto& [k, v] : m) out += (out.empty() ? "" : ";") + escapeField(k) + ":" + num(v);
  return out;
}

bool decodePayments(std::string_view s, std::map<std::string, int64_t>& m) {
  if (s.empty()) return true;
  for (auto item : split(s, ';')) {
    auto kv = split(item, ':');
    std::string k;
    int64_t v;
    if (kv.size() != 2 || !unescapeField(kv[0], k) || !toNum(kv[1], v)) return false;
    m[k] = v;
  }
  return true;
}

std::string seal(const std::string& body) {
  return body + "|#" + hex8(checksum(body)) + "\n";
}

// Splits a sealed line into its fields after checking the checksum.
bool unseal(const std::string& line, std::vector<std::string_view>& fields) {
  size_t at = line.rfind("|#");
  if (at == std::string::npos || line.size() - at != 10) return false;
  std::string_view body(line.data(), at);
  if (hex8(checksum(body)) != line.substr(at + 2)) return false;
  fields = split(body, '|');
  return true;
}

}  // namespace

std::string encodeRecord(const JournalRecord& r) {
  const Counters& c = r.counters;
  std::string body = "J|" + num(r.recno) + "|" + escapeField(r.date) + "|" + escapeField(r.time) + "|" +
                     num(r.z) + "|" + escapeField(r.kind) + "|" + num(r.number) + "|" + num(r.total) + "|" +
                     num(r.change) + "|" + encodeDepartments(r.departments) + "|" +
                     encodePayments(r.payments) + "|" + num(c.record) + "," + num(c.receipt) + "," +
                     num(c.nonFiscal) + "," + num(c.invoice) + "," + num(c.creditNote) + "," +
                     num(c.journalNo) + "|" + escapeField(r.fiscal);
  for (auto& l : r.lines) body += "|" + escapeField(l);
  return seal(body);
}

bool decodeRecord(const std::string& line, JournalRecord& r) {
  std::vector<std::string_view> f;
  if (!unseal(line, f) || f.size() < 13 || f[0] != "J") return false;
  r = JournalRecord{};
  auto c = split(f[11], ',');
  if (!toNum(f[1], r.recno) || !unescapeField(f[2], r.date) || !unescapeField(f[3], r.time) ||
      !toNum(f[4], r.z) || !unescapeField(f[5], r.kind) || !toNum(f[6], r.number) || !toNum(f[7], r.total) ||
      !toNum(f[8], r.change) || !decodeDepartments(f[9], r.departments) ||
      !decodePayments(f[10], r.payments) || c.size() != 6 || !toNum(c[0], r.counters.record) ||
      !toNum(c[1], r.counters.receipt) || !toNum(c[2], r.counters.nonFiscal) ||
      !toNum(c[3], r.counters.invoice) || !toNum(c[4], r.counters.creditNote) ||
      !toNum(c[5], r.counters.journalNo) || !unescapeField(f[12], r.fiscal))
    return false;
  for (size_t i = 13; i < f.size(); ++i) {
    std::string l;
    if (!unescapeField(f[i], l)) return false;
    r.lines.push_back(std::move(l));
  }
  // Only the bytes the printer itself writes: a field it would have escaped
  // differently is not one of its records.
  return encodeRecord(r) == line + "\n";
}

std::string encodeFiscal(const FiscalRecord& r) {
  std::string body = "F|" + num(r.z) + "|" + escapeField(r.date) + "|" + escapeField(r.time) + "|" +
                     num(r.total) + "|" + num(r.receipts) + "|" + num(r.voided) + "|" + num(r.invoices) +
                     "|" + num(r.creditNotes) + "|" + num(r.grandTotal) + "|" +
                     encodeDepartments(r.departments) + "|" + encodePayments(r.payments);
  return seal(body);
}

bool decodeFiscal(const std::string& line, FiscalRecord& r) {
  std::vector<std::string_view> f;
  if (!unseal(line, f) || f.size() != 12 || f[0] != "F") return false;
  r = FiscalRecord{};
  return toNum(f[1], r.z) && unescapeField(f[2], r.date) && unescapeField(f[3], r.time) &&
         toNum(f[4], r.total) && toNum(f[5], r.receipts) && toNum(f[6], r.voided) &&
         toNum(f[7], r.invoices) && toNum(f[8], r.creditNotes) && toNum(f[9], r.grandTotal) &&
         decodeDepartments(f[10], r.departments) && decodePayments(f[11], r.payments) &&
         encodeFiscal(r) == line + "\n";
}

}  // namespace merid::sim
