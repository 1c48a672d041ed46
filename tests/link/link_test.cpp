// The printer link and command engine, on the recording fake and on real libraries.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "logging/logging.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"
#include "merid/MeridEnumValue.h"
#include "platform/printer_library.h"
#include "support/fake_printer.h"
#include "support/fakes.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;
using Replies = std::vector<test::FakePrinter::Reply>;

std::string join(const Strings& items, const char* between) {
  std::string all;
  for (const auto& item : items) all += (all.empty() ? "" : between) + item;
  return all;
}

// What a link routine touches, faked, debug log on; "1109" gets statusWrite.
struct LinkRig {
  test::TempHome home;
  test::LogRecorder logs;
  test::FakeSettings settings;
  test::BoxRecorder boxes;
  test::FakePrinter printer;

  explicit LinkRig(int32_t statusWrite = 0, Replies replies = {}) {
    settings.set("MeridDll_LoggerDebug", "1");
    printer.answer("1109", {statusWrite});
    printer.replies(std::move(replies));
  }
  void run(const std::function<void()>& body) {
    test::onFreshThread([&] {
      InitErrorLog();
      InitDebugLog();
      body();
    });
  }
  std::string calls() const { return join(printer.calls(), ", "); }
  std::string ini() const { return test::readFile(home.file("MeridFiscal.ini")); }
  void setIni(const std::string& text) const { test::writeFile(home.file("MeridFiscal.ini"), text); }
};

// Refused with 16: the box, the status confirmed, ready.
TEST(InviaComando, EveryStepInOrder) {
  LinkRig rig;
  rig.printer.answer("3013", {16});
  std::string cmd = "3013";
  rig.run([&] { EXPECT_TRUE(InviaComandoECR(cmd)); });
  EXPECT_EQ(rig.logs.debug(), (Strings{
                                  "Invio comando a ECR...",
                                  "....Comando:            3013(nrTentativi: 1)",
                                  "....Stringa errore:     Codice errore 16, tentativo 1, comando: 3013",
                                  "In gestioneErrore...",
                                  "....Is InFineCartaOCoperSI",
                                  "....esitoCheck:         1",
                                  "....esitoCheckErr_OpRiteGoTo Merid_CheckStatus/checkStatus",
                                  "Merid_CheckStatus...",
                                  "....Merid_CheckStatus:  Leggendo stato da stampante...",
                                  "....Merid_CheckStatus:  connesso! Test stato...",
                                  "In gestioneErrore...",
                                  "....Is InMeridSkipError:SI, CodErr:0",
                                  "....esitoCheck:         3",
                              }));
  EXPECT_EQ(rig.calls(), "write 3013, write 1109, read");
  const auto box = rig.boxes.boxes().at(0);
  EXPECT_EQ(box.title + ": " + box.text,
            "Errore stampante: Carta esaurita o coperchio aperto: premere OK quando pronti.");
  EXPECT_EQ(box.style, platform::kMbOk | platform::kMbIconExclamation);
  EXPECT_TRUE(rig.logs.errors().empty());
}

// Steps on one thread: loaded once, a word written back as 0, an edit counts
// after a receipt object's reset; a negative or failing value is read again.
TEST(SkipList, WhenTheFileIsReadAgain) {
  struct Step {
    const char* ini;
    bool reset;
    int32_t err;
    int32_t after;
  };
  const Step steps[] = {{"Value1=24\nValue3=ventiquattro", false, 24, 0},
                        {"Value1=30", false, 30, 30},
                        {nullptr, true, 30, 0},
                        {nullptr, false, 24, 24},
                        {"Value1=-5\nValue2=99999999999", true, 24, 24},
                        {"Value1=24", false, 24, 0}};
  LinkRig rig;
  std::string firstIni;
  rig.run([&] {
    for (const auto& [ini, reset, err, after] : steps) {
      if (ini) rig.setIni(std::string("[SkipError]\n") + ini + "\n");
      if (reset) resetMeridSkipError();
      int32_t error = err, outcome = 0;
      gestioneErrore(error, outcome);
      EXPECT_EQ(error, after) << (ini ? ini : "") << " " << err;
      if (firstIni.empty()) firstIni = rig.ini();
    }
  });
  EXPECT_EQ(firstIni, "[SkipError]\nValue1=24\nValue3=0\nValue2=0\n");
  EXPECT_EQ(rig.logs.errors(), Strings{"modError-LoadIfNeeded_MeridSkipErrors Overflow"});
}

// Cover, paper, journal full, nearly full; a short reply or no answer.
TEST(Merid_CheckStatus, ResultByReply) {
  struct Row {
    int32_t statusWrite;
    int32_t readResult;
    const char* reply;
    int32_t result;
  };
  const Row rows[] = {
      {5, 0, "", ECK_NonConnesso},
      {0, 3, "011111", ECK_NonConnesso},
      {0, 0, "011111", ECK_CoperchioAperto},
      {0, 0, "001110", ECK_CartaEsaurita},
      {0, 0, "000110", ECK_DGFEEsaurito},
      {0, 0, "000101", ECK_DGFEQuasiEsaurito},
      {0, 0, "000100", ECK_OK},
      {0, 0, "0", ECK_OK},
  };
  for (const auto& [statusWrite, readResult, reply, result] : rows) {
    LinkRig rig(statusWrite, {{reply, readResult}});
    rig.run([&, result = result] { EXPECT_EQ(Merid_CheckStatus(), result); });
    EXPECT_EQ(rig.calls(), statusWrite == 0 ? "write 1109, read" : "write 1109") << reply;
    EXPECT_TRUE(rig.logs.errors().empty() && rig.boxes.boxes().empty());
  }
}

// A fresh binding and folder, with the library and the stub's mode given.
struct Binding {
  explicit Binding(const char* library = nullptr, const char* mode = nullptr) { choose(library, mode); }
  ~Binding() { choose(nullptr, nullptr); }
  static void choose(const char* library, const char* mode) {
    platform::resetBuiltinPrinterLibrary();
    library ? ::setenv("MERID_CEFDLL", library, 1) : ::unsetenv("MERID_CEFDLL");
    mode ? ::setenv("MERID_MISBEHAVE", mode, 1) : ::unsetenv("MERID_MISBEHAVE");
  }
  std::string session() {
    std::ostringstream out;
    test::onFreshThread([&] {
      InitErrorLog();
      int16_t port = 3;
      int32_t bufferMode = 1, plain = 3;
      std::string cmd = "3013";
      const auto tf = [](bool b) { return b ? " T" : " F"; };
      out << Merid_CheckStatus() << tf(AperturaComunicazione(port, bufferMode))
          << tf(AperturaComunicazione(port, plain)) << tf(InviaComandoECR(cmd)) << tf(ChiusuraComunicazione())
          << tf(ChiusuraComunicazione()) << " " << cmd;
    });
    return out.str();
  }
  test::TempHome home;
  test::LogRecorder logs;
};

// Missing: status ECK_OK, opening True, commands False. A named library is not
// replaced by the one beside the core's file, which is found once there.
TEST(PrinterLibrary, MissingThenBesideTheCoresOwnFile) {
  Binding binding;
  EXPECT_EQ(binding.session(), "0 T T F T T 3013");
  const std::string missing = " File not found: libCeFdll.so";
  EXPECT_EQ(binding.logs.errors(),
            (Strings{"modError-Merid_CheckStatus" + missing, "modError-Merid_CheckStatus" + missing,
                     "modConnessioneCOM-AperturaComunicazione" + missing,
                     "modError-Merid_CheckStatus" + missing, "modError-InviaComando" + missing}));
  const std::string beside = binding.home.file("libCeFdll.so"), gone = binding.home.file("gone/libCeFdll.so");
  std::filesystem::copy_file(MERID_TEST_STUB_CEFDLL, beside);
  Binding::choose(gone.c_str(), nullptr);
  EXPECT_EQ(binding.session(), "0 T T F T T 3013");
  Binding::choose(nullptr, nullptr);
  EXPECT_EQ(binding.session(), "-1 T T T T F 3013") << "closed, opened with the right settings, paper end";
  EXPECT_EQ(binding.logs.errors().size(), 10u);
  EXPECT_EQ(binding.logs.errors().back(), "modError-InviaComando File not found: " + gone);
}

// Chosen by $MERID_CEFDLL; under asan a read outside the core's buffers fails.
TEST(PrinterLibrary, AMisbehavingLibraryCannotMakeTheCoreReadOutsideItsBuffers) {
  const std::pair<const char*, const char*> rows[] = {{"null", "64 T T T F F XXXXX"},
                                                      {"shrink", "16 T T T F F XXXXX"},
                                                      {"long", "64 T T T F F XXXXX"},
                                                      {nullptr, "-1 F F T F F XXXXX"}};
  const std::string noOpen =
      "modConnessioneCOM-AperturaComunicazione Can't find DLL entry point VbCEFOpen "
      "in " MERID_TEST_MISBEHAVING_CEFDLL;
  for (const auto& [mode, session] : rows) {
    Binding binding(MERID_TEST_MISBEHAVING_CEFDLL, mode);
    EXPECT_EQ(binding.session(), session) << (mode ? mode : "no VbCEFOpen");
    EXPECT_EQ(binding.logs.errors(), mode ? Strings{} : Strings(2, noOpen));
  }
}

}  // namespace
}  // namespace merid
