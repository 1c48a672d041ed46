#include "documents/modFattura.h"

#include "logging/logging.h"
#include "config/modIni.h"
#include "amount/modUtility.h"
#include "text/number_text.h"
#include "devices/modCassetto.h"
#include "documents/modNonFiscale.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"
#include "link/commands.h"

namespace merid {

namespace {

constexpr const char* kModule = "modFattura";

struct InvoiceModule {
  int16_t port = 0;  // the port of the latest opening, for the drawer at the close
};

InvoiceModule& module() {
  thread_local InvoiceModule m;
  return m;
}

bool send(std::string command) {
  return InviaComandoECR(command);
}

}  // namespace

bool bufferFattureOn() {
  const std::string value = ReadINI(meridFiscalIni(), "Fiscal", "BufferFatture", "");
  if (value.empty()) {
    FillINI(meridFiscalIni(), "Fiscal", "BufferFatture", "0");
    return false;
  }
  return textToDouble(value) != 0;
}

bool ApriFatturaFiscale(int16_t& comPort, double& TotaleFattura, bool& isStampaDoppiaCopia) {
  return failureBoundary(kModule, "ApriFatturaFiscale", false, [&] {
    module().port = comPort;
    int32_t mode = bufferFattureOn() ? 1 : 2;
    if (!AperturaComunicazione(comPort, mode)) return false;
    if (!send(cmd::kOpenInvoice + std::string(isStampaDoppiaCopia ? "1" : "0") + amountField(TotaleFattura)))
      return false;
    return send(cmd::kShopHeader);
  });
}

bool StampaRigaFatturaLibera(const std::string& TestoLibero, int32_t tipoFont) {
  return failureBoundary(kModule, "StampaRigaFatturaLibera", false,
                         [&] { return StampaRigaNonFiscale(TestoLibero, "", "", tipoFont); });
}

bool ChiudiFatturaFiscale(double& TotaleFattura) {
  return failureBoundary(kModule, "ChiudiFatturaFiscale", false, [&] {
    const std::string manual =
        ReadINI(meridFiscalIni(), "StampaImportoManualeSuFatturaNativaMerid", "value", "");
    const std::string label = !manual.empty() && manual != "0" ? "" : "Importo";
    if (!send(cmd::kInvoiceTotalLine + formatNumber(static_cast<double>(label.size()), "00") + label +
              amountField(TotaleFattura)))
      return false;
    const bool result = send(cmd::kCloseInvoice);
    std::string drawer = ReadINI(meridFiscalIni(), "ApriCassettoDopoStampaFattura", "value", "");
    if (drawer.empty()) {
      drawer = "0";
      FillINI(meridFiscalIni(), "ApriCassettoDopoStampaFattura", "value", drawer);
    }
    if (drawer == "1") AperturaManualeCassetto(module().port);
    return result;
  });
}

}  // namespace merid
