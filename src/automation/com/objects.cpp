// The three creatable classes: each COM method converts its arguments, calls
// the portable class and converts the result back.

#include "MeridDLLManager_h.h"
#include "merid/MeridTallo_Fattura.h"
#include "merid/MeridTallo_NAccr.h"
#include "merid/MeridTallo_Scontrino.h"
#include "automation/com/automation_object.h"
#include "platform/win32/win32_text.h"

namespace merid::com {

// The receipt interface of the two earlier releases (the type library's
// hidden aliases MeridTallo_Scontrino___v0 and ___v1). widl writes no
// constants for aliases.
const IID IID_MeridTallo_Scontrino___v0 = {
    0x12a0e15c, 0x4e2a, 0x42c2, {0x9f, 0x5d, 0xd6, 0x2e, 0x4e, 0xae, 0x30, 0xec}};
const IID IID_MeridTallo_Scontrino___v1 = {
    0x018f9044, 0x944d, 0x45b0, {0x95, 0x1b, 0x7d, 0x79, 0xae, 0x5b, 0x84, 0x38}};

BSTR automationString(const std::string& text) noexcept {
  try {
    const std::wstring wide = platform::win32::widen(text, 1252);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  } catch (...) {
    return nullptr;
  }
}

std::string ansiText(BSTR text) {
  if (!text) return std::string();
  return platform::win32::narrow(std::wstring(text, SysStringLen(text)), 1252);
}

namespace {

template <class Body>
HRESULT procedure(const char* cls, const char* method, Body&& body) noexcept {
  trapped(cls, method, body);
  return S_OK;
}

constexpr const char* kScontrino = "MeridTallo_Scontrino";
constexpr const char* kFattura = "MeridTallo_Fattura";
constexpr const char* kNAccr = "MeridTallo_NAccr";

merid::Merid_BarcodeType barcodeType(::Merid_BarcodeType t) {
  return static_cast<merid::Merid_BarcodeType>(t);
}
merid::Merid_Font font(::Merid_Font f) {
  return static_cast<merid::Merid_Font>(f);
}

class Scontrino final : public AutomationObject<_MeridTallo_Scontrino> {
 public:
  Scontrino() : AutomationObject(IID__MeridTallo_Scontrino) {}

  HRESULT STDMETHODCALLTYPE InitComunicazione(short* portaCOM) override {
    return procedure(kScontrino, "InitComunicazione", [&] {
      InOut<int16_t, short> port(portaCOM);
      core_.InitComunicazione(*port);
    });
  }
  HRESULT STDMETHODCALLTYPE InitParametri(short* nrCifreDec_Prezzi, short* nrCifreDec_Qta) override {
    return procedure(kScontrino, "InitParametri", [&] {
      InOut<int16_t, short> prices(nrCifreDec_Prezzi), quantities(nrCifreDec_Qta);
      core_.InitParametri(*prices, *quantities);
    });
  }
  HRESULT STDMETHODCALLTYPE StampaBarcode_Fiscale(BSTR strBarcode, ::Merid_BarcodeType tipoBarcode,
                                                  VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "StampaBarcode_Fiscale", result, [&] {
      return core_.StampaBarcode_Fiscale(ansiText(strBarcode), barcodeType(tipoBarcode));
    });
  }
  HRESULT STDMETHODCALLTYPE StampaBarcode_NonFiscale(BSTR strBarcode, ::Merid_BarcodeType tipoBarcode,
                                                     VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "StampaBarcode_NonFiscale", result, [&] {
      return core_.StampaBarcode_NonFiscale(ansiText(strBarcode), barcodeType(tipoBarcode));
    });
  }
  HRESULT STDMETHODCALLTYPE StatoStampante(::MeridCodeErrors* result) override {
    if (result) *result = ::ECK_OK;
    trapped(kScontrino, "StatoStampante", [&] {
      const merid::MeridCodeErrors status = core_.StatoStampante();
      if (result) *result = static_cast<::MeridCodeErrors>(status);
    });
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ApriTransazioneFiscale(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "ApriTransazioneFiscale", result,
                      [&] { return core_.ApriTransazioneFiscale(); });
  }
  HRESULT STDMETHODCALLTYPE ChiudiTransazioneFiscale(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "ChiudiTransazioneFiscale", result,
                      [&] { return core_.ChiudiTransazioneFiscale(); });
  }
  HRESULT STDMETHODCALLTYPE ApriTransazioneNonFiscale(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "ApriTransazioneNonFiscale", result,
                      [&] { return core_.ApriTransazioneNonFiscale(); });
  }
  HRESULT STDMETHODCALLTYPE ChiudiTransazioneNonFiscale(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "ChiudiTransazioneNonFiscale", result,
                      [&] { return core_.ChiudiTransazioneNonFiscale(); });
  }
  HRESULT STDMETHODCALLTYPE Vendita(BSTR strDescrAggiuntiva, BSTR strDescrPrincipale, double qtaRiga,
                                    double importoRiga, double ImportoTotale, BSTR CodiceIva,
                                    BSTR AliquotaIva, LONG idReparto, VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Vendita", result, [&] {
      return core_.Vendita(ansiText(strDescrAggiuntiva), ansiText(strDescrPrincipale), qtaRiga, importoRiga,
                           ImportoTotale, ansiText(CodiceIva), ansiText(AliquotaIva), idReparto);
    });
  }
  HRESULT STDMETHODCALLTYPE Reso(BSTR strDescrAggiuntiva, BSTR strDescrPrincipale, double qtaRiga,
                                 double importoRiga, double ImportoTotale, BSTR CodiceIva, BSTR AliquotaIva,
                                 LONG idReparto, VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Reso", result, [&] {
      return core_.Reso(ansiText(strDescrAggiuntiva), ansiText(strDescrPrincipale), qtaRiga, importoRiga,
                        ImportoTotale, ansiText(CodiceIva), ansiText(AliquotaIva), idReparto);
    });
  }
  HRESULT STDMETHODCALLTYPE RigaLiberaFiscale_Vendita(BSTR strRiga, ::Merid_Font FontRiga,
                                                      VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "RigaLiberaFiscale_Vendita", result,
                      [&] { return core_.RigaLiberaFiscale_Vendita(ansiText(strRiga), font(FontRiga)); });
  }
  HRESULT STDMETHODCALLTYPE RigaLiberaFiscale_Promo(BSTR strRiga, VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "RigaLiberaFiscale_Promo", result,
                      [&] { return core_.RigaLiberaFiscale_Promo(ansiText(strRiga)); });
  }
  HRESULT STDMETHODCALLTYPE RigaLiberaFiscale_Fondo(BSTR strRiga, VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "RigaLiberaFiscale_Fondo", result,
                      [&] { return core_.RigaLiberaFiscale_Fondo(ansiText(strRiga)); });
  }
  HRESULT STDMETHODCALLTYPE RigaLiberaNonFiscale(BSTR Testo1, BSTR Testo2, BSTR Prezzo, ::Merid_Font tipoFont,
                                                 VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "RigaLiberaNonFiscale", result, [&] {
      return core_.RigaLiberaNonFiscale(ansiText(Testo1), ansiText(Testo2), ansiText(Prezzo), font(tipoFont));
    });
  }
  HRESULT STDMETHODCALLTYPE ScontoValoreRiga(double importoSconto, BSTR descrizioneSconto,
                                             VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "ScontoValoreRiga", result,
                      [&] { return core_.ScontoValoreRiga(importoSconto, ansiText(descrizioneSconto)); });
  }
  HRESULT STDMETHODCALLTYPE ScontoValoreTotale(double importoSconto, BSTR descrizioneSconto,
                                               VARIANT* result) override {
    return answerVariant(kScontrino, "ScontoValoreTotale", result, [&] {
      return core_.ScontoValoreTotale(importoSconto, ansiText(descrizioneSconto));
    });
  }
  HRESULT STDMETHODCALLTYPE SubTotale(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "SubTotale", result, [&] { return core_.SubTotale(); });
  }
  HRESULT STDMETHODCALLTYPE Pagamento_CorrispettivoRiscosso(LONG IdPagamento, double ImportoIncassato,
                                                            BSTR strDescrPagamento,
                                                            VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Pagamento_CorrispettivoRiscosso", result, [&] {
      return core_.Pagamento_CorrispettivoRiscosso(IdPagamento, ImportoIncassato,
                                                   ansiText(strDescrPagamento));
    });
  }
  HRESULT STDMETHODCALLTYPE Pagamento_CorrispettivoNonRiscosso(LONG IdPagamento, double ImportoIncassato,
                                                               BSTR strDescrPagamento,
                                                               VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Pagamento_CorrispettivoNonRiscosso", result, [&] {
      return core_.Pagamento_CorrispettivoNonRiscosso(IdPagamento, ImportoIncassato,
                                                      ansiText(strDescrPagamento));
    });
  }
  HRESULT STDMETHODCALLTYPE InviaComandoDiretto_CefDLL(BSTR stringaComando, VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "InviaComandoDiretto_CefDLL", result,
                      [&] { return core_.InviaComandoDiretto_CefDLL(ansiText(stringaComando)); });
  }
  HRESULT STDMETHODCALLTYPE Display_MostraRighe(BSTR strRiga1, BSTR strRiga2, VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Display_MostraRighe", result,
                      [&] { return core_.Display_MostraRighe(ansiText(strRiga1), ansiText(strRiga2)); });
  }
  HRESULT STDMETHODCALLTYPE Display_MostraRiga(BSTR strRiga, short indice, VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Display_MostraRiga", result,
                      [&] { return core_.Display_MostraRiga(ansiText(strRiga), indice); });
  }
  HRESULT STDMETHODCALLTYPE ApriCassetto(VARIANT* result) override {
    return answerVariant(kScontrino, "ApriCassetto", result, [&] { return core_.ApriCassetto(); });
  }
  HRESULT STDMETHODCALLTYPE ApriCassettoManuale(VARIANT* result) override {
    return answerVariant(kScontrino, "ApriCassettoManuale", result,
                         [&] { return core_.ApriCassettoManuale(); });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_AnnulloScontrinoAperto(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_AnnulloScontrinoAperto", result,
                      [&] { return core_.Manutenzione_AnnulloScontrinoAperto(); });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_EseguiRapportoZ(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_EseguiRapportoZ", result,
                      [&] { return core_.Manutenzione_EseguiRapportoZ(); });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_RipristinoAnomaliaCarta(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_RipristinoAnomaliaCarta", result,
                      [&] { return core_.Manutenzione_RipristinoAnomaliaCarta(); });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_ProgrammazioneDataOra(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_ProgrammazioneDataOra", result,
                      [&] { return core_.Manutenzione_ProgrammazioneDataOra(); });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_RistampaUltimoScontrino(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_RistampaUltimoScontrino", result,
                      [&] { return core_.Manutenzione_RistampaUltimoScontrino(); });
  }
  HRESULT STDMETHODCALLTYPE IsConnected(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "IsConnected", result, [&] { return core_.IsConnected(); });
  }
  HRESULT STDMETHODCALLTYPE ChiudiConnessioneCOM() override {
    return procedure(kScontrino, "ChiudiConnessioneCOM", [&] { core_.ChiudiConnessioneCOM(); });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_DGFE_Data_NScontrini(DATE* data, short* nrScontrinoInizio,
                                                              short* nrScontrinoFine,
                                                              VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_DGFE_Data_NScontrini", result, [&] {
      InOut<double, DATE> day(data);
      InOut<int16_t, short> first(nrScontrinoInizio), last(nrScontrinoFine);
      return core_.Manutenzione_DGFE_Data_NScontrini(*day, *first, *last);
    });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_DGFE_StampaCompleta(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_DGFE_StampaCompleta", result,
                      [&] { return core_.Manutenzione_DGFE_StampaCompleta(); });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_DGFE_IntervalloChiusure(short* nrChiusuraInizio,
                                                                 short* nrChiusuraFine,
                                                                 VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_DGFE_IntervalloChiusure", result, [&] {
      InOut<int16_t, short> first(nrChiusuraInizio), last(nrChiusuraFine);
      return core_.Manutenzione_DGFE_IntervalloChiusure(*first, *last);
    });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_DFGE_NuovoGiornale(VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_DFGE_NuovoGiornale", result,
                      [&] { return core_.Manutenzione_DFGE_NuovoGiornale(); });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_DGFE_RichiestaRiga(LONG* nrRiga, VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_DGFE_RichiestaRiga", result, [&] {
      InOut<int32_t, LONG> line(nrRiga);
      return core_.Manutenzione_DGFE_RichiestaRiga(*line);
    });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_DGFE_StampaIntervalloDate(DATE* dataInizio, DATE* dataFine,
                                                                   VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_DGFE_StampaIntervalloDate", result, [&] {
      InOut<double, DATE> from(dataInizio), to(dataFine);
      return core_.Manutenzione_DGFE_StampaIntervalloDate(*from, *to);
    });
  }
  HRESULT STDMETHODCALLTYPE Manutenzione_EseguiRapportoX(::kMerid_RapportoX* Merid_RapportoX,
                                                         VARIANT_BOOL* result) override {
    return answerBool(kScontrino, "Manutenzione_EseguiRapportoX", result, [&] {
      InOut<merid::kMerid_RapportoX, ::kMerid_RapportoX> kind(Merid_RapportoX);
      return core_.Manutenzione_EseguiRapportoX(*kind);
    });
  }

 private:
  bool answersFor(REFIID riid) const override {
    return IsEqualIID(riid, IID_MeridTallo_Scontrino___v0) || IsEqualIID(riid, IID_MeridTallo_Scontrino___v1);
  }

  const merid::Outcome& lastOutcome() const override { return core_.UltimoEsito(); }

  merid::MeridTallo_Scontrino core_;
};

class Fattura final : public AutomationObject<_MeridTallo_Fattura> {
 public:
  Fattura() : AutomationObject(IID__MeridTallo_Fattura) {}

  HRESULT STDMETHODCALLTYPE ApriFattura(short* comPort, double* TotaleFattura,
                                        VARIANT_BOOL* isStampaDoppiaCopia, short* nrCifreDec_Prezzi,
                                        short* nrCifreDec_Qta, VARIANT_BOOL* result) override {
    return answerBool(kFattura, "ApriFattura", result, [&] {
      InOut<int16_t, short> port(comPort), prices(nrCifreDec_Prezzi), quantities(nrCifreDec_Qta);
      InOut<double, double> total(TotaleFattura);
      InOutBool twoCopies(isStampaDoppiaCopia);
      return core_.ApriFattura(*port, *total, *twoCopies, *prices, *quantities);
    });
  }
  HRESULT STDMETHODCALLTYPE RigaFattura(BSTR TestoLibero, ::Merid_Font* tipoFont,
                                        VARIANT_BOOL* result) override {
    return answerBool(kFattura, "RigaFattura", result, [&] {
      InOut<merid::Merid_Font, ::Merid_Font> style(tipoFont);
      return core_.RigaFattura(ansiText(TestoLibero), *style);
    });
  }
  HRESULT STDMETHODCALLTYPE ChiudiFattura(double TotaleFattura, VARIANT_BOOL* result) override {
    return answerBool(kFattura, "ChiudiFattura", result, [&] { return core_.ChiudiFattura(TotaleFattura); });
  }

 private:
  const merid::Outcome& lastOutcome() const override { return core_.UltimoEsito(); }

  merid::MeridTallo_Fattura core_;
};

class NAccr final : public AutomationObject<_MeridTallo_NAccr> {
 public:
  NAccr() : AutomationObject(IID__MeridTallo_NAccr) {}

  HRESULT STDMETHODCALLTYPE ApriNotaAccredito(short* comPort, short* nrCifreDec_Prezzi, short* nrCifreDec_Qta,
                                              VARIANT_BOOL* result) override {
    return answerBool(kNAccr, "ApriNotaAccredito", result, [&] {
      InOut<int16_t, short> port(comPort), prices(nrCifreDec_Prezzi), quantities(nrCifreDec_Qta);
      return core_.ApriNotaAccredito(*port, *prices, *quantities);
    });
  }
  HRESULT STDMETHODCALLTYPE RigaNotaAccredito(BSTR Testo1, BSTR Testo2, BSTR Prezzo, ::Merid_Font* tipoFont,
                                              VARIANT_BOOL* result) override {
    return answerBool(kNAccr, "RigaNotaAccredito", result, [&] {
      InOut<merid::Merid_Font, ::Merid_Font> style(tipoFont);
      return core_.RigaNotaAccredito(ansiText(Testo1), ansiText(Testo2), ansiText(Prezzo), *style);
    });
  }
  HRESULT STDMETHODCALLTYPE ChiudiNotaAccredito(double TotaleNotaAccredito, VARIANT_BOOL* result) override {
    return answerBool(kNAccr, "ChiudiNotaAccredito", result,
                      [&] { return core_.ChiudiNotaAccredito(TotaleNotaAccredito); });
  }

 private:
  const merid::Outcome& lastOutcome() const override { return core_.UltimoEsito(); }

  merid::MeridTallo_NAccr core_;
};

template <class T>
HRESULT create(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  T* object = nullptr;
  try {
    object = new T();
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

}  // namespace

HRESULT createScontrino(REFIID iid, void** out) {
  return create<Scontrino>(iid, out);
}
HRESULT createFattura(REFIID iid, void** out) {
  return create<Fattura>(iid, out);
}
HRESULT createNAccr(REFIID iid, void** out) {
  return create<NAccr>(iid, out);
}

}  // namespace merid::com
