#include <gtest/gtest.h>

#include <functional>

#include "config/modIni.h"
#include "fiscal/modFiscale.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;
using test::DocumentTest;

const std::string k18 = std::string(18, ' ');

class Fiscale : public DocumentTest {};

TEST_F(Fiscale, OpeningModeFollowsBuffer) {
  struct Row {
    const char* ini;
    Strings first, second;
  };
  const Row rows[] = {
      {"", {"30160"}, {"30161"}},
      {"[Fiscal]\nBuffer=0\n", {"30160"}, {"30160"}},
      {"[Fiscal]\nBuffer=2\n", {"30161"}, {"30161"}},
      {"[Fiscal]\nBuffer=1\n", {"30161"}, {"30161"}},
  };
  for (const auto& r : rows) {
    setIni(r.ini);
    MERID_ON_FRESH_THREAD({
      int16_t port = 1;
      auto before = printed().size();
      EXPECT_TRUE(ApriScontrinoFiscale(port));
      EXPECT_EQ(printedSince(before), r.first) << r.ini;
      before = printed().size();
      EXPECT_TRUE(ApriScontrinoFiscale(port));
      EXPECT_EQ(printedSince(before), r.second) << r.ini;
    });
  }
}

TEST_F(Fiscale, AWordInBufferStopsTheOpening) {
  setIni("[Fiscal]\nBuffer=SI\n");
  MERID_ON_FRESH_THREAD({
    int16_t port = 1;
    EXPECT_FALSE(ApriScontrinoFiscale(port));
  });
  EXPECT_TRUE(printer.calls().empty());
  ASSERT_EQ(logs.errors().size(), 1u);
  EXPECT_EQ(logs.errors()[0], "modFiscale-ApriScontrinoFiscale Type mismatch");
}

TEST_F(Fiscale, ClosingWithAFreshIniFile) {
  MERID_ON_FRESH_THREAD({
    int32_t font = 1;
    std::string grazie = "GRAZIE", arrivederci = "ARRIVEDERCI";
    SalvaRigaDescrittivaPromoInBuffer(grazie, font);
    SalvaRigaDescrittivaPromoInBuffer(arrivederci, font);
    int16_t port = 1;
    EXPECT_TRUE(ChiudiScontrinoFiscale(port));
    for (const auto& slot : BufferRighePromo()) EXPECT_TRUE(slot.text.empty());
  });
  EXPECT_EQ(printed(), (Strings{"3011", "3012106GRAZIE", "3012111ARRIVEDERCI", "3013"}));
  EXPECT_EQ(ini(),
            "[ForzaStampaResto]\nValue=\n"
            "[Merid_OperazioneChiusuraFiscale]\ncode=3011\n"
            "[Merid_OperazionePostChiusuraFiscale]\ncode=\n"
            "[Merid_PrintAndCut]\ncode=3013\n"
            "[ApriCassettoDopoStampaScontrino]\nvalue=0\n"
            "[Fiscal]\nCloseConnEachDoc=0\n");
  EXPECT_TRUE(std::find(printer.calls().begin(), printer.calls().end(), "close") == printer.calls().end());
}

TEST_F(Fiscale, ClosingSequenceSettings) {
  struct Row {
    const char* ini;
    Strings commands;
  };
  const Row rows[] = {
      {"[ForzaStampaResto]\nValue=1\n", {"3009", "3011", "3013"}},
      {"[ForzaStampaResto]\nValue=01\n", {"3011", "3013"}},
      {"[ForzaStampaResto]\nValue=SI\n", {"3011", "3013"}},
      {"[Merid_OperazioneChiusuraFiscale]\ncode=\n", {"3011", "3013"}},
      {"[Merid_OperazioneChiusuraFiscale]\ncode=3099\n[Merid_PrintAndCut]\ncode=3014\n", {"3099", "3014"}},
      {"[Merid_OperazionePostChiusuraFiscale]\ncode=3050\n", {"3011", "3050", "3013"}},
      {"[ApriCassettoDopoStampaScontrino]\nvalue=1\n",
       {"3011", "3013", "70081", "7007Apertura Cassetto   " + std::string(20, ' ')}},
  };
  for (const auto& r : rows) {
    setIni(r.ini);
    auto before = printed().size();
    MERID_ON_FRESH_THREAD({
      int16_t port = 1;
      EXPECT_TRUE(ChiudiScontrinoFiscale(port)) << r.ini;
    });
    EXPECT_EQ(printedSince(before), r.commands) << r.ini;
  }
}

TEST_F(Fiscale, ARefusedClosingStillPrintsEverythingAndAnswersFalse) {
  struct Row {
    const char* refused;
    bool result;
  };
  const Row rows[] = {{"3011", false}, {"3012101X", false}, {"3013", false}, {"3050", true}, {"70081", true}};
  for (const auto& r : rows) {
    setIni("[Merid_OperazionePostChiusuraFiscale]\ncode=3050\n[ApriCassettoDopoStampaScontrino]\nvalue=1\n");
    failSending(r.refused);
    MERID_ON_FRESH_THREAD({
      int32_t font = 1;
      std::string line = "X";
      SalvaRigaDescrittivaPromoInBuffer(line, font);
      int16_t port = 1;
      const auto before = printed().size();
      EXPECT_EQ(ChiudiScontrinoFiscale(port), r.result) << r.refused;
      Strings sent = printedSince(before);
      EXPECT_EQ(sent.front(), "3011");
      EXPECT_NE(std::find(sent.begin(), sent.end(), "3013"), sent.end()) << r.refused;
      EXPECT_NE(std::find(sent.begin(), sent.end(), "70081"), sent.end()) << r.refused;
      EXPECT_TRUE(BufferRighePromo()[0].text.empty());
    });
  }
}

TEST_F(Fiscale, AfterTotalStoreHoldsTenLinesInOrder) {
  MERID_ON_FRESH_THREAD({
    for (int i = 1; i <= 11; ++i) {
      std::string text = "RIGA " + std::to_string(i);
      int32_t font = i == 3 ? 2 : 1;
      EXPECT_TRUE(SalvaRigaDescrittivaPromoInBuffer(text, font));
    }
    std::string empty;
    int32_t font = 1;
    EXPECT_TRUE(SalvaRigaDescrittivaPromoInBuffer(empty, font));
    int16_t port = 1;
    ChiudiScontrinoFiscale(port);
    for (const auto& slot : BufferRighePromo()) {
      EXPECT_TRUE(slot.text.empty());
      EXPECT_EQ(slot.font, 1);
    }
  });
  Strings expected{"3011"};
  for (int i = 1; i <= 10; ++i) expected.push_back(std::string("3012") + (i == 3 ? "2" : "1") + (i == 10 ? "07" : "06") + "RIGA " + std::to_string(i));
  expected.push_back("3013");
  EXPECT_EQ(printed(), expected);
}

TEST_F(Fiscale, DescriptiveLines) {
  struct Row {
    std::string text;
    int32_t font;
    std::string command;
  };
  const std::string forty = "0123456789012345678901234567890123456789";
  const Row rows[] = {
      {"OFFERTA SPECIALE", 2, "3002216OFFERTA SPECIALE"},
      {"", 1, "3002100"},
      {forty, 4, "3002432" + forty.substr(0, 32)},
      {forty.substr(0, 32), 9, "3002932" + forty.substr(0, 32)},
      {"X", 0, "3002001X"},
      {"X", 10, "30021001X"},
  };
  MERID_ON_FRESH_THREAD({
    for (const auto& r : rows) {
      int32_t font = r.font;
      EXPECT_EQ(getComando_RigaDescrittivaFiscale(r.text, font), r.command);
      EXPECT_EQ(getComando_RigaCortesiaDopoTotale(r.text, font), "3012" + r.command.substr(4));
      EXPECT_TRUE(RigaDescrittivaFiscale(r.text, font));
    }
  });
  ASSERT_EQ(printed().size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(printed()[i], rows[i].command);
}

TEST_F(Fiscale, SaleLines) {
  const std::string euro = "\x7F";
  struct Row {
    const char* name;
    std::function<bool()> call;
    Strings commands;
  };
  std::string pane = "PANE", fresco = "FRESCO", none, iva = "22", sconto = "SCONTO";
  double two = 2, one = 1, zero = 0, price = 1.25, total = 2.5, big = 1234.5, minus = -2.5;
  int32_t reparto = 3, host1 = 1;
  const std::string display = "7007PANE" + std::string(16, ' ') + std::string(14, ' ') + euro + " 2,50";
  const Row rows[] = {
      {"quantity 2",
       [&] { return Esegui_Vendita(none, pane, two, price, total, iva, reparto); },
       {"3002132*   2,000 x    1,25" + std::string(13, ' '), "310110322PANE" + k18 + "000000250", display}},
      {"quantity 1", [&] { return Esegui_Vendita(none, pane, one, price, total, iva, reparto); },
       {"310110322PANE" + k18 + "000000250", display}},
      {"quantity 0", [&] { return Esegui_Vendita(none, pane, zero, price, total, iva, reparto); },
       {"310110322PANE" + k18 + "000000250", display}},
      {"additional description",
       [&] { return Esegui_Vendita(fresco, pane, one, price, total, iva, reparto); },
       {"3002106FRESCO", "310110322PANE" + k18 + "000000250", display}},
      {"quantity line replaces the additional description",
       [&] { return Esegui_Vendita(fresco, pane, big, price, total, iva, reparto); },
       {"3002132*.234,500 x    1,25" + std::string(13, ' '), "310110322PANE" + k18 + "000000250", display}},
      {"return", [&] { return Esegui_Reso(none, pane, one, price, minus, iva, reparto); },
       {"310190322PANE" + k18 + "-000000250",
        "7007Reso:PANE" + std::string(11, ' ') + std::string(13, ' ') + euro + " -2,50"}},
      {"line discount", [&] { return Esegui_ScontoValoreRiga(total, sconto, host1); },
       {"310130122SCONTO" + std::string(16, ' ') + "000000250",
        "7007SCONTO" + std::string(14, ' ') + std::string(14, ' ') + euro + " 2,50"}},
  };
  setIni("[RepartoVek3]\nrepartoMerid=3\n[RepartoVek1]\nrepartoMerid=1\n");
  for (const auto& r : rows) {
    const auto before = printed().size();
    MERID_ON_FRESH_THREAD({ EXPECT_TRUE(r.call()) << r.name; });
    EXPECT_EQ(printedSince(before), r.commands) << r.name;
  }
  EXPECT_TRUE(logs.errors().empty());
}

TEST_F(Fiscale, ARefusedSaleLeavesTheDisplayAlone) {
  setIni("[RepartoVek3]\nrepartoMerid=3\n");
  std::string none, pane = "PANE", iva;
  double two = 2, price = 1.25, total = 2.5;
  int32_t reparto = 3;
  failSending("3002132*   2,000 x    1,25" + std::string(13, ' '));
  MERID_ON_FRESH_THREAD({ EXPECT_FALSE(Esegui_Vendita(none, pane, two, price, total, iva, reparto)); });
  EXPECT_EQ(printed().size(), 1u) << "nothing after the refused quantity line";
  failSending("310110322PANE" + k18 + "000000250");
  double one = 1;
  MERID_ON_FRESH_THREAD({ EXPECT_FALSE(Esegui_Vendita(none, pane, one, price, total, iva, reparto)); });
  EXPECT_EQ(printed().size(), 2u) << "no display after the refused sale";
}

TEST_F(Fiscale, FailingComponents) {
  setIni("[RepartoVek3]\nrepartoMerid=3\n");
  std::string none, pane = "PANE", iva;
  double two = 2, one = 1, price = 1.25, total = 2.5;
  int32_t reparto = 3;
  {
    test::FailingComponents failing(true, false);
    MERID_ON_FRESH_THREAD({ EXPECT_FALSE(Esegui_Vendita(none, pane, one, price, total, iva, reparto)); });
    EXPECT_TRUE(printed().empty());
    EXPECT_EQ(logs.errors().back(), "modFiscale-Esegui_VenditaAReparto Automation error");
  }
  {
    // The formatter fails only after the sale was accepted, on the display.
    test::FailingComponents failing(false, true);
    MERID_ON_FRESH_THREAD({ EXPECT_TRUE(Esegui_Vendita(none, pane, one, price, total, iva, reparto)); });
    EXPECT_EQ(printed(), Strings{"310110322PANE" + k18 + "000000250"});
    EXPECT_EQ(logs.errors().back(), "modFiscale-Esegui_VenditaAReparto Automation error");
    MERID_ON_FRESH_THREAD({ EXPECT_FALSE(Esegui_Vendita(none, pane, two, price, total, iva, reparto)); });
    EXPECT_EQ(printed().size(), 1u) << "the quantity line needs the formatter";
  }
}

TEST_F(Fiscale, VoidingTheOpenReceipt) {
  const std::string voidLine = "3001819Annullo transazione000000000";
  MERID_ON_FRESH_THREAD({
    int16_t port = 1;
    EXPECT_TRUE(AnnulloScontrinoAperto(port));
  });
  EXPECT_EQ(printed(), (Strings{voidLine, "3011", "3013"}));
  failSending(voidLine);
  MERID_ON_FRESH_THREAD({
    int16_t port = 1;
    EXPECT_FALSE(AnnulloScontrinoAperto(port));
  });
  EXPECT_EQ(printed().size(), 4u) << "no closing after a refused void line";
}

}  // namespace
}  // namespace merid
