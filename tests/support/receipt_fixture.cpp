#include "support/receipt_fixture.h"

#include <algorithm>
#include <cstdint>

#include "platform/failure.h"

namespace merid::test {

std::vector<std::string> DocumentTest::printed() const {
  std::vector<std::string> out;
  for (const auto& w : printer.writes())
    if (w != "1109") out.push_back(w);
  return out;
}

std::vector<std::string> DocumentTest::printedSince(std::size_t from, std::size_t to) const {
  const auto all = printed();
  to = std::min(to, all.size());
  from = std::min(from, to);
  return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(from),
                                  all.begin() + static_cast<std::ptrdiff_t>(to));
}

void DocumentTest::failSending(const std::string& command) {
  printer.editText = [command](char* text) {
    if (command == text) throw RuntimeFailure("Device I/O error");
  };
}

namespace {

class ThrowingFilter : public platform::TextFilter {
 public:
  std::string FilterText(std::string&) override { throw RuntimeFailure("Automation error"); }
};

class ThrowingFormatter : public platform::NumberFormatter {
 public:
  double AdjustNumber(double& n) override { return n; }
  std::string AmountText(double&) override { throw RuntimeFailure("Automation error"); }
};

}  // namespace

FailingComponents::FailingComponents(bool filter, bool formatter) {
  previousFilter_ = platform::setTextFilterFactory(
      filter ? platform::Factory<platform::TextFilter>([] { return std::make_unique<ThrowingFilter>(); })
             : platform::Factory<platform::TextFilter>());
  previousFormatter_ = platform::setNumberFormatterFactory(
      formatter ? platform::Factory<platform::NumberFormatter>([] { return std::make_unique<ThrowingFormatter>(); })
                : platform::Factory<platform::NumberFormatter>());
}

FailingComponents::~FailingComponents() {
  platform::setTextFilterFactory(previousFilter_);
  platform::setNumberFormatterFactory(previousFormatter_);
}

}  // namespace merid::test
