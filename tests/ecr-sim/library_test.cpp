// The built libCeFdll.so loaded as a host loads it; several processes, and hosts killed at random.
#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <map>
#include <random>
#include <set>

#include "journal.h"
#include "merid/cefdll.h"
#include "sim_support.h"

namespace {

using namespace merid::sim;
using namespace simtest;
using Answers = std::vector<int32_t>;

// The descriptor is a one-dimensional SAFEARRAY: its bound follows pvData.
static_assert(offsetof(MeridByteArray, cElements) == offsetof(MeridByteArray, pvData) + sizeof(void*));

class CefdllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(open && write && read && close && version && faults) << dlerror();
    setenv("MERID_SIM_DIR", sim.dir.path.c_str(), 1);
  }
  int32_t openPort() { return open(1, 19200, 1, 7, 0, 1, &status); }
  int32_t send(std::string command) {
    char* text = command.data();
    return write(&text, &status);
  }
  // The status reply through a descriptor of `elements` bytes over `buffer`.
  int32_t reply(std::vector<unsigned char>& buffer, uint32_t elements, int32_t* length) {
    MeridByteArray array{1, 0, 1, 0, buffer.data(), elements, 0}, *p = &array;
    return read(&p, length, &status);
  }

  void* library = dlopen(MERID_SIM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  VbCEFOpen_t open = reinterpret_cast<VbCEFOpen_t>(dlsym(library, "VbCEFOpen"));
  VbCEFWrite_t write = reinterpret_cast<VbCEFWrite_t>(dlsym(library, "VbCEFWrite"));
  VbCEFRead_t read = reinterpret_cast<VbCEFRead_t>(dlsym(library, "VbCEFRead"));
  VbCEFClose_t close = reinterpret_cast<VbCEFClose_t>(dlsym(library, "VbCEFClose"));
  VbCEFGetVersion_t version = reinterpret_cast<VbCEFGetVersion_t>(dlsym(library, "VbCEFGetVersion"));
  int32_t (*faults)(const char*) = reinterpret_cast<int32_t (*)(const char*)>(dlsym(library,
                                                                                    "MeridSimSetFaults"));
  int32_t status = 7;  // every entry point clears it
  Sim sim;             // its folder
};

// A link closed until opened, unplugged by the in-process fault setter; the status reply; and error
// numbers, never a crash, for bad pointers and huge commands (commands of any text: the fuzz target).
TEST_F(CefdllTest, EntryPoints) {
  char* text = nullptr;
  ASSERT_EQ(version(&text, &status) + status, 0);
  EXPECT_EQ(std::string(text).rfind("MERID-ECR-SIM", 0), 0u);
  EXPECT_EQ(
      (Answers{version(nullptr, nullptr), send("1109"), openPort(), send(kSale), close(&status), send(kSale),
               faults("link_unplugged = 1"), openPort(), send("1109"), close(nullptr), faults(nullptr)}),
      (Answers{3, -1, 0, 0, 0, -1, 0, -1, -1, 0, 0}));
  ASSERT_EQ(open(1, 19200, 1, 7, 0, 1, nullptr) + faults("cover_open = 1\njournal = nearly_full"), 0);
  std::vector<unsigned char> buffer(MERID_REPLY_SIZE + 8, 0xAA);
  int32_t length = 0;
  EXPECT_EQ(reply(buffer, MERID_REPLY_SIZE, &length), 5);  // nothing asked yet
  ASSERT_EQ(send("1109") + reply(buffer, MERID_REPLY_SIZE, &length), 0);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 7), "110001\xAA");  // a receipt is open
  EXPECT_EQ(length, 6);
  buffer.assign(buffer.size(), 0xAA);  // a short descriptor gets no more bytes than it holds
  ASSERT_EQ(reply(buffer, 3, &length), 0);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 4), "110\xAA");
  EXPECT_EQ(length, 3);
  MeridByteArray empty{}, *none = nullptr, *p = &empty;
  char* null = nullptr;
  EXPECT_EQ(
      (Answers{read(nullptr, &length, nullptr), read(&none, &length, nullptr), read(&p, nullptr, nullptr),
               write(nullptr, nullptr), write(&null, nullptr), reply(buffer, MERID_REPLY_SIZE, nullptr),
               send(std::string(1 << 20, '3')), send("3101" + std::string(5000, 'x'))}),
      (Answers{3, 3, 3, 24, 24, 5, 24, 24}));
}

// Four hosts start forty receipts each at once: whoever has the port prints, each receipt with its one
// sale; the others' opens answer 5 and what they send is refused (a killed holder frees the port: the
// crash test reopens it).
TEST_F(CefdllTest, FourHostsAtOnceDoNotMix) {
  ASSERT_EQ(close(&status), 0);
  for (char host : {'A', 'B', 'C', 'D'})
    if (fork() == 0) {
      if (const int32_t busy = openPort()) _exit(busy == 5 && send(kSale) == -1 ? 10 : 11);
      for (int k = 0; k < 40; ++k)
        if (send(sale('1', 3, std::string(1, host), 100)) || send(cash(0)) || send("3011") || send("3013"))
          _exit(1);
      _exit(0);
    }
  size_t printed = 0;
  for (int exit = 0; wait(&exit) > 0;) {
    EXPECT_TRUE(WIFEXITED(exit) && (WEXITSTATUS(exit) == 0 || WEXITSTATUS(exit) == 10)) << exit;
    printed += WIFEXITED(exit) && WEXITSTATUS(exit) == 0;
  }
  EXPECT_GE(printed, 1u);
  sim.m.refresh();
  EXPECT_EQ(sim.m.journal().size(), 40 * printed);
  for (const JournalRecord& r : sim.m.journal()) {  // the font digit, then a host's name alone
    auto hostSale = [](const std::string& l) {
      return l.size() > 2 && l[1] >= 'A' && l[1] <= 'D' && l[2] == ' ';
    };
    EXPECT_EQ(r.total, 100);
    EXPECT_EQ(std::count_if(r.lines.begin(), r.lines.end(), hostSale), 1) << r.recno;
  }
}

// Models on one folder (meridctl check beside a host, say): a lock around each command keeps the
// documents whole and their numbers distinct.
TEST(EcrStorage, SeveralModelsShareOneFolder) {
  Sim sim;
  for (char c : {'A', 'B', 'C'})
    if (fork() == 0) {  // eight documents each, retrying while another one is open (117)
      EcrModel m(sim.dir.path, [&] { return sim.clock; });
      for (int done = 0, tries = 0; done < 8 && ++tries < 100000;)
        done += !m.execute("40011") && !m.execute("4003132" + std::string(32, c)) && !m.execute("4004");
      _exit(0);
    }
  for (int status = 0; wait(&status) > 0;) EXPECT_EQ(status, 0);
  std::set<int64_t> numbers;
  for (const JournalRecord& r : (sim.m.refresh(), sim.m.journal())) numbers.insert(r.number);
  EXPECT_EQ(numbers.size(), 24u);
}

// Afterwards the journal and the fiscal memory parse cleanly, the fiscal memory holds a record for
// each Z, and each receipt the host saw completed is in the journal exactly once.
TEST_F(CefdllTest, AHostKilledAtRandomMoments) {
  std::ofstream(sim.dir.path + "/settings.ini") << "line1 = BAR SPORT\n";  // room for every closing
  std::mt19937 random(20261204);
  int64_t window = 1;  // how long five receipts take here: the first child runs to its end
  for (int round = 0; round < 201; ++round) {
    const auto forked = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {  // prints receipts, a Z after every fifth, noting those answered as done
      std::ofstream done(sim.dir.path + "/done.txt", std::ios::app);
      if (openPort() != 0) _exit(2);
      for (const char* c : {"3011", "3013", "3001819Annullo transazione000000000", "3011", "3013"})
        send(c);  // whatever an earlier victim left open
      for (int k = 0; k < (round == 0 ? 5 : 1000); ++k) {
        const std::string name = "R" + std::to_string(round) + "-" + std::to_string(k);
        // A refused sale can only be a day that changed at midnight: close it.
        if (send(sale('1', 3, name, 100 + k)) && (send("2002") || send(sale('1', 3, name, 1)))) _exit(3);
        if (send(cash(0)) != 0) _exit(3);
        if (send("3011") == 0) done << name << std::endl;
        if (send("3013") == 0 && k % 5 == 4) send("2002");
      }
      _exit(0);
    }
    if (round > 0) usleep(useconds_t(random() % uint64_t(window)));
    if (round > 0) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) || WEXITSTATUS(status) == 0) << "round " << round << " status " << status;
    using namespace std::chrono;
    if (round == 0) window += duration_cast<microseconds>(steady_clock::now() - forked).count();
  }
  std::map<std::string, int> done, inJournal;
  std::istringstream lines(readText(sim.dir.path + "/done.txt"));
  for (std::string line; std::getline(lines, line);) ++done[line];
  // The files as they are, before any repair by the model: at most the last line torn.
  const std::string journalText = readText(sim.dir.path + "/journal.txt"),
                    fiscal = readText(sim.dir.path + "/fiscal.txt");
  uint64_t journalEnd, fiscalEnd;
  const auto journal = parseLines<JournalRecord>(journalText, 0, journalEnd, decodeRecord);
  parseLines<FiscalRecord>(fiscal, 0, fiscalEnd, decodeFiscal);
  EXPECT_EQ(journalText.find('\n', journalEnd), std::string::npos);
  EXPECT_EQ(fiscal.find('\n', fiscalEnd), std::string::npos);
  int64_t closings = 0;
  for (size_t i = 0; i < journal.size(); ++i) {
    EXPECT_EQ(journal[i].recno, int64_t(i + 1));
    closings += journal[i].kind == kClosing;
    const std::string item = journal[i].kind == kReceipt ? journal[i].lines.at(4) : "";
    if (!item.empty()) ++inJournal[item.substr(1, item.find(' ') - 1)];  // the font digit, then the name
  }
  ASSERT_TRUE(!done.empty() && closings > 0);
  for (auto& [name, count] : done) EXPECT_EQ(inJournal[name], 1) << name;
  for (auto& [name, count] : inJournal) EXPECT_EQ(count, 1) << name;
  EcrModel model(sim.dir.path);  // a fiscal record missing (killed before its write) is added
  model.refresh();
  ASSERT_EQ(int64_t(model.fiscalMemory().size()), closings);
  for (int64_t z = 0; z < closings; ++z) EXPECT_EQ(model.fiscalMemory()[size_t(z)].z, z + 1);
}

}  // namespace
