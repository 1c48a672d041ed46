// The defaults read back into a large settings file: gathered in memory,
// seen by every read at once, and written in one rewrite when something
// calls for it; a small file has each one when the call returns.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "config/modIni.h"
#include "platform/ini_document.h"
#include "platform/platform.h"
#include "support/fakes.h"

namespace merid {
namespace {

using test::readFile;
using test::writeFile;

// Just over a megabyte of articles after a [Fiscal] section with an empty key.
std::string largeIni() {
  std::string s = "[Fiscal]\r\nBuffer=\r\n\r\n";
  for (int i = 0; s.size() < (1u << 20) + 100; ++i)
    s += "[Articolo" + std::to_string(i) + "]\r\ndescrizione=Articolo " + std::to_string(i) +
         " ..............................\r\nprezzo=1,25\r\n";
  return s;
}

struct Key {
  const char* section;
  const char* key;
  const char* value;  // the default given to the read
  const char* read;   // what reading it gives once written
};
// An empty key, a missing one beside it, one in a late section, one in a new
// section, quoted.
const Key kDefaults[] = {{"Fiscal", "Buffer", "1", "1"},
                         {"fiscal", "CloseConnEachDoc", "0", "0"},
                         {"Articolo900", "sconto", " 5 ", "5"},
                         {"Nuova", "nota", "\" a b \"", " a b "}};

void readAll(const std::string& file) {
  for (const auto& k : kDefaults) EXPECT_EQ(ReadINI(file, k.section, k.key, k.value), k.value) << k.key;
}

// Every read, on any thread, gives the defaults; "stale" would mean the key
// reads as missing.
void expectDefaultsRead(const std::string& file) {
  test::onFreshThread([&] {
    for (const auto& k : kDefaults) EXPECT_EQ(test::get(file, k.section, k.key), k.read) << k.key;
  });
}

// The file as writing each default at once would have left it, then `also`.
std::string written(const std::string& before, const Key* also) {
  platform::IniDocument doc(before);
  for (const auto& k : kDefaults) doc.set(k.section, k.key, k.value);
  if (also) doc.set(also->section, also->key, also->value);
  return doc.bytes();
}

// Runs body in a child process that then ends normally or dies.
void inChild(const std::function<void()>& body, bool dies) {
  std::fflush(nullptr);  // what the child would print again
  const pid_t child = ::fork();
  if (child == 0) {
    body();
    if (dies) ::_exit(0);  // no exit handlers: as a crash
    std::exit(0);
  }
  ASSERT_GT(child, 0);
  int status = 0;
  ::waitpid(child, &status, 0);
}

// Only a large file waits; a small one, even just under the threshold, has
// the default when the read returns.
TEST(GatheredDefaults, OnlyALargeFileWaits) {
  struct Row {
    const char* name;
    std::size_t size;
    bool waits;
  };
  const Row rows[] = {{"small", 40, false},
                      {"just under a megabyte", (1u << 20) - 200, false},
                      {"large", (1u << 20) + 200, true}};
  for (const auto& row : rows) {
    test::TempHome home;
    const std::string file = meridFiscalIni();
    const std::string before = "[Fiscal]\n; " + std::string(row.size, '.') + "\n";
    writeFile(file, before);
    EXPECT_EQ(ReadINI(file, "Fiscal", "Buffer", "1"), "1") << row.name;
    EXPECT_EQ(test::get(file, "Fiscal", "Buffer"), "1") << row.name;
    EXPECT_EQ(readFile(file) == before, row.waits) << row.name;
    platform::writeWaitingDefaults();
    EXPECT_EQ(readFile(file), before + "Buffer=1\n") << row.name;
  }
}

// The defaults reach the file, as writing each at once would have left it,
// with the next real write to it (by the host; the library's own values for
// keys it found empty wait as defaults do),
// once they have waited long enough, or when the process ends; not with a
// write to another file, a read within the wait, or a crash.
TEST(GatheredDefaults, ReachTheFileWhenSomethingCallsForIt) {
  const Key shop{"Shop", "Name", "Bar", "Bar"}, department{"RepartoVek3", "repartoMerid", "1", "1"};
  struct Row {
    const char* name;
    std::function<void(const std::string& file)> trigger;
    bool written;
    const Key* also;  // a real value the trigger writes
  };
  const Row rows[] = {
      {"a write by the host", [&](const std::string& f) { WriteINI(f, "Shop", "Name", "Bar"); }, true, &shop},
      {"a value the library fills in waits as a default does",
       [](const std::string&) {
         test::onFreshThread([] {
           int32_t id = 3;
           Merid_GetRepartoFromIDReparto(id);
         });
       },
       false, &department},
      {"the wait running out",
       [](const std::string& f) {
         const long long before = platform::setLongestDefaultsWaitMs(0);
         test::get(f, "Fiscal", "Buffer");
         platform::setLongestDefaultsWaitMs(before);
       },
       true, nullptr},
      {"the end of the process", [](const std::string&) { inChild([] {}, false); }, true, nullptr},
      {"a write to another file", [](const std::string&) { WriteINI(displayIni(), "A", "b", "c"); }, false,
       nullptr},
      {"a read within the wait", [](const std::string& f) { test::get(f, "Fiscal", "Buffer"); }, false,
       nullptr},
      {"a crash", [](const std::string&) { inChild([] {}, true); }, false, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::TempHome home;
    const std::string file = meridFiscalIni(), before = largeIni();
    writeFile(file, before);
    readAll(file);
    EXPECT_EQ(readFile(file), before);
    expectDefaultsRead(file);
    row.trigger(file);
    EXPECT_EQ(readFile(file), row.written ? written(before, row.also) : before);
    expectDefaultsRead(file);
    platform::writeWaitingDefaults();
    EXPECT_EQ(readFile(file), written(before, row.also));
  }
}

// A value the file gets by another writer while a default waits wins over it.
TEST(GatheredDefaults, AValueWrittenMeanwhileWins) {
  test::TempHome home;
  const std::string file = meridFiscalIni(), before = largeIni();
  writeFile(file, before);
  readAll(file);
  platform::IniDocument other(before);
  other.set("Fiscal", "Buffer", "0");
  writeFile(file, other.bytes());
  EXPECT_EQ(test::get(file, "Fiscal", "Buffer"), "0");
  platform::writeWaitingDefaults();
  const platform::IniDocument after(readFile(file));
  EXPECT_EQ(after.find("Fiscal", "Buffer"), "0");
  EXPECT_EQ(after.find("Nuova", "nota"), " a b ");
}

}  // namespace
}  // namespace merid
