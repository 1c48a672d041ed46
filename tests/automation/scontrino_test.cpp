// The three classes as a host uses them: the guard on the port and the failure wrapper. A whole day of
// documents is in the integration tests, hostile arguments for every method in the meridctl tests.

#include <gtest/gtest.h>

#include "automation/wrapper.h"
#include "merid/MeridTallo_Scontrino.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using namespace test;

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
  MERID_ON_FRESH_THREAD({  // 0 is a port like any other; the commands of these calls are the COM client's
    MeridTallo_Scontrino s;
    int16_t zero = 0;
    s.InitComunicazione(zero);
    EXPECT_TRUE(s.InviaComandoDiretto_CefDLL("3003") && s.IsConnected());
  });
  EXPECT_EQ(sent(), (Strings{"3003"}));
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
