#pragma once
// A fresh folder, logs and fake printer for each test of the document
// routines, and a runner for tables of calls; text and number components are
// the built-in ones unless a test installs failing ones.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "config/logging.h"
#include "platform/components.h"
#include "support/fake_printer.h"
#include "support/fakes.h"

namespace merid::test {

using Strings = std::vector<std::string>;

// One row: the file before, the call, and everything it must leave behind.
struct Case {
  std::string label;
  std::string ini;  // MeridFiscal.ini before the call
  std::function<bool()> call;  // on a fresh thread, so module data starts empty
  bool result;
  Strings sent;  // as DocumentTest::sent gives them
  // The send of this command fails as a broken link would: the engine logs
  // "modError-InviaComando Device I/O error" and the routine sees False.
  std::string refused = {};
  const char* iniAfter = nullptr;  // the whole file afterwards, when given
  Strings errors = {};  // the error-log lines the call adds
};

class DocumentTest : public ::testing::Test {
 protected:
  // The printer library's calls from this one on: the text of each write
  // other than the status probe "1109", "open" and "close"; reads left out.
  Strings sent(std::size_t fromCall = 0) const;
  std::string ini() const { return readFile(home.file("MeridFiscal.ini")); }
  void setIni(const std::string& content) const { writeFile(home.file("MeridFiscal.ini"), content); }
  void check(const std::vector<Case>& cases);
  // The call, checking that it makes no call at all to the printer library.
  std::function<bool()> untouched(std::function<bool()> call);

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
// The shopper display after a sale or a payment: the name, then the amount at
// the right of line 2 behind the euro sign.
inline std::string shown(const std::string& name, const std::string& amount) {
  return "7007" + pad(name) + std::string(18 - amount.size(), ' ') + "\x7F " + amount;
}

// Components that throw, as a failing outside component would.
struct FailingComponents {
  FailingComponents(bool filter, bool formatter);
  ~FailingComponents();
  platform::Factory<platform::TextFilter> previousFilter;
  platform::Factory<platform::NumberFormatter> previousFormatter;
};

// Runs the body on a fresh thread, with an error log set up.
#define MERID_ON_FRESH_THREAD(...)   \
  ::merid::test::onFreshThread([&] { \
    ::merid::InitErrorLog();         \
    __VA_ARGS__;                     \
  })

}  // namespace merid::test
