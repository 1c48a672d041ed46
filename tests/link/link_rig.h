#pragma once
// What a routine of the printer link touches, faked, with the debug log on.

#include <functional>
#include <string>

#include "config/logging.h"
#include "support/fake_printer.h"
#include "support/fakes.h"

namespace merid::test {

struct LinkRig {
  TempHome home;
  LogRecorder logs;
  FakeSettings settings;
  BoxRecorder boxes;
  FakePrinter printer;

  LinkRig() { settings.set("MeridDll_LoggerDebug", "1"); }
  // Runs body on a fresh thread (fresh module data) with both logs set up.
  void run(const std::function<void()>& body) {
    onFreshThread([&] {
      InitErrorLog();
      InitDebugLog();
      body();
    });
  }
  std::string ini() const { return readFile(home.file("MeridFiscal.ini")); }
  void setIni(const std::string& text) const { writeFile(home.file("MeridFiscal.ini"), text); }
};

}  // namespace merid::test
