// Injected faults: paper end, cover, journal, link, refusals, and the operator
// fixing the paper while the host asks for the status.
#include <algorithm>

#include <gtest/gtest.h>

#include "faults.h"
#include "sim_support.h"

namespace {

using namespace simtest;
using merid::sim::EcrModel;
using merid::sim::parseFaults;

const std::string kSale = sale('1', 3, "PANE", 250);

std::string statusOf(EcrModel &m) {
  EXPECT_EQ(m.execute("1109"), 0);
  return m.reply().substr(1, 5);
}

TEST(EcrFaults, ParseTheFaultFile) {
  auto f = parseFaults(
      "[faults]\npaper_end_after_lines = 20 ; comment\nCOVER_OPEN=yes\njournal = nearly_full\n"
      "refuse = 3101 148 2\nrefuse = 2002 54 always\nrefuse = bad\nrefuse = 3004 x\nclear_after_status=3\n"
      "junk\nlink_unplugged = 0\n");
  EXPECT_EQ(f.paperEndAfterLines, 20);
  EXPECT_TRUE(f.coverOpen);
  EXPECT_TRUE(f.journalNearlyFull);
  EXPECT_FALSE(f.journalFull);
  EXPECT_FALSE(f.linkUnplugged);
  EXPECT_EQ(f.clearAfterStatus, 3);
  ASSERT_EQ(f.refuse.size(), 2u);
  EXPECT_EQ(f.refuse[0].prefix, "3101");
  EXPECT_EQ(f.refuse[0].error, 148);
  EXPECT_EQ(f.refuse[0].times, 2);
  EXPECT_EQ(f.refuse[1].times, -1);
  EXPECT_EQ(parseFaults("journal = full").journalFull, true);
}

TEST(EcrFaults, StatusReplyPositions) {
  struct Row {
    const char *faults;
    const char *status;  // positions 1 to 5
  } rows[] = {
      {"", "00000"},
      {"cover_open = 1", "10000"},
      {"journal = full", "00010"},
      {"journal = nearly_full", "00001"},
      {"paper_end_after_lines = 5", "00100"},  // near the end
      {"paper_end_after_lines = 0", "00100"},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.faults);
    TempDir dir;
    EcrModel m(dir.path(), fixedWallClock);
    ASSERT_TRUE(m.setFaults(r.faults));
    EXPECT_EQ(statusOf(m), r.status);
  }
}

// The paper runs out in the middle of a receipt: the command that does not fit
// prints nothing; after the operator has fixed it, the retry prints it once.
TEST(EcrFaults, PaperEndThenTheOperatorFixesIt) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  ASSERT_TRUE(m.setFaults("paper_end_after_lines = 8\nclear_after_status = 2\n"));
  runAll(m, {kSale});                                   // header 6 + 1 line
  EXPECT_EQ(m.execute("3002106FRESCO"), 0);             // 8th line
  EXPECT_EQ(m.execute(payment("3004", "CONTANTE", 0)), 16);  // 3 lines do not fit
  EXPECT_EQ(m.execute("3003"), 16);
  EXPECT_EQ(m.execute(display("PANE", "")), 0);          // the display still works
  EXPECT_EQ(statusOf(m), "01000");
  EXPECT_EQ(statusOf(m), "01000");
  EXPECT_EQ(statusOf(m), "00000");
  runAll(m, {payment("3004", "CONTANTE", 0), "3011", "3013"});
  auto tape = tapeLines(dir.path());
  EXPECT_EQ(std::count(tape.begin(), tape.end(), "CONTANTE                    2,50"), 1);
  EXPECT_EQ(std::count(tape.begin(), tape.end(), "FRESCO"), 1);
  EXPECT_EQ(m.journal().size(), 1u);
}

TEST(EcrFaults, PaperEndStaysWithoutTheOperator) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  ASSERT_TRUE(m.setFaults("paper_end_after_lines = 0"));
  EXPECT_EQ(m.execute(kSale), 16);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(statusOf(m), "01000");
  EXPECT_EQ(m.execute("40011"), 16);
  ASSERT_TRUE(m.setFaults(""));
  runAll(m, {kSale});
}

TEST(EcrFaults, CoverOpenRefusesPrintingOnly) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  ASSERT_TRUE(m.setFaults("cover_open = 1\nclear_after_status = 1"));
  EXPECT_EQ(m.execute(kSale), 64);
  EXPECT_EQ(m.execute("70081"), 0);
  EXPECT_EQ(m.execute("30161"), 0);
  EXPECT_EQ(statusOf(m), "10000");
  EXPECT_EQ(statusOf(m), "00000");
  runAll(m, {kSale});
  EXPECT_EQ(tapeLines(dir.path()).size(), 7u);
}

TEST(EcrFaults, JournalFullRefusesNewDocuments) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  runAll(m, {kSale});
  ASSERT_TRUE(m.setFaults("journal = full"));
  runAll(m, {payment("3004", "CONTANTE", 0), "3011", "3013"});  // the open receipt may finish
  for (const std::string &c : {kSale, std::string("40011"), std::string("400120000000100"),
                               std::string("7102600000"), std::string("2002")})
    EXPECT_EQ(m.execute(c), 30) << c;
  runAll(m, {display("A", "B"), "2003", "8005"});
}

TEST(EcrFaults, RefuseACommandPrefix) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  ASSERT_TRUE(m.setFaults("refuse = 3101 148 2\nrefuse = 7007 56 always\n"));
  EXPECT_EQ(m.execute(kSale), 148);
  EXPECT_EQ(m.execute(kSale), 148);
  EXPECT_EQ(m.execute(kSale), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(m.execute(display("A", "B")), 56);
  // A changed fault file starts counting again.
  ASSERT_TRUE(m.setFaults("refuse = 3101 148 1\n"));
  EXPECT_EQ(m.execute(kSale), 148);
  EXPECT_EQ(m.execute(kSale), 0);
}

TEST(EcrFaults, LinkUnplugged) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  ASSERT_TRUE(m.setFaults("link_unplugged = 1"));
  EXPECT_TRUE(m.linkUnplugged());
  EXPECT_EQ(m.execute("1109"), -1);
  EXPECT_EQ(m.execute(kSale), -1);
  ASSERT_TRUE(m.setFaults(""));
  EXPECT_FALSE(m.linkUnplugged());
  EXPECT_EQ(m.execute(kSale), 0);
}

}  // namespace
