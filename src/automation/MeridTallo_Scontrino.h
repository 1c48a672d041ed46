#pragma once
// The receipt class: fiscal receipts, payments, the shopper display, the cash
// drawer, barcodes, raw commands and the printer status.
//
// Every method traps its failures and answers with its default (False, Empty
// or ECK_OK); nothing is thrown to the host. Methods other than
// InitComunicazione, InitParametri and Manutenzione_RipristinoAnomaliaCarta
// do nothing until a port has been given.

#include <cstdint>
#include <optional>
#include <string>

#include "automation/MeridEnumValue.h"

namespace merid {

class MeridTallo_Scontrino {
 public:
  MeridTallo_Scontrino();

  void InitComunicazione(int16_t& portaCOM);
  void InitParametri(int16_t& nrCifreDec_Prezzi, int16_t& nrCifreDec_Qta);
  bool ApriTransazioneFiscale();
  bool ChiudiTransazioneFiscale();
  bool StampaBarcode_Fiscale(const std::string& strBarcode, Merid_BarcodeType tipoBarcode);
  bool StampaBarcode_NonFiscale(const std::string& strBarcode, Merid_BarcodeType tipoBarcode);
  MeridCodeErrors StatoStampante();
  bool Vendita(const std::string& strDescrAggiuntiva, const std::string& strDescrPrincipale, double qtaRiga,
               double importoRiga, double ImportoTotale, const std::string& CodiceIva, const std::string& AliquotaIva,
               int32_t idReparto);
  bool Reso(const std::string& strDescrAggiuntiva, const std::string& strDescrPrincipale, double qtaRiga,
            double importoRiga, double ImportoTotale, const std::string& CodiceIva, const std::string& AliquotaIva,
            int32_t idReparto);
  bool RigaLiberaFiscale_Vendita(const std::string& strRiga, Merid_Font FontRiga);
  bool RigaLiberaFiscale_Promo(const std::string& strRiga);
  bool RigaLiberaFiscale_Fondo(const std::string& strRiga);
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
  bool Manutenzione_RipristinoAnomaliaCarta();
  bool IsConnected();
  void ChiudiConnessioneCOM();

  int16_t port() const { return port_; }

 private:
  int16_t port_ = -1;
};

}  // namespace merid
