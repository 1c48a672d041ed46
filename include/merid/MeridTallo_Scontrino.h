#pragma once
// The receipt class: fiscal receipts, payments, non-fiscal documents, the
// shopper display, the cash drawer, barcodes, daily reports, the electronic
// journal, raw commands and the printer status.
//
// Every method traps its failures and answers with its default (False, Empty
// or ECK_OK); nothing is thrown to the host. Methods other than
// InitComunicazione, InitParametri and Manutenzione_RipristinoAnomaliaCarta
// do nothing until a port has been given.

#include <cstdint>
#include <optional>
#include <string>

#include "merid/MeridEnumValue.h"
#include "merid/outcome.h"

namespace merid {

class MeridTallo_Scontrino {
 public:
  MeridTallo_Scontrino();

  void InitComunicazione(int16_t& portaCOM);
  void InitParametri(int16_t& nrCifreDec_Prezzi, int16_t& nrCifreDec_Qta);
  bool ApriTransazioneFiscale();
  bool ChiudiTransazioneFiscale();
  bool ApriTransazioneNonFiscale();
  bool ChiudiTransazioneNonFiscale();
  bool StampaBarcode_Fiscale(const std::string& strBarcode, Merid_BarcodeType tipoBarcode);
  bool StampaBarcode_NonFiscale(const std::string& strBarcode, Merid_BarcodeType tipoBarcode);
  MeridCodeErrors StatoStampante();
  bool Vendita(const std::string& strDescrAggiuntiva, const std::string& strDescrPrincipale, double qtaRiga,
               double importoRiga, double ImportoTotale, const std::string& CodiceIva,
               const std::string& AliquotaIva, int32_t idReparto);
  bool Reso(const std::string& strDescrAggiuntiva, const std::string& strDescrPrincipale, double qtaRiga,
            double importoRiga, double ImportoTotale, const std::string& CodiceIva,
            const std::string& AliquotaIva, int32_t idReparto);
  bool RigaLiberaFiscale_Vendita(const std::string& strRiga, Merid_Font FontRiga);
  bool RigaLiberaFiscale_Promo(const std::string& strRiga);
  bool RigaLiberaFiscale_Fondo(const std::string& strRiga);
  bool RigaLiberaNonFiscale(const std::string& Testo1, const std::string& Testo2, const std::string& Prezzo,
                            Merid_Font tipoFont);
  bool ScontoValoreRiga(double importoSconto, const std::string& descrizioneSconto);
  std::optional<bool> ScontoValoreTotale(double importoSconto, const std::string& descrizioneSconto);
  bool SubTotale();
  bool Pagamento_CorrispettivoRiscosso(int32_t IdPagamento, double ImportoIncassato,
                                       const std::string& strDescrPagamento);
  bool Pagamento_CorrispettivoNonRiscosso(int32_t IdPagamento, double ImportoIncassato,
                                          const std::string& strDescrPagamento);
  bool InviaComandoDiretto_CefDLL(const std::string& stringaComando);
  bool Display_MostraRighe(const std::string& strRiga1, const std::string& strRiga2);
  bool Display_MostraRiga(const std::string& strRiga, int16_t indice);
  std::optional<bool> ApriCassetto();
  std::optional<bool> ApriCassettoManuale();
  bool Manutenzione_AnnulloScontrinoAperto();
  bool Manutenzione_EseguiRapportoZ();
  bool Manutenzione_EseguiRapportoX(kMerid_RapportoX& Merid_RapportoX);
  bool Manutenzione_RipristinoAnomaliaCarta();
  bool Manutenzione_ProgrammazioneDataOra();
  bool Manutenzione_RistampaUltimoScontrino();
  // Dates are automation dates: days since 30 December 1899, the time of day
  // as the fraction.
  bool Manutenzione_DGFE_Data_NScontrini(double& data, int16_t& nrScontrinoInizio, int16_t& nrScontrinoFine);
  bool Manutenzione_DGFE_StampaCompleta();
  bool Manutenzione_DGFE_IntervalloChiusure(int16_t& nrChiusuraInizio, int16_t& nrChiusuraFine);
  bool Manutenzione_DFGE_NuovoGiornale();
  bool Manutenzione_DGFE_RichiestaRiga(int32_t& nrRiga);
  bool Manutenzione_DGFE_StampaIntervalloDate(double& dataInizio, double& dataFine);
  bool IsConnected();
  void ChiudiConnessioneCOM();

  int16_t port() const { return port_; }

  // What the last call did, beside the answer it gave (merid/outcome.h).
  const Outcome& UltimoEsito() const { return esito_; }

 private:
  Outcome esito_;
  int16_t port_ = -1;
};

}  // namespace merid
