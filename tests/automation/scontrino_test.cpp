#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "merid/MeridTallo_Fattura.h"
#include "merid/MeridTallo_NAccr.h"
#include "merid/MeridTallo_Scontrino.h"
#include "automation/wrapper.h"
#include "platform/failure.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;

class Scontrino : public test::DocumentTest {};

TEST_F(Scontrino, AWholeReceipt) {
  setIni("[Fiscal]\nBuffer=1\n[RepartoVek1]\nrepartoMerid=1\n[RepartoVek2]\nrepartoMerid=2\n");
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    EXPECT_TRUE(s.ApriTransazioneFiscale());
    EXPECT_TRUE(s.Vendita("", "PANE", 2, 1.25, 2.5, "", "22", 1));
    EXPECT_TRUE(s.Vendita("", "LATTE", 1, 1.1, 1.1, "", "10", 2));
    EXPECT_TRUE(s.Vendita("BIO", "MELE", 1, 3, 3, "", "4", 2));
    EXPECT_TRUE(s.Reso("", "LATTE", 1, 1.1, 1.1, "", "10", 2));
    EXPECT_TRUE(s.ScontoValoreRiga(0.5, "SCONTO RIGA"));
    EXPECT_EQ(s.ScontoValoreTotale(1, "SCONTO TOTALE"), std::optional<bool>(true));
    EXPECT_TRUE(s.RigaLiberaFiscale_Vendita("TESSERA 1234", kMerid_Grassetto));
    EXPECT_TRUE(s.RigaLiberaFiscale_Promo("GRAZIE"));
    EXPECT_TRUE(s.RigaLiberaFiscale_Fondo("ARRIVEDERCI"));
    EXPECT_TRUE(s.SubTotale());
    EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(1, 2, "Contanti"));
    EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(2, 2, "Bancomat"));
    EXPECT_TRUE(s.ChiudiTransazioneFiscale());
  });
  const std::string e = "\x7F";
  auto pad = [](const std::string& s, std::size_t n) { return (s + std::string(n, ' ')).substr(0, n); };
  auto right = [](const std::string& s) { return std::string(20 - s.size(), ' ') + s; };
  EXPECT_EQ(printed(), (Strings{
                           "30161",
                           "3002132*   2,000 x    1,25" + std::string(13, ' '),
                           "3101101" "22" + pad("PANE", 22) + "000000250",
                           "7007" + pad("PANE", 20) + right(e + " 2,50"),
                           "3101102" "22" + pad("LATTE", 22) + "000000110",
                           "7007" + pad("LATTE", 20) + right(e + " 1,10"),
                           "3002103BIO",
                           "3101102" "22" + pad("MELE", 22) + "000000300",
                           "7007" + pad("MELE", 20) + right(e + " 3,00"),
                           "3101902" "22" + pad("LATTE", 22) + "000000110",
                           "7007" + pad("Reso:LATTE", 20) + right(e + " 1,10"),
                           "3101301" "22" + pad("SCONTO RIGA", 22) + "000000050",
                           "7007" + pad("SCONTO RIGA", 20) + right(e + " 0,50"),
                           "3101301" "22" + pad("SCONTO TOTALE", 22) + "000000100",
                           "7007" + pad("SCONTO TOTALE", 20) + right(e + " 1,00"),
                           "3002212TESSERA 1234",
                           "3003",
                           "7007" + pad("Contanti", 20) + right(e + " 2,00"),
                           "300408CONTANTE000000200",
                           "7007" + pad("Bancomat", 20) + right(e + " 2,00"),
                           "300408BANCOMAT000000200",
                           "3011",
                           "3012106GRAZIE",
                           "3012111ARRIVEDERCI",
                           "3013",
                       }));
  EXPECT_TRUE(logs.errors().empty()) << logs.errors().front();
}

TEST_F(Scontrino, WithoutAPortNothingIsSentOrLogged) {
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    EXPECT_FALSE(s.Vendita("", "PANE", 1, 1, 1, "", "", 1));
    EXPECT_FALSE(s.ApriTransazioneFiscale());
    EXPECT_FALSE(s.SubTotale());
    EXPECT_FALSE(s.IsConnected());
    EXPECT_EQ(s.ScontoValoreTotale(1, "X"), std::nullopt);
    EXPECT_EQ(s.ApriCassetto(), std::nullopt);
    EXPECT_EQ(s.ApriCassettoManuale(), std::nullopt);
    EXPECT_EQ(s.StatoStampante(), ECK_OK);
    EXPECT_TRUE(s.Manutenzione_RipristinoAnomaliaCarta());
    s.ChiudiConnessioneCOM();
    int16_t none = -1;
    s.InitComunicazione(none);
    EXPECT_FALSE(s.InviaComandoDiretto_CefDLL("3003"));
  });
  EXPECT_TRUE(printer.calls().empty());
  EXPECT_TRUE(logs.errors().empty());
  EXPECT_FALSE(test::fileExists(home.file("MeridFiscal.ini")));
}

TEST_F(Scontrino, PortZeroPassesTheGuard) {
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    int16_t zero = 0;
    s.InitComunicazione(zero);
    EXPECT_TRUE(s.InviaComandoDiretto_CefDLL("3003"));
    EXPECT_EQ(s.ApriCassettoManuale(), std::optional<bool>(true));
    EXPECT_TRUE(s.IsConnected());
    EXPECT_EQ(s.StatoStampante(), ECK_OK);
    s.ChiudiConnessioneCOM();
  });
  EXPECT_EQ(printer.writes().front(), "3003");
  EXPECT_EQ(printer.calls().back(), "close");
}

TEST_F(Scontrino, TheWrapperTurnsAFailureIntoOneLogLine) {
  MERID_ON_FRESH_THREAD({
    const bool result = detail::guarded("MeridTallo_Scontrino", "SubTotale", 1, false, []() -> bool {
      throw RuntimeFailure("Object variable not set");
    });
    EXPECT_FALSE(result);
  });
  EXPECT_EQ(logs.errors(), Strings{"MeridTallo_Scontrino-SubTotale Object variable not set"});
}

TEST_F(Scontrino, PromoAndFondoLeaveTheSameState) {
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    EXPECT_TRUE(s.RigaLiberaFiscale_Fondo("UNO"));
    EXPECT_TRUE(s.RigaLiberaFiscale_Promo("DUE"));
    EXPECT_TRUE(s.RigaLiberaFiscale_Fondo("TRE"));
    EXPECT_TRUE(s.ChiudiTransazioneFiscale());
  });
  EXPECT_EQ(printed(), (Strings{"3011", "3012103UNO", "3012103DUE", "3012103TRE", "3013"}));
}

// Every method with extreme arguments: only failure values and log lines.
TEST_F(Scontrino, HostileArgumentsGiveOnlyFailureValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {std::nan(""), inf, -inf, 1e300, -1e300, 0, -0.0};
  const std::string strings[] = {"", std::string(100000, 'x'), std::string("\0\xff\x01", 3)};
  const int32_t ids[] = {-2147483647 - 1, -1, 0, 2147483647};
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    for (double v : values)
      for (const auto& text : strings)
        for (int32_t id : ids) {
          s.Vendita(text, text, v, v, v, text, text, id);
          s.Reso(text, text, v, v, v, text, text, id);
          s.ScontoValoreRiga(v, text);
          s.ScontoValoreTotale(v, text);
          s.Pagamento_CorrispettivoRiscosso(id, v, text);
          s.Pagamento_CorrispettivoNonRiscosso(id, v, text);
        }
    for (const auto& text : strings) {
      s.RigaLiberaFiscale_Vendita(text, static_cast<Merid_Font>(-7));
      s.RigaLiberaFiscale_Promo(text);
      s.StampaBarcode_Fiscale(text, static_cast<Merid_BarcodeType>(2147483647));
      s.Display_MostraRighe(text, text);
      s.Display_MostraRiga(text, -32768);
      s.InviaComandoDiretto_CefDLL(text);
    }
    for (double v : values) {
      double date = v;
      int16_t small = -32768;
      int32_t record = -2147483647 - 1;
      s.Manutenzione_DGFE_StampaIntervalloDate(date, date);
      s.Manutenzione_DGFE_Data_NScontrini(date, small, small);
      s.Manutenzione_DGFE_IntervalloChiusure(small, small);
      s.Manutenzione_DGFE_RichiestaRiga(record);
      auto kind = static_cast<kMerid_RapportoX>(-5);
      s.Manutenzione_EseguiRapportoX(kind);
    }
    for (const auto& text : strings) {
      s.ApriTransazioneNonFiscale();
      s.RigaLiberaNonFiscale(text, text, text, static_cast<Merid_Font>(2147483647));
      s.ChiudiTransazioneNonFiscale();
      MeridTallo_Fattura f;
      MeridTallo_NAccr n;
      for (double v : values) {
        int16_t port = -32768, decimals = 32767;
        double total = v;
        bool copy = true;
        Merid_Font font = static_cast<Merid_Font>(-1);
        f.ApriFattura(port, total, copy, decimals, decimals);
        f.RigaFattura(text, font);
        f.ChiudiFattura(v);
        n.ApriNotaAccredito(port, decimals, decimals);
        n.RigaNotaAccredito(text, text, text, font);
        n.ChiudiNotaAccredito(v);
      }
    }
    EXPECT_TRUE(s.ChiudiTransazioneFiscale());
  });
  // The department of a huge id maps to 1 and is written to the file.
  EXPECT_NE(ini().find("[RepartoVek-2147483648]"), std::string::npos);
  for (const auto& line : logs.errors()) EXPECT_EQ(line.find("Scontrino-"), std::string::npos) << line;
}

}  // namespace
}  // namespace merid
