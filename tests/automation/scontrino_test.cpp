// The three classes as a host uses them: a whole receipt, the guard on the port, the failure
// wrapper and the 45 signatures. Hostile arguments for every method are in the meridctl tests.

#include <gtest/gtest.h>

#include "automation/wrapper.h"
#include "merid/MeridTallo_Scontrino.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using namespace test;

// Department 3 is mapped to 3, host department 12 to nothing yet.
TEST_F(DocumentTest, AWholeReceipt) {
  setIni("[RepartoVek3]\nrepartoMerid=3\n");
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    EXPECT_TRUE(s.ApriTransazioneFiscale() && s.Vendita("", "PANE", 2, 1.25, 2.5, "", "22", 3) &&
                s.Vendita("FRESCO", "LATTE", 1, 1.1, 1.1, "", "10", 12) &&
                s.Vendita("", "MELE", 1, 3, 3, "", "4", 3) &&
                s.Reso("", "LATTE", 1, 1.1, 1.1, "", "10", 12) && s.ScontoValoreRiga(0.5, "SCONTO RIGA") &&
                s.ScontoValoreTotale(1, "SCONTO TOTALE") == std::optional<bool>(true) &&
                s.RigaLiberaFiscale_Vendita("TESSERA 1234", kMerid_Grassetto) &&
                // Printed in the order of the calls, whichever of the two methods kept them.
                s.RigaLiberaFiscale_Fondo("GRAZIE") && s.RigaLiberaFiscale_Promo("ARRIVEDERCI") &&
                s.SubTotale() && s.Pagamento_CorrispettivoRiscosso(1, 2, "Contanti") &&
                s.Pagamento_CorrispettivoRiscosso(2, 2, "Bancomat") && s.ChiudiTransazioneFiscale());
  });
  // A sale line: its type, the printer's department, the name and the amount.
  auto item = [&](const char* kind, const std::string& name, const char* cents) {
    return std::string("3101") + kind + "22" + pad(name, 22) + cents;
  };
  EXPECT_EQ(sent(), (Strings{"30160",
                             "3002132*   2,000 x    1,25" + std::string(13, ' '),
                             item("103", "PANE", "000000250"),
                             shown("PANE", "2,50"),
                             "3002106FRESCO",
                             item("101", "LATTE", "000000110"),
                             shown("LATTE", "1,10"),
                             item("103", "MELE", "000000300"),
                             shown("MELE", "3,00"),
                             item("901", "LATTE", "000000110"),
                             shown("Reso:LATTE", "1,10"),
                             item("301", "SCONTO RIGA", "000000050"),
                             shown("SCONTO RIGA", "0,50"),
                             item("301", "SCONTO TOTALE", "000000100"),
                             shown("SCONTO TOTALE", "1,00"),
                             "3002212TESSERA 1234",
                             "3003",
                             shown("Contanti", "2,00"),
                             "300408CONTANTE000000200",
                             shown("Bancomat", "2,00"),
                             "300408BANCOMAT000000200",
                             "3011",
                             "3012106GRAZIE",
                             "3012111ARRIVEDERCI",
                             "3013"}));
  EXPECT_EQ(ini(),
            "[RepartoVek3]\nrepartoMerid=3\n[Fiscal]\nBuffer=1\nCloseConnEachDoc=0\n"
            "[RepartoVek12]\nrepartoMerid=1\n[RepartoVek1]\nrepartoMerid=1\n"
            "[Pagamento_Contanti]\nvalue=CONTANTE\n[isCorrNonRiscosso_Contanti]\nvalue=0\n"
            "[Pagamento_Bancomat]\nvalue=BANCOMAT\n[isCorrNonRiscosso_Bancomat]\nvalue=0\n"
            "[ForzaStampaResto]\nValue=\n[Merid_OperazioneChiusuraFiscale]\ncode=3011\n"
            "[Merid_OperazionePostChiusuraFiscale]\ncode=\n[Merid_PrintAndCut]\ncode=3013\n"
            "[ApriCassettoDopoStampaScontrino]\nvalue=0\n");
  EXPECT_EQ(logs.errors(), Strings{});
}

TEST_F(DocumentTest, TheGuardOnThePort) {
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    EXPECT_FALSE(s.Vendita("", "PANE", 1, 1, 1, "", "", 1) || s.ApriTransazioneFiscale() || s.SubTotale() ||
                 s.IsConnected() || s.Manutenzione_EseguiRapportoZ() || s.InviaComandoDiretto_CefDLL("3003"));
    EXPECT_FALSE(s.ScontoValoreTotale(1, "X") || s.ApriCassetto() || s.ApriCassettoManuale());  // each Empty
    EXPECT_EQ(s.StatoStampante(), ECK_OK);
    EXPECT_TRUE(s.Manutenzione_RipristinoAnomaliaCarta());
    s.ChiudiConnessioneCOM();
  });
  EXPECT_EQ(printer.calls(), Strings{});
  EXPECT_EQ(logs.errors(), Strings{});
  EXPECT_FALSE(fileExists(home.file("MeridFiscal.ini")));
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    int16_t zero = 0;
    s.InitComunicazione(zero);
    EXPECT_TRUE(s.InviaComandoDiretto_CefDLL("3003") && s.ApriCassettoManuale().value_or(false) &&
                s.StampaBarcode_Fiscale("12345670", CBT_Ean8) &&
                s.StampaBarcode_NonFiscale("12345670", CBT_Ean8) && s.IsConnected() &&
                s.StatoStampante() == ECK_OK);
    s.ChiudiConnessioneCOM();
  });
  EXPECT_EQ(sent(), (Strings{"3003", "70081", "7007Apertura Cassetto" + std::string(23, ' '),
                             "302122000812345670", "302122000812345670", "close"}));
  // A failure inside a routine of SubTotale.
  auto failure = []() -> bool { throw RuntimeFailure("Object variable not set"); };
  bool result = true;
  Outcome esito;
  MERID_ON_FRESH_THREAD(result =
                            detail::guarded(esito, "MeridTallo_Scontrino", "SubTotale", 1, false, failure));
  EXPECT_FALSE(result);
  EXPECT_EQ(esito.summary(),
            "not sent: run-time failure: MeridTallo_Scontrino-SubTotale Object variable not set");
  EXPECT_EQ(logs.errors(), Strings{"MeridTallo_Scontrino-SubTotale Object variable not set"});
}

}  // namespace
}  // namespace merid
