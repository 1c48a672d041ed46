#include "sim_text.h"

#include <cstdio>
#include <ctime>

namespace merid::sim {

std::string formatMoney(int64_t cents) {
  bool negative = cents < 0;
  uint64_t v = negative ? uint64_t(0) - uint64_t(cents) : uint64_t(cents);
  std::string units = std::to_string(v / 100);
  std::string grouped;
  for (size_t i = 0; i < units.size(); ++i) {
    if (i > 0 && (units.size() - i) % 3 == 0) grouped += '.';
    grouped += units[i];
  }
  char dec[4];
  std::snprintf(dec, sizeof dec, "%02u", unsigned(v % 100));
  return (negative ? "-" : "") + grouped + "," + dec;
}

bool allDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool parseNumber(std::string_view s, int64_t& value) {
  if (s.empty() || s.size() > 15 || !allDigits(s)) return false;
  value = 0;
  for (char c : s) value = value * 10 + (c - '0');
  return true;
}

bool parseAmount(std::string_view s, int64_t& cents) {
  bool negative = !s.empty() && s[0] == '-';
  if (negative) s.remove_prefix(1);
  if (s.size() < 9 || s.size() > 12 || !parseNumber(s, cents)) return false;
  if (negative) cents = -cents;
  return true;
}

std::string escapeField(std::string_view s) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (unsigned char c : s) {
    if (c < 0x20 || c == 0x7f || c == '%' || c == '|' || c == ':' || c == ';' || c == ',' || c == '=') {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += char(c);
    }
  }
  return out;
}

static int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool unescapeField(std::string_view s, std::string& out) {
  out.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    if (i + 2 >= s.size()) return false;
    int hi = hexValue(s[i + 1]), lo = hexValue(s[i + 2]);
    if (hi < 0 || lo < 0) return false;
    out += char(hi * 16 + lo);
    i += 2;
  }
  return true;
}

uint32_t checksum(std::string_view s) {
  uint32_t h = 2166136261u;
  for (unsigned char c : s) {
    h ^= c;
    h *= 16777619u;
  }
  return h;
}

std::string hex8(uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", unsigned(v));
  return buf;
}

std::vector<std::string_view> split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t at = s.find(sep, start);
    if (at == std::string_view::npos) {
      parts.push_back(s.substr(start));
      return parts;
    }
    parts.push_back(s.substr(start, at - start));
    start = at + 1;
  }
}

std::string padRight(std::string_view s, size_t width) {
  std::string out(s.substr(0, width));
  out.resize(width, ' ');
  return out;
}

std::string center(std::string_view s, size_t width) {
  if (s.size() >= width) return std::string(s.substr(0, width));
  return std::string((width - s.size()) / 2, ' ') + std::string(s);
}

std::string twoColumns(std::string_view left, std::string_view right, size_t width) {
  if (right.size() >= width) return std::string(right.substr(right.size() - width));
  size_t room = width - right.size() - 1;
  std::string out(left.substr(0, room));
  out.resize(width - right.size(), ' ');
  out += right;
  return out;
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
static int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilTime toCivil(int64_t wallSeconds) {
  int64_t days = wallSeconds / 86400, secs = wallSeconds % 86400;
  if (secs < 0) secs += 86400, --days;
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = int(doy - (153 * mp + 2) / 5 + 1);
  const int month = int(mp < 10 ? mp + 3 : mp - 9);
  const int year = int(yoe + era * 400 + (month <= 2));
  return CivilTime{year, month, day, int(secs / 3600), int(secs / 60 % 60)};
}

int64_t fromCivil(const CivilTime& c) {
  return daysFromCivil(c.year, c.month, c.day) * 86400 + int64_t(c.hour) * 3600 + int64_t(c.minute) * 60;
}

bool validCivil(const CivilTime& c) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (c.month < 1 || c.month > 12 || c.day < 1 || c.hour < 0 || c.hour > 23 || c.minute < 0 || c.minute > 59)
    return false;
  bool leap = (c.year % 4 == 0 && c.year % 100 != 0) || c.year % 400 == 0;
  int limit = days[c.month - 1] + (c.month == 2 && leap ? 1 : 0);
  return c.day <= limit;
}

static std::string two(int v) {
  char buf[12];
  std::snprintf(buf, sizeof buf, "%02d", v % 100);
  return buf;
}

std::string ddmmyy(const CivilTime& t) {
  return two(t.day) + two(t.month) + two(t.year);
}
std::string hhmm(const CivilTime& t) {
  return two(t.hour) + two(t.minute);
}

bool parseDdmmyy(std::string_view s, CivilTime& t) {
  int64_t d, m, y;
  if (s.size() != 6 || !parseNumber(s.substr(0, 2), d) || !parseNumber(s.substr(2, 2), m) ||
      !parseNumber(s.substr(4, 2), y))
    return false;
  t = CivilTime{int(2000 + y), int(m), int(d), 0, 0};
  return validCivil(t);
}

int dayKey(const CivilTime& t) {
  return t.year * 10000 + t.month * 100 + t.day;
}

std::string printedDate(const CivilTime& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%04d %02d:%02d", t.day, t.month, t.year, t.hour, t.minute);
  return buf;
}

}  // namespace merid::sim
