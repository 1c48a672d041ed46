// Non-fiscal slips, invoices and credit notes, one call at a time.

#include <gtest/gtest.h>

#include "documents/modFattura.h"
#include "documents/modNonFiscale.h"
#include "merid/MeridTallo_Fattura.h"
#include "merid/MeridTallo_NAccr.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using namespace test;

// A line of a non-fiscal slip or an invoice body: 39 characters.
std::string line(const std::string& text, const std::string& font = "1") {
  return "4003" + font + "32" + pad(text, 32);
}
Case slip(std::string text1, std::string text2, std::string price, int32_t font, Strings sent) {
  return {text1 + "|" + text2 + "|" + price + "|" + std::to_string(font), "",
          [=] { return StampaRigaNonFiscale(text1, text2, price, font); }, true, sent};
}

TEST_F(DocumentTest, NonFiscal) {
  const std::string abbonamento = "ABBONAMENTO ANNUALE RIVISTA TECNICA", grazie = "GRAZIE E ARRIVEDERCI";
  const std::string second = "SECONDA RIGA MOLTO LUNGA DEL TESTO";
  auto openAndClose = [] {
    int16_t port = 1;
    return AperturaTransazioneNonFiscale(port) && ChiusuraTransazioneNonFiscale();
  };
  const Strings cutAndHeader{"40011", "3013", "4002", "3013", "4004"};
  // clang-format off
  check({
      slip(abbonamento, "", "49,90", 2, {line(abbonamento, "2"), line(std::string(27, ' ') + "49,90", "2")}),
      slip(grazie, "", "", 9, {line(grazie)}),
      slip("X", "", "", 0, {line("X", "0")}),
      slip("X", "", "", 10, {"400310" "32X" + std::string(31, ' ')}),
      slip("X", "", std::string(40, '9'), 1, {line("X"), line(std::string(32, '9'))}),
      slip("UNO", second, "5,00", 1,
           {line("UNO"), line(second.substr(0, 32)), line(std::string(28, ' ') + "5,00")}),
      {"negative count of spaces", "",
       [] { return StampaRigaNonFiscale(std::string(28, ' ') + "ABC", "", "1,20", 1); }, false,
       {}, {}, nullptr, {"modNonFiscale-StampaRigaNonFiscale Invalid procedure call or argument"}},
      {"cut and header", "[ParametriNonFiscale]\nTaglioCarta=1\nStampaIntestazione=1\n", openAndClose, true,
       cutAndHeader},
      {"00 and blank 0 are not 0", "[ParametriNonFiscale]\nTaglioCarta=00\nStampaIntestazione=\" 0\"\n",
       openAndClose, true, cutAndHeader},
      {"cut refused, closed all the same", "[ParametriNonFiscale]\nTaglioCarta=1\n",
       ChiusuraTransazioneNonFiscale, false, {"3013", "4004"}, "3013"},
  });
  // clang-format on
}

TEST_F(DocumentTest, Invoice) {
  // A line of 40 characters before, in and after the invoice, which is closed when asked.
  auto invoice = [](double total, bool copy, bool close = false) {
    return [=]() mutable {
      MeridTallo_Fattura f;
      int16_t port = 1, decimals = 2;
      Merid_Font font = kMerid_Normale;
      const std::string forty(40, 'L');
      const bool before = f.RigaFattura(forty, font);
      const bool opened = f.ApriFattura(port, total, copy, decimals, decimals);
      EXPECT_EQ(f.RigaFattura(forty, font), opened);
      return !before && opened && (!close || (f.ChiudiFattura(total) && !f.RigaFattura(forty, font)));
    };
  };
  auto closing = [] { return MeridTallo_Fattura().ChiudiFattura(0); };
  const std::string bypass = "[ByPassApriCassetto]\nvalue=1\n", amount = "4003F07Importo000000000";
  const std::string l32 = line(std::string(32, 'L')), blank = line("");
  // clang-format off
  check({
      // The link closes at the end whatever CloseConnEachDoc says.
      {"whole invoice", bypass, invoice(1234.5, true, true), true,
       {"30160", "400121000123450", "4002", l32, blank, "4003F07Importo000123450", "4006", "close"}},
      {"ten million", bypass + "[Fiscal]\nBufferFatture=1\n", invoice(12345678.9, false), true,
       {"30161", "4001201234567890", "4002", l32, blank}},
      {"buffer SI", bypass + "[Fiscal]\nBufferFatture=SI\n", invoice(10, false), false, {}, {}, nullptr,
       {"modFattura-ApriFatturaFiscale Type mismatch"}},
      {"no label", "[StampaImportoManualeSuFatturaNativaMerid]\nvalue=1\n", closing, true,
       {"4003F00000000000", "4006", "close"}},
      {"label, drawer after: 2",
       "[StampaImportoManualeSuFatturaNativaMerid]\nvalue=0\n[ApriCassettoDopoStampaFattura]\nvalue=2\n",
       closing, true, {amount, "4006", "close"}},
      {"drawer after: 1", "[ApriCassettoDopoStampaFattura]\nvalue=1\n", closing, true,
       {amount, "4006", "70081", drawer, "close"}},
  });
  // clang-format on
}

TEST_F(DocumentTest, CreditNote) {
  auto failedOpening = [] {
    MeridTallo_NAccr n;
    int16_t port = 1, decimals = 2;
    Merid_Font font = kMerid_Normale;
    return n.ApriNotaAccredito(port, decimals, decimals) || n.RigaNotaAccredito("X", "", "1", font);
  };
  // A refused reference fails the closing, which sends the rest all the same.
  // clang-format off
  check({{"reference refused", "[Fiscal]\nCloseConnEachDoc=1\n",
          [] { return MeridTallo_NAccr().ChiudiNotaAccredito(5); }, false,
          {"300408CONTANTI000000500", "3010P12___________", "3011", "3013", "close", "close"},
          "3010P12___________"}});
  // clang-format on
  printer.replies({{"", 1}});
  printer.openResult = 1;
  check({{"failed opening", "", failedOpening, false, {"open"}}});
}

}  // namespace
}  // namespace merid
