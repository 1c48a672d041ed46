// A host that sees only the published headers sets up the clock, the home
// folder, a log sink and an in-process printer library, and prints through
// them. This target is built without the library's own sources on its
// include path.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "merid/MeridDLLManager.h"
#include "merid/host.h"
#include "merid/settings.h"

namespace {

std::vector<std::string> gSent;

const merid::PrinterFunctions kRecorder{
    [](int32_t, int32_t, uint8_t, uint8_t, uint8_t, uint8_t, int32_t*) -> int32_t { return 0; },
    [](char** command, int32_t*) -> int32_t { return gSent.emplace_back(*command), 0; },
    [](MeridByteArray**, int32_t* length, int32_t*) -> int32_t { return *length = 0; },
    [](int32_t*) -> int32_t { return 0; }};

TEST(PublicHost, ClockHomeSinkAndPrinterFunctionsReachTheLibrary) {
  namespace fs = std::filesystem;
  const fs::path work = fs::temp_directory_path() / ("merid-public-" + std::to_string(::getpid()));
  fs::create_directories(work / "home");
  fs::current_path(work);
  ::unsetenv("MERID_HOME");
  ::setenv("MeridDll_LoggerDebug", "1", 1);

  bool traced = false;  // the date command, as a debug-trace line
  merid::setLogSink([&](merid::LogKind kind, const std::string& line) {
    traced = traced || (kind == merid::LogKind::Debug && line.find("20010512262130") != std::string::npos);
  });
  merid::setClock([] { return merid::DateTime{2026, 12, 5, 21, 30, 0}; });
  merid::setHomeFolder("home");  // relative: made absolute against the current folder
  merid::setPrinterFunctions(&kRecorder);
  {
    merid::MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    EXPECT_TRUE(s.Manutenzione_ProgrammazioneDataOra());
  }
  EXPECT_NE(std::find(gSent.begin(), gSent.end(), "20010512262130"), gSent.end());
  EXPECT_EQ(merid::meridFiscalIni(), (work / "home" / "MeridFiscal.ini").string());
  EXPECT_TRUE(fs::exists(work / "home" / "MeridFiscal.ini"));
  EXPECT_TRUE(traced);

  merid::setPrinterFunctions(nullptr);
  merid::setLogSink(nullptr);
  merid::setClock(nullptr);
  merid::setHomeFolder("");
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(work);
}

// The edges a host script cannot write (it has four digits and no signs); the script tests check the rest.
TEST(PublicHost, AutomationDatesOnlyForRealDays) {
  for (const merid::DateTime& when :
       {merid::DateTime{10000, 1, 1, 0, 0, 0}, merid::DateTime{2026, 12, 5, -1, 0, 0},
        merid::DateTime{2026, 12, 5, 0, -5, 0}, merid::DateTime{2026, 12, 5, 0, 0, -1}})
    EXPECT_FALSE(merid::automationDate(when)) << when.year << " " << when.hour << ":" << when.minute;
  EXPECT_DOUBLE_EQ(*merid::automationDate({1900, 1, 1, 12, 0, 0}), 2.5);
  EXPECT_DOUBLE_EQ(*merid::automationDate({9999, 12, 31, 0, 0, 0}), 2958465.0);
}

}  // namespace

// Two printers driven from one process, one thread each: each thread's home
// folder and printer library file hold for that thread only, and the
// process-wide choices hold for every other thread. A library that cannot be
// loaded reaches the log sink as an error line.
TEST(PublicHost, EachThreadItsOwnHomeFolderAndPrinterLibrary) {
  namespace fs = std::filesystem;
  const fs::path work = fs::temp_directory_path() / ("merid-threads-" + std::to_string(::getpid()));
  fs::remove_all(work);
  for (const char* folder : {"sim", "process"}) fs::create_directories(work / folder);
  ::setenv("MERID_SIM_DIR", (work / "sim").c_str(), 1);
  ::setenv("MERID_CEFDLL", (work / "nowhere" / "libCeFdll.so").c_str(), 1);
  merid::setHomeFolder((work / "process").string());

  struct Row {
    const char* home;
    std::string library;
    bool printed;
  };
  const std::vector<Row> rows = {
      {"a", MERID_SIM_LIBRARY, true},
      {"b", (work / "missing" / "libCeFdll.so").string(), false},
      {"c", MERID_SIM_LIBRARY, true},  // the same file as "a": one loaded copy, shared
      {"", "", false},                 // no choice: the process-wide ones
  };
  std::size_t errors = 0;
  merid::setLogSink(
      [&](merid::LogKind kind, const std::string&) { errors += kind == merid::LogKind::Error; });
  for (const Row& r : rows) {
    std::thread([&] {  // one at a time: the virtual printer's folder is shared
      SCOPED_TRACE(r.home);
      if (*r.home) {
        fs::create_directories(work / r.home);
        EXPECT_EQ(merid::setThreadHomeFolder((work / r.home).string()), "");  // nothing chosen before
      }
      if (!r.library.empty()) {
        EXPECT_EQ(merid::setThreadPrinterLibrary(r.library), "");
      }
      merid::MeridTallo_Scontrino s;
      int16_t port = 1;
      s.InitComunicazione(port);
      const std::size_t before = errors;
      EXPECT_EQ(s.Manutenzione_ProgrammazioneDataOra(), r.printed);
      EXPECT_EQ(errors > before, !r.printed);
      EXPECT_EQ(merid::meridFiscalIni(),
                (work / (*r.home ? r.home : "process") / "MeridFiscal.ini").string());
      s.ChiudiConnessioneCOM();
      if (!r.library.empty()) {
        EXPECT_EQ(merid::setThreadPrinterLibrary(""), r.library);
      }
      if (*r.home) merid::setThreadHomeFolder("");
    })
        .join();
  }
  EXPECT_EQ(merid::meridFiscalIni(), (work / "process" / "MeridFiscal.ini").string());

  merid::setHomeFolder("");
  merid::setLogSink(nullptr);
  ::unsetenv("MERID_CEFDLL");
  fs::remove_all(work);
}
