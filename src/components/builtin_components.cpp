// The built-in TextFilter and NumberFormatter.

#include <chrono>
#include <cmath>
#include <thread>

#include "text/number_text.h"
#include "components/components.h"

namespace merid::components {

namespace {

// Windows-1252 accented vowels the printer cannot print: the plain letter
// followed by an apostrophe, as Italian is typed without accents.
const char* accentReplacement(unsigned char c) {
  switch (c) {
    case 0xE0:
    case 0xE1:
    case 0xE2:
    case 0xE4:
      return "a'";
    case 0xE8:
    case 0xE9:
    case 0xEA:
    case 0xEB:
      return "e'";
    case 0xEC:
    case 0xED:
    case 0xEE:
    case 0xEF:
      return "i'";
    case 0xF2:
    case 0xF3:
    case 0xF4:
    case 0xF6:
      return "o'";
    case 0xF9:
    case 0xFA:
    case 0xFB:
    case 0xFC:
      return "u'";
    case 0xC0:
    case 0xC1:
    case 0xC2:
    case 0xC4:
      return "A'";
    case 0xC8:
    case 0xC9:
    case 0xCA:
    case 0xCB:
      return "E'";
    case 0xCC:
    case 0xCD:
    case 0xCE:
    case 0xCF:
      return "I'";
    case 0xD2:
    case 0xD3:
    case 0xD4:
    case 0xD6:
      return "O'";
    case 0xD9:
    case 0xDA:
    case 0xDB:
    case 0xDC:
      return "U'";
    default:
      return nullptr;
  }
}

// Control characters become blanks. 127 stays: it is the printer's euro sign
// on the display.
class BuiltinTextFilter : public TextFilter {
 public:
  std::string FilterText(std::string& text) override {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
      auto c = static_cast<unsigned char>(ch);
      if (const char* r = accentReplacement(c))
        out += r;
      else if (c < 0x20)
        out += ' ';
      else
        out += ch;
    }
    return out;
  }
};

class BuiltinNumberFormatter : public NumberFormatter {
 public:
  double AdjustNumber(double& number) override {
    if (!std::isfinite(number)) return number;
    return textToDouble(formatNumber(number, "0.000"));
  }
  std::string AmountText(double& number) override { return formatNumber(number, "0.00"); }
};

// Gives the printer time to finish what the previous command started.
class SleepingZReport : public ZReportComponent {
 public:
  void Wait(int32_t& milliseconds) override {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace

std::unique_ptr<ZReportComponent> builtinZReportComponent() {
  return std::make_unique<SleepingZReport>();
}
std::unique_ptr<TextFilter> builtinTextFilter() {
  return std::make_unique<BuiltinTextFilter>();
}
std::unique_ptr<NumberFormatter> builtinNumberFormatter() {
  return std::make_unique<BuiltinNumberFormatter>();
}

}  // namespace merid::components
