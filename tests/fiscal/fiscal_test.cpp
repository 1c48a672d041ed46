// The receipt routines one call at a time; the whole receipt through the
// public class is in the automation tests.

#include <gtest/gtest.h>

#include <cmath>

#include "fiscal/modFiscale.h"
#include "fiscal/modPagamento.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using test::Case;
using test::onPort;
using test::Strings;

std::string pad(const std::string& s) { return (s + std::string(20, ' ')).substr(0, 20); }
// The shopper display after a sale or a payment: the name, then the amount at
// the right of line 2 behind the euro sign.
std::string shown(const std::string& name, const std::string& amount) {
  return "7007" + pad(name) + std::string(18 - amount.size(), ' ') + "\x7F " + amount;
}
const std::string drawer = "7007" + pad("Apertura Cassetto") + pad("");
bool keep(std::string text, int32_t font = 1) { return SalvaRigaDescrittivaPromoInBuffer(text, font); }
std::function<bool()> sale(std::string extra, std::string name, double qty, double total, bool back = false) {
  return [=]() mutable {
    double price = 1.25;
    std::string vat = "22";
    int32_t department = 3;
    return back ? Esegui_Reso(extra, name, qty, price, total, vat, department)
                    : Esegui_Vendita(extra, name, qty, price, total, vat, department);
  };
}
std::function<bool()> paid(double amount, std::string name, bool collected = true) {
  return [=] {
    return collected ? InviaPagamentoCorrispettivoRiscosso(7, amount, name)
                     : InviaPagamentoCorrispettivoNonRiscosso(7, amount, name);
  };
}

class Fiscal : public test::DocumentTest {};

TEST_F(Fiscal, OpeningAndClosing) {
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
  for (int i = 1; i <= 10; ++i)
    ten.push_back((i == 3 ? "30122" : "30121") + std::string(i == 10 ? "07" : "06") + "RIGA " +
                  std::to_string(i));
  ten.push_back("3013");
  auto eleven = [closing] {
    bool kept = keep("");  // not stored: an empty text marks a free slot
    for (int i = 1; i <= 11; ++i) kept = keep("RIGA " + std::to_string(i), i == 3 ? 2 : 1) && kept;
    const bool result = closing();
    for (const auto& slot : BufferRighePromo()) EXPECT_TRUE(slot.text.empty() && slot.font == 1);
    return kept && result;
  };
  check({
      {"no Buffer: mode 2, then 1", "", twice, true, {"30160", "30161"}},
      {"Buffer 0", "[Fiscal]\nBuffer=0\n", twice, true, {"30160", "30160"}},
      {"Buffer 2", "[Fiscal]\nBuffer=2\n", twice, true, {"30161", "30161"}},
      {"Buffer SI", "[Fiscal]\nBuffer=SI\n", untouched(opening), false, {}, {}, nullptr,
       {"modFiscale-ApriScontrinoFiscale Type mismatch"}},
      {"ForzaStampaResto 1", "[ForzaStampaResto]\nValue=1\n", closing, true, {"3009", "3011", "3013"}},
      {"ForzaStampaResto 01", "[ForzaStampaResto]\nValue=01\n", closing, true, {"3011", "3013"}},
      {"ForzaStampaResto SI", "[ForzaStampaResto]\nValue=SI\n", closing, true, {"3011", "3013"}},
      {"empty closing code", "[Merid_OperazioneChiusuraFiscale]\ncode=\n", closing, true, {"3011", "3013"}},
      {"own codes", "[Merid_OperazioneChiusuraFiscale]\ncode=3099\n[Merid_PrintAndCut]\ncode=3014\n", closing,
       true, {"3099", "3014"}},
      {"post-closing", "[Merid_OperazionePostChiusuraFiscale]\ncode=3050\n", closing, true,
       {"3011", "3050", "3013"}},
      {"drawer after", "[ApriCassettoDopoStampaScontrino]\nvalue=1\n", closing, true,
       {"3011", "3013", "70081", drawer}},
      {"closing refused", postAndDrawer, keptThenClosed, false, everything, "3011"},
      {"kept line refused", postAndDrawer, keptThenClosed, false, everything, "3012101X"},
      {"print and cut refused", postAndDrawer, keptThenClosed, false, everything, "3013"},
      {"post-closing refused", postAndDrawer, keptThenClosed, true, everything, "3050"},
      {"drawer refused", postAndDrawer, keptThenClosed, true, everything, "70081"},
      {"ten kept lines, the eleventh dropped", "", eleven, true, ten},
  });
}

TEST_F(Fiscal, Lines) {
  auto descriptive = [](std::string text, int32_t font, std::string command) {
    return Case{text + " " + std::to_string(font), "", [=]() mutable {
                  EXPECT_EQ(getComando_RigaCortesiaDopoTotale(text, font), "3012" + command.substr(4));
                  return RigaDescrittivaFiscale(text, font);
                }, true, {command}};
  };
  const std::string forty = "0123456789012345678901234567890123456789";
  const std::string dept3 = "[RepartoVek3]\nrepartoMerid=3\n";
  const std::string quantity = "3002132*   2,000 x    1,25" + std::string(13, ' ');
  const std::string pane = "310110322PANE" + std::string(18, ' ') + "000000250";
  const std::string voidLine = "3001819Annullo transazione000000000";
  check({
      descriptive("OFFERTA SPECIALE", 2, "3002216OFFERTA SPECIALE"),
      descriptive("", 1, "3002100"),
      descriptive(forty, 4, "3002432" + forty.substr(0, 32)),
      descriptive(forty.substr(0, 32), 9, "3002932" + forty.substr(0, 32)),
      descriptive("X", 0, "3002001X"),
      descriptive("X", 10, "30021001X"),
      {"quantity 0", dept3, sale("", "PANE", 0, 2.5), true, {pane, shown("PANE", "2,50")}},
      {"a quantity line replaces the extra text", dept3, sale("FRESCO", "PANE", 1234.5, 2.5), true,
       {"3002132*.234,500 x    1,25" + std::string(13, ' '), pane, shown("PANE", "2,50")}},
      {"long name", dept3, sale("", forty, 1, 2.5), true,
       {"310110322" + forty.substr(0, 22) + "000000250", shown(forty, "2,50")}},
      {"empty name", dept3, sale("", "", 1, 2.5), true,
       {"310110322" + std::string(22, ' ') + "000000250", shown("", "2,50")}},
      {"return of a negative total", dept3, sale("", "PANE", 1, -2.5, true), true,
       {"310190322PANE" + std::string(18, ' ') + "-000000250", shown("Reso:PANE", "-2,50")}},
      {"quantity line refused", dept3, sale("", "PANE", 2, 2.5), false, {quantity}, quantity},
      {"sale refused: no display", dept3, sale("", "PANE", 1, 2.5), false, {pane}, pane},
      {"void", "", onPort(AnnulloScontrinoAperto), true, {voidLine, "3011", "3013"}},
      {"void refused: no closing", "", onPort(AnnulloScontrinoAperto), false, {voidLine}, voidLine},
  });
  const Strings failed{"modFiscale-Esegui_VenditaAReparto Automation error"};
  {
    test::FailingComponents filter(true, false);
    check({{"filter fails", dept3, sale("", "PANE", 1, 2.5), false, {}, {}, nullptr, failed}});
  }
  test::FailingComponents formatter(false, true);
  check({{"formatter fails after sale", dept3, sale("", "PANE", 1, 2.5), true, {pane}, {}, nullptr, failed},
         {"formatter fails on quantity", dept3, sale("", "PANE", 2, 2.5), false, {}, {}, nullptr, failed}});
}

TEST_F(Fiscal, Payments) {
  const std::string d100(100, 'D'), notPaid = "300510NON PAGATO000001500";
  const char* bancomat = "[Pagamento_BANCOMAT]\nvalue=CARTA DEBITO\n[isCorrNonRiscosso_BANCOMAT]\nvalue=1\n";
  check({
      {"card", "", paid(23.5, "CARTA DI CREDITO"), true,
       {shown("CARTA DI CREDITO", "23,50"), "300416CARTA DI CREDITO000002350"}, {},
       "[Pagamento_CARTA DI CREDITO]\nvalue=CARTA DI CREDITO\n"
       "[isCorrNonRiscosso_CARTA DI CREDITO]\nvalue=0\n"},
      {"ticket", "", paid(7, "Ticket"), true, {shown("Ticket", "7,00"), "300506TICKET000000700"}, {},
       "[Pagamento_Ticket]\nvalue=TICKET\n[isCorrNonRiscosso_Ticket]\nvalue=1\n"},
      {"unknown", "", paid(4.2, "BONUS"), true, {shown("BONUS", "4,20"), "300408CONTANTE000000420"}, {}, ""},
      {"trailing blank", "", paid(4.2, "CONTANTI "), true,
       {shown("CONTANTI ", "4,20"), "300408CONTANTE000000420"}, {}, ""},
      {"settings", bancomat, paid(12, "Bancomat"), true,
       {shown("Bancomat", "12,00"), "300512CARTA DEBITO000001200"}, {}, bancomat},
      {"empty description", "[Pagamento_contanti]\nvalue=\n[isCorrNonRiscosso_CONTANTI]\nvalue=SI\n",
       paid(0, "CONTANTI"), true, {shown("CONTANTI", "0,00"), "300408CONTANTE000000000"}, {},
       "[Pagamento_contanti]\nvalue=CONTANTE\n[isCorrNonRiscosso_CONTANTI]\nvalue=SI\n"},
      {"long description", "[Pagamento_Assegno]\nvalue=" + d100 + "\n", paid(1, "Assegno"), true,
       {shown("Assegno", "1,00"), "3004100" + d100 + "000000100"}},
      {"not collected", "", paid(15, "CONTANTI", false), true, {shown("NON PAGATO", "15,00"), notPaid}},
      {"not collected refused", "", paid(15, "x", false), false, {shown("NON PAGATO", "15,00"), notPaid},
       notPaid},
      // No amount field: the command goes without one, and the printer refuses it.
      {"NaN", "", paid(std::nan(""), "Contanti"), true, {"300408CONTANTE"}, {}, nullptr,
       {"modUtility-FormatPrzMerid Type mismatch", "modPagamento-getComando_Pagamento Overflow"}},
  });
  // The display fails after the command is whole: the payment still goes out.
  test::FailingComponents formatter(false, true);
  check({{"formatter fails", "", paid(10, "Contanti"), true, {"300408CONTANTE000001000"}, {}, nullptr,
          {"modPagamento-getComando_Pagamento Automation error"}}});
}

}  // namespace
}  // namespace merid
