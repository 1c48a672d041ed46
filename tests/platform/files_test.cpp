// The core's file operations through the file-system seam, the home folder and where the printer
// library may come from; and the defaults a large settings file gathers in memory.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "config/modIni.h"
#include "link/modConnessioneCOM.h"
#include "logging/logging.h"
#include "merid/MeridTallo_Scontrino.h"
#include "merid/host.h"
#include "platform/ini_document.h"
#include "platform/platform.h"
#include "platform/printer_library.h"
#include "support/fakes.h"

namespace merid {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// The built-in file system, with its Nth operation (counting from 1) failing
// with the given errno; a failing write writes half its bytes first, as a
// full disk does. 0 fails nothing and only counts. Each write, sync and
// rename is noted in order ("write <path>", "sync <path>", "rename <from>").
class FaultyFiles : public platform::FileSystem {
 public:
  FaultyFiles(int failAt, int error)
      : failAt_(failAt), error_(error), previous_(platform::setFileSystem(this)) {}
  ~FaultyFiles() override { platform::setFileSystem(previous_); }
  int count() const { return count_; }
  bool fault() { return ++count_ == failAt_; }

  int stat(const std::string& p, platform::FileInfo& out) override {
    return fault() ? error_ : real().stat(p, out);
  }
  std::unique_ptr<platform::File> open(const std::string& p, platform::OpenMode m, unsigned perm,
                                       int& error) override {
    if (fault()) {
      error = error_;
      return nullptr;
    }
    auto file = real().open(p, m, perm, error);
    return file ? std::make_unique<Faulty>(this, p, std::move(file)) : nullptr;
  }
  int rename(const std::string& a, const std::string& b) override {
    events.push_back("rename " + a);
    return fault() ? error_ : real().rename(a, b);
  }
  std::vector<std::string> events;
  int remove(const std::string& p) override { return fault() ? error_ : real().remove(p); }
  int syncFolder(const std::string& f) override { return fault() ? error_ : real().syncFolder(f); }
  int list(const std::string& f, std::vector<std::string>& n) override {
    return fault() ? error_ : real().list(f, n);
  }

 private:
  struct Faulty : platform::File {
    Faulty(FaultyFiles* owner, std::string path, std::unique_ptr<platform::File> f)
        : owner_(owner), path_(std::move(path)), f_(std::move(f)) {}
    long long read(char* b, std::size_t n) override { return owner_->fault() ? -1 : f_->read(b, n); }
    bool write(const char* d, std::size_t n) override {
      owner_->events.push_back("write " + path_);
      if (!owner_->fault()) return f_->write(d, n);
      f_->write(d, n / 2);
      return false;
    }
    bool sync() override {
      owner_->events.push_back("sync " + path_);
      return !owner_->fault() && f_->sync();
    }
    bool close() override { return f_->close() && !owner_->fault(); }
    FaultyFiles* owner_;
    std::string path_;
    std::unique_ptr<platform::File> f_;
  };
  static platform::FileSystem& real() { return platform::builtinFileSystem(); }
  std::atomic<int> count_{0};
  int failAt_, error_;
  platform::FileSystem* previous_;
};

// A printer that accepts everything.
const PrinterFunctions kAcceptingPrinter{
    [](int32_t, int32_t, uint8_t, uint8_t, uint8_t, uint8_t, int32_t*) { return 0; },
    [](char**, int32_t*) { return 0; }, [](MeridByteArray**, int32_t*, int32_t*) { return 0; },
    [](int32_t*) { return 0; }};

const char* const kSeed =
    "; settings of the shop\r\n[Fiscal]\r\nBuffer=0\r\nCloseConnEachDoc=1\r\n\r\n[Shop]\r\nName=Bar "
    "Sport\r\n";

struct Outcome {
  std::vector<bool> results;
  std::string ini, errorLog;
  std::vector<std::string> leftovers;
};

// One receipt in a fresh folder, with the debug log on, through the public class.
Outcome receipt(int failAt, int error, int* operations = nullptr) {
  test::TempHome home;
  ::setenv("MeridDll_LoggerDebug", "1", 1);
  writeFile(home.file("MeridFiscal.ini"), kSeed);
  writeFile(home.file("MeridDll_LoggerDebug.log"), "an old trace\n");
  Outcome out;
  {
    FaultyFiles files(failAt, error);
    test::onFreshThread([&] {
      MeridTallo_Scontrino s;
      int16_t port = 1;
      s.InitComunicazione(port);
      out.results = {s.ApriTransazioneFiscale(), s.Vendita("", "CAFFE", 1, 1.2, 1.2, "", "22", 1),
                     s.Vendita("", "BRIOCHE", 2, 1.5, 3, "", "10", 2),
                     s.Pagamento_CorrispettivoRiscosso(1, 5, "Contanti"), s.ChiudiTransazioneFiscale()};
    });
    if (operations) *operations = files.count();
  }
  ::unsetenv("MeridDll_LoggerDebug");
  out.ini = readFile(home.file("MeridFiscal.ini"));
  out.errorLog = readFile(home.file("MeridDllManager.log"));
  for (const auto& entry : fs::directory_iterator(home.path()))
    if (entry.path().filename().string().find(".tmp") != std::string::npos)
      out.leftovers.push_back(entry.path().filename().string());
  return out;
}

// Each file operation of a receipt fails in turn: every call ends as without the failure (an unread
// file gives the defaults, an unwritten value or log line is lost), nothing is logged as a failure, and
// the settings file is whole, keeps its values (no default over a value a failed read missed) and
// leaves no temporary file.
TEST(FileFaults, EveryOperationOfAReceiptFailingInTurn) {
  setPrinterFunctions(&kAcceptingPrinter);
  int operations = 0;
  const Outcome clean = receipt(0, 0, &operations);
  ASSERT_EQ(clean.results, std::vector<bool>(5, true));
  ASSERT_GT(operations, 20);
  const platform::IniDocument seed(kSeed);
  for (int error : {EACCES, ENOSPC, EIO}) {
    for (int n = 1; n <= operations; ++n) {
      const Outcome got = receipt(n, error);
      const std::string where = "operation " + std::to_string(n) + " failing with " + std::to_string(error);
      EXPECT_EQ(got.results, clean.results) << where;
      EXPECT_EQ(got.errorLog, "") << where;
      EXPECT_EQ(got.leftovers, std::vector<std::string>()) << where;
      const platform::IniDocument ini(got.ini);
      const std::pair<const char*, const char*> kept[] = {
          {"Fiscal", "Buffer"}, {"Fiscal", "CloseConnEachDoc"}, {"Shop", "Name"}};
      for (const auto& [section, key] : kept)
        EXPECT_EQ(ini.find(section, key), seed.find(section, key)) << where << " " << key;
      EXPECT_TRUE(got.ini.size() >= std::string(kSeed).size() && got.ini.back() == '\n') << where;
    }
  }
  setPrinterFunctions(nullptr);
}

// A write killed before its rename leaves "<file>.tmp<pid>_<n>": the next process to use the file
// removes those of processes that are gone, and keeps anything else.
TEST(FileFaults, TemporaryFilesOfInterruptedWritesGoAtTheNextStart) {
  test::TempHome home;
  // No system numbers a process above 2^22; the parent of this one runs.
  const std::string dead = "99999999", alive = std::to_string(::getppid());
  struct Row {
    std::string name;
    bool stays;
  };
  const Row rows[] = {{"MeridFiscal.ini.tmp" + dead + "_0", false},
                      {"MeridFiscal.ini.tmp" + alive + "_3", true},
                      {"MeridFiscal.ini.tmpx_1", true},
                      {"MeridFiscal.ini.tmp" + dead, true},
                      {"display.ini.tmp" + dead + "_0", true}};
  for (const auto& row : rows) writeFile(home.file(row.name), "[Fiscal]\r\nBuf");
  EXPECT_EQ(ReadINI(home.file("MeridFiscal.ini"), "Fiscal", "Buffer", "0"), "0");
  for (const auto& row : rows) EXPECT_EQ(test::fileExists(home.file(row.name)), row.stays) << row.name;
}

// A relative MERID_HOME would follow the host's current directory and load the printer library found
// there: it is refused, once in the error log, and no library is ever loaded by a relative path.
TEST(HomeFolder, ARelativeHomeIsRefusedAndNoLibraryComesFromTheCurrentDirectory) {
  test::TempHome work;
  const std::string marker = work.file("constructor-ran");
  fs::copy_file(MERID_TEST_STUB_CEFDLL, work.file("libCeFdll.so"));
  const fs::path before = fs::current_path();
  fs::current_path(work.path());
  ::setenv("MERID_STUB_MARK", marker.c_str(), 1);
  struct Row {
    const char* home;
    const char* library;
  };
  for (const Row& row : {Row{".", nullptr}, Row{nullptr, "libCeFdll.so"}, Row{nullptr, "./libCeFdll.so"}}) {
    std::remove(marker.c_str());
    row.home ? ::setenv("MERID_HOME", row.home, 1) : ::unsetenv("MERID_HOME");
    row.library ? ::setenv("MERID_CEFDLL", row.library, 1) : ::unsetenv("MERID_CEFDLL");
    platform::resetBuiltinPrinterLibrary();
    EXPECT_NE(platform::ownFolder().front(), '.') << platform::ownFolder();
    test::onFreshThread([] {
      int16_t port = 3;
      int32_t mode = 3;
      AperturaComunicazione(port, mode);
    });
    EXPECT_FALSE(test::fileExists(marker)) << (row.home ? row.home : row.library);
  }
  ::unsetenv("MERID_CEFDLL");
  ::unsetenv("MERID_STUB_MARK");
  platform::resetBuiltinPrinterLibrary();
  ::setenv("MERID_HOME", ".", 1);
  test::LogRecorder logs;
  test::onFreshThread([] { InitErrorLog(); });
  const auto errors = logs.errors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "InitErrorLog-MERID_HOME \".\" is not an absolute path: ignored");
  fs::current_path(before);
}

// What one call writes to a settings file reaches it in one rewrite (in a new file, the default ""
// read back, then "1" written over it), and a file, small or written in several pieces, replaces the
// old one only once its data is on the disk: a crash just after the rename must not find an empty or
// partial file under the real name.
TEST(FileFaults, TheTemporaryFileIsSyncedBeforeItReplacesTheFile) {
  setPrinterFunctions(&kAcceptingPrinter);
  for (const bool large : {false, true}) {
    test::TempHome home;
    const std::string file = home.file("MeridFiscal.ini");
    if (large) writeFile(file, "[Fiscal]\nBuffer=0\n; " + std::string(3u << 20, '.') + "\n");
    FaultyFiles files(0, 0);
    test::onFreshThread([&] {
      MeridTallo_Scontrino s;
      int16_t port = 1;
      s.InitComunicazione(port);
      EXPECT_TRUE(s.ApriTransazioneFiscale());
      if (large) WriteINI(file, "Fiscal", "Buffer", "1");
    });
    const auto& e = files.events;
    const auto isRename = [](const std::string& x) { return x.rfind("rename ", 0) == 0; };
    EXPECT_EQ(std::count_if(e.begin(), e.end(), isRename), 1) << large;
    const auto renamed = std::find_if(e.begin(), e.end(), isRename);
    ASSERT_NE(renamed, e.end()) << large;
    const std::string tmp = renamed->substr(7);
    const auto lastWrite = std::find(std::make_reverse_iterator(renamed), e.rend(), "write " + tmp);
    ASSERT_NE(lastWrite, e.rend()) << large;
    EXPECT_NE(std::find(lastWrite.base(), renamed, "sync " + tmp), renamed) << large;
    EXPECT_EQ(large ? "" : readFile(file), large ? "" : "[Fiscal]\nBuffer=1\n");
  }
  setPrinterFunctions(nullptr);
}

// Gathered defaults whose write meets a failing operation, for every operation: the file is the old
// one or the new one whole, and no temporary file stays.
TEST(FileFaults, GatheredDefaultsFailingToBeWritten) {
  std::string before = "[Fiscal]\r\nBuffer=\r\n";
  for (int i = 0; before.size() < (3u << 19); ++i)
    before += "[A" + std::to_string(i) + "]\r\nk=................\r\n";
  platform::IniDocument full(before);
  full.set("Fiscal", "Buffer", "1");
  full.set("Nuova", "nota", "x");
  for (int error : {EACCES, ENOSPC, EIO}) {
    int operations = 0;  // counted by the run that fails nothing (n = 0)
    for (int n = 0; n <= operations; ++n) {
      test::TempHome home;
      const std::string file = home.file("MeridFiscal.ini");
      writeFile(file, before);
      EXPECT_EQ(ReadINI(file, "Fiscal", "Buffer", "1"), "1");
      EXPECT_EQ(ReadINI(file, "Nuova", "nota", "x"), "x");
      {
        FaultyFiles files(n, error);
        platform::writeWaitingDefaults();
        if (n == 0) operations = files.count();
      }
      const std::string where = "operation " + std::to_string(n) + " failing with " + std::to_string(error);
      const std::string after = readFile(file);
      EXPECT_TRUE(after == full.bytes() || (n > 0 && after == before)) << where;
      for (const auto& entry : fs::directory_iterator(home.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << where;
    }
    EXPECT_GT(operations, 8);
  }
}

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
// An empty key, a missing one beside it, one in a late section, one in a new section, quoted.
const Key kDefaults[] = {{"Fiscal", "Buffer", "1", "1"},
                         {"fiscal", "CloseConnEachDoc", "0", "0"},
                         {"Articolo900", "sconto", " 5 ", "5"},
                         {"Nuova", "nota", "\" a b \"", " a b "}};

void readAll(const std::string& file) {
  for (const auto& k : kDefaults) EXPECT_EQ(ReadINI(file, k.section, k.key, k.value), k.value) << k.key;
}

// Every read, on any thread, gives the defaults.
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

// A child process that ends normally, running the exit handlers.
void childExits() {
  std::fflush(nullptr);  // what the child would print again
  const pid_t child = ::fork();
  if (child == 0) std::exit(0);
  ASSERT_GT(child, 0);
  int status = 0;
  ::waitpid(child, &status, 0);
}

// The defaults reach the file, as writing each at once would have left it, with the next real write to
// it (the library's own values for keys it found empty wait as defaults do), after their wait, or at
// the end of the process; not with a write to another file or a read within the wait.
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
      {"the end of the process", [](const std::string&) { childExits(); }, true, nullptr},
      {"a write to another file", [](const std::string&) { WriteINI(displayIni(), "A", "b", "c"); }, false,
       nullptr},
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
