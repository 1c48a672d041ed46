#pragma once
// Numbers and dates as text, the way the system's Italian regional settings
// write them (decimal comma, dot grouping), whatever the machine's locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "merid/host.h"
#include "platform/platform.h"

namespace merid {

// A numeric text: blanks around it, a sign, digits with at most one decimal
// separator (comma or point) and an exponent are accepted.
bool isNumeric(std::string_view text);
// The value of a numeric text; throws RuntimeFailure "Type mismatch" when the
// text is not numeric and "Overflow" when it is beyond a double.
double textToDouble(std::string_view text);

// Rounded to the nearest integer, halves to even; throws "Overflow" when the
// result does not fit (NaN included).
int32_t toInt32(double value);
int16_t toInt16(double value);

// The shortest text of at most 15 significant digits that reads back as the
// same double, with a decimal comma ("2,5", "1E+15", "-0,001").
std::string doubleText(double value);

// Formats with a numeric pattern: "00", "0000", "000000000", "0000000.00",
// "###,##0.000" ('0' a mandatory digit, '#' an optional one, '.' the decimal
// point and ',' grouping, written as ',' and '.' in the Italian way). Rounds
// half away from zero on the decimal text of the value; throws "Overflow" for
// NaN and infinities.
std::string formatNumber(double value, std::string_view pattern);

// Dates with the tokens dd, mm (minutes right after hh), yy, yyyy, hh, nn, ss.
std::string formatDate(const platform::DateTime& when, std::string_view pattern);

// Automation dates: days since 30 December 1899, the time as the fraction.
// fromAutomationDate throws "Overflow" outside the years 100 to 9999.
double toAutomationDate(const platform::DateTime& when);
platform::DateTime fromAutomationDate(double date);

}  // namespace merid
