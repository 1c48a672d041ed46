#pragma once
// A fresh folder, logs and fake printer for each test of the document
// routines, and a runner for tables of calls; text and number components are
// the built-in ones unless a row makes one fail.

#include <gtest/gtest.h>

#include <type_traits>

#include "logging/logging.h"
#include "components/components.h"
#include "platform/failure.h"
#include "support/fake_printer.h"
#include "support/fakes.h"

namespace merid::test {

using Strings = std::vector<std::string>;

// Components that throw, as a failing outside component would.
struct ThrowingFilter : components::TextFilter {
  std::string FilterText(std::string&) override { throw RuntimeFailure("Automation error"); }
};
struct ThrowingFormatter : components::NumberFormatter {
  double AdjustNumber(double& n) override { return n; }
  std::string AmountText(double&) override { throw RuntimeFailure("Automation error"); }
};
enum class Failing { none, filter, formatter };

// One row: the file before, the call, and everything it must leave behind.
struct Case {
  std::string label;
  std::string ini;             // MeridFiscal.ini before the call
  std::function<bool()> call;  // on a fresh thread, so module data starts empty
  bool result;
  Strings sent;  // as sent() gives them; none, and no error line: the library not called at all
  // The send of this command fails as a broken link would: the engine logs
  // "modError-InviaComando Device I/O error" and the routine sees False.
  std::string refused = {};
  const char* iniAfter = nullptr;  // the whole file afterwards, when given
  Strings errors = {};             // the error-log lines the call adds
  Failing failing = Failing::none;
};

// Runs the body on a fresh thread, with an error log set up.
#define MERID_ON_FRESH_THREAD(...)   \
  ::merid::test::onFreshThread([&] { \
    ::merid::InitErrorLog();         \
    __VA_ARGS__;                     \
  })

class DocumentTest : public ::testing::Test {
 protected:
  // The printer library's calls from this one on: the text of each write
  // other than the status probe "1109", "open" and "close"; reads left out.
  Strings sent(std::size_t fromCall = 0) const {
    Strings out;
    for (std::size_t i = fromCall; i < printer.calls().size(); ++i) {
      const std::string& c = printer.calls()[i];
      if (c.rfind("write ", 0) == 0 && c != "write 1109")
        out.push_back(c.substr(6));
      else if (c.rfind("open", 0) == 0 || c.rfind("close", 0) == 0)
        out.push_back(c.substr(0, c.find(' ')));
    }
    return out;
  }
  std::string ini() const { return readFile(home.file("MeridFiscal.ini")); }
  void setIni(const std::string& content) const { writeFile(home.file("MeridFiscal.ini"), content); }

  void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      setIni(c.ini);
      printer.editText = [refused = c.refused](char* text) {
        if (!refused.empty() && refused == text) throw RuntimeFailure("Device I/O error");
      };
      components::setTextFilterFactory(
          c.failing == Failing::filter
              ? [] { return std::unique_ptr<components::TextFilter>(new ThrowingFilter); }
              : components::Factory<components::TextFilter>());
      components::setNumberFormatterFactory(
          c.failing == Failing::formatter
              ? [] { return std::unique_ptr<components::NumberFormatter>(new ThrowingFormatter); }
              : components::Factory<components::NumberFormatter>());
      const std::size_t calls = printer.calls().size(), errors = logs.errors().size();
      bool result = !c.result;
      MERID_ON_FRESH_THREAD(result = c.call());
      EXPECT_EQ(result, c.result) << c.label;
      EXPECT_EQ(sent(calls), c.sent) << c.label;
      if (c.sent.empty() && c.errors.empty()) {
        EXPECT_EQ(printer.calls().size(), calls) << c.label << ": the printer library was called";
      }
      if (c.iniAfter) {
        EXPECT_EQ(ini(), c.iniAfter) << c.label;
      }
      Strings expected = c.errors, logged = logs.errors();
      if (!c.refused.empty()) expected.insert(expected.begin(), "modError-InviaComando Device I/O error");
      logged.erase(logged.begin(), logged.begin() + static_cast<std::ptrdiff_t>(errors));
      EXPECT_EQ(logged, expected) << c.label;
    }
    printer.editText = nullptr;
    components::setTextFilterFactory(nullptr);
    components::setNumberFormatterFactory(nullptr);
  }

  TempHome home;
  LogRecorder logs;
  FakeSettings settings;
  FakePrinter printer;
};

// The routine called with port 1 and these arguments, by reference as it takes them.
template <class... A>
std::function<bool()> onPort(bool (*routine)(int16_t&, A&...), std::enable_if_t<true, A>... args) {
  return [=]() mutable {
    int16_t port = 1;
    return routine(port, args...);
  };
}

inline std::string pad(const std::string& s, std::size_t n = 20) {
  return (s + std::string(n, ' ')).substr(0, n);
}

// What the display shows when the drawer opens.
inline const std::string drawer = "7007" + pad("Apertura Cassetto") + pad("");
// The shopper display after a sale or a payment: the name, then the amount at
// the right of line 2 behind the euro sign.
inline std::string shown(const std::string& name, const std::string& amount) {
  return "7007" + pad(name) + std::string(18 - amount.size(), ' ') + "\x7F " + amount;
}

}  // namespace merid::test
