#include "demo.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "merid/codepage.h"
#include "run.h"
#include "script.h"

namespace meridctl {

const char* const kDemoScript = R"(' A day of trading at the counter.
s = MeridTallo_Scontrino
s.InitComunicazione 1
s.IsConnected
s.Manutenzione_ProgrammazioneDataOra
s.StatoStampante
s.Display_MostraRighe "BENVENUTI", "CASSA 1"

' Morning: bread, apples and wine; the wine comes back; two discounts;
' lines after the total; paid by card and cash, with change.
s.ApriTransazioneFiscale
s.Vendita "", "PANE", 2, 1.25, 2.5, "", "4", 1
s.Vendita "BIO", "MELE", 1, 3.2, 3.2, "", "4", 1
s.Vendita "", "VINO ROSSO", 1, 8.9, 8.9, "", "22", 2
s.Reso "", "VINO ROSSO", 1, 8.9, 8.9, "", "22", 2
s.ScontoValoreRiga 0.5, "SCONTO MELE"
s.ScontoValoreTotale 1, "SCONTO FEDELTA"
s.RigaLiberaFiscale_Vendita "TESSERA CLIENTE 0042", kMerid_Grassetto
s.RigaLiberaFiscale_Promo "GRAZIE E ARRIVEDERCI"
s.RigaLiberaFiscale_Fondo "OFFERTE OGNI GIOVEDI"
s.SubTotale
s.Pagamento_CorrispettivoRiscosso 2, 2, "Bancomat"
s.Pagamento_CorrispettivoRiscosso 1, 5, "Contanti"
s.ChiudiTransazioneFiscale

' Midday: six coffees, paid in cash.
s.ApriTransazioneFiscale
s.Vendita "", "CAFFE", 6, 1.1, 6.6, "", "10", 3
s.Pagamento_CorrispettivoRiscosso 1, 10, "Contanti"
s.ChiudiTransazioneFiscale

' A receipt the customer walks away from.
s.ApriTransazioneFiscale
s.Vendita "", "GIORNALE", 1, 1.8, 1.8, "", "4", 1
s.Manutenzione_AnnulloScontrinoAperto

' A non-fiscal slip with a barcode.
s.ApriTransazioneNonFiscale
s.RigaLiberaNonFiscale "BUONO SCONTO", "", "5,00", kMerid_DoppiaAltezza
s.RigaLiberaNonFiscale "VALIDO FINO AL 31/12", "", "", kMerid_Normale
s.StampaBarcode_NonFiscale "8001234567897", CBT_Ean13
s.ChiudiTransazioneNonFiscale

' An invoice for a company customer.
f = MeridTallo_Fattura
f.ApriFattura 1, 122, False, 2, 3
f.RigaFattura "ROSSI SRL - VIA ROMA 1 - MILANO", kMerid_Normale
f.RigaFattura "2 X CESTO NATALIZIO      122,00", kMerid_Normale
f.ChiudiFattura 122

' A credit note for a returned scarf.
n = MeridTallo_NAccr
n.ApriNotaAccredito 1, 2, 3
n.RigaNotaAccredito "RESO SCIARPA", "", "19,90", kMerid_Normale
n.ChiudiNotaAccredito 19.9

' Evening: the totals of the day, then the daily closing.
s.Manutenzione_EseguiRapportoX kCRX_TotaliDelGiorno
s.Manutenzione_EseguiRapportoZ
s.ChiudiConnessioneCOM
)";

int runDemo(Options o) {
  const std::string folder = temporaryFolder("meridctl-demo");
  if (folder.empty()) {
    std::cerr << "meridctl: cannot make a folder for the demo\n";
    return 1;
  }
  if (o.simDir.empty()) o.simDir = folder + "/printer";
  if (o.home.empty()) o.home = folder + "/home";
  o.autoOk = true;
  if (!setUpHost(o)) return 1;

  const Script script = parseScript("demo", kDemoScript);
  if (!script.errors.empty()) {
    for (const auto& e : script.errors) std::cerr << e << "\n";
    return 1;
  }
  std::cout << "== The calls\n";
  const int failures = runScript(script, std::cout).failures;

  std::ifstream tape(o.simDir + "/tape.txt", std::ios::binary);
  std::cout << "\n== The paper tape\n";
  if (tape) {
    std::ostringstream text;
    text << tape.rdbuf();
    std::cout << merid::ansiToUtf8(text.str());  // the printer's text is Windows-1252
  } else {
    std::cout << "(no tape: is the virtual printer in use? --printer " << std::getenv("MERID_CEFDLL")
              << ")\n";
  }
  std::cout << "\nThe tape as a page: " << o.simDir << "/tape.html\n";
  if (failures > 0) {
    std::cerr << "meridctl: " << failures << " call(s) did not return what the demo expects\n";
    return 1;
  }
  return 0;
}

}  // namespace meridctl
