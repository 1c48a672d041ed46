#pragma once
// A fresh thread, folder, logs and fake printer for each test of the document
// routines; text and number components are the built-in ones unless a test
// installs failing ones.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/logging.h"
#include "platform/components.h"
#include "support/fake_printer.h"
#include "support/fakes.h"

namespace merid::test {

class DocumentTest : public ::testing::Test {
 protected:
  // The printer writes without the status probes "1109".
  std::vector<std::string> printed() const;
  // printed()[from, to)
  std::vector<std::string> printedSince(std::size_t from, std::size_t to = SIZE_MAX) const;
  std::string ini() const { return readFile(home.file("MeridFiscal.ini")); }
  void setIni(const std::string& content) const { writeFile(home.file("MeridFiscal.ini"), content); }
  // Makes the engine's send of this command fail, so the routine sees False.
  void failSending(const std::string& command);

  TempHome home;
  LogRecorder logs;
  FakeSettings settings;
  FakePrinter printer;
};

// Components that throw, as a failing outside component would.
class FailingComponents {
 public:
  FailingComponents(bool filter, bool formatter);
  ~FailingComponents();

 private:
  platform::Factory<platform::TextFilter> previousFilter_;
  platform::Factory<platform::NumberFormatter> previousFormatter_;
};

// Runs the test body on a fresh thread so module data starts empty, with an
// error log set up.
#define MERID_ON_FRESH_THREAD(...)   \
  ::merid::test::onFreshThread([&] { \
    ::merid::InitErrorLog();         \
    __VA_ARGS__;                     \
  })

}  // namespace merid::test
