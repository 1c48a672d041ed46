#include "merid/MeridTallo_Scontrino.h"

#include "automation/wrapper.h"
#include "devices/modBarcode.h"
#include "devices/modCassetto.h"
#include "devices/maintenance.h"
#include "devices/modDisplay.h"
#include "devices/modRapportoZ.h"
#include "documents/modNonFiscale.h"
#include "fiscal/modFiscale.h"
#include "fiscal/modPagamento.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"
#include "link/commands.h"

namespace merid {

namespace {

constexpr const char* kClass = "MeridTallo_Scontrino";

template <class R, class Body>
R guarded(Outcome& esito, const char* method, int16_t port, R fallback, Body&& body) {
  return detail::guarded(esito, kClass, method, port, fallback, std::forward<Body>(body));
}

// A sale line as the host gives it; Vendita and Reso send it with their own
// routine, which works on copies.
struct SaleLine {
  const std::string& aggiuntiva;
  const std::string& principale;
  double qta, importo, totale;
  const std::string& aliquota;
  int32_t reparto;
};
using SaleRoutine = bool (*)(std::string&, std::string&, double&, double&, double&, std::string&, int32_t&);

bool sendLine(Outcome& esito, int16_t port, const char* method, SaleRoutine routine, const SaleLine& line) {
  return guarded(esito, method, port, false, [&] {
    SaleLine copy = line;
    std::string a = line.aggiuntiva, p = line.principale, iva = line.aliquota;
    return routine(a, p, copy.qta, copy.importo, copy.totale, iva, copy.reparto);
  });
}

}  // namespace

MeridTallo_Scontrino::MeridTallo_Scontrino() {
  detail::creationStep([] { resetMeridSkipError(); });
  detail::openLogs();
}

void MeridTallo_Scontrino::InitComunicazione(int16_t& portaCOM) {
  detail::plainCall(esito_);
  port_ = portaCOM;
}

void MeridTallo_Scontrino::InitParametri(int16_t&, int16_t&) {
  detail::plainCall(esito_);
}

bool MeridTallo_Scontrino::ApriTransazioneFiscale() {
  return guarded(esito_, "ApriTransazioneFiscale", port_, false, [&] { return ApriScontrinoFiscale(port_); });
}

bool MeridTallo_Scontrino::ChiudiTransazioneFiscale() {
  return guarded(esito_, "ChiudiTransazioneFiscale", port_, false,
                 [&] { return ChiudiScontrinoFiscale(port_); });
}

bool MeridTallo_Scontrino::ApriTransazioneNonFiscale() {
  return guarded(esito_, "ApriTransazioneNonFiscale", port_, false,
                 [&] { return AperturaTransazioneNonFiscale(port_); });
}

bool MeridTallo_Scontrino::ChiudiTransazioneNonFiscale() {
  return guarded(esito_, "ChiudiTransazioneNonFiscale", port_, false,
                 [] { return ChiusuraTransazioneNonFiscale(); });
}

bool MeridTallo_Scontrino::RigaLiberaNonFiscale(const std::string& Testo1, const std::string& Testo2,
                                                const std::string& Prezzo, Merid_Font tipoFont) {
  return guarded(esito_, "RigaLiberaNonFiscale", port_, false,
                 [&] { return StampaRigaNonFiscale(Testo1, Testo2, Prezzo, tipoFont); });
}

bool MeridTallo_Scontrino::StampaBarcode_Fiscale(const std::string& strBarcode,
                                                 Merid_BarcodeType tipoBarcode) {
  return guarded(esito_, "StampaBarcode_Fiscale", port_, false, [&] {
    std::string text = strBarcode;
    int32_t tipo = tipoBarcode;
    return StampaBarcode(text, tipo);
  });
}

bool MeridTallo_Scontrino::StampaBarcode_NonFiscale(const std::string& strBarcode,
                                                    Merid_BarcodeType tipoBarcode) {
  return guarded(esito_, "StampaBarcode_NonFiscale", port_, false, [&] {
    std::string text = strBarcode;
    int32_t tipo = tipoBarcode;
    return StampaBarcode(text, tipo);
  });
}

MeridCodeErrors MeridTallo_Scontrino::StatoStampante() {
  return guarded(esito_, "StatoStampante", port_, ECK_OK,
                 [&] { return static_cast<MeridCodeErrors>(Merid_CheckStatus()); });
}

bool MeridTallo_Scontrino::Vendita(const std::string& strDescrAggiuntiva,
                                   const std::string& strDescrPrincipale, double qtaRiga, double importoRiga,
                                   double ImportoTotale, const std::string&, const std::string& AliquotaIva,
                                   int32_t idReparto) {
  return sendLine(
      esito_, port_, "Vendita", Esegui_Vendita,
      {strDescrAggiuntiva, strDescrPrincipale, qtaRiga, importoRiga, ImportoTotale, AliquotaIva, idReparto});
}

bool MeridTallo_Scontrino::Reso(const std::string& strDescrAggiuntiva, const std::string& strDescrPrincipale,
                                double qtaRiga, double importoRiga, double ImportoTotale, const std::string&,
                                const std::string& AliquotaIva, int32_t idReparto) {
  return sendLine(
      esito_, port_, "Reso", Esegui_Reso,
      {strDescrAggiuntiva, strDescrPrincipale, qtaRiga, importoRiga, ImportoTotale, AliquotaIva, idReparto});
}

bool MeridTallo_Scontrino::RigaLiberaFiscale_Vendita(const std::string& strRiga, Merid_Font FontRiga) {
  return guarded(esito_, "RigaLiberaFiscale_Vendita", port_, false, [&] {
    int32_t font = FontRiga;
    return RigaDescrittivaFiscale(strRiga, font);
  });
}

bool MeridTallo_Scontrino::RigaLiberaFiscale_Promo(const std::string& strRiga) {
  return guarded(esito_, "RigaLiberaFiscale_Promo", port_, false, [&] {
    std::string text = strRiga;
    int32_t font = kMerid_Normale;
    return SalvaRigaDescrittivaPromoInBuffer(text, font);
  });
}

bool MeridTallo_Scontrino::RigaLiberaFiscale_Fondo(const std::string& strRiga) {
  return guarded(esito_, "RigaLiberaFiscale_Fondo", port_, false, [&] {
    std::string text = strRiga;
    int32_t font = kMerid_Normale;
    return SalvaRigaDescrittivaPromoInBuffer(text, font);
  });
}

bool MeridTallo_Scontrino::ScontoValoreRiga(double importoSconto, const std::string& descrizioneSconto) {
  return guarded(esito_, "ScontoValoreRiga", port_, false, [&] {
    std::string text = descrizioneSconto;
    int32_t reparto = 1;
    return Esegui_ScontoValoreRiga(importoSconto, text, reparto);
  });
}

std::optional<bool> MeridTallo_Scontrino::ScontoValoreTotale(double importoSconto,
                                                             const std::string& descrizioneSconto) {
  return guarded(esito_, "ScontoValoreTotale", port_, std::optional<bool>{}, [&]() -> std::optional<bool> {
    std::string text = descrizioneSconto;
    int32_t reparto = 1;
    return Esegui_ScontoValoreTotale(importoSconto, text, reparto);
  });
}

bool MeridTallo_Scontrino::SubTotale() {
  return guarded(esito_, "SubTotale", port_, false, [&] {
    std::string command = cmd::kSubtotal;
    return InviaComandoECR(command);
  });
}

bool MeridTallo_Scontrino::Pagamento_CorrispettivoRiscosso(int32_t IdPagamento, double ImportoIncassato,
                                                           const std::string& strDescrPagamento) {
  return guarded(esito_, "Pagamento_CorrispettivoRiscosso", port_, false, [&] {
    return InviaPagamentoCorrispettivoRiscosso(IdPagamento, ImportoIncassato, strDescrPagamento);
  });
}

bool MeridTallo_Scontrino::Pagamento_CorrispettivoNonRiscosso(int32_t IdPagamento, double ImportoIncassato,
                                                              const std::string& strDescrPagamento) {
  return guarded(esito_, "Pagamento_CorrispettivoNonRiscosso", port_, false, [&] {
    return InviaPagamentoCorrispettivoNonRiscosso(IdPagamento, ImportoIncassato, strDescrPagamento);
  });
}

bool MeridTallo_Scontrino::InviaComandoDiretto_CefDLL(const std::string& stringaComando) {
  return guarded(esito_, "InviaComandoDiretto_CefDLL", port_, false, [&] {
    std::string command = stringaComando;
    return InviaComandoECR(command);
  });
}

bool MeridTallo_Scontrino::Display_MostraRighe(const std::string& strRiga1, const std::string& strRiga2) {
  return guarded(esito_, "Display_MostraRighe", port_, false,
                 [&] { return MostraRigheADisplay(strRiga1, strRiga2); });
}

bool MeridTallo_Scontrino::Display_MostraRiga(const std::string& strRiga, int16_t indice) {
  return guarded(esito_, "Display_MostraRiga", port_, false,
                 [&] { return MostraRigaADisplay(strRiga, indice); });
}

std::optional<bool> MeridTallo_Scontrino::ApriCassetto() {
  return guarded(esito_, "ApriCassetto", port_, std::optional<bool>{},
                 [&]() -> std::optional<bool> { return merid::ApriCassetto(port_); });
}

std::optional<bool> MeridTallo_Scontrino::ApriCassettoManuale() {
  return guarded(esito_, "ApriCassettoManuale", port_, std::optional<bool>{},
                 [&]() -> std::optional<bool> { return AperturaManualeCassetto(port_); });
}

bool MeridTallo_Scontrino::Manutenzione_AnnulloScontrinoAperto() {
  return guarded(esito_, "Manutenzione_AnnulloScontrinoAperto", port_, false,
                 [&] { return AnnulloScontrinoAperto(port_); });
}

bool MeridTallo_Scontrino::Manutenzione_EseguiRapportoZ() {
  return guarded(esito_, "Manutenzione_EseguiRapportoZ", port_, false,
                 [&] { return EseguiRapportoZ(port_); });
}

bool MeridTallo_Scontrino::Manutenzione_EseguiRapportoX(kMerid_RapportoX& Merid_RapportoX) {
  return guarded(esito_, "Manutenzione_EseguiRapportoX", port_, false, [&] {
    int32_t kind = Merid_RapportoX;
    return EseguiRapportoX(port_, kind);
  });
}

bool MeridTallo_Scontrino::Manutenzione_RipristinoAnomaliaCarta() {
  detail::plainCall(esito_);
  return true;
}

bool MeridTallo_Scontrino::Manutenzione_ProgrammazioneDataOra() {
  return guarded(esito_, "Manutenzione_ProgrammazioneDataOra", port_, false,
                 [&] { return merid::Manutenzione_ProgrammazioneDataOra(port_); });
}

bool MeridTallo_Scontrino::Manutenzione_RistampaUltimoScontrino() {
  return guarded(esito_, "Manutenzione_RistampaUltimoScontrino", port_, false,
                 [&] { return merid::Manutenzione_RistampaUltimoScontrino(port_); });
}

bool MeridTallo_Scontrino::Manutenzione_DGFE_Data_NScontrini(double& data, int16_t& nrScontrinoInizio,
                                                             int16_t& nrScontrinoFine) {
  return guarded(esito_, "Manutenzione_DGFE_Data_NScontrini", port_, false, [&] {
    return Manutenzione_StampaGiornaleElettronico_Data_NScontrini(port_, data, nrScontrinoInizio,
                                                                  nrScontrinoFine);
  });
}

bool MeridTallo_Scontrino::Manutenzione_DGFE_StampaCompleta() {
  return guarded(esito_, "Manutenzione_DGFE_StampaCompleta", port_, false,
                 [&] { return Manutenzione_StampaGiornaleElettronico_Integrale(port_); });
}

bool MeridTallo_Scontrino::Manutenzione_DGFE_IntervalloChiusure(int16_t& nrChiusuraInizio,
                                                                int16_t& nrChiusuraFine) {
  return guarded(esito_, "Manutenzione_DGFE_IntervalloChiusure", port_, false, [&] {
    return Manutenzione_StampaGiornaleElettronico_IntervalloChiusure(port_, nrChiusuraInizio, nrChiusuraFine);
  });
}

bool MeridTallo_Scontrino::Manutenzione_DFGE_NuovoGiornale() {
  return guarded(esito_, "Manutenzione_DFGE_NuovoGiornale", port_, false,
                 [&] { return Manutenzione_StampaGiornaleElettronico_NuovoDGFE(port_); });
}

bool MeridTallo_Scontrino::Manutenzione_DGFE_RichiestaRiga(int32_t& nrRiga) {
  return guarded(esito_, "Manutenzione_DGFE_RichiestaRiga", port_, false,
                 [&] { return Manutenzione_StampaGiornaleElettronico_RigaDGFE(port_, nrRiga); });
}

bool MeridTallo_Scontrino::Manutenzione_DGFE_StampaIntervalloDate(double& dataInizio, double& dataFine) {
  return guarded(esito_, "Manutenzione_DGFE_StampaIntervalloDate", port_, false, [&] {
    return Manutenzione_StampaGiornaleElettronicoDaDataAData(port_, dataInizio, dataFine);
  });
}

bool MeridTallo_Scontrino::IsConnected() {
  return guarded(esito_, "IsConnected", port_, false, [&] {
    int32_t mode = 3;
    return AperturaComunicazione(port_, mode);
  });
}

void MeridTallo_Scontrino::ChiudiConnessioneCOM() {
  guarded(esito_, "ChiudiConnessioneCOM", port_, false, [] { return ChiusuraComunicazione(); });
}

}  // namespace merid
