// The credit-note class.

#include "merid/MeridTallo_NAccr.h"
#include "automation/wrapper.h"
#include "documents/modNotaAccredito.h"
#include "link/modConnessioneCOM.h"

namespace merid {

namespace {
constexpr const char* kNAccr = "MeridTallo_NAccr";
}  // namespace

MeridTallo_NAccr::MeridTallo_NAccr() {
  detail::creationStep([] { InitErrorLog(); });
  detail::creationStep([] { InitDebugLog(); });
}

bool MeridTallo_NAccr::ApriNotaAccredito(int16_t& comPort, int16_t&, int16_t&) {
  return detail::unguarded(esito_, kNAccr, "ApriNotaAccredito", false, [&] {
    port_ = comPort;
    open_ = ApriNotaAccreditoFiscale(comPort);
    return open_;
  });
}

bool MeridTallo_NAccr::RigaNotaAccredito(const std::string& Testo1, const std::string& Testo2,
                                         const std::string& Prezzo, Merid_Font&) {
  return detail::guarded(esito_, kNAccr, "RigaNotaAccredito", port_, false, [&] {
    if (!open_) return false;
    std::string t1 = Testo1, t2 = Testo2, price = Prezzo;
    return ScriviRigaNAccr(t1, t2, price);
  });
}

bool MeridTallo_NAccr::ChiudiNotaAccredito(double TotaleNotaAccredito) {
  return detail::unguarded(esito_, kNAccr, "ChiudiNotaAccredito", false, [&] {
    const bool result = ChiudiNotaAccreditoFiscale(TotaleNotaAccredito);
    closeLinkAfterDocument();
    return result;
  });
}

}  // namespace merid
