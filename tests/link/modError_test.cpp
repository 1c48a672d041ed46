#include "link/modError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "link_rig.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;
using test::LinkRig;

const char* const kBoxText = "Carta esaurita o coperchio aperto: premere OK quando pronti.";

TEST(InviaComando, PaperEndThenReadyTracesEveryStepInOrder) {
  LinkRig rig;
  rig.printer.answer("3013", {16});
  bool result = false;
  std::string cmd = "3013";
  rig.run([&] { result = InviaComandoECR(cmd); });
  EXPECT_TRUE(result);
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
  EXPECT_EQ(rig.printer.calls(), (Strings{"write 3013", "write 1109", "read"}));
  ASSERT_EQ(rig.boxes.boxes().size(), 1u);
  EXPECT_EQ(rig.boxes.boxes()[0].text, kBoxText);
  EXPECT_EQ(rig.boxes.boxes()[0].title, "Errore stampante");
  EXPECT_EQ(rig.boxes.boxes()[0].style, platform::kMbOk | platform::kMbIconExclamation);
  EXPECT_EQ(rig.ini(), "[SkipError]\nValue1=0\nValue2=0\nValue3=0\n");
  EXPECT_TRUE(rig.logs.errors().empty());
}

// Every repeat of the loop follows exactly one operator prompt.
TEST(InviaComando, OutcomeOfEachScript) {
  struct Row {
    const char* name;
    std::string cmd;
    int32_t written;
    std::vector<test::FakePrinter::Reply> status;  // replies of the "1109" reads
    int32_t statusWrite;
    bool result;
    Strings calls;
    std::size_t boxes;
  };
  const Row rows[] = {
      {"empty", "", 0, {}, 0, false, {}, 0},
      {"accepted", "3013", 0, {}, 0, true, {"write 3013"}, 0},
      {"24 not listed", "3101", 24, {}, 0, true, {"write 3101"}, 0},
      {"cover, still open, ready",
       "3013",
       64,
       {{"01"}, {"0"}},
       0,
       true,
       {"write 3013", "write 1109", "read", "write 1109", "read"},
       2},
      {"paper, then no answer", "3013", 16, {}, 5, true, {"write 3013", "write 1109"}, 1},
      {"paper, then the read fails", "3013", 16, {{"", 9}}, 0, true, {"write 3013", "write 1109", "read"}, 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    LinkRig rig;
    rig.printer.answer(r.cmd, {r.written});
    rig.printer.answer("1109", {r.statusWrite});
    rig.printer.replies(r.status);
    bool result = !r.result;
    std::string cmd = r.cmd;
    rig.run([&] { result = InviaComandoECR(cmd); });
    EXPECT_EQ(result, r.result);
    EXPECT_EQ(rig.printer.calls(), r.calls);
    EXPECT_EQ(rig.boxes.boxes().size(), r.boxes);
    const auto debug = rig.logs.debug();
    EXPECT_EQ(std::count(debug.begin(), debug.end(), "....esitoCheck:         1"),
              static_cast<long>(r.boxes));
    if (r.cmd.empty()) {
      EXPECT_TRUE(debug.empty());
    } else if (r.written == 0) {
      EXPECT_EQ(debug,
                (Strings{"Invio comando a ECR...", "....Comando:            " + r.cmd + "(nrTentativi: 1)",
                         "....Comando OK!         "}));
    }
    EXPECT_TRUE(rig.logs.errors().empty());
  }
}

TEST(InviaComando, APromptThatFailsEndsTheLoop) {
  LinkRig rig;
  rig.boxes.onBox = [] { throw std::runtime_error("no desktop"); };
  rig.printer.answer("3013", {16});
  bool result = false;
  std::string cmd = "3013";
  rig.run([&] { result = InviaComandoECR(cmd); });
  EXPECT_TRUE(result);
  EXPECT_EQ(rig.printer.calls(), Strings{"write 3013"});
  EXPECT_EQ(rig.logs.errors(), Strings{"modError-gestioneErrore no desktop"});
}

TEST(InviaComando, TheCallerGetsTheTextAsTheLibraryLeftIt) {
  LinkRig rig;
  rig.printer.editText = [](char* text) { text[2] = '\0'; };
  std::string cmd = "3013";
  rig.run([&] { EXPECT_TRUE(InviaComandoECR(cmd)); });
  EXPECT_EQ(cmd, "30");
  EXPECT_EQ(rig.logs.debug().at(1), "....Comando:            30(nrTentativi: 1)");
}

TEST(gestioneErrore, VerdictBySkipListAndError) {
  struct Row {
    const char* ini;  // nullptr: no file
    int32_t err, errAfter, outcome;
    bool box;
    const char* skipLine;  // nullptr: none
  };
  const Row rows[] = {
      {nullptr, 16, 16, 1, true, nullptr},
      {nullptr, 64, 64, 1, true, nullptr},
      {"[SkipError]\nValue2=16\n", 16, 0, 3, false, "....Is InMeridSkipError:SI, CodErr:16"},
      {"[SkipError]\nValue1=30\n", 24, 24, 3, false, nullptr},
      {"[SkipError]\nValue3=24\n", 24, 0, 3, false, "....Is InMeridSkipError:SI, CodErr:24"},
      {"[SkipError]\nValue1= 6,5 \n", 6, 0, 3, false, "....Is InMeridSkipError:SI, CodErr:6"},
      {"[SkipError]\nValue1=7.5\n", 8, 0, 3, false, "....Is InMeridSkipError:SI, CodErr:8"},
      {"[SkipError]\nValue1=-1\n", -1, 0, 3, false, "....Is InMeridSkipError:SI, CodErr:-1"},
      {nullptr, -1, -1, 3, false, nullptr},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << (r.ini ? r.ini : "no file") << " err " << r.err);
    LinkRig rig;
    if (r.ini) rig.setIni(r.ini);
    int32_t err = r.err, outcome = 0;
    rig.run([&] { gestioneErrore(err, outcome); });
    EXPECT_EQ(err, r.errAfter);
    EXPECT_EQ(outcome, r.outcome);
    EXPECT_EQ(rig.boxes.boxes().size(), r.box ? 1u : 0u);
    const auto debug = rig.logs.debug();
    ASSERT_FALSE(debug.empty());
    EXPECT_EQ(debug[0], "In gestioneErrore...");
    std::string skipLine;
    for (const auto& line : debug)
      if (line.rfind("....Is InMeridSkipError:", 0) == 0) skipLine += line;
    EXPECT_EQ(skipLine, r.skipLine ? r.skipLine : "");
    EXPECT_TRUE(rig.printer.calls().empty());
  }
}

TEST(LoadIfNeeded_MeridSkipErrors, AWordIsWrittenBackAsZero) {
  LinkRig rig;
  rig.setIni("[SkipError]\nValue1=24\nValue3=ventiquattro\n");
  int32_t err = 24, outcome = 0;
  rig.run([&] { gestioneErrore(err, outcome); });
  EXPECT_EQ(err, 0);
  EXPECT_EQ(rig.ini(), "[SkipError]\nValue1=24\nValue3=0\nValue2=0\n");
}

// Each step runs in the same thread, in order: {INI text or "", reset first,
// error in, error out}.
TEST(LoadIfNeeded_MeridSkipErrors, WhenTheFileIsReadAgain) {
  struct Step {
    const char* ini;
    bool reset;
    int32_t err, errAfter;
  };
  const std::vector<std::vector<Step>> sequences = {
      // Loaded once; an edit counts only after a reset (a new receipt object).
      {{"[SkipError]\nValue1=24\n", false, 24, 0},
       {"[SkipError]\nValue1=30\n", false, 30, 30},
       {"", true, 30, 0},
       {"", false, 24, 24}},
      // A negative value stays not loaded and is read at every error.
      {{"[SkipError]\nValue1=-5\n", false, 24, 24}, {"[SkipError]\nValue1=24\n", false, 24, 0}},
  };
  for (const auto& steps : sequences) {
    LinkRig rig;
    rig.run([&] {
      for (const auto& s : steps) {
        if (*s.ini) rig.setIni(s.ini);
        if (s.reset) resetMeridSkipError();
        int32_t err = s.err, outcome = 0;
        gestioneErrore(err, outcome);
        EXPECT_EQ(err, s.errAfter) << s.ini << " err " << s.err;
      }
    });
  }
}

TEST(LoadIfNeeded_MeridSkipErrors, AValueBeyondRangeFailsAndIsReadAgain) {
  LinkRig rig;
  rig.setIni("[SkipError]\nValue1=99999999999\nValue2=16\n");
  rig.run([&] {
    for (int pass = 0; pass < 2; ++pass) {
      int32_t err = 16, outcome = 0;
      gestioneErrore(err, outcome);
      EXPECT_EQ(outcome, 1);  // Value2 is never reached while Value1 fails
    }
  });
  EXPECT_EQ(rig.logs.errors(), Strings(2, "modError-LoadIfNeeded_MeridSkipErrors Overflow"));
}

}  // namespace
}  // namespace merid
