#include "documents/modNotaAccredito.h"

#include "components/thread_components.h"
#include "logging/logging.h"
#include "amount/modUtility.h"
#include "text/number_text.h"
#include "documents/modFattura.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"
#include "link/commands.h"

namespace merid {

namespace {

constexpr const char* kModule = "modNotaAccredito";

bool send(std::string command) {
  return InviaComandoECR(command);
}

void removeAll(std::string& text, const std::string& what) {
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at))
    text.erase(at, what.size());
}

}  // namespace

bool ApriNotaAccreditoFiscale(int16_t& comPort) {
  return failureBoundary(kModule, "ApriNotaAccreditoFiscale", false, [&] {
    int32_t mode = bufferFattureOn() ? 1 : 2;
    if (!AperturaComunicazione(comPort, mode)) return false;
    return send(cmd::kOpenCreditNote);
  });
}

std::string getComando_ScriviRigaNAccrNonFisc(std::string& text, std::string&) {
  return failureBoundary<std::string>(kModule, "getComando_ScriviRigaNAccrNonFisc", "",
                                      [&]() -> std::string { return cmd::kCreditNoteLine + text; });
}

bool ScriviRigaNAccr(std::string& Testo1, std::string& Testo2, std::string& Prezzo) {
  return failureBoundary(kModule, "ScriviRigaNAccr", false, [&] {
    removeAll(Testo2, "<null>");
    Testo1 = FilterText(Testo1);
    Testo2 = FilterText(Testo2);
    Prezzo = FilterText(Prezzo);
    Prezzo = FormatPrzMerid(Prezzo);
    std::string line = (Testo1 + std::string(20, ' ')).substr(0, 20) + Prezzo;
    std::string unused;
    return send(getComando_ScriviRigaNAccrNonFisc(line, unused));
  });
}

bool ChiudiNotaAccreditoFiscale(double& TotaleNotaAccredito) {
  return failureBoundary(kModule, "ChiudiNotaAccreditoFiscale", false, [&] {
    bool result = send(cmd::kCreditNoteCash + amountField(TotaleNotaAccredito));
    result = send(cmd::kCreditNoteReference) && result;
    result = send(cmd::kCloseReceipt) && result;
    result = send(cmd::kPrintAndCut) && result;
    closeLinkAfterDocument();
    return result;
  });
}

}  // namespace merid
