// The built-in binding against real shared libraries built in the tree.

#include "platform/printer_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "merid/MeridEnumValue.h"
#include "config/logging.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"
#include "support/fakes.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;

class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old, had_ = true;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~EnvVar() { had_ ? ::setenv(name_, previous_.c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::string previous_;
  bool had_ = false;
};

// A fresh binding, no fake, and a library folder of our own.
class Binding : public testing::Test {
 protected:
  Binding() { platform::resetBuiltinPrinterLibrary(); }
  ~Binding() override { platform::resetBuiltinPrinterLibrary(); }
  void run(const std::function<void()>& body) {
    test::onFreshThread([&] {
      InitErrorLog();
      body();
    });
  }
  // Every call the stub loaded from path has seen.
  static std::string journal(const std::string& path) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return "not loaded";
    auto fn = reinterpret_cast<const char* (*)()>(::dlsym(handle, "MeridStubJournal"));
    std::string text = fn ? fn() : "no journal";
    ::dlclose(handle);
    return text;
  }
  // Opens mode 1 on port 3, reads the status, closes twice.
  Strings session() {
    Strings out;
    run([&] {
      int16_t port = 3;
      int32_t mode = 1;
      out.push_back(AperturaComunicazione(port, mode) ? "True" : "False");
      out.push_back(std::to_string(Merid_CheckStatus()));
      out.push_back(ChiusuraComunicazione() ? "True" : "False");
      out.push_back(ChiusuraComunicazione() ? "True" : "False");
    });
    return out;
  }
  test::TempHome home;
  test::LogRecorder logs;
  EnvVar chosen{"MERID_CEFDLL", nullptr};
};

const Strings kSession = {"True", "16", "True", "False"};
const char* const kJournal = "write 1109;open 3 19200 1 7 0 1;write 30161;write 1109;read;close;close;";

TEST_F(Binding, FindsTheLibraryNamedByTheEnvironment) {
  EnvVar env("MERID_CEFDLL", MERID_TEST_STUB_CEFDLL);
  EXPECT_EQ(session(), kSession);
  EXPECT_EQ(journal(MERID_TEST_STUB_CEFDLL), kJournal);
  EXPECT_TRUE(logs.errors().empty());
}

TEST_F(Binding, FindsTheLibraryBesideItsOwnFileOnceItIsThere) {
  const std::string beside = home.file("libCeFdll.so");
  run([] { EXPECT_EQ(Merid_CheckStatus(), ECK_OK); });
  std::filesystem::copy_file(MERID_TEST_STUB_CEFDLL, beside);
  EXPECT_EQ(session(), kSession);
  EXPECT_EQ(journal(beside), kJournal);
  EXPECT_EQ(logs.errors(), Strings{"modError-Merid_CheckStatus File not found: libCeFdll.so"});
}

TEST_F(Binding, ANamedLibraryThatIsMissingIsNotReplacedByAnother) {
  std::filesystem::copy_file(MERID_TEST_STUB_CEFDLL, home.file("libCeFdll.so"));
  const std::string gone = home.file("gone/libCeFdll.so");
  EnvVar env("MERID_CEFDLL", gone.c_str());
  run([] { EXPECT_EQ(Merid_CheckStatus(), ECK_OK); });
  EXPECT_EQ(logs.errors(), Strings{"modError-Merid_CheckStatus File not found: " + gone});
}

TEST_F(Binding, WithoutTheLibraryOnlyTheCommandsFail) {
  Strings results;
  run([&] {
    int16_t port = 1;
    int32_t bufferMode = 1, plain = 3;
    std::string cmd = "3013";
    results = {std::to_string(Merid_CheckStatus()),
               AperturaComunicazione(port, bufferMode) ? "True" : "False",
               AperturaComunicazione(port, plain) ? "True" : "False", InviaComandoECR(cmd) ? "True" : "False",
               ChiusuraComunicazione() ? "True" : "False"};
  });
  EXPECT_EQ(results, (Strings{"0", "True", "True", "False", "True"}));
  const std::string missing = " File not found: libCeFdll.so";
  EXPECT_EQ(logs.errors(),
            (Strings{"modError-Merid_CheckStatus" + missing, "modError-Merid_CheckStatus" + missing,
                     "modConnessioneCOM-AperturaComunicazione" + missing,
                     "modError-Merid_CheckStatus" + missing, "modError-InviaComando" + missing}));
}

TEST_F(Binding, AMissingEntryPointFailsTheRoutineThatNeedsIt) {
  EnvVar env("MERID_CEFDLL", MERID_TEST_MISBEHAVING_CEFDLL);
  EnvVar mode("MERID_MISBEHAVE", "closed");
  bool opened = true;
  run([&] {
    int16_t port = 1;
    int32_t m = 1;
    opened = AperturaComunicazione(port, m);
  });
  EXPECT_FALSE(opened);
  EXPECT_EQ(logs.errors(),
            Strings{"modConnessioneCOM-AperturaComunicazione Can't find DLL entry point VbCEFOpen in " +
                    std::string(MERID_TEST_MISBEHAVING_CEFDLL)});
}

// Under the asan preset a read outside the core's own buffers stops the test.
TEST_F(Binding, AMisbehavingLibraryCannotMakeTheCoreReadOutsideItsBuffers) {
  EnvVar env("MERID_CEFDLL", MERID_TEST_MISBEHAVING_CEFDLL);
  struct Row {
    const char* mode;
    int32_t status;
  };
  // The core reads what the library put in its buffer, whatever the
  // descriptor and the length say afterwards.
  const Row rows[] = {{"null", ECK_CoperchioAperto},
                      {"shrink", ECK_CartaEsaurita},
                      {"long", ECK_CoperchioAperto},
                      {"replace", ECK_OK}};
  for (const auto& r : rows) {
    EnvVar mode("MERID_MISBEHAVE", r.mode);
    int32_t status = -2;
    run([&] { status = Merid_CheckStatus(); });
    EXPECT_EQ(status, r.status) << r.mode;
  }
  std::string cmd = "3013";
  bool sent = false;
  run([&] { sent = InviaComandoECR(cmd); });
  EXPECT_TRUE(sent);
  EXPECT_EQ(cmd, "XXXXX");
  EXPECT_TRUE(logs.errors().empty());
}

}  // namespace
}  // namespace merid
