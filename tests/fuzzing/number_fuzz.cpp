// Number text reads the same through its own text; amounts in cents come back digit for digit.
//
// Input: any text; its last eight bytes also give a double and an amount in cents.

#include <cmath>
#include <cstring>
#include <string>

#include "amount/modUtility.h"
#include "fuzz_support.h"
#include "platform/failure.h"
#include "text/number_text.h"

namespace {

using merid::RuntimeFailure;

// The failure text of a conversion, or empty when it succeeds.
template <class F>
std::string failureOf(F&& f) {
  try {
    f();
    return "";
  } catch (const RuntimeFailure& e) {
    return e.what();
  }
}

void roundTrip(double v) {
  if (!std::isfinite(v)) {
    FUZZ_CHECK(!merid::isNumeric(merid::doubleText(v)));
    FUZZ_CHECK(failureOf([&] { merid::formatNumber(v, "0.00"); }) == "Overflow");
    return;
  }
  const std::string text = merid::doubleText(v);
  FUZZ_CHECK(merid::isNumeric(text));
  double back = 0;
  // Rounded to 15 digits, the largest doubles go beyond the largest double.
  const std::string failure = failureOf([&] { back = merid::textToDouble(text); });
  if (!failure.empty()) {
    FUZZ_CHECK(failure == "Overflow" && std::fabs(v) > 1.7976931348623e308);
    return;
  }
  FUZZ_CHECK(merid::doubleText(back) == text);
  char fifteen[64];  // a value that 15 digits give back exactly comes back exactly
  std::snprintf(fifteen, sizeof fifteen, "%.15g", v);
  FUZZ_CHECK(std::strtod(fifteen, nullptr) != v || back == v);

  if (std::fabs(v) < 1e15) {
    const double twoPlaces = merid::textToDouble(merid::formatNumber(v, "0.00"));
    FUZZ_CHECK(std::fabs(twoPlaces - v) <= 0.005 + std::fabs(v) * 1e-14);
    FUZZ_CHECK(merid::textToDouble(merid::formatNumber(v, "###,##0.000")) ==
               merid::textToDouble(merid::formatNumber(v, "0.000")));
  }
  const std::string field = merid::FormatPrzMerid(text);
  const size_t sign = field.rfind('-', 0) == 0 ? 1 : 0;
  FUZZ_CHECK(field.size() >= 9 + sign);
  FUZZ_CHECK(field.find_first_not_of("0123456789", sign) == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(fuzzing::asText(data, size));
  const bool numeric = merid::isNumeric(text);
  double value = 0;
  const std::string failure = failureOf([&] { value = merid::textToDouble(text); });
  FUZZ_CHECK(numeric ? failure.empty() || failure == "Overflow" : failure == "Type mismatch");
  if (failure.empty()) roundTrip(value);

  if (size < 8) return 0;
  double raw;
  std::memcpy(&raw, data + size - 8, sizeof raw);
  roundTrip(raw);
  // An amount of at most nine digits of cents gives exactly those digits.
  int64_t cents;
  std::memcpy(&cents, data + size - 8, sizeof cents);
  cents %= 1000000000;
  char expected[32];
  std::snprintf(expected, sizeof expected, "%s%09lld", cents < 0 ? "-" : "",
                static_cast<long long>(std::llabs(cents)));
  FUZZ_CHECK(merid::FormatPrzMerid(merid::doubleText(double(cents) / 100.0)) == expected);
  return 0;
}
