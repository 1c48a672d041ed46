// The outcome of a call, as the link notes it and a class keeps it: one row
// per way a command can end, on the recording fake.

#include <gtest/gtest.h>

#include "merid/MeridTallo_Scontrino.h"
#include "merid/outcome.h"
#include "platform/platform.h"
#include "platform/printer_library.h"
#include "support/fake_printer.h"
#include "support/fakes.h"

namespace merid {
namespace {

struct Row {
  const char* what;
  std::vector<int32_t> answers;      // successive answers to the command
  std::vector<std::string> replies;  // the status replies after each prompt
  int okBoxes;                       // prompts answered OK before one gives up (-1: never gives up)
  std::string command;
  bool result;
  std::string summary;
  std::string dataRead;
};

TEST(Outcome, EachWayACommandEnds) {
  // clang-format off
  const Row rows[] = {
      {"executed", {0}, {}, -1, "4015", true, "done", ""},
      {"refused, counted as done", {117}, {}, -1, "4015", true,
       "refused 117 ECK_FunzioneNonAmmessa: function not allowed now", ""},
      {"not connected", {-1}, {}, -1, "4015", true,
       "refused -1 ECK_NonConnesso: printer not connected: no answer", ""},
      {"a number the system does not know", {250}, {}, -1, "4015", true, "refused 250", ""},
      {"paper end, fixed at the first prompt", {16}, {"000000"}, -1, "4015", true,
       "done after 1 prompt for 16 ECK_CartaEsaurita: paper end", "000000"},
      {"cover open twice, then fixed", {64}, {"010000", "000000"}, -1, "4015", true,
       "done after 2 prompts for 64 ECK_CoperchioAperto: cover open", "000000"},
      {"paper end, the operator gives up", {16}, {"001000"}, 1, "4015", false,
       "operator gave up after 2 prompts for 16 ECK_CartaEsaurita: paper end", "001000"},
      {"the write fails part-way", {-2}, {}, -1, "4015", true,
       "unknown: the write of 4015 failed with -2; it may have printed, look at the journal before printing "
       "again", ""},
      {"an empty command", {0}, {}, -1, "", false, "not sent: empty command", ""},
  };
  // clang-format on
  for (const Row& row : rows) {
    test::TempHome home;
    test::FakePrinter printer;
    printer.answer(row.command, row.answers);
    std::vector<test::FakePrinter::Reply> script;
    for (const auto& r : row.replies) script.push_back({r, 0});
    printer.replies(script);
    int boxes = 0;
    const auto previous =
        platform::setMessageBoxHandler([&](const std::string&, const std::string&, unsigned) {
          return row.okBoxes >= 0 && boxes++ >= row.okBoxes ? platform::kIdCancel : platform::kIdOk;
        });
    Outcome o;
    bool result = !row.result;
    test::onFreshThread([&] {
      MeridTallo_Scontrino s;
      int16_t port = 1;
      s.InitComunicazione(port);
      result = s.InviaComandoDiretto_CefDLL(row.command);
      o = s.UltimoEsito();
    });
    platform::setMessageBoxHandler(previous);
    EXPECT_EQ(result, row.result) << row.what;
    EXPECT_EQ(o.summary(), row.summary) << row.what;
    EXPECT_EQ(o.command, row.command) << row.what;
    EXPECT_EQ(o.dataRead, row.dataRead) << row.what;
    EXPECT_EQ(o.commands, row.command.empty() ? 0 : 1) << row.what;
  }
}

// Failures before anything reached the printer say why, on every class.
TEST(Outcome, NotSentAndWhy) {
  test::TempHome home;
  Outcome noPort, linkDown;
  test::FakePrinter printer;
  printer.answer("1109", {-1});
  printer.openResult = 5;
  test::onFreshThread([&] {
    MeridTallo_Scontrino s;
    EXPECT_FALSE(s.Vendita("", "PANE", 1, 1, 1, "", "4", 1));
    noPort = s.UltimoEsito();
    int16_t port = 3;
    s.InitComunicazione(port);
    EXPECT_FALSE(s.ApriTransazioneFiscale());
    linkDown = s.UltimoEsito();
  });
  EXPECT_EQ(noPort.summary(), "not sent: no port given: call InitComunicazione first");
  EXPECT_EQ(linkDown.summary(),
            "not sent: link not open: the printer did not answer and opening port 3 failed with 5");
  EXPECT_EQ(linkDown.message(true).rfind("non inviato (link not open)", 0), 0u);
}

TEST(Outcome, APrinterLibraryThatCannotBeLoaded) {
  test::TempHome home;
  const char* before = std::getenv("MERID_CEFDLL");
  const std::string kept = before ? before : "";
  ::setenv("MERID_CEFDLL", "/nonexistent/libCeFdll.so", 1);
  platform::resetBuiltinPrinterLibrary();
  Outcome o;
  bool result = true;
  test::onFreshThread([&] {
    MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    result = s.SubTotale();
    o = s.UltimoEsito();
  });
  const std::string problem = printerLibraryProblem();
  if (before)
    ::setenv("MERID_CEFDLL", kept.c_str(), 1);
  else
    ::unsetenv("MERID_CEFDLL");
  platform::resetBuiltinPrinterLibrary();
  EXPECT_FALSE(result);
  EXPECT_EQ(o.kind, OutcomeKind::NotSent);
  EXPECT_EQ(o.reason, NotSentReason::LibraryNotLoaded);
  EXPECT_NE(o.detail.find("/nonexistent/libCeFdll.so: cannot open shared object file"), std::string::npos)
      << o.detail;
  EXPECT_EQ(problem, o.detail);
}

}  // namespace
}  // namespace merid
