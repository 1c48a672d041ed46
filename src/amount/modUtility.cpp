#include "amount/modUtility.h"

#include "logging/logging.h"
#include "config/modIni.h"
#include "text/number_text.h"
#include "platform/failure.h"

namespace merid {

namespace {

struct UtilityModule {
  int32_t euroCode = 0;
};

UtilityModule& module() {
  thread_local UtilityModule m;
  return m;
}

std::string withoutCommas(std::string s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (c != ',') out += c;
  return out;
}

}  // namespace

std::string FormatPrzMerid(const std::string& amountText) {
  return failureBoundary<std::string>("modUtility", "FormatPrzMerid", "", [&]() -> std::string {
    return withoutCommas(formatNumber(textToDouble(amountText), "0000000.00"));
  });
}

std::string amountField(double amount) {
  return FormatPrzMerid(doubleText(amount));
}

std::string AllineaDestra(std::string& text, int16_t width) {
  const std::size_t w = width < 0 ? 0 : static_cast<std::size_t>(width);
  if (width < 0) throw RuntimeFailure("Invalid procedure call or argument");
  text = text.size() <= w ? std::string(w - text.size(), ' ') + text : text.substr(0, w);
  return text;
}

std::string getEurSymbolForECR() {
  return failureBoundary<std::string>("modUtility", "getEurSymbolForECR", "", [&]() -> std::string {
    UtilityModule& m = module();
    if (m.euroCode == 0) {
      const std::string text = ReadINI(displayIni(), "EuroAsciiCode", "value", "");
      m.euroCode = isNumeric(text) ? toInt32(textToDouble(text)) : 127;
    }
    if (m.euroCode < 0 || m.euroCode > 255) throw RuntimeFailure("Invalid procedure call or argument");
    return std::string(1, static_cast<char>(static_cast<unsigned char>(m.euroCode)));
  });
}

}  // namespace merid
