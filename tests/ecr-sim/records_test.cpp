// What the printer has recorded is never lost: a damaged, missing or disagreeing journal, fiscal memory
// or state file makes the next start refuse fiscal work and leaves the records as they are; what a
// crash leaves half done is finished instead.
#include "sim_support.h"

namespace {

using namespace simtest;

struct Damage {
  const char* name;
  const char* file;  // in the printer folder; removed when `change` is empty
  Edit change;
  int error;  // the answer to fiscal commands afterwards; 0: repaired, the numbering goes on
};

// Five receipts with a closing after the third: records 1-3 SC, 4 Z, 5-6 SC; closing 1 in fiscal.txt.
const Lines kFiveReceipts = kPaid + kPaid + kPaid + Lines{"2002"} + kPaid + kPaid;

// clang-format off
const std::vector<Damage> kDamages = {
    {"a byte flipped inside record 2", "journal.txt", flipByte(2), 34},
    {"record 3 missing", "journal.txt", dropLine(3), 34},
    {"record 5 written twice", "journal.txt", appendCopyOf(5), 34},
    {"the last record lost its end of line", "journal.txt", [](std::string& t) { t.pop_back(); }, 34},
    {"journal.txt deleted", "journal.txt", nullptr, 33},
    {"a byte flipped inside closing 1", "fiscal.txt", flipByte(1), 2},
    {"fiscal.txt deleted", "fiscal.txt", nullptr, 50},
    {"the state's counters set to 999", "state.txt", setKey("counters", "999,999,999,999,999,1"), 34},
    {"the state's receipt number ahead", "state.txt", setKey("counters", "6,7,0,0,0,1"), 34},
    {"the state's journal number ahead", "state.txt", setKey("counters", "0,0,0,0,0,2"), 34},
    // What a crash leaves: a line cut short, a state file older than the journal.
    {"an unfinished last line", "journal.txt", [](std::string& t) { t += "J|7|0412"; }, 0},
    {"the state file before the last receipt", "state.txt", setKey("counters", "5,1,0,0,0,1"), 0},
};
// clang-format on

TEST(EcrRecords, DamageIsRefusedAndNothingRecordedIsLost) {
  for (const Damage& d : kDamages) {
    Sim sim;
    sim.run(kFiveReceipts);
    const std::string path = sim.dir.path + "/" + d.file;
    damage(sim.dir.path, d.file, d.change);
    const std::string journal = readText(sim.dir.path + "/journal.txt"),
                      fiscal = readText(sim.dir.path + "/fiscal.txt");
    // Each model is the next process to start on the folder.
    auto next = [&] { return std::make_unique<EcrModel>(sim.dir.path, [&] { return sim.clock; }); };
    if (d.error == 0) {
      for (const std::string& c : kPaid) EXPECT_EQ(next()->execute(c), 0) << d.name << " / " << c;
      auto m = next();
      m->refresh();
      std::vector<int64_t> numbers;
      for (const auto& r : m->journal()) numbers.push_back(r.recno);
      EXPECT_EQ(numbers, (std::vector<int64_t>{1, 2, 3, 4, 5, 6, 7})) << d.name;
      EXPECT_EQ(m->journal().back().number, 3) << d.name;
      continue;
    }
    for (const std::string& c : {kSale, std::string("40011"), std::string("7102600000"),
                                 std::string("400120000000100"), std::string("2002"), std::string("4007")})
      EXPECT_EQ(next()->execute(c), d.error) << d.name << " / " << c;
    // The display, the drawer and the status still work; the status says no document can be made.
    auto m = next();
    EXPECT_EQ(m->execute(kDisplay) + m->execute("70081") + m->execute("1109"), 0) << d.name;
    EXPECT_EQ(m->reply().substr(4, 1), "1") << d.name;
    EXPECT_EQ(readText(sim.dir.path + "/journal.txt"), journal) << d.name;
    EXPECT_EQ(readText(sim.dir.path + "/fiscal.txt"), fiscal) << d.name;
    EXPECT_EQ(std::filesystem::exists(path), bool(d.change)) << d.name;
  }
}

// Files that interrupted atomic writes left behind go at the next start; other files stay.
TEST(EcrRecords, LeftoversOfInterruptedWritesAreRemoved) {
  Sim sim;
  sim.run(kPaid);
  for (const char* name : {"state.txt.tmp4242", "faults.ini.tmp17", "notes.tmp"})
    std::ofstream(sim.dir.path + "/" + name) << "half";
  EcrModel next(sim.dir.path, [&] { return sim.clock; });
  ASSERT_EQ(next.execute("1109"), 0);
  EXPECT_FALSE(std::filesystem::exists(sim.dir.path + "/state.txt.tmp4242"));
  EXPECT_FALSE(std::filesystem::exists(sim.dir.path + "/faults.ini.tmp17"));
  EXPECT_TRUE(std::filesystem::exists(sim.dir.path + "/notes.tmp"));
}

}  // namespace
