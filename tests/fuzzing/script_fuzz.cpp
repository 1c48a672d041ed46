// Host scripts: any text parses into statements or FILE:LINE: errors; one without errors runs on the
// virtual printer, one output line per call.
//
// Input: a host script.

#define MERID_CEFDLL_IMPLEMENTATION  // the entry points are linked in

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "merid/cefdll.h"
#include "merid/host.h"
#include "run.h"
#include "script.h"

namespace {

// Enough calls for a day of documents; longer scripts only repeat them.
constexpr size_t kMaxStatements = 60;

struct Host {
  merid::PrinterFunctions printer{VbCEFOpen, VbCEFWrite, VbCEFRead, VbCEFClose};
  Host() {
    merid::setPrinterFunctions(&printer);
    merid::setClock([] { return merid::DateTime{2026, 12, 5, 10, 0, 0}; });
    merid::setPromptHandler(
        [](const std::string&, const std::string&) { return merid::PromptAnswer::GiveUp; });
    merid::setLogSink([](merid::LogKind, const std::string&) {});
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Host host;
  const std::string text(fuzzing::asText(data, size));
  meridctl::Script script = meridctl::parseScript("fuzz.meridctl", text);
  const int lines = int(std::count(text.begin(), text.end(), '\n')) + 1;
  for (const std::string& e : script.errors) {
    FUZZ_CHECK(fuzzing::startsWith(e, "fuzz.meridctl:"));
    const int line = std::atoi(e.c_str() + 14);
    FUZZ_CHECK(line >= 1 && line <= lines);
    FUZZ_CHECK(e.find(": ", 14) != std::string::npos);
  }
  size_t calls = 0;
  for (const auto& st : script.statements) {
    FUZZ_CHECK(st.line >= 1 && st.line <= lines);
    if (st.method) {
      FUZZ_CHECK(st.args.size() == st.method->params.size());
      for (size_t i = 0; i < st.args.size(); ++i) FUZZ_CHECK(st.args[i].kind == st.method->params[i]);
    }
  }
  if (!script.errors.empty()) return 0;
  if (script.statements.size() > kMaxStatements) script.statements.resize(kMaxStatements);
  for (const auto& st : script.statements) calls += st.method != nullptr;

  const std::string folder = fuzzing::freshFolder("merid-fuzz-script");
  ::setenv("MERID_SIM_DIR", (folder + "/printer").c_str(), 1);
  merid::setHomeFolder(folder);
  std::ostringstream out;
  meridctl::runScript(script, out);
  FUZZ_CHECK(fuzzing::lines(out.str()).size() == calls);
  return 0;
}
