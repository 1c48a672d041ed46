// What the printer recorded is never lost: damaged, missing or disagreeing files make the next start
// refuse fiscal work, leave the records as they are, and meridctl check says what is wrong where; what
// a crash or a failed file operation leaves half done is finished instead.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>

#include "sim_support.h"
#include "storage.h"

namespace {

using namespace simtest;

// Damage done to a file of a printer folder, line by line (lines count from 1).
using Edit = std::function<void(std::string&)>;
size_t lineStart(const std::string& text, int line) {
  size_t at = 0;
  for (int i = 1; i < line; ++i) at = text.find('\n', at) + 1;
  return at;
}
Edit flipByte(int line) {  // a byte well inside the line
  return [line](std::string& t) { t[lineStart(t, line) + 20] ^= 0x01; };
}
Edit dropLine(int line) {
  return [line](std::string& t) { t.erase(lineStart(t, line), lineStart(t, line + 1) - lineStart(t, line)); };
}
Edit appendCopyOf(int line) {
  return [line](std::string& t) {
    t += t.substr(lineStart(t, line), lineStart(t, line + 1) - lineStart(t, line));
  };
}
Edit setKey(const std::string& key, const std::string& value) {  // in state.txt
  return [key, value](std::string& t) {
    const size_t at = t.find(key + "=");
    t.replace(at, t.find('\n', at) - at, key + "=" + value);
  };
}

struct Damage {
  const char* name;
  const char* file;  // in the printer folder; removed when `change` is empty ("": the folder)
  Edit change;
  int error;               // the answer to fiscal commands afterwards; 0: repaired, the numbering goes on
  std::string check = "";  // what meridctl check prints, "DIR" standing for the folder; "": not asked
};

// Five receipts with a closing after the third: records 1-3 SC, 4 Z, 5-6 SC; closing 1 in fiscal.txt.
const Lines kFiveReceipts = kPaid + kPaid + kPaid + Lines{"2002"} + kPaid + kPaid;

const std::string k34 = " (fiscal commands refused with 34)\n", k50 = " (fiscal commands refused with 50)\n";
// clang-format off
const std::vector<Damage> kDamages = {
    {"a byte flipped inside record 2", "journal.txt", flipByte(2), 34,
     "DIR/journal.txt line 2: its checksum does not match its content" + k34},
    {"record 3 missing", "journal.txt", dropLine(3), 34},
    {"record 5 written twice", "journal.txt", appendCopyOf(5), 34,
     "DIR/journal.txt line 7: record number 5, expected 7" + k34},
    {"the last record lost its end of line", "journal.txt", [](std::string& t) { t.pop_back(); }, 34},
    {"journal.txt deleted", "journal.txt", nullptr, 33},
    {"a byte flipped inside closing 1", "fiscal.txt", flipByte(1), 2},
    {"fiscal.txt deleted", "fiscal.txt", nullptr, 50, "DIR/fiscal.txt: no record of closing 1 (journal.txt "
     "line 4)" + k50 + "DIR/fiscal.txt: holds 0 closings, but journal.txt line 6 belongs to day Z 2" + k50},
    {"the state's counters set to 999", "state.txt", setKey("counters", "999,999,999,999,999,1"), 34,
     "DIR/state.txt: counts 999 journal records, but journal.txt ends at record 6" + k34},
    {"the state's receipt number ahead", "state.txt", setKey("counters", "6,7,0,0,0,1"), 34},
    {"the state's journal number ahead", "state.txt", setKey("counters", "0,0,0,0,0,2"), 34},
    // What a crash leaves: a line cut short, a state file older than the journal.
    {"an unfinished last line", "journal.txt", [](std::string& t) { t += "J|7|0412"; }, 0,
     "OK: DIR: journal, numbering and fiscal memory agree (journal.txt: an unfinished last line (a write "
     "cut short), dropped at the next start)\n"},
    {"the state file before the last receipt", "state.txt", setKey("counters", "5,1,0,0,0,1"), 0},
    {"no folder", "", nullptr, 0, "DIR: no such folder\n"},
};
// clang-format on

TEST(EcrRecords, DamageIsRefusedAndNothingRecordedIsLost) {
  for (const Damage& d : kDamages) {
    Sim sim;
    sim.run(kFiveReceipts);
    const std::string path = sim.dir.path + "/" + d.file;
    std::string text = readText(path);
    if (!d.change) {
      std::filesystem::remove_all(path);  // "": the folder
    } else {
      d.change(text);
      std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    const std::string journal = readText(sim.dir.path + "/journal.txt"),
                      fiscal = readText(sim.dir.path + "/fiscal.txt");
    if (!d.check.empty()) {  // it only reads: nothing repaired
      const std::string out = sim.dir.path + ".out";
      const int status = std::system(
          (std::string(MERIDCTL_PATH) + " check --sim-dir " + sim.dir.path + " > " + out).c_str());
      std::string expected = d.check;
      for (size_t at; (at = expected.find("DIR")) != std::string::npos;)
        expected.replace(at, 3, sim.dir.path);
      EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, expected.rfind("OK", 0) == 0 ? 0 : 1) << d.name;
      EXPECT_EQ(readText(out), expected) << d.name;
      EXPECT_EQ(readText(sim.dir.path + "/journal.txt"), journal) << d.name;
      std::filesystem::remove(out);
    }
    if (!*d.file) continue;
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

// The operating system's file calls, noting in order each write and sync ("write <path>", "sync <path>").
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

 private:
  std::map<Handle, std::string> paths_;
};

// Each command leaves what it recorded on the disk: the journal, the fiscal memory and the temporary
// file that replaces the state (renamed over it once closed) are synced after their last write, so a
// crash right after the command or the rename finds them whole. Only the paper tape may wait.
TEST(EcrRecords, EveryRecordIsOnTheDiskWhenTheCommandAnswers) {
  Sim sim;
  RecordingFileSystem files;
  merid::sim::useFileSystem(&files);
  for (const std::string& command : kPaid + Lines{"2002"}) {
    files.events.clear();
    ASSERT_EQ(sim.m.execute(command), 0) << command;
    const auto& e = files.events;
    for (auto at = e.begin(); at != e.end(); ++at) {
      if (at->rfind("write ", 0) != 0 || at->find("/tape.") != std::string::npos) continue;
      EXPECT_NE(std::find(at, e.end(), "sync " + at->substr(6)), e.end()) << command << " leaves " << *at;
    }
  }
  merid::sim::useFileSystem(nullptr);
}

// A whole receipt with the Nth file operation failing, for every N: the printer answers an error for the
// command that met the failure, loses nothing it had recorded, and the next start finds a sound folder.
using merid::sim::FailingFileSystem;
using Op = merid::sim::FileSystem::Op;

const Lines kReceipt = {kSale, sale('1', 1, "LATTE", 120), sale('1', 2, "CAFFE", 90), cash(1000), "3011",
                        "3013"};
const size_t kClosing = 4;  // "3011" records the receipt

TEST(EcrFaultSweep, EveryFailedOperationIsAnErrorAndLosesNothing) {
  // Records before the receipt (SC, Z, SC; one closing), and what an earlier crash left: files that
  // interrupted atomic writes left behind go at the next start, other files stay.
  Sim seed;
  seed.run(kPaid + Lines{"2002"} + kPaid);
  for (const char* name : {"state.txt.tmp99999", "faults.ini.tmp17", "notes.tmp"})  // the last not ours
    std::ofstream(seed.dir.path + "/" + name) << "half";
  const std::string journal = readText(seed.dir.path + "/journal.txt"),
                    fiscal = readText(seed.dir.path + "/fiscal.txt");
  for (const int error : {EACCES, ENOSPC, EIO}) {
    uint64_t n = 1;
    for (;; ++n) {
      Sim::Dir dir;
      std::filesystem::copy(seed.dir.path, dir.path, std::filesystem::copy_options::recursive);
      const std::string where = "errno " + std::to_string(error) + " at operation " + std::to_string(n);
      FailingFileSystem failing(merid::sim::systemFileSystem(), n, error);
      merid::sim::useFileSystem(&failing);
      EcrModel m(dir.path, [&] { return seed.clock; });
      size_t sent = 0;
      bool closed = false;
      for (; sent < kReceipt.size(); ++sent) {
        const bool before = failing.failed();
        const int rc = m.execute(kReceipt[sent]);
        const bool now = failing.failed() && !before;
        // An error where the failure was met, and only there; only the removal of a leftover may fail
        // unseen (the next start removes it).
        EXPECT_TRUE(rc != 0 ? now
                            : !now || failing.failedOp() == Op::List || failing.failedOp() == Op::Remove)
            << where << ": " << kReceipt[sent] << " answered " << rc;
        closed = closed || (sent == kClosing && rc == 0);
        if (rc != 0) break;
      }
      merid::sim::useFileSystem(nullptr);
      if (!failing.failed()) break;  // nothing left to fail: the receipt went through whole

      // What is left needs no person: at most what the next start finishes by itself.
      std::vector<std::string> notes;
      EXPECT_EQ(merid::sim::checkFolder(dir.path, notes).size(), 0u) << where;
      EcrModel next(dir.path, [&] { return seed.clock; });  // the next start
      next.refresh();
      EXPECT_EQ(next.damage().error, 0) << where;
      std::vector<std::string> temporaries;
      for (const auto& entry : std::filesystem::directory_iterator(dir.path))
        if (entry.path().filename().string().find(".tmp") != std::string::npos)
          temporaries.push_back(entry.path().filename().string());
      EXPECT_EQ(temporaries, std::vector<std::string>{"notes.tmp"}) << where;
      EXPECT_EQ(readText(dir.path + "/journal.txt").compare(0, journal.size(), journal), 0) << where;
      EXPECT_EQ(readText(dir.path + "/fiscal.txt"), fiscal) << where;
      // A receipt is in the journal when its closing said so, and never before its closing was sent.
      const size_t records = next.journal().size();
      EXPECT_TRUE((records == 3 && !closed) || (records == 4 && sent >= kClosing))
          << where << ": " << records;
      EXPECT_TRUE(records == 3 || next.journal().back().total == 250 + 120 + 90) << where;
    }
    EXPECT_GT(n, 100u) << error;  // the receipt does reach its files
  }
}

}  // namespace
