// A C++ host that prints a receipt, an invoice and a credit note, and tells
// what each call answered and, when it was not plainly done, what happened.
//
//   MERID_CEFDLL=/path/to/libCeFdll.so MERID_HOME=/tmp/shop three_documents

#include <iostream>
#include <string>

#include "merid/MeridDLLManager.h"
#include "merid/outcome.h"

namespace {

int failures = 0;

template <class Document>
void report(const char* call, bool ok, const Document& document) {
  const merid::Outcome& o = document.UltimoEsito();
  std::cout << call << " -> " << (ok ? "True" : "False");
  if (!o.plainDone()) std::cout << "  [" << o.summary() << "]";
  std::cout << "\n";
  failures += ok ? 0 : 1;
}

}  // namespace

int main() {
  int16_t port = 1;
  if (const std::string problem = merid::printerLibraryProblem(); !problem.empty()) {
    std::cerr << "three_documents: the printer library cannot be used: " << problem << "\n";
    return 2;
  }

  merid::MeridTallo_Scontrino receipt;
  receipt.InitComunicazione(port);
  report("ApriTransazioneFiscale", receipt.ApriTransazioneFiscale(), receipt);
  report("Vendita", receipt.Vendita("", "PANE", 2, 1.25, 2.5, "", "4", 1), receipt);
  report("Vendita", receipt.Vendita("", merid::utf8ToAnsi("CAFFÈ"), 1, 1.1, 1.1, "", "10", 3), receipt);
  report("Pagamento_CorrispettivoRiscosso", receipt.Pagamento_CorrispettivoRiscosso(1, 5, "Contanti"),
         receipt);
  report("ChiudiTransazioneFiscale", receipt.ChiudiTransazioneFiscale(), receipt);

  merid::MeridTallo_Fattura invoice;
  double total = 122;
  bool copy = false;
  int16_t decimals = 2;
  merid::Merid_Font font = merid::kMerid_Normale;
  report("ApriFattura", invoice.ApriFattura(port, total, copy, decimals, decimals), invoice);
  report("RigaFattura", invoice.RigaFattura("ROSSI SRL - VIA ROMA 1 - MILANO", font), invoice);
  report("RigaFattura", invoice.RigaFattura("2 X CESTO NATALIZIO      122,00", font), invoice);
  report("ChiudiFattura", invoice.ChiudiFattura(total), invoice);

  merid::MeridTallo_NAccr credit;
  report("ApriNotaAccredito", credit.ApriNotaAccredito(port, decimals, decimals), credit);
  report("RigaNotaAccredito", credit.RigaNotaAccredito("RESO SCIARPA", "", "19,90", font), credit);
  report("ChiudiNotaAccredito", credit.ChiudiNotaAccredito(19.9), credit);
  return failures == 0 ? 0 : 1;
}
