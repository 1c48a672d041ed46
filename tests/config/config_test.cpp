// Configuration: INI files, logging and the POSIX seams under them, number text.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>

#include "logging/logging.h"
#include "config/modIni.h"
#include "amount/modUtility.h"
#include "text/number_text.h"
#include "platform/failure.h"
#include "support/fakes.h"

namespace merid {
namespace {

using test::fileExists;
using test::get;
using test::put;
using test::readFile;
using test::writeFile;

TEST(Profile, AKilledWriterLeavesTheOldFileOrTheNewOneWhole) {
  test::TempHome home;
  const std::string file = home.file("MeridFiscal.ini");
  std::string pad;
  for (int i = 0; i < 2000; ++i)
    pad += "[Pad" + std::to_string(i) + "]\nvalue=" + std::string(40, 'p') + "\n";
  writeFile(file, "[Fiscal]\nCounter=0\n" + pad);
  for (int round = 0; round < 60; ++round) {
    pid_t child = ::fork();
    if (child == 0)
      for (long n = 1;; ++n) put(file, "Fiscal", "Counter", std::to_string(n));
    ::usleep(200 + (round * 7919) % 5000);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string after = readFile(file);
    const auto counter = after.substr(17, after.find('\n', 17) - 17);
    ASSERT_EQ(after, "[Fiscal]\nCounter=" + counter + "\n" + pad) << "round " << round;
  }
}

// The printer library's log replaces last month's day copy and is deleted even
// when the copy fails (day 9: a folder in the way); one time-stamped line per error.
TEST(Logging, InitErrorLogMovesThePrinterLibrarysLogAside) {
  for (const auto& [day, present] : {std::pair{31, true}, {1, false}, {9, true}}) {
    test::TempHome home;
    test::FixedClock clock({2026, 12, day, 9, 7, 3});
    const std::string cef = platform::printerLibraryLogPath(),
                      dd = (day < 10 ? "0" : "") + std::to_string(day),
                      copy = home.file("CefDll_Day" + dd + ".log");
    day == 9 ? (void)::mkdir(copy.c_str(), 0755) : writeFile(copy, "last month");
    if (present) writeFile(cef, "today's log");
    test::onFreshThread([] {
      InitErrorLog();
      loggerError("modIni-ReadINI Path not found");
    });
    EXPECT_FALSE(fileExists(cef)) << day;
    EXPECT_EQ(readFile(copy), day == 9 ? "" : present ? "today's log" : "last month") << day;
    EXPECT_EQ(readFile(home.file("MeridDllManager.log")),
              "2026-12-" + dd + " 09:07:03\tloggerError\tmodIni-ReadINI Path not found\n");
  }
}

// Debug on for a number equal to 1; KeepFile exactly "0" (or absent) deletes the
// file at each creation. Module data is per thread and starts empty: nothing is
// logged before set-up nor by another thread; switching off keeps the writer.
TEST(Logging, DebugSwitchKeepFileAndModuleData) {
  struct Row {
    const char* debug;
    const char* keep;
    bool on;
    bool deleted;
  };
  const Row rows[] = {{"1", "0", true, true},   {"1", " 0", true, false}, {"1", nullptr, true, true},
                      {"1,0", "0", true, true}, {"2", "0", false, false}, {nullptr, "0", false, false}};
  for (const auto& [debug, keep, on, deleted] : rows) {
    test::TempHome home;
    test::LogRecorder logs;
    test::FakeSettings settings;
    if (debug) settings.set("MeridDll_LoggerDebug", debug);
    if (keep) settings.set("MeridDll_LoggerDebug_KeepFile", keep);
    const std::string log = home.file("MeridDll_LoggerDebug.log");
    test::onFreshThread([&, debug = debug, keep = keep, deleted = deleted] {
      loggerError("before set-up");
      loggerDebug("before set-up");
      for (int creation = 0; creation < 2; ++creation) {
        writeFile(log, "old\n");
        InitDebugLog();
        EXPECT_EQ(fileExists(log), !deleted) << (debug ? debug : "-") << (keep ? keep : "-") << creation;
        loggerDebug("traced");
      }
      test::onFreshThread([] { loggerDebug("another thread"); });
      settings.set("MeridDll_LoggerDebug", "0");
      InitDebugLog();
      loggerDebug("switched off");
    });
    EXPECT_EQ(logs.debug().size(), on ? 3u : 0u) << (debug ? debug : "absent");
    EXPECT_TRUE(logs.errors().empty());
  }
}

// The debug log's size cap (section Logging, DebugLogMaxKB, in KB): reached, the
// file moves aside to ".1" once and a new one starts; 0 means no cap.
TEST(Logging, TheDebugLogIsCappedAndMovedAside) {
  for (const char* cap : {"1", "0"}) {
    test::TempHome home;
    test::FakeSettings settings;
    settings.set("MeridDll_LoggerDebug", "1");
    writeFile(home.file("MeridFiscal.ini"), std::string("[Logging]\nDebugLogMaxKB=") + cap + "\n");
    const std::string log = home.file("MeridDll_LoggerDebug.log");
    test::onFreshThread([] {
      InitDebugLog();
      for (int i = 0; i < 60; ++i) loggerDebug("line " + std::to_string(i) + std::string(40, '.'));
    });
    const bool capped = *cap == '1';
    const std::string text = readFile(log);
    EXPECT_EQ(fileExists(log + ".1"), capped) << cap;
    EXPECT_NE(text.find("line 59"), std::string::npos);
    EXPECT_EQ(text.find("line 0.") == std::string::npos, capped);
    EXPECT_LE(text.size(), capped ? 1024u : text.size());
  }
}

// MERID_HOME overrides the executable's folder; the default box writes to stderr.
TEST(Platform, OwnFolderLogsAndMessageBox) {
  char exe[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  EXPECT_EQ(platform::ownFolder() + "/config_tests", exe);
  ::setenv("MERID_CEFDLL_LOG", "/var/tmp/elsewhere.log", 1);
  EXPECT_EQ(platform::printerLibraryLogPath(), "/var/tmp/elsewhere.log");
  ::unsetenv("MERID_CEFDLL_LOG");
  testing::internal::CaptureStderr();
  EXPECT_EQ(platform::showMessageBox("Carta esaurita", "Errore stampante", 0), platform::kIdOk);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MessageBox [Errore stampante] Carta esaurita\n");
}

// Integers round halves to even; patterns round half away from zero on the
// decimal text. Round trips through the text are the number fuzz target's.
TEST(NumberText, ConversionsPatternsAndTheAmountField) {
  const std::pair<const char*, int32_t> numeric[] = {{" 24 ", 24}, {"\t-3", -3},      {"+3", 3}, {"3,5", 4},
                                                     {"-2,5", -2}, {"1.234,5", 1234}, {"2.6", 3}};
  for (const auto& [text, value] : numeric)
    EXPECT_EQ(isNumeric(text) ? toInt32(textToDouble(text)) : -99, value) << text;
  for (const char* text : {"", "1,2,3", "1e", "0x10", "12.34,5", "1,234.5"})
    EXPECT_FALSE(isNumeric(text)) << "'" << text << "'";
  EXPECT_THROW(toInt32(textToDouble("2147483648")), RuntimeFailure);
  EXPECT_EQ(doubleText(0.1 + 0.2) + " " + doubleText(1e15) + " " + doubleText(1.5e-5), "0,3 1E+15 1,5E-05");
  const std::pair<double, const char*> cents[] = {
      {2.675, "0000002,68"}, {-2.5, "-0000002,50"}, {9999999.995, "10000000,00"}, {-0.001, "0000000,00"}};
  for (const auto& [value, text] : cents) EXPECT_EQ(formatNumber(value, "0000000.00"), text) << value;
  EXPECT_EQ(formatNumber(1234567.0005, "###,##0.000"), "1.234.567,001");
  EXPECT_EQ(FormatPrzMerid("0,005") + " " + FormatPrzMerid(doubleText(2.675)), "000000001 000000268");
  EXPECT_EQ(formatDate({2026, 3, 7, 9, 5, 42}, "ddmmyy hhmm"), "070326 0905");
  // Before 1899-12-30 the fraction still counts forward from midnight: -1.25 is the 29th at 06:00.
  EXPECT_EQ(formatDate(fromAutomationDate(-1.25), "yyyy-mm-dd hh:nn"), "1899-12-29 06:00");
  EXPECT_THROW(fromAutomationDate(2958466.0), RuntimeFailure);
  EXPECT_THROW(fromAutomationDate(std::nan("")), RuntimeFailure);
}

}  // namespace
}  // namespace merid
