// What the printer has recorded is never lost: a damaged, missing or disagreeing journal, fiscal memory
// or state file makes the next start refuse fiscal work and leaves the records as they are; what a
// crash leaves half done is finished instead.
#include <algorithm>
#include <map>

#include "sim_support.h"
#include "storage.h"

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

// The operating system's file calls, noting in order each write and sync
// ("write <path>", "sync <path>") and each rename ("rename <from>").
class RecordingFileSystem : public merid::sim::FailingFileSystem {
 public:
  RecordingFileSystem() : FailingFileSystem(merid::sim::systemFileSystem(), 0, 0) {}
  std::vector<std::string> events;
  int open(const std::string& path, Mode mode, Handle& handle) override {
    const int error = FailingFileSystem::open(path, mode, handle);
    if (error == 0) paths_[handle] = path;
    return error;
  }
  int write(Handle h, const char* data, size_t size, size_t& written) override {
    events.push_back("write " + paths_[h]);
    return FailingFileSystem::write(h, data, size, written);
  }
  int sync(Handle h) override {
    events.push_back("sync " + paths_[h]);
    return FailingFileSystem::sync(h);
  }
  int rename(const std::string& from, const std::string& to) override {
    events.push_back("rename " + from);
    return FailingFileSystem::rename(from, to);
  }

 private:
  std::map<Handle, std::string> paths_;
};

// Each command leaves what it recorded on the disk: the journal and the fiscal
// memory synced after their last write, and a replaced file (the state)
// synced before it is renamed over the old one, so a crash right after the
// rename finds the new state whole.
TEST(EcrRecords, EveryRecordIsOnTheDiskWhenTheCommandAnswers) {
  Sim sim;
  RecordingFileSystem files;
  merid::sim::useFileSystem(&files);
  std::size_t renames = 0;
  for (const std::string& command : kPaid + Lines{"2002"}) {
    files.events.clear();
    ASSERT_EQ(sim.m.execute(command), 0) << command;
    const auto& e = files.events;
    for (auto at = e.begin(); at != e.end(); ++at) {
      const bool renamed = at->rfind("rename ", 0) == 0;
      const std::string path = at->substr(at->find(' ') + 1);
      const bool record =
          path.find("journal.txt") != std::string::npos || path.find("fiscal.txt") != std::string::npos;
      if (renamed) {
        ++renames;
        const auto lastWrite = std::find(std::make_reverse_iterator(at), e.rend(), "write " + path);
        ASSERT_NE(lastWrite, e.rend()) << command << " " << path;
        EXPECT_NE(std::find(lastWrite.base(), at, "sync " + path), at)
            << command << " renames " << path << " unsynced";
      } else if (record && at->rfind("write ", 0) == 0) {
        EXPECT_NE(std::find(at, e.end(), "sync " + path), e.end())
            << command << " leaves " << path << " unsynced";
      }
    }
  }
  merid::sim::useFileSystem(nullptr);
  EXPECT_GT(renames, 0u);
}

}  // namespace
