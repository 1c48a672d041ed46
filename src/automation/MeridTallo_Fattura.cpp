// The invoice class.

#include "merid/MeridTallo_Fattura.h"
#include "automation/wrapper.h"
#include "devices/modCassetto.h"
#include "documents/modFattura.h"
#include "link/modConnessioneCOM.h"

namespace merid {

namespace {
constexpr const char* kFattura = "MeridTallo_Fattura";
}  // namespace

MeridTallo_Fattura::MeridTallo_Fattura() {
  detail::openLogs();
}

bool MeridTallo_Fattura::ApriFattura(int16_t& comPort, double& TotaleFattura, bool& isStampaDoppiaCopia,
                                     int16_t&, int16_t&) {
  return detail::unguarded(esito_, kFattura, "ApriFattura", false, [&] {
    port_ = comPort;
    ApriCassetto(comPort);
    open_ = ApriFatturaFiscale(comPort, TotaleFattura, isStampaDoppiaCopia);
    return open_;
  });
}

bool MeridTallo_Fattura::RigaFattura(const std::string& TestoLibero, Merid_Font& tipoFont) {
  return detail::guarded(esito_, kFattura, "RigaFattura", port_, false,
                         [&] { return open_ && StampaRigaFatturaLibera(TestoLibero, tipoFont); });
}

bool MeridTallo_Fattura::ChiudiFattura(double TotaleFattura) {
  return detail::unguarded(esito_, kFattura, "ChiudiFattura", false, [&] {
    const bool result = ChiudiFatturaFiscale(TotaleFattura);
    ChiusuraComunicazione();
    open_ = false;
    return result;
  });
}

}  // namespace merid
