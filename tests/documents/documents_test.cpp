#include <gtest/gtest.h>

#include <algorithm>

#include "merid/MeridTallo_Fattura.h"
#include "merid/MeridTallo_NAccr.h"
#include "documents/modFattura.h"
#include "documents/modNonFiscale.h"
#include "documents/modNotaAccredito.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;

std::string line(const std::string& text, const std::string& font = "1") {
  return "4003" + font + "32" + (text + std::string(32, ' ')).substr(0, 32);
}

class Documents : public test::DocumentTest {};

TEST_F(Documents, NonFiscalLines) {
  struct Row {
    std::string testo1, testo2, prezzo;
    int32_t font;
    Strings sent;
  };
  const std::string abbonamento = "ABBONAMENTO ANNUALE RIVISTA TECNICA";
  const Row rows[] = {
      {"CAFFE", "", "1,20", 1, {line("CAFFE" + std::string(23, ' ') + "1,20")}},
      {abbonamento, "", "49,90", 2, {line(abbonamento, "2"), line(std::string(27, ' ') + "49,90", "2")}},
      {"ARTICOLO", "MOD. 12", "3,00", 1, {line("ARTICOLO"), line("MOD. 12" + std::string(21, ' ') + "3,00")}},
      {"GRAZIE E ARRIVEDERCI", "", "", 4, {line("GRAZIE E ARRIVEDERCI", "4")}},
      {"GRAZIE E ARRIVEDERCI", "", "", 7, {line("GRAZIE E ARRIVEDERCI")}},
      {"GRAZIE E ARRIVEDERCI", "", "", 8, {line("GRAZIE E ARRIVEDERCI")}},
      {"GRAZIE E ARRIVEDERCI", "", "", 9, {line("GRAZIE E ARRIVEDERCI")}},
      {"", "", "", 1, {line("")}},
      {std::string(32, 'A'), "", "", 1, {line(std::string(32, 'A'))}},
      {std::string(40, 'B'), "", "", 1, {line(std::string(32, 'B')), line("")}},
      {"X", "", std::string(40, '9'), 1, {line("X"), line(std::string(32, '9'))}},
      {"X", "", "", 0, {line("X", "0")}},
      {"X", "", "", 10, {"400310" "32X" + std::string(31, ' ')}},
      {"UNO", "SECONDA RIGA MOLTO LUNGA DEL TESTO", "5,00", 1,
       {line("UNO"), line("SECONDA RIGA MOLTO LUNGA DEL TES"), line(std::string(28, ' ') + "5,00")}},
  };
  for (const auto& r : rows) {
    const auto before = printed().size();
    MERID_ON_FRESH_THREAD({ EXPECT_TRUE(StampaRigaNonFiscale(r.testo1, r.testo2, r.prezzo, r.font)) << r.testo1; });
    EXPECT_EQ(printedSince(before), r.sent) << r.testo1;
  }
  EXPECT_EQ(printed()[3].size(), 39u);
}

TEST_F(Documents, ANegativeCountOfSpacesPrintsNothing) {
  MERID_ON_FRESH_THREAD({ EXPECT_FALSE(StampaRigaNonFiscale(std::string(28, ' ') + "ABC", "", "1,20", 1)); });
  EXPECT_TRUE(printed().empty());
  ASSERT_EQ(logs.errors().size(), 1u);
  EXPECT_EQ(logs.errors()[0].rfind("modNonFiscale-StampaRigaNonFiscale ", 0), 0u);
}

TEST_F(Documents, NonFiscalOpenAndClose) {
  struct Row {
    const char* ini;
    Strings open, close;
    const char* after;
  };
  const Row rows[] = {
      {"", {"40011"}, {"4004"}, "[ParametriNonFiscale]\nTaglioCarta=0\nStampaIntestazione=0\n"},
      {"[ParametriNonFiscale]\nTaglioCarta=1\nStampaIntestazione=1\n", {"40011", "3013", "4002"}, {"3013", "4004"},
       nullptr},
      {"[ParametriNonFiscale]\nTaglioCarta=00\nStampaIntestazione=\" 0\"\n", {"40011", "3013", "4002"},
       {"3013", "4004"}, nullptr},
  };
  for (const auto& r : rows) {
    setIni(r.ini);
    const auto before = printed().size();
    MERID_ON_FRESH_THREAD({
      int16_t port = 1;
      EXPECT_TRUE(AperturaTransazioneNonFiscale(port));
    });
    const auto middle = printed().size();
    MERID_ON_FRESH_THREAD({ EXPECT_TRUE(ChiusuraTransazioneNonFiscale()); });
    EXPECT_EQ(printedSince(before, middle), r.open) << r.ini;
    EXPECT_EQ(printedSince(middle), r.close) << r.ini;
    if (r.after) {
      EXPECT_EQ(ini(), std::string(r.after) + "[Fiscal]\nCloseConnEachDoc=0\n");
    }
  }
  setIni("[ParametriNonFiscale]\nTaglioCarta=1\n");
  failSending("3013");
  const auto before = printed().size();
  MERID_ON_FRESH_THREAD({ EXPECT_FALSE(ChiusuraTransazioneNonFiscale()); });
  EXPECT_EQ(printedSince(before), (Strings{"3013", "4004"}));
}

TEST_F(Documents, Invoice) {
  setIni("[ByPassApriCassetto]\nvalue=1\n");
  MERID_ON_FRESH_THREAD({
    MeridTallo_Fattura f;
    Merid_Font font = kMerid_Normale;
    EXPECT_FALSE(f.RigaFattura("PRIMA", font)) << "before the opening";
    int16_t port = 1, decimals = 2;
    double total = 1234.5;
    bool copy = true;
    EXPECT_TRUE(f.ApriFattura(port, total, copy, decimals, decimals));
    EXPECT_TRUE(f.RigaFattura("RIGA UNO", font));
    EXPECT_TRUE(f.RigaFattura(std::string(40, 'L'), font));
    EXPECT_TRUE(f.ChiudiFattura(1234.5));
    EXPECT_FALSE(f.RigaFattura("DOPO", font)) << "after the closing";
  });
  EXPECT_EQ(printed(), (Strings{"30160", "400121000123450", "4002", line("RIGA UNO"), line(std::string(32, 'L')),
                                line(""), "4003F07Importo000123450", "4006"}));
  EXPECT_EQ(printer.calls().back(), "close") << "the link closes whatever CloseConnEachDoc says";
  EXPECT_NE(ini().find("[Fiscal]\nBufferFatture=0\n"), std::string::npos);
}

TEST_F(Documents, InvoiceSettings) {
  struct Row {
    const char* ini;
    Strings sent;
  };
  const Row rows[] = {
      {"[StampaImportoManualeSuFatturaNativaMerid]\nvalue=1\n", {"4003F00000000000", "4006"}},
      {"[StampaImportoManualeSuFatturaNativaMerid]\nvalue=0\n", {"4003F07Importo000000000", "4006"}},
      {"[ApriCassettoDopoStampaFattura]\nvalue=2\n", {"4003F07Importo000000000", "4006"}},
      {"[ApriCassettoDopoStampaFattura]\nvalue=1\n",
       {"4003F07Importo000000000", "4006", "70081", "7007Apertura Cassetto" + std::string(23, ' ')}},
  };
  for (const auto& r : rows) {
    setIni(r.ini);
    const auto before = printed().size();
    MERID_ON_FRESH_THREAD({
      double zero = 0;
      EXPECT_TRUE(ChiudiFatturaFiscale(zero));
    });
    EXPECT_EQ(printedSince(before), r.sent) << r.ini;
  }
}

TEST_F(Documents, InvoiceOpening) {
  struct Row {
    const char* ini;
    double total;
    bool copy, result;
    Strings sent;
  };
  const Row rows[] = {
      {"[ByPassApriCassetto]\nvalue=1\n", 0, false, true, {"30160", "400120000000000", "4002"}},
      {"[ByPassApriCassetto]\nvalue=1\n[Fiscal]\nBufferFatture=1\n", 12345678.9, false, true,
       {"30161", "4001201234567890", "4002"}},
      {"[Fiscal]\nBufferFatture=0\n", 10, true, true,
       {"70081", "7007Apertura Cassetto" + std::string(23, ' '), "30160", "400121000001000", "4002"}},
      {"[ByPassApriCassetto]\nvalue=1\n[Fiscal]\nBufferFatture=SI\n", 10, false, false, {}},
  };
  for (const auto& r : rows) {
    setIni(r.ini);
    const auto before = printed().size();
    MERID_ON_FRESH_THREAD({
      MeridTallo_Fattura f;
      int16_t port = 1, decimals = 2;
      double total = r.total;
      bool copy = r.copy;
      EXPECT_EQ(f.ApriFattura(port, total, copy, decimals, decimals), r.result) << r.ini;
      Merid_Font font = kMerid_Normale;
      EXPECT_EQ(f.RigaFattura("X", font), r.result);
    });
    Strings sent = printedSince(before);
    if (r.result) sent.pop_back();  // the body line
    EXPECT_EQ(sent, r.sent) << r.ini;
  }
}

TEST_F(Documents, CreditNote) {
  setIni("[Fiscal]\nBufferFatture=1\n");
  MERID_ON_FRESH_THREAD({
    MeridTallo_NAccr n;
    Merid_Font font = kMerid_Grassetto;
    EXPECT_FALSE(n.RigaNotaAccredito("PRIMA", "", "1", font));
    int16_t port = 1, decimals = 2;
    EXPECT_TRUE(n.ApriNotaAccredito(port, decimals, decimals));
    EXPECT_TRUE(n.RigaNotaAccredito("RESO MAGLIA", "<null>", "19,90", font));
    EXPECT_TRUE(n.RigaNotaAccredito("DESCRIZIONE MOLTO PIU LUNGA", "x<null>y", "0", font));
    EXPECT_TRUE(n.ChiudiNotaAccredito(19.9));
    EXPECT_TRUE(n.RigaNotaAccredito("", "", "2,5", font)) << "still open after the closing";
  });
  EXPECT_EQ(printed(), (Strings{"30161", "7102600000", "3001120RESO MAGLIA         000001990",
                                "3001120DESCRIZIONE MOLTO PI000000000", "300408CONTANTI000001990",
                                "3010P12___________", "3011", "3013", "3001120" + std::string(20, ' ') + "000000250"}));
  EXPECT_EQ(printed()[2].size(), 36u);
  for (const auto& c : printer.calls()) EXPECT_NE(c, "close") << "CloseConnEachDoc is off";
}

TEST_F(Documents, CreditNoteClosingGoesOnAfterARefusal) {
  setIni("[Fiscal]\nCloseConnEachDoc=1\n");
  failSending("3010P12___________");
  MERID_ON_FRESH_THREAD({
    MeridTallo_NAccr n;
    EXPECT_FALSE(n.ChiudiNotaAccredito(5));
  });
  EXPECT_EQ(printed(), (Strings{"300408CONTANTI000000500", "3010P12___________", "3011", "3013"}));
  EXPECT_EQ(std::count(printer.calls().begin(), printer.calls().end(), "close"), 2);
}

TEST_F(Documents, AFailedOpeningClosesTheCreditNote) {
  printer.replies({{"", 1}});
  printer.openResult = 1;
  MERID_ON_FRESH_THREAD({
    MeridTallo_NAccr n;
    int16_t port = 1, decimals = 2;
    EXPECT_FALSE(n.ApriNotaAccredito(port, decimals, decimals));
    Merid_Font font = kMerid_Normale;
    EXPECT_FALSE(n.RigaNotaAccredito("X", "", "1", font));
  });
  EXPECT_TRUE(printed().empty());
}

}  // namespace
}  // namespace merid
