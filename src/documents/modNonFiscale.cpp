#include "documents/modNonFiscale.h"

#include "components/thread_components.h"
#include "logging/logging.h"
#include "config/modIni.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"
#include "platform/failure.h"
#include "link/commands.h"

namespace merid {

namespace {

constexpr const char* kModule = "modNonFiscale";
constexpr std::size_t kWidth = 32;

bool send(std::string command) {
  return InviaComandoECR(command);
}

// A missing or empty switch reads as "0" and is written so.
std::string nonFiscalSetting(const char* key) {
  std::string value = ReadINI(meridFiscalIni(), "ParametriNonFiscale", key, "");
  if (value.empty()) {
    value = "0";
    FillINI(meridFiscalIni(), "ParametriNonFiscale", key, value);
  }
  return value;
}

std::string trimmed(const std::string& s) {
  auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool sendLine(const std::string& text, int32_t font) {
  return send(getComando_RigaNonFiscaleOCorpoFattura(text, font));
}

// The price alone, right-aligned: the last 32 characters of 32 blanks and it.
bool sendPriceLine(const std::string& prezzo, int32_t font) {
  const std::string line = std::string(kWidth, ' ') + prezzo;
  return sendLine(line.substr(line.size() - kWidth), font);
}

// Text left and price right on one line.
bool sendTextAndPrice(const std::string& text, const std::string& prezzo, int32_t font) {
  const auto used = static_cast<long long>(text.size() + prezzo.size());
  if (used > static_cast<long long>(kWidth)) throw RuntimeFailure("Invalid procedure call or argument");
  const std::string line = text + std::string(kWidth - static_cast<std::size_t>(used), ' ') + prezzo;
  return sendLine(line.substr(0, kWidth), font);
}

}  // namespace

std::string getComando_RigaNonFiscaleOCorpoFattura(const std::string& testo, int32_t font) {
  return failureBoundary<std::string>(
      kModule, "getComando_RigaNonFiscaleOCorpoFattura", "", [&]() -> std::string {
        if (font == 7 || font == 8 || font == 9) font = 1;
        const std::string text = (FilterText(testo) + std::string(kWidth, ' ')).substr(0, kWidth);
        return cmd::kNonFiscalLine + std::to_string(font) + "32" + text;
      });
}

bool StampaRigaNonFiscale(std::string Testo1, std::string Testo2, std::string Prezzo, int32_t tipoFont) {
  return failureBoundary(kModule, "StampaRigaNonFiscale", false, [&] {
    Testo1 = FilterText(Testo1);
    Testo2 = FilterText(Testo2);
    Prezzo = FilterText(Prezzo);
    if (Testo2.empty()) {
      if (trimmed(Testo1 + " " + Prezzo).size() > kWidth) {
        if (!sendLine(Testo1.substr(0, kWidth), tipoFont)) return false;
        return sendPriceLine(Prezzo, tipoFont);
      }
      return sendTextAndPrice(Testo1, Prezzo, tipoFont);
    }
    sendLine(Testo1.substr(0, kWidth), tipoFont);
    if ((Testo2 + " " + Prezzo).size() > kWidth) {
      if (!sendLine(Testo2.substr(0, kWidth), tipoFont)) return false;
      return sendPriceLine(Prezzo, tipoFont);
    }
    return sendTextAndPrice(Testo2, Prezzo, tipoFont);
  });
}

bool AperturaTransazioneNonFiscale(int16_t& portaCOM) {
  return failureBoundary(kModule, "AperturaTransazioneNonFiscale", false, [&] {
    int32_t mode = 3;
    if (!AperturaComunicazione(portaCOM, mode)) return false;
    if (!send(cmd::kOpenNonFiscal)) return false;
    if (nonFiscalSetting("TaglioCarta") != "0" && !send(cmd::kPrintAndCut)) return false;
    if (nonFiscalSetting("StampaIntestazione") == "0") return true;
    return send(cmd::kShopHeader);
  });
}

bool ChiusuraTransazioneNonFiscale() {
  return failureBoundary(kModule, "ChiusuraTransazioneNonFiscale", false, [&] {
    const bool cut = nonFiscalSetting("TaglioCarta") != "0" ? send(cmd::kPrintAndCut) : true;
    const bool closed = send(cmd::kCloseNonFiscal);
    closeLinkAfterDocument();
    return cut && closed;
  });
}

}  // namespace merid
