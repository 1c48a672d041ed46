// Small text helpers of the virtual printer: money, escaping, dates, padding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace merid::sim {

// Money is kept in integer cents; printed the Italian way ("1.234,50").
std::string formatMoney(int64_t cents);

bool allDigits(std::string_view s);
// A field of exactly `s.size()` digits as a number; false when not digits.
bool parseNumber(std::string_view s, int64_t& value);
// An amount field: an optional '-' then 9 to 12 digits of cents.
bool parseAmount(std::string_view s, int64_t& cents);

// Escapes bytes that would break a one-line record ('%', '|', ':', ';', ',', '=',
// control characters) as %XX; unescape reverses it and fails on a bad escape.
std::string escapeField(std::string_view s);
bool unescapeField(std::string_view s, std::string& out);

uint32_t checksum(std::string_view s);
std::string hex8(uint32_t v);

std::vector<std::string_view> split(std::string_view s, char sep);

std::string padRight(std::string_view s, size_t width);
std::string center(std::string_view s, size_t width);
// Left text and right text on one line of `width`; the left one is cut to make room.
std::string twoColumns(std::string_view left, std::string_view right, size_t width);

// Wall-clock seconds: civil local time counted as if it were UTC, so that date
// arithmetic needs no time zone.
struct CivilTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0;
};
CivilTime toCivil(int64_t wallSeconds);
int64_t fromCivil(const CivilTime& t);
bool validCivil(const CivilTime& t);
std::string ddmmyy(const CivilTime& t);
std::string hhmm(const CivilTime& t);
// "ddmmyy" into a civil date (years 2000-2099); false when not a valid date.
bool parseDdmmyy(std::string_view s, CivilTime& t);
// A sortable day key yyyymmdd.
int dayKey(const CivilTime& t);
std::string printedDate(const CivilTime& t);  // "04-12-2026 15:42"

}  // namespace merid::sim
