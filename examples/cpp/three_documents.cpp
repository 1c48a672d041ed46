// A C++ host that prints a receipt, an invoice and a credit note, and tells
// what each call answered.
//
//   MERID_CEFDLL=/path/to/libCeFdll.so MERID_HOME=/tmp/shop three_documents

#include <iostream>

#include "merid/MeridDLLManager.h"

namespace {

int failures = 0;

void report(const char* call, bool ok) {
  std::cout << call << " -> " << (ok ? "True" : "False") << "\n";
  failures += ok ? 0 : 1;
}

}  // namespace

int main() {
  int16_t port = 1;

  merid::MeridTallo_Scontrino receipt;
  receipt.InitComunicazione(port);
  report("ApriTransazioneFiscale", receipt.ApriTransazioneFiscale());
  report("Vendita", receipt.Vendita("", "PANE", 2, 1.25, 2.5, "", "4", 1));
  report("Vendita", receipt.Vendita("", merid::utf8ToAnsi("CAFFÈ"), 1, 1.1, 1.1, "", "10", 3));
  report("Pagamento_CorrispettivoRiscosso", receipt.Pagamento_CorrispettivoRiscosso(1, 5, "Contanti"));
  report("ChiudiTransazioneFiscale", receipt.ChiudiTransazioneFiscale());

  merid::MeridTallo_Fattura invoice;
  double total = 122;
  bool copy = false;
  int16_t decimals = 2;
  merid::Merid_Font font = merid::kMerid_Normale;
  report("ApriFattura", invoice.ApriFattura(port, total, copy, decimals, decimals));
  report("RigaFattura", invoice.RigaFattura("ROSSI SRL - VIA ROMA 1 - MILANO", font));
  report("RigaFattura", invoice.RigaFattura("2 X CESTO NATALIZIO      122,00", font));
  report("ChiudiFattura", invoice.ChiudiFattura(total));

  merid::MeridTallo_NAccr credit;
  report("ApriNotaAccredito", credit.ApriNotaAccredito(port, decimals, decimals));
  report("RigaNotaAccredito", credit.RigaNotaAccredito("RESO SCIARPA", "", "19,90", font));
  report("ChiudiNotaAccredito", credit.ChiudiNotaAccredito(19.9));
  return failures == 0 ? 0 : 1;
}
