// The public surface of the three classes: each of the 45 methods, with its
// parameter kinds and result type. A change of signature fails the build.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <type_traits>

#include "merid/MeridTallo_Fattura.h"
#include "merid/MeridTallo_NAccr.h"
#include "merid/MeridTallo_Scontrino.h"

namespace merid {
namespace {

using Str = const std::string&;
using Variant = std::optional<bool>;
using I16 = int16_t;
using I32 = int32_t;
using Date = double;

template <class Expected, class Actual>
constexpr int same(Actual) {
  static_assert(std::is_same_v<Expected, Actual>, "signature changed");
  return 1;
}

TEST(Interface, FortyFiveMethodsWithTheirKinds) {
  using S = MeridTallo_Scontrino;
  using F = MeridTallo_Fattura;
  using N = MeridTallo_NAccr;
  constexpr int count =
      same<void (S::*)(I16&)>(&S::InitComunicazione) + same<void (S::*)(I16&, I16&)>(&S::InitParametri) +
      same<bool (S::*)()>(&S::ApriTransazioneFiscale) + same<bool (S::*)()>(&S::ChiudiTransazioneFiscale) +
      same<bool (S::*)()>(&S::ApriTransazioneNonFiscale) + same<bool (S::*)()>(&S::ChiudiTransazioneNonFiscale) +
      same<bool (S::*)(Str, Merid_BarcodeType)>(&S::StampaBarcode_Fiscale) +
      same<bool (S::*)(Str, Merid_BarcodeType)>(&S::StampaBarcode_NonFiscale) +
      same<MeridCodeErrors (S::*)()>(&S::StatoStampante) +
      same<bool (S::*)(Str, Str, double, double, double, Str, Str, I32)>(&S::Vendita) +
      same<bool (S::*)(Str, Str, double, double, double, Str, Str, I32)>(&S::Reso) +
      same<bool (S::*)(Str, Merid_Font)>(&S::RigaLiberaFiscale_Vendita) +
      same<bool (S::*)(Str)>(&S::RigaLiberaFiscale_Promo) + same<bool (S::*)(Str)>(&S::RigaLiberaFiscale_Fondo) +
      same<bool (S::*)(Str, Str, Str, Merid_Font)>(&S::RigaLiberaNonFiscale) +
      same<bool (S::*)(double, Str)>(&S::ScontoValoreRiga) +
      same<Variant (S::*)(double, Str)>(&S::ScontoValoreTotale) + same<bool (S::*)()>(&S::SubTotale) +
      same<bool (S::*)(I32, double, Str)>(&S::Pagamento_CorrispettivoRiscosso) +
      same<bool (S::*)(I32, double, Str)>(&S::Pagamento_CorrispettivoNonRiscosso) +
      same<bool (S::*)(Str)>(&S::InviaComandoDiretto_CefDLL) +
      same<bool (S::*)(Str, Str)>(&S::Display_MostraRighe) + same<bool (S::*)(Str, I16)>(&S::Display_MostraRiga) +
      same<Variant (S::*)()>(&S::ApriCassetto) + same<Variant (S::*)()>(&S::ApriCassettoManuale) +
      same<bool (S::*)()>(&S::Manutenzione_AnnulloScontrinoAperto) +
      same<bool (S::*)()>(&S::Manutenzione_EseguiRapportoZ) +
      same<bool (S::*)(kMerid_RapportoX&)>(&S::Manutenzione_EseguiRapportoX) +
      same<bool (S::*)()>(&S::Manutenzione_RipristinoAnomaliaCarta) +
      same<bool (S::*)()>(&S::Manutenzione_ProgrammazioneDataOra) +
      same<bool (S::*)()>(&S::Manutenzione_RistampaUltimoScontrino) +
      same<bool (S::*)(Date&, I16&, I16&)>(&S::Manutenzione_DGFE_Data_NScontrini) +
      same<bool (S::*)()>(&S::Manutenzione_DGFE_StampaCompleta) +
      same<bool (S::*)(I16&, I16&)>(&S::Manutenzione_DGFE_IntervalloChiusure) +
      same<bool (S::*)()>(&S::Manutenzione_DFGE_NuovoGiornale) +
      same<bool (S::*)(I32&)>(&S::Manutenzione_DGFE_RichiestaRiga) +
      same<bool (S::*)(Date&, Date&)>(&S::Manutenzione_DGFE_StampaIntervalloDate) +
      same<bool (S::*)()>(&S::IsConnected) + same<void (S::*)()>(&S::ChiudiConnessioneCOM) +
      same<bool (F::*)(I16&, double&, bool&, I16&, I16&)>(&F::ApriFattura) +
      same<bool (F::*)(Str, Merid_Font&)>(&F::RigaFattura) + same<bool (F::*)(double)>(&F::ChiudiFattura) +
      same<bool (N::*)(I16&, I16&, I16&)>(&N::ApriNotaAccredito) +
      same<bool (N::*)(Str, Str, Str, Merid_Font&)>(&N::RigaNotaAccredito) +
      same<bool (N::*)(double)>(&N::ChiudiNotaAccredito);
  EXPECT_EQ(count, 45);
}

}  // namespace
}  // namespace merid
