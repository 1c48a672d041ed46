// The POSIX seams themselves, and the failure paths of their callers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "config/logging.h"
#include "platform/platform.h"
#include "support/fakes.h"

namespace merid {
namespace {

using test::TempHome;

TEST(Platform, OwnFolderIsTheExecutablesUnlessMeridHomeSaysOtherwise) {
  char exe[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  std::string exeFolder(exe);
  exeFolder.resize(exeFolder.rfind('/'));
  {
    TempHome home;
    EXPECT_EQ(platform::ownFolder(), home.path());
    ::setenv("MERID_HOME", (home.path() + "///").c_str(), 1);
    EXPECT_EQ(platform::inOwnFolder("MeridFiscal.ini"), home.path() + "/MeridFiscal.ini");
  }
  ::unsetenv("MERID_HOME");
  EXPECT_EQ(platform::ownFolder(), exeFolder);
}

TEST(Platform, PrinterLibraryLogPath) {
  TempHome home;
  EXPECT_EQ(platform::printerLibraryLogPath(), home.file("CeFdll.log"));
  ::setenv("MERID_CEFDLL_LOG", "/var/tmp/elsewhere.log", 1);
  EXPECT_EQ(platform::printerLibraryLogPath(), "/var/tmp/elsewhere.log");
  ::unsetenv("MERID_CEFDLL_LOG");
}

TEST(Platform, DefaultMessageBoxWritesOneLineToStandardErrorAndAnswersOk) {
  testing::internal::CaptureStderr();
  const int answer = platform::showMessageBox("Carta esaurita", "Errore stampante",
                                              platform::kMbOk | platform::kMbIconExclamation);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MessageBox [Errore stampante] Carta esaurita\n");
  EXPECT_EQ(answer, platform::kIdOk);
}

// Copy fails: the day copy is missing, and the delete is still attempted.
class FailingCopy : public platform::FileSystem {
 public:
  FailingCopy() : previous_(platform::setFileSystem(this)) {}
  ~FailingCopy() override { platform::setFileSystem(previous_); }
  bool exists(const std::string& p) override { return platform::builtinFileSystem().exists(p); }
  bool copyReplacing(const std::string&, const std::string&) override {
    ++copies;
    return false;
  }
  bool removeForced(const std::string& p) override {
    ++removals;
    return platform::builtinFileSystem().removeForced(p);
  }
  int copies = 0, removals = 0;

 private:
  platform::FileSystem* previous_;
};

TEST(Platform, AFailedCopyOfThePrinterLogStillDeletesIt) {
  TempHome home;
  test::FixedClock clock({2026, 5, 9, 8, 0, 0});
  test::writeFile(home.file("CeFdll.log"), "x");
  FailingCopy files;
  test::onFreshThread([] { InitErrorLog(); });
  EXPECT_EQ(files.copies, 1);
  EXPECT_EQ(files.removals, 1);
  EXPECT_FALSE(test::fileExists(home.file("CeFdll.log")));
  EXPECT_FALSE(test::fileExists(home.file("CefDll_Day09.log")));
}

}  // namespace
}  // namespace merid
