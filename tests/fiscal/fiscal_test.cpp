// Receipt routines one call at a time: opening and closing, priced and
// descriptive lines, payments. The whole receipt through the public class is
// in the automation tests.

#include <gtest/gtest.h>

#include <cmath>

#include "fiscal/modFiscale.h"
#include "fiscal/modPagamento.h"
#include "text/number_text.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using namespace test;

bool keep(std::string text, int32_t font = 1) {
  return SalvaRigaDescrittivaPromoInBuffer(text, font);
}
std::function<bool()> sale(std::string extra, std::string name, double qty, double total, bool back = false) {
  return [=]() mutable {
    double price = 1.25;
    std::string vat = "22";
    int32_t department = 3;
    return back ? Esegui_Reso(extra, name, qty, price, total, vat, department)
                : Esegui_Vendita(extra, name, qty, price, total, vat, department);
  };
}
std::function<bool()> paid(double amount, std::string name) {
  return [=] { return InviaPagamentoCorrispettivoRiscosso(7, amount, name); };
}

TEST_F(DocumentTest, OpeningAndClosing) {
  auto opening = onPort(ApriScontrinoFiscale), closing = onPort(ChiudiScontrinoFiscale);
  auto twice = [opening] { return opening() && opening(); };
  const std::string postAndDrawer =
      "[Merid_OperazionePostChiusuraFiscale]\ncode=3050\n[ApriCassettoDopoStampaScontrino]\nvalue=1\n";
  // Every closing command goes out whichever is refused, and the store empties.
  auto keptThenClosed = [closing] {
    keep("X");
    const bool result = closing();
    EXPECT_TRUE(BufferRighePromo()[0].text.empty());
    return result;
  };
  const Strings everything{"3011", "3050", "3012101X", "3013", "70081", drawer};
  Strings ten{"3011"};
  for (int i = 10; i < 20; ++i)
    ten.push_back((i == 12 ? "3012207RIGA " : "3012107RIGA ") + std::to_string(i));
  ten.push_back("3013");
  auto eleven = [closing] {
    bool kept = keep("");  // not stored: an empty text marks a free slot
    for (int i = 10; i <= 20; ++i) kept = keep("RIGA " + std::to_string(i), i == 12 ? 2 : 1) && kept;
    const bool result = closing();
    for (const auto& slot : BufferRighePromo()) EXPECT_TRUE(slot.text.empty() && slot.font == 1);
    return kept && result;
  };
  // clang-format off
  check({
      {"no Buffer: mode 2, then 1", "", twice, true, {"30160", "30161"}},
      {"Buffer 0", "[Fiscal]\nBuffer=0\n", twice, true, {"30160", "30160"}},
      {"Buffer SI", "[Fiscal]\nBuffer=SI\n", opening, false, {}, {}, nullptr,
       {"modFiscale-ApriScontrinoFiscale Type mismatch"}},
      {"3009 refused", "[ForzaStampaResto]\nValue=1\n", closing, false, {"3009", "3011", "3013"}, "3009"},
      {"ForzaStampaResto 01, empty closing code",
       "[ForzaStampaResto]\nValue=01\n[Merid_OperazioneChiusuraFiscale]\ncode=\n", closing, true,
       {"3011", "3013"}},
      {"own codes", "[Merid_OperazioneChiusuraFiscale]\ncode=3099\n[Merid_PrintAndCut]\ncode=3014\n", closing,
       true, {"3099", "3014"}},
      {"kept line refused", postAndDrawer, keptThenClosed, false, everything, "3012101X"},
      {"drawer refused", postAndDrawer, keptThenClosed, true, everything, "70081"},
      {"ten kept lines, the eleventh dropped", "", eleven, true, ten},
  });
  // clang-format on
}

TEST_F(DocumentTest, Lines) {
  auto descriptive = [](std::string text, int32_t font, std::string command) {
    return Case{text + " " + std::to_string(font),
                "",
                [=]() mutable {
                  EXPECT_EQ(getComando_RigaCortesiaDopoTotale(text, font), "3012" + command.substr(4));
                  return RigaDescrittivaFiscale(text, font);
                },
                true,
                {command}};
  };
  const std::string forty = "0123456789012345678901234567890123456789";
  const std::string dept3 = "[RepartoVek3]\nrepartoMerid=3\n";
  const std::string quantity = "3002132*   2,000 x    1,25" + std::string(13, ' ');
  const std::string pane = "310110322PANE" + std::string(18, ' ') + "000000250";
  const std::string voidLine = "3001819Annullo transazione000000000";
  const Strings failed{"modFiscale-Esegui_VenditaAReparto Automation error"};
  // clang-format off
  check({
      descriptive("", 1, "3002100"),
      descriptive(forty, 4, "3002432" + forty.substr(0, 32)),
      descriptive("X", 10, "30021001X"),
      {"quantity 0", dept3, sale("", "PANE", 0, 2.5), true, {pane, shown("PANE", "2,50")}},
      {"a quantity line replaces the extra text", dept3, sale("FRESCO", "PANE", 1234.5, 2.5), true,
       {"3002132*.234,500 x    1,25" + std::string(13, ' '), pane, shown("PANE", "2,50")}},
      {"long name", dept3, sale("", forty, 1, 2.5), true,
       {"310110322" + forty.substr(0, 22) + "000000250", shown(forty, "2,50")}},
      {"return of a negative total", dept3, sale("", "PANE", 1, -2.5, true), true,
       {"310190322PANE" + std::string(18, ' ') + "-000000250", shown("Reso:PANE", "-2,50")}},
      {"quantity line refused", dept3, sale("", "PANE", 2, 2.5), false, {quantity}, quantity},
      {"sale refused: no display", dept3, sale("", "PANE", 1, 2.5), false, {pane}, pane},
      {"void refused: no closing", "", onPort(AnnulloScontrinoAperto), false, {voidLine}, voidLine},
      {"filter fails", dept3, sale("", "PANE", 1, 2.5), false, {}, {}, nullptr, failed, Failing::filter},
      {"formatter fails after sale", dept3, sale("", "PANE", 1, 2.5), true, {pane}, {}, nullptr, failed,
       Failing::formatter},
      {"formatter fails on quantity", dept3, sale("", "PANE", 2, 2.5), false, {}, {}, nullptr, failed,
       Failing::formatter},
  });
  // clang-format on
}

TEST_F(DocumentTest, Payments) {
  const std::string d100(100, 'D');
  const char* bancomat = "[Pagamento_BANCOMAT]\nvalue=CARTA DEBITO\n[isCorrNonRiscosso_BANCOMAT]\nvalue=1\n";
  // clang-format off
  check({
      {"card", "", paid(23.5, "CARTA DI CREDITO"), true,
       {shown("CARTA DI CREDITO", "23,50"), "300416CARTA DI CREDITO000002350"}},
      {"unknown", "", paid(4.2, "BONUS"), true, {shown("BONUS", "4,20"), "300408CONTANTE000000420"}, {}, ""},
      {"trailing blank", "", paid(4.2, "CONTANTI "), true,
       {shown("CONTANTI ", "4,20"), "300408CONTANTE000000420"}, {}, ""},
      {"settings", bancomat, paid(12, "Bancomat"), true,
       {shown("Bancomat", "12,00"), "300512CARTA DEBITO000001200"}, {}, bancomat},
      {"empty description", "[Pagamento_contanti]\nvalue=\n[isCorrNonRiscosso_CONTANTI]\nvalue=SI\n",
       paid(0, "CONTANTI"), true, {shown("CONTANTI", "0,00"), "300408CONTANTE000000000"}, {},
       "[Pagamento_contanti]\nvalue=CONTANTE\n[isCorrNonRiscosso_CONTANTI]\nvalue=SI\n"},
      {"not collected", "", [] { return InviaPagamentoCorrispettivoNonRiscosso(7, 15, "CONTANTI"); }, true,
       {shown("NON PAGATO", "15,00"), "300510NON PAGATO000001500"}},
      {"long description", "[Pagamento_Assegno]\nvalue=" + d100 + "\n", paid(1, "Assegno"), true,
       {shown("Assegno", "1,00"), "3004100" + d100 + "000000100"}},
      // No amount field: the command goes without one, and the printer refuses it.
      {"NaN", "", paid(std::nan(""), "Contanti"), true, {"300408CONTANTE"}, {}, nullptr,
       {"modUtility-FormatPrzMerid Type mismatch", "modPagamento-getComando_Pagamento Overflow"}},
      // The display fails after the command is whole: the payment still goes out.
      {"formatter fails", "", paid(10, "Contanti"), true, {"300408CONTANTE000001000"}, {}, nullptr,
       {"modPagamento-getComando_Pagamento Automation error"}, Failing::formatter},
  });
  // clang-format on
}

}  // namespace
}  // namespace merid
