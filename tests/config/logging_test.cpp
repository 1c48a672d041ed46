#include <gtest/gtest.h>
#include <sys/stat.h>

#include "config/logging.h"
#include "platform/components.h"
#include "support/fakes.h"

namespace merid {
namespace {

using test::fileExists;
using test::readFile;
using test::TempHome;
using test::writeFile;

TEST(Logging, LineShapes) {
  EXPECT_EQ(errorText("modError", "InviaComandoECR", "Overflow"), "modError-InviaComandoECR Overflow");
  struct Row {
    const char *label, *value, *line;
  };
  const Row rows[] = {
      {"Comando:", "3013(nrTentativi: 1)", "....Comando:            3013(nrTentativi: 1)"},
      {"Comando OK!", "", "....Comando OK!         "},
      {"esitoCheckErr_OpRitenta:", "GoTo", "....esitoCheckErr_OpRiteGoTo"},
      {"Is InFineCartaOCoperchioAperto:", "SI", "....Is InFineCartaOCoperSI"},
      {"12345678901234567890", "v", "....12345678901234567890v"},
      {"", "v", "....                    v"},
  };
  for (const auto& r : rows) EXPECT_EQ(debugLine(r.label, r.value), r.line);
}

TEST(Logging, NothingIsWrittenBeforeSetUp) {
  TempHome home;
  test::LogRecorder logs;
  test::onFreshThread([] {
    loggerError("lost");
    loggerDebug("lost");
    EXPECT_FALSE(debugLogActive());
  });
  EXPECT_EQ(logs.created(), 0);
  EXPECT_FALSE(fileExists(home.file("MeridDllManager.log")));
}

TEST(Logging, TheBuiltInWriterAppendsOneTimeStampedLinePerEntry) {
  TempHome home;
  test::FixedClock clock({2026, 12, 5, 9, 7, 3});
  test::onFreshThread([] {
    InitErrorLog();
    loggerError("modIni-ReadINI Path not found");
    loggerError("second");
  });
  EXPECT_EQ(readFile(home.file("MeridDllManager.log")),
            "2026-12-05 09:07:03\tloggerError\tmodIni-ReadINI Path not found\n"
            "2026-12-05 09:07:03\tloggerError\tsecond\n");
}

TEST(Logging, PrinterLibraryLogMovesToItsDayCopy) {
  struct Row {
    int day;
    bool present, readOnly;
  };
  const Row rows[] = {{7, true, false}, {31, true, true}, {1, false, false}};
  for (const auto& r : rows) {
    TempHome home;
    test::FixedClock clock({2026, 3, r.day, 10, 0, 0});
    const std::string cef = home.file("CeFdll.log");
    char name[32];
    std::snprintf(name, sizeof name, "CefDll_Day%02d.log", r.day);
    writeFile(home.file(name), "last month");
    if (r.present) {
      writeFile(cef, "today's log");
      if (r.readOnly) ::chmod(cef.c_str(), 0444);
    }
    test::onFreshThread([] { InitErrorLog(); });
    EXPECT_FALSE(fileExists(cef));
    EXPECT_EQ(readFile(home.file(name)), r.present ? "today's log" : "last month") << r.day;
  }
}

TEST(Logging, DebugSwitch) {
  struct Row {
    const char* value;  // nullptr: absent
    bool on;
  };
  const Row rows[] = {{"1", true},     {" 1 ", true},  {"1,0", true},     {"2", false},
                      {"word", false}, {"", false},    {nullptr, false},  {"0", false}};
  for (const auto& r : rows) {
    TempHome home;
    test::LogRecorder logs;
    test::FakeSettings settings;
    if (r.value) settings.set("MeridDll_LoggerDebug", r.value);
    test::onFreshThread([&] {
      InitErrorLog();
      InitDebugLog();
      EXPECT_EQ(debugLogActive(), r.on) << (r.value ? r.value : "absent");
      loggerDebug("traced");
    });
    EXPECT_EQ(logs.debug().size(), r.on ? 1u : 0u) << (r.value ? r.value : "absent");
  }
}

TEST(Logging, KeepFileZeroDeletesTheDebugLogAtEachCreation) {
  struct Row {
    const char* keep;
    bool deleted;
  };
  const Row rows[] = {{"0", true}, {"1", false}, {" 0", false}, {nullptr, true}};
  for (const auto& r : rows) {
    TempHome home;
    test::FakeSettings settings;
    settings.set("MeridDll_LoggerDebug", "1");
    if (r.keep) settings.set("MeridDll_LoggerDebug_KeepFile", r.keep);
    const std::string log = home.file("MeridDll_LoggerDebug.log");
    test::onFreshThread([&] {
      for (int creation = 0; creation < 2; ++creation) {
        writeFile(log, "old\n");
        ::chmod(log.c_str(), 0444);
        InitDebugLog();
        EXPECT_EQ(fileExists(log), !r.deleted) << (r.keep ? r.keep : "absent") << " creation " << creation;
        ::chmod(log.c_str(), 0644);
      }
    });
  }
}

TEST(Logging, SwitchOffLeavesAnEarlierDebugWriterInUse) {
  TempHome home;
  test::LogRecorder logs;
  test::FakeSettings settings;
  test::onFreshThread([&] {
    settings.set("MeridDll_LoggerDebug", "1");
    InitDebugLog();
    settings.set("MeridDll_LoggerDebug", "0");
    InitDebugLog();
    loggerDebug("still traced");
  });
  EXPECT_EQ(logs.debug(), std::vector<std::string>{"still traced"});
}

TEST(Logging, FailuresNeverLeaveTheLoggers) {
  TempHome home;
  test::LogRecorder logs;
  logs.failCreation(true);
  test::onFreshThread([] {
    InitErrorLog();
    loggerError("nowhere");
  });
  // A writer whose file cannot be opened swallows the failure.
  logs.failCreation(false);
  platform::setLogWriterFactory({});
  test::onFreshThread([&] {
    ::setenv("MERID_HOME", (home.path() + "/missing").c_str(), 1);
    InitErrorLog();
    loggerError("nowhere either");
    ::setenv("MERID_HOME", home.path().c_str(), 1);
  });
  EXPECT_FALSE(fileExists(home.file("missing")));
}

TEST(ModuleData, TwoThreadsSeeSeparateWriters) {
  TempHome home;
  test::LogRecorder logs;
  test::FakeSettings settings;
  settings.set("MeridDll_LoggerDebug", "1");
  std::atomic<bool> secondActive{true};
  test::onFreshThread([&] {
    InitDebugLog();
    test::onFreshThread([&] { secondActive = debugLogActive(); });
    loggerDebug("first thread");
  });
  EXPECT_FALSE(secondActive);
  EXPECT_EQ(logs.debug(), std::vector<std::string>{"first thread"});
}

}  // namespace
}  // namespace merid
