// The state folder across restarts, crashes and several processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "journal.h"
#include "sim_support.h"
#include "storage.h"

namespace {

using namespace simtest;
using merid::sim::EcrModel;

const std::vector<std::string> kReceipt = {sale('1', 3, "PANE", 250), payment("3004", "CONTANTE", 0), "3011",
                                           "3013"};

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(EcrPersistence, ARestartContinuesNumberingJournalAndTotals) {
  TempDir dir;
  {
    EcrModel first(dir.path(), fixedWallClock);
    runAll(first, kReceipt);
    runAll(first, {"40011", "4004", "400120000000100", "4003F00000000100", "4006"});
  }
  EcrModel second(dir.path(), fixedWallClock);
  runAll(second, kReceipt);
  runAll(second, {"40011", "4004", "400120000000100", "4003F00000000100", "4006"});
  const auto& j = second.journal();
  ASSERT_EQ(j.size(), 6u);
  EXPECT_EQ(j[3].number, 2);  // receipt
  EXPECT_EQ(j[4].number, 2);  // non-fiscal
  EXPECT_EQ(j[5].number, 2);  // invoice
  EXPECT_EQ(j[5].recno, 6);
  EXPECT_EQ(second.dayTotals().total, 500);
  runAll(second, {"2002"});
  EcrModel third(dir.path(), fixedWallClock);
  runAll(third, kReceipt);
  EXPECT_EQ(third.fiscalMemory().size(), 1u);
  EXPECT_EQ(third.journal().back().number, 1);
  EXPECT_EQ(third.journal().back().z, 2);
}

TEST(EcrPersistence, AnOpenDocumentSurvivesARestart) {
  TempDir dir;
  {
    EcrModel first(dir.path(), fixedWallClock);
    runAll(first, {sale('1', 3, "PANE", 250), sale('1', 3, "LATTE", 120)});
  }
  EcrModel second(dir.path(), fixedWallClock);
  runAll(second, {payment("3004", "CONTANTE", 0), "3011", "3013"});
  ASSERT_EQ(second.journal().size(), 1u);
  EXPECT_EQ(second.journal()[0].total, 370);
}

TEST(EcrPersistence, ATornOrDamagedLastRecordIsDropped) {
  for (const char* tail : {"J|2|041226|15", "J|2|041226|1542|1|SC|2|250|0|3:250||2,2,0,0,0,1||#00000000\n"}) {
    SCOPED_TRACE(tail);
    TempDir dir;
    std::string journal = dir.path() + "/journal.txt";
    {
      EcrModel m(dir.path(), fixedWallClock);
      runAll(m, kReceipt);
    }
    std::ofstream(journal, std::ios::app | std::ios::binary) << tail;
    EcrModel m(dir.path(), fixedWallClock);
    runAll(m, kReceipt);
    ASSERT_EQ(m.journal().size(), 2u);
    EXPECT_EQ(m.journal()[1].recno, 2);
    EXPECT_EQ(m.journal()[1].number, 2);
    std::string text = readText(journal);
    uint64_t end;
    EXPECT_EQ(
        merid::sim::parseLines<merid::sim::JournalRecord>(text, 0, end, merid::sim::decodeRecord).size(), 2u);
    EXPECT_EQ(end, text.size());
  }
}

// A crash after the journal write but before the state write: the journal
// wins, and the document is neither lost nor written twice.
TEST(EcrPersistence, AStateFileOlderThanTheJournalIsCaughtUp) {
  TempDir dir;
  std::string state = dir.path() + "/state.txt";
  {
    EcrModel m(dir.path(), fixedWallClock);
    runAll(m, {kReceipt[0], kReceipt[1]});
    std::string before = readText(state);
    runAll(m, {"3011"});
    writeText(state, before);
  }
  EcrModel m(dir.path(), fixedWallClock);
  EXPECT_EQ(m.execute("3011"), 117);
  runAll(m, kReceipt);
  ASSERT_EQ(m.journal().size(), 2u);
  EXPECT_EQ(m.journal()[1].number, 2);
}

// A crash between the journal's Z record and the fiscal memory write.
TEST(EcrPersistence, AnInterruptedClosingIsCompletedFromTheJournal) {
  TempDir dir;
  std::string fiscal = dir.path() + "/fiscal.txt";
  {
    EcrModel m(dir.path(), fixedWallClock);
    runAll(m, kReceipt);
    runAll(m, {"2002"});
    std::remove(fiscal.c_str());
  }
  EcrModel m(dir.path(), fixedWallClock);
  m.refresh();
  ASSERT_EQ(m.fiscalMemory().size(), 1u);
  EXPECT_EQ(m.fiscalMemory()[0].total, 250);
  runAll(m, {"2002"});
  EXPECT_EQ(m.fiscalMemory().size(), 2u);
  EXPECT_EQ(m.fiscalMemory()[1].z, 2);
}

TEST(EcrPersistence, SeveralProcessesShareOnePrinter) {
  TempDir dir;
  const int kChildren = 3, kEach = 8;
  for (int c = 0; c < kChildren; ++c) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      EcrModel m(dir.path(), fixedWallClock);
      for (int i = 0; i < kEach; ++i) {
        // While another process has its document open, the opening is refused
        // (117) and retried.
        for (;;) {
          if (m.execute("40011") != 0) continue;
          if (m.execute("4003132" + std::string(32, 'A' + char(c))) == 0 && m.execute("4004") == 0) break;
        }
      }
      _exit(0);
    }
  }
  for (int c = 0; c < kChildren; ++c) {
    int status = 0;
    wait(&status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EcrModel m(dir.path(), fixedWallClock);
  m.refresh();
  std::set<int64_t> numbers;
  for (const auto& r : m.journal()) numbers.insert(r.number);
  EXPECT_EQ(m.journal().size(), size_t(kChildren * kEach));
  EXPECT_EQ(numbers.size(), size_t(kChildren * kEach));
}

TEST(EcrPersistence, DefaultStateFolder) {
  const char* names[] = {"MERID_SIM_DIR", "XDG_STATE_HOME", "HOME"};
  const char* rows[][4] = {{"/srv/sim", "/x", "/h", "/srv/sim"},
                           {nullptr, "/x", "/h", "/x/merid-ecr-sim"},
                           {nullptr, nullptr, "/h", "/h/.local/state/merid-ecr-sim"}};
  std::string saved[3];
  for (int i = 0; i < 3; ++i) saved[i] = std::getenv(names[i]) ? std::getenv(names[i]) : "";
  for (auto& row : rows) {
    for (int i = 0; i < 3; ++i) row[i] ? setenv(names[i], row[i], 1) : unsetenv(names[i]);
    EXPECT_EQ(merid::sim::defaultStateDir(), row[3]);
  }
  for (int i = 0; i < 3; ++i) saved[i].empty() ? unsetenv(names[i]) : setenv(names[i], saved[i].c_str(), 1);
}

}  // namespace
