// A whole receipt with the Nth file operation failing, for every N: the printer answers an error for the
// command that met the failure, loses nothing it had recorded, and the next start finds a sound folder.
#include <cerrno>

#include "sim_support.h"
#include "storage.h"

namespace {

using namespace simtest;
using merid::sim::FailingFileSystem;
using Op = merid::sim::FileSystem::Op;

struct Failure {
  const char* name;
  int error;
};
const std::vector<Failure> kFailures = {{"EACCES", EACCES}, {"ENOSPC", ENOSPC}, {"EIO", EIO}};

const Lines kReceipt = {kSale, sale('1', 1, "LATTE", 120), sale('1', 2, "CAFFE", 90), cash(1000), "3011",
                        "3013"};
const size_t kClosing = 4;  // "3011" records the receipt

std::vector<std::string> temporaries(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().filename().string().find(".tmp") != std::string::npos)
      out.push_back(entry.path().filename().string());
  return out;
}

TEST(EcrFaultSweep, EveryFailedOperationIsAnErrorAndLosesNothing) {
  // Records before the receipt (SC, Z, SC; one closing), and what an earlier crash left.
  Sim seed;
  seed.run(kPaid + Lines{"2002"} + kPaid);
  std::ofstream(seed.dir.path + "/state.txt.tmp99999") << "half";
  const std::string journal = readText(seed.dir.path + "/journal.txt"),
                    fiscal = readText(seed.dir.path + "/fiscal.txt");
  for (const Failure& f : kFailures) {
    uint64_t n = 1;
    for (;; ++n) {
      Sim::Dir dir;
      std::filesystem::copy(seed.dir.path, dir.path, std::filesystem::copy_options::recursive);
      const std::string where = std::string(f.name) + " at operation " + std::to_string(n);
      FailingFileSystem failing(merid::sim::systemFileSystem(), n, f.error);
      merid::sim::useFileSystem(&failing);
      EcrModel m(dir.path, [&] { return seed.clock; });
      size_t sent = 0;
      bool closed = false;
      for (; sent < kReceipt.size(); ++sent) {
        const bool before = failing.failed();
        const int rc = m.execute(kReceipt[sent]);
        if (failing.failed() && !before && rc == 0) {
          // Only the removal of a leftover may fail unseen: the next start removes it.
          EXPECT_TRUE(failing.failedOp() == Op::List || failing.failedOp() == Op::Remove) << where;
          continue;
        }
        if (sent == kClosing) closed = rc == 0;
        if (rc != 0) {
          EXPECT_TRUE(failing.failed() && !before) << where << ": " << kReceipt[sent] << " answered " << rc;
          break;
        }
      }
      merid::sim::useFileSystem(nullptr);
      if (!failing.failed()) break;  // nothing left to fail: the receipt went through whole

      // What is left needs no person: at most what the next start finishes by itself.
      std::vector<std::string> notes;
      EXPECT_EQ(merid::sim::checkFolder(dir.path, notes).size(), 0u) << where;
      EcrModel next(dir.path, [&] { return seed.clock; });  // the next start
      next.refresh();
      EXPECT_EQ(next.damage().error, 0) << where;
      EXPECT_EQ(temporaries(dir.path), std::vector<std::string>{}) << where;
      EXPECT_EQ(readText(dir.path + "/journal.txt").compare(0, journal.size(), journal), 0) << where;
      EXPECT_EQ(readText(dir.path + "/fiscal.txt"), fiscal) << where;
      // A receipt is in the journal when its closing said so, and never before its closing was sent.
      const size_t records = next.journal().size();
      EXPECT_TRUE((records == 3 && !closed) || (records == 4 && sent >= kClosing))
          << where << ": " << records;
      EXPECT_TRUE(records == 3 || next.journal().back().total == 250 + 120 + 90) << where;
    }
    std::cout << "fault sweep " << f.name << ": " << n - 1 << " operations failed in turn\n";
    EXPECT_GT(n, 100u) << f.name;  // the receipt does reach its files
  }
}

}  // namespace
