#include "support/receipt_fixture.h"

#include <cstddef>

#include "platform/failure.h"

namespace merid::test {

Strings DocumentTest::sent(std::size_t fromCall) const {
  Strings out;
  const auto& calls = printer.calls();
  for (std::size_t i = fromCall; i < calls.size(); ++i) {
    const std::string& c = calls[i];
    if (c.rfind("write ", 0) == 0 && c != "write 1109")
      out.push_back(c.substr(6));
    else if (c.rfind("open", 0) == 0 || c.rfind("close", 0) == 0)
      out.push_back(c.substr(0, c.find(' ')));
  }
  return out;
}

void DocumentTest::check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    setIni(c.ini);
    printer.editText = [refused = c.refused](char* text) {
      if (!refused.empty() && refused == text) throw RuntimeFailure("Device I/O error");
    };
    const std::size_t calls = printer.calls().size(), errors = logs.errors().size();
    bool result = !c.result;
    MERID_ON_FRESH_THREAD(result = c.call());
    EXPECT_EQ(result, c.result) << c.label;
    EXPECT_EQ(sent(calls), c.sent) << c.label;
    if (c.iniAfter) {
      EXPECT_EQ(ini(), c.iniAfter) << c.label;
    }
    Strings expected = c.errors, logged = logs.errors();
    if (!c.refused.empty()) expected.insert(expected.begin(), "modError-InviaComando Device I/O error");
    logged.erase(logged.begin(), logged.begin() + static_cast<std::ptrdiff_t>(errors));
    EXPECT_EQ(logged, expected) << c.label;
  }
  printer.editText = nullptr;
}

std::function<bool()> DocumentTest::untouched(std::function<bool()> call) {
  return [this, call] {
    const std::size_t before = printer.calls().size();
    const bool result = call();
    EXPECT_EQ(printer.calls().size(), before) << "the printer link was touched";
    return result;
  };
}

namespace {

struct ThrowingFilter : platform::TextFilter {
  std::string FilterText(std::string&) override { throw RuntimeFailure("Automation error"); }
};
struct ThrowingFormatter : platform::NumberFormatter {
  double AdjustNumber(double& n) override { return n; }
  std::string AmountText(double&) override { throw RuntimeFailure("Automation error"); }
};

}  // namespace

FailingComponents::FailingComponents(bool filter, bool formatter) {
  previousFilter = platform::setTextFilterFactory(
      filter ? platform::Factory<platform::TextFilter>([] { return std::make_unique<ThrowingFilter>(); })
             : platform::Factory<platform::TextFilter>());
  previousFormatter = platform::setNumberFormatterFactory(
      formatter ? platform::Factory<platform::NumberFormatter>(
                      [] { return std::make_unique<ThrowingFormatter>(); })
                : platform::Factory<platform::NumberFormatter>());
}

FailingComponents::~FailingComponents() {
  platform::setTextFilterFactory(previousFilter);
  platform::setNumberFormatterFactory(previousFormatter);
}

}  // namespace merid::test
