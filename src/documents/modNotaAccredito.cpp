#include "documents/modNotaAccredito.h"

#include "components/thread_components.h"
#include "logging/logging.h"
#include "amount/modUtility.h"
#include "text/number_text.h"
#include "documents/modFattura.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"

namespace merid {

namespace {

constexpr const char* kModule = "modNotaAccredito";

bool send(std::string command) { return InviaComandoECR(command); }

void removeAll(std::string& text, const std::string& what) {
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at)) text.erase(at, what.size());
}

}  // namespace

bool ApriNotaAccreditoFiscale(int16_t& comPort) {
  try {
    int32_t mode = bufferFattureOn() ? 1 : 2;
    if (!AperturaComunicazione(comPort, mode)) return false;
    return send("7102600000");
  } catch (...) {
    logFailure(kModule, "ApriNotaAccreditoFiscale");
    return false;
  }
}

std::string getComando_ScriviRigaNAccrNonFisc(std::string& text, std::string&) {
  try {
    return "3001120" + text;
  } catch (...) {
    logFailure(kModule, "getComando_ScriviRigaNAccrNonFisc");
    return "";
  }
}

bool ScriviRigaNAccr(std::string& Testo1, std::string& Testo2, std::string& Prezzo) {
  try {
    removeAll(Testo2, "<null>");
    Testo1 = FilterText(Testo1);
    Testo2 = FilterText(Testo2);
    Prezzo = FilterText(Prezzo);
    Prezzo = FormatPrzMerid(Prezzo);
    std::string line = (Testo1 + std::string(20, ' ')).substr(0, 20) + Prezzo;
    std::string unused;
    return send(getComando_ScriviRigaNAccrNonFisc(line, unused));
  } catch (...) {
    logFailure(kModule, "ScriviRigaNAccr");
    return false;
  }
}

bool ChiudiNotaAccreditoFiscale(double& TotaleNotaAccredito) {
  try {
    bool result = send("300408CONTANTI" + FormatPrzMerid(doubleText(TotaleNotaAccredito)));
    result = send("3010P12___________") && result;
    result = send("3011") && result;
    result = send("3013") && result;
    if (getCloseConnEachDoc()) ChiusuraComunicazione();
    return result;
  } catch (...) {
    logFailure(kModule, "ChiudiNotaAccreditoFiscale");
    return false;
  }
}

}  // namespace merid
