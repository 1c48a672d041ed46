#include "text/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/failure.h"

namespace merid {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The text in the C form ("-12.5e3") when it is numeric. The decimal
// separator is a comma, or a lone point; points before a comma, or several
// points, group thousands the Italian way ("1.234,50", "1.234.567").
std::optional<std::string> normalise(std::string_view t) {
  while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
  std::string out;
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    if (t[i] == '-') out += '-';
    ++i;
  }
  const std::string_view mantissa = t.substr(i, t.find_first_of("eE", i) - i);
  const bool hasComma = mantissa.find(',') != std::string_view::npos;
  const std::size_t points = static_cast<std::size_t>(std::count(mantissa.begin(), mantissa.end(), '.'));
  const bool pointsGroup = hasComma || points > 1;
  std::size_t digits = 0, groupDigits = 0;
  bool decimal = false, grouped = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (isDigit(c)) {
      out += c;
      ++digits;
      ++groupDigits;
    } else if (c == '.' && pointsGroup && !decimal) {
      // A group of thousands: after 1 to 3 digits first, then exactly 3.
      if (groupDigits == 0 || groupDigits > 3 || (grouped && groupDigits != 3)) return std::nullopt;
      grouped = true;
      groupDigits = 0;
    } else if ((c == ',' || c == '.') && !decimal) {
      if (grouped && groupDigits != 3) return std::nullopt;
      decimal = true;
      out += '.';
    } else {
      break;
    }
  }
  if (digits == 0 || (grouped && !decimal && groupDigits != 3)) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    out += 'e';
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) out += t[i++];
    std::size_t expDigits = 0;
    for (; i < t.size() && isDigit(t[i]); ++i, ++expDigits) out += t[i];
    if (expDigits == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  return out;
}

// A double's decimal digits and the power of ten of the first one.
struct Digits {
  bool negative = false;
  std::string digits;  // no leading zeros; empty for zero
  int exponent = 0;    // value = 0.d1d2d3... * 10^exponent
};

Digits digitsOf(double value) {
  Digits d;
  d.negative = std::signbit(value);
  value = std::fabs(value);
  if (value == 0) return d;
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
  std::string mantissa;
  auto e = s.find('e');
  for (char c : s.substr(0, e))
    if (isDigit(c)) mantissa += c;
  int exp = std::atoi(std::string(s.substr(e + 1)).c_str());
  if (mantissa.size() > 15) {
    // No text of 15 significant digits reads back: round to 15, as the
    // system's conversion does.
    std::snprintf(buf, sizeof buf, "%.14e", value);
    s = buf;
    mantissa.clear();
    e = s.find('e');
    for (char c : s.substr(0, e))
      if (isDigit(c)) mantissa += c;
    exp = std::atoi(std::string(s.substr(e + 1)).c_str());
  }
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  d.digits = mantissa;
  d.exponent = exp + 1;
  return d;
}

void checkFinite(double value) {
  if (!std::isfinite(value)) throw RuntimeFailure("Overflow");
}

// Adds one unit in the last place of a string of digits; may grow it.
void increment(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

std::string two(int n) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", n);
  return b;
}

int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kEpochDays = daysFromCivil(1899, 12, 30);

}  // namespace

bool isNumeric(std::string_view text) {
  return normalise(text).has_value();
}

double textToDouble(std::string_view text) {
  auto n = normalise(text);
  if (!n) throw RuntimeFailure("Type mismatch");
  double v = 0;
  auto res = std::from_chars(n->data(), n->data() + n->size(), v);
  if (res.ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; only a value too large is an overflow.
    auto e = n->find('e');
    if (e != std::string::npos && (*n)[e + 1] == '-') return 0.0;
    throw RuntimeFailure("Overflow");
  }
  if (res.ec != std::errc()) throw RuntimeFailure("Type mismatch");
  return v;
}

int32_t toInt32(double value) {
  if (!std::isfinite(value)) throw RuntimeFailure("Overflow");
  double fl = std::floor(value);
  double diff = value - fl;
  double r = diff > 0.5 ? fl + 1 : diff < 0.5 ? fl : (std::fmod(fl, 2.0) == 0 ? fl : fl + 1);
  if (r < -2147483648.0 || r > 2147483647.0) throw RuntimeFailure("Overflow");
  return static_cast<int32_t>(r);
}

int16_t toInt16(double value) {
  int32_t v = toInt32(value);
  if (v < -32768 || v > 32767) throw RuntimeFailure("Overflow");
  return static_cast<int16_t>(v);
}

std::string doubleText(double value) {
  if (std::isnan(value)) return "1,#QNAN";
  if (std::isinf(value)) return value > 0 ? "1,#INF" : "-1,#INF";
  Digits d = digitsOf(value);
  if (d.digits.empty()) return "0";
  std::string out = d.negative ? "-" : "";
  const int exp10 = d.exponent - 1;  // scientific exponent
  if (exp10 >= 15 || exp10 < -4) {
    out += d.digits.substr(0, 1);
    if (d.digits.size() > 1) out += "," + d.digits.substr(1);
    out += exp10 < 0 ? "E-" : "E+";
    out += two(exp10 < 0 ? -exp10 : exp10);
    return out;
  }
  if (d.exponent <= 0) return out + "0," + std::string(static_cast<std::size_t>(-d.exponent), '0') + d.digits;
  const auto intLen = static_cast<std::size_t>(d.exponent);
  if (d.digits.size() <= intLen) return out + d.digits + std::string(intLen - d.digits.size(), '0');
  return out + d.digits.substr(0, intLen) + "," + d.digits.substr(intLen);
}

std::string formatNumber(double value, std::string_view pattern) {
  checkFinite(value);
  auto point = pattern.find('.');
  std::string_view intPattern = pattern.substr(0, point);
  std::size_t decimals = point == std::string_view::npos ? 0 : pattern.size() - point - 1;
  std::size_t minInt = 0;
  for (char c : intPattern) minInt += c == '0';
  const bool grouping = intPattern.find(',') != std::string_view::npos;

  Digits d = digitsOf(value);
  std::string whole, frac;
  if (d.exponent <= 0) {
    frac = std::string(static_cast<std::size_t>(-d.exponent), '0') + d.digits;
  } else if (d.digits.size() <= static_cast<std::size_t>(d.exponent)) {
    whole = d.digits + std::string(static_cast<std::size_t>(d.exponent) - d.digits.size(), '0');
  } else {
    whole = d.digits.substr(0, static_cast<std::size_t>(d.exponent));
    frac = d.digits.substr(static_cast<std::size_t>(d.exponent));
  }
  if (frac.size() > decimals) {
    const bool up = frac[decimals] >= '5';
    frac.resize(decimals);
    if (up) {
      std::string all = whole + frac;
      const std::size_t before = all.size();
      increment(all);
      whole = all.substr(0, whole.size() + (all.size() - before));
      frac = all.substr(whole.size());
    }
  }
  frac.resize(decimals, '0');
  std::size_t lead = whole.find_first_not_of('0');
  whole = lead == std::string::npos ? "" : whole.substr(lead);
  if (whole.size() < minInt) whole.insert(0, minInt - whole.size(), '0');
  if (grouping)
    for (std::size_t i = whole.size(); i > 3; i -= 3) whole.insert(i - 3, 1, '.');
  const bool zero = (whole + frac).find_first_not_of("0.") == std::string::npos;
  std::string out = d.negative && !zero ? "-" : "";
  out += whole;
  if (decimals > 0) out += "," + frac;
  return out;
}

std::string formatDate(const platform::DateTime& t, std::string_view pattern) {
  std::string out;
  bool afterHour = false;
  std::size_t i = 0;
  while (i < pattern.size()) {
    auto take = [&](std::string_view token) {
      if (pattern.substr(i, token.size()) != token) return false;
      i += token.size();
      return true;
    };
    if (take("yyyy")) {
      char b[16];
      std::snprintf(b, sizeof b, "%04d", t.year);
      out += b;
      afterHour = false;
    } else if (take("yy")) {
      out += two(t.year % 100);
      afterHour = false;
    } else if (take("dd")) {
      out += two(t.day);
      afterHour = false;
    } else if (take("mm")) {
      out += two(afterHour ? t.minute : t.month);
      afterHour = false;
    } else if (take("hh")) {
      out += two(t.hour);
      afterHour = true;
    } else if (take("nn")) {
      out += two(t.minute);
      afterHour = false;
    } else if (take("ss")) {
      out += two(t.second);
      afterHour = false;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

double toAutomationDate(const platform::DateTime& t) {
  const double days = static_cast<double>(
      daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) - kEpochDays);
  const double time = (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0;
  // Before the epoch the time still counts forward from midnight.
  return days >= 0 ? days + time : days - time;
}

std::optional<double> automationDate(const DateTime& t) {
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  if (t.year < 100 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > kDays[t.month - 1] || (t.month == 2 && t.day == 29 && !leap) || t.hour < 0 || t.hour > 23 ||
      t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
    return std::nullopt;
  return toAutomationDate(t);
}

platform::DateTime fromAutomationDate(double date) {
  if (!std::isfinite(date) || date < -657434.0 || date >= 2958466.0) throw RuntimeFailure("Overflow");
  double whole = std::trunc(date);
  double seconds = std::round(std::fabs(date - whole) * 86400.0);
  if (seconds >= 86400.0) {
    seconds -= 86400.0;
    whole += date < 0 ? -1 : 1;
  }
  platform::DateTime t;
  civilFromDays(static_cast<int64_t>(whole) + kEpochDays, t.year, t.month, t.day);
  const int s = static_cast<int>(seconds);
  t.hour = s / 3600;
  t.minute = s / 60 % 60;
  t.second = s % 60;
  return t;
}

}  // namespace merid
