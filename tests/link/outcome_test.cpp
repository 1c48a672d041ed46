// The outcome of a call, as the link notes it and a class keeps it, on the
// recording fake; the prompts end when the status cannot be asked. The outcomes
// meridctl prints on the virtual printer (refused, not connected, a lost answer,
// prompts given up) are in its tests.

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
  std::vector<int32_t> answers;                   // successive answers to the command
  std::vector<test::FakePrinter::Reply> replies;  // the status replies after each prompt
  int32_t statusWrite;                            // the answer to the status request
  int okBoxes;  // prompts answered OK before one gives up (-1: never gives up)
  int prompts;  // the prompts shown
  std::string command;
  bool result;
  std::string summary;
  std::string dataRead;
  const char* skipList = nullptr;  // [SkipError] in the settings
};

TEST(Outcome, EachWayACommandEnds) {
  // clang-format off
  const Row rows[] = {
      {"a number the system does not know", {250}, {}, 0, -1, 0, "4015", true, "refused 250", ""},
      {"cover open twice, then fixed", {64}, {{"010000"}, {"000000"}}, 0, -1, 2, "4015", true,
       "done after 2 prompts for 64 ECK_CoperchioAperto: cover open", "000000"},
      {"paper end, the operator gives up", {16}, {{"001000"}}, 0, 1, 2, "4015", false,
       "operator gave up after 2 prompts for 16 ECK_CartaEsaurita: paper end", "001000"},
      {"paper end, the status request not written", {16}, {}, 5, -1, 1, "4015", true,
       "done after 1 prompt for 16 ECK_CartaEsaurita: paper end", ""},
      {"paper end, the status not read", {16}, {{"", 9}}, 0, -1, 1, "4015", true,
       "done after 1 prompt for 16 ECK_CartaEsaurita: paper end", ""},
      {"paper end, skipped in the settings", {16}, {}, 0, -1, 0, "4015", true,
       "refused 16 ECK_CartaEsaurita: paper end", "", "Value2= 16,5 "},
      {"an empty command", {0}, {}, 0, -1, 0, "", false, "not sent: empty command", ""},
  };
  // clang-format on
  for (const Row& row : rows) {
    test::TempHome home;
    test::FakePrinter printer;
    printer.answer(row.command, row.answers);
    printer.answer("1109", {row.statusWrite});
    printer.replies(row.replies);
    if (row.skipList)
      test::writeFile(home.file("MeridFiscal.ini"), std::string("[SkipError]\n") + row.skipList);
    int boxes = 0;
    const auto previous =
        platform::setMessageBoxHandler([&](const std::string&, const std::string&, unsigned) {
          return ++boxes > row.okBoxes && row.okBoxes >= 0 ? platform::kIdCancel : platform::kIdOk;
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
    EXPECT_EQ(boxes, row.prompts) << row.what;
  }
}

// Failures before anything reached the printer say why: no port, a link that
// does not open, a printer library that cannot be loaded.
TEST(Outcome, NotSentAndWhy) {
  test::TempHome home;
  Outcome noPort, linkDown, noLibrary;
  const auto receipt = [](Outcome& o, bool port, bool open) {
    test::onFreshThread([&] {
      MeridTallo_Scontrino s;
      int16_t three = 3;
      if (port) s.InitComunicazione(three);
      EXPECT_FALSE(open ? s.ApriTransazioneFiscale() : s.SubTotale());
      o = s.UltimoEsito();
    });
  };
  {
    test::FakePrinter printer;
    printer.answer("1109", {-1});
    printer.openResult = 5;
    receipt(noPort, false, false);
    receipt(linkDown, true, true);
  }
  ::setenv("MERID_CEFDLL", "/nonexistent/libCeFdll.so", 1);
  platform::resetBuiltinPrinterLibrary();
  receipt(noLibrary, true, false);
  const std::string problem = printerLibraryProblem();
  ::unsetenv("MERID_CEFDLL");
  platform::resetBuiltinPrinterLibrary();
  EXPECT_EQ(noPort.summary(), "not sent: no port given: call InitComunicazione first");
  EXPECT_EQ(linkDown.summary(),
            "not sent: link not open: the printer did not answer and opening port 3 failed with 5");
  EXPECT_EQ(linkDown.message(true).rfind("non inviato (link not open)", 0), 0u);
  EXPECT_EQ(noLibrary.reason, NotSentReason::LibraryNotLoaded);
  EXPECT_NE(problem.find("/nonexistent/libCeFdll.so: cannot open shared object file"), std::string::npos);
  EXPECT_EQ(noLibrary.detail, problem);
}

}  // namespace
}  // namespace merid
