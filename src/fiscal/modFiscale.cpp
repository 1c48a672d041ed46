#include "fiscal/modFiscale.h"

#include "components/thread_components.h"
#include "logging/logging.h"
#include "config/modIni.h"
#include "amount/modUtility.h"
#include "text/number_text.h"
#include "devices/modCassetto.h"
#include "devices/modDisplay.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"
#include "link/commands.h"

namespace merid {

namespace {

constexpr const char* kModule = "modFiscale";

bool send(std::string command) {
  return InviaComandoECR(command);
}

std::string ini(const char* section, const char* key, const char* fallback) {
  return ReadINI(meridFiscalIni(), section, key, fallback);
}

// "<code><font><length 00><text cut to 32>", the shape of "3002" and "3012".
std::string textLine(const std::string& code, const std::string& text, int32_t font) {
  const std::string line = FilterText(text).substr(0, 32);
  return code + std::to_string(font) + formatNumber(static_cast<double>(line.size()), "00") + line;
}

}  // namespace

std::array<RigaPromo, 10>& BufferRighePromo() {
  thread_local std::array<RigaPromo, 10> slots;
  return slots;
}

bool ApriScontrinoFiscale(int16_t& port) {
  return failureBoundary(kModule, "ApriScontrinoFiscale", false, [&] {
    const std::string buffer = ini("Fiscal", "Buffer", "");
    bool buffered = false;
    if (!buffer.empty()) {
      buffered = textToDouble(buffer) != 0;
    } else {
      // This opening is unbuffered; the ones after it are buffered.
      FillINI(meridFiscalIni(), "Fiscal", "Buffer", "1");
    }
    int32_t mode = buffered ? 1 : 2;
    return AperturaComunicazione(port, mode);
  });
}

bool ChiudiScontrinoFiscale(int16_t& port) {
  bool result = true;
  return failureBoundary(kModule, "ChiudiScontrinoFiscale", false, [&] {
    if (ini("ForzaStampaResto", "Value", "") == "1") result = send(cmd::kPrintChange) && result;
    result = send(ini("Merid_OperazioneChiusuraFiscale", "code", cmd::kCloseReceipt.c_str())) && result;
    const std::string post = ini("Merid_OperazionePostChiusuraFiscale", "code", "");
    if (!post.empty()) send(post);
    for (auto& slot : BufferRighePromo()) {
      if (slot.text.empty()) continue;
      result = send(getComando_RigaCortesiaDopoTotale(slot.text, slot.font)) && result;
      slot.text.clear();
      slot.font = 1;
    }
    result = send(ini("Merid_PrintAndCut", "code", cmd::kPrintAndCut.c_str())) && result;
    std::string drawer = ini("ApriCassettoDopoStampaScontrino", "value", "");
    if (drawer.empty()) {
      drawer = "0";
      FillINI(meridFiscalIni(), "ApriCassettoDopoStampaScontrino", "value", drawer);
    }
    if (drawer == "1") AperturaManualeCassetto(port);
    closeLinkAfterDocument();
    return result;
  });
}

std::string getComando_RigaCortesiaDopoTotale(std::string text, int32_t& font) {
  return failureBoundary<std::string>(kModule, "getComando_RigaCortesiaDopoTotale", "", [&]() -> std::string {
    return textLine(cmd::kAfterTotalLine, text, font);
  });
}

std::string getComando_RigaDescrittivaFiscale(std::string text, int32_t& font) {
  return failureBoundary<std::string>(kModule, "getComando_RigaDescrittivaFiscale", "", [&]() -> std::string {
    return textLine(cmd::kDescriptiveLine, text, font);
  });
}

bool RigaDescrittivaFiscale(std::string text, int32_t& font) {
  return failureBoundary(kModule, "RigaDescrittivaFiscale", false,
                         [&] { return send(getComando_RigaDescrittivaFiscale(std::move(text), font)); });
}

bool SalvaRigaDescrittivaPromoInBuffer(std::string& text, int32_t& font) {
  // Always True, even when the line could not be kept.
  failureBoundary(kModule, "SalvaRigaDescrittivaPromoInBuffer", true, [&] {
    for (auto& slot : BufferRighePromo()) {
      if (!slot.text.empty()) continue;
      slot.text = text;
      slot.font = font;
      break;
    }
    return true;
  });
  return true;
}

bool Esegui_VenditaAReparto(const std::string& descrPrincipale, const std::string& descrAggiuntiva,
                            double qta, double importo, double totale, const std::string&, int32_t idReparto,
                            int32_t tipoRiga, bool) {
  bool result = false;
  return failureBoundary(kModule, "Esegui_VenditaAReparto", result, [&] {
    std::string aggiuntiva = descrAggiuntiva;
    // Both calls are made whatever the first one answers.
    const double first = AdjustNumber(qta), second = AdjustNumber(qta);
    if (first != 1 && second != 0) {
      std::string quantity = formatNumber(qta, "###,##0.000");
      std::string price = AmountText(importo);
      const auto right8 = [](const std::string& s) {
        return s.size() <= 8 ? std::string(8 - s.size(), ' ') + s : s.substr(s.size() - 8);
      };
      aggiuntiva = ("*" + right8(quantity) + " x" + right8(price) + std::string(13, ' ')).substr(0, 32);
    }
    if (!aggiuntiva.empty()) {
      int32_t font = 1;
      if (!RigaDescrittivaFiscale(aggiuntiva, font)) return false;
    }
    const std::string description = (FilterText(descrPrincipale) + std::string(22, ' ')).substr(0, 22);
    std::string command = cmd::kSaleLine + std::to_string(tipoRiga) +
                          Merid_GetRepartoFromIDReparto(idReparto) + "22" + description + amountField(totale);
    if (!InviaComandoECR(command)) return false;
    result = true;
    std::string amount = getEurSymbolForECR() + " " + AmountText(totale);
    MostraRigheADisplay((tipoRiga == 9 ? "Reso:" : "") + description, AllineaDestra(amount, 20));
    return result;
  });
}

namespace {

// A sale and a return differ only in the row type the printer is given.
bool pricedRow(const char* routine, int32_t rowType, const std::string& descrAggiuntiva,
               const std::string& descrPrincipale, double qta, double importo, double totale,
               const std::string& aliquota, int32_t idReparto) {
  return failureBoundary(kModule, routine, false, [&] {
    return Esegui_VenditaAReparto(descrPrincipale, descrAggiuntiva, qta, importo, totale, aliquota, idReparto,
                                  rowType, true);
  });
}

}  // namespace

bool Esegui_Vendita(std::string& strDescrAggiuntiva, std::string& strDescrPrincipale, double& qtaRiga,
                    double& importoRiga, double& ImportoTotale, std::string& AliquotaIva,
                    int32_t& idReparto) {
  return pricedRow("Esegui_Vendita", 1, strDescrAggiuntiva, strDescrPrincipale, qtaRiga, importoRiga,
                   ImportoTotale, AliquotaIva, idReparto);
}

bool Esegui_Reso(std::string& strDescrAggiuntiva, std::string& strDescrPrincipale, double& qtaRiga,
                 double& importoRiga, double& ImportoTotale, std::string& AliquotaIva, int32_t& idReparto) {
  return pricedRow("Esegui_Reso", 9, strDescrAggiuntiva, strDescrPrincipale, qtaRiga, importoRiga,
                   ImportoTotale, AliquotaIva, idReparto);
}

bool Esegui_ScontoValoreRiga(double& importoSconto, std::string& descrizioneSconto, int32_t& idReparto) {
  return failureBoundary(kModule, "Esegui_ScontoValoreRiga", false, [&] {
    return Esegui_VenditaAReparto(descrizioneSconto, "", 1, importoSconto, importoSconto, "", idReparto, 3,
                                  true);
  });
}

bool Esegui_ScontoValoreTotale(double& importoSconto, std::string& descrizioneSconto, int32_t& idReparto) {
  return failureBoundary(kModule, "Esegui_ScontoValoreTotale", false, [&] {
    return Esegui_VenditaAReparto(descrizioneSconto, "", 1, importoSconto, importoSconto, "", idReparto, 3,
                                  true);
  });
}

bool AnnulloScontrinoAperto(int16_t& port) {
  return failureBoundary(kModule, "AnnulloScontrinoAperto", false,
                         [&] { return InviaComandoECR_AnnulloScontrino(port); });
}

// A routine of the command engine's module by name; it lives here because it
// closes the receipt, and calls go one way.
bool InviaComandoECR_AnnulloScontrino(int16_t& port) {
  bool result = false;
  return failureBoundary("modError", "InviaComandoECR_AnnulloScontrino", result, [&] {
    const std::string text = "Annullo transazione";
    std::string command = cmd::kVoidLine + "8" + formatNumber(static_cast<double>(text.size()), "00") + text +
                          FormatPrzMerid("0");
    if (!InviaComando(command)) return false;
    result = ChiudiScontrinoFiscale(port);
    return result;
  });
}

}  // namespace merid
