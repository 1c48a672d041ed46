#include <gtest/gtest.h>

#include <cmath>

#include "fiscal/modPagamento.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;

class Pagamento : public test::DocumentTest {};

TEST_F(Pagamento, CommandsAndSettings) {
  struct Row {
    const char* before;  // MeridFiscal.ini
    bool collected;
    int32_t id;
    double amount;
    const char* name;
    const char* command;
    const char* after;
  };
  const Row rows[] = {
      {"", true, 1, 10, "Contanti", "300408CONTANTE000001000",
       "[Pagamento_Contanti]\nvalue=CONTANTE\n[isCorrNonRiscosso_Contanti]\nvalue=0\n"},
      {"", true, 2, 23.5, "CARTA DI CREDITO", "300416CARTA DI CREDITO000002350",
       "[Pagamento_CARTA DI CREDITO]\nvalue=CARTA DI CREDITO\n[isCorrNonRiscosso_CARTA DI CREDITO]\nvalue=0\n"},
      {"", true, 5, 7, "Ticket", "300506TICKET000000700",
       "[Pagamento_Ticket]\nvalue=TICKET\n[isCorrNonRiscosso_Ticket]\nvalue=1\n"},
      {"", true, 9, 4.2, "VOUCHER", "300408CONTANTE000000420", ""},
      {"", true, 9, 4.2, "CONTANTI ", "300408CONTANTE000000420", ""},
      {"[Pagamento_BANCOMAT]\nvalue=CARTA DEBITO\n[isCorrNonRiscosso_BANCOMAT]\nvalue=1\n", true, 3, 12, "Bancomat",
       "300512CARTA DEBITO000001200",
       "[Pagamento_BANCOMAT]\nvalue=CARTA DEBITO\n[isCorrNonRiscosso_BANCOMAT]\nvalue=1\n"},
      {"[Pagamento_contanti]\nvalue=\n[isCorrNonRiscosso_CONTANTI]\nvalue=SI\n", true, 1, 0, "CONTANTI",
       "300408CONTANTE000000000", "[Pagamento_contanti]\nvalue=CONTANTE\n[isCorrNonRiscosso_CONTANTI]\nvalue=SI\n"},
      {"", false, 4, 15, "anything", "300510NON PAGATO000001500", ""},
      {"", false, 4, 0, "CONTANTI", "300510NON PAGATO000000000", ""},
  };
  for (const auto& r : rows) {
    setIni(r.before);
    const auto before = printed().size();
    MERID_ON_FRESH_THREAD({
      EXPECT_TRUE(r.collected ? InviaPagamentoCorrispettivoRiscosso(r.id, r.amount, r.name)
                              : InviaPagamentoCorrispettivoNonRiscosso(r.id, r.amount, r.name));
    });
    Strings sent = printedSince(before);
    ASSERT_EQ(sent.size(), 2u) << r.name;
    EXPECT_EQ(sent[1], r.command) << r.name;
    if (r.after) {
      EXPECT_EQ(ini(), r.after) << r.name;
    }
  }
}

TEST_F(Pagamento, TheDisplayShowsThePaymentBeforeThePrinterAnswers) {
  MERID_ON_FRESH_THREAD({ EXPECT_TRUE(InviaPagamentoCorrispettivoRiscosso(1, 10, "Contanti")); });
  EXPECT_EQ(printed(), (Strings{"7007Contanti" + std::string(12, ' ') + std::string(13, ' ') + "\x7F 10,00",
                                "300408CONTANTE000001000"}));
}

TEST_F(Pagamento, FailingComponentsAndRefusals) {
  {
    // The display step fails after the command is whole: the payment goes out.
    test::FailingComponents failing(false, true);
    MERID_ON_FRESH_THREAD({ EXPECT_TRUE(InviaPagamentoCorrispettivoRiscosso(1, 10, "Contanti")); });
    EXPECT_EQ(printed(), Strings{"300408CONTANTE000001000"});
    EXPECT_EQ(logs.errors().back(), "modPagamento-getComando_Pagamento Automation error");
  }
  failSending("300510NON PAGATO000001500");
  MERID_ON_FRESH_THREAD({ EXPECT_FALSE(InviaPagamentoCorrispettivoNonRiscosso(1, 15, "x")); });
  EXPECT_EQ(printed().back(), "300510NON PAGATO000001500");
  // NaN has no amount field: the command goes without one, as the printer
  // will refuse it.
  MERID_ON_FRESH_THREAD({ InviaPagamentoCorrispettivoRiscosso(1, std::nan(""), "Contanti"); });
  EXPECT_EQ(printed().back(), "300408CONTANTE");
  EXPECT_EQ(logs.errors().at(logs.errors().size() - 2), "modUtility-FormatPrzMerid Type mismatch");
}

TEST_F(Pagamento, ALongDescriptionHasALongerLengthField) {
  const std::string description(100, 'D');
  setIni("[Pagamento_Assegno]\nvalue=" + description + "\n");
  MERID_ON_FRESH_THREAD({ EXPECT_TRUE(InviaPagamentoCorrispettivoRiscosso(1, 1, "Assegno")); });
  EXPECT_EQ(printed().back(), "3004100" + description + "000000100");
}

}  // namespace
}  // namespace merid
