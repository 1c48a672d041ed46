#include "fiscal/modPagamento.h"

#include <algorithm>

#include "components/thread_components.h"
#include "logging/logging.h"
#include "config/modIni.h"
#include "amount/modUtility.h"
#include "text/number_text.h"
#include "devices/modDisplay.h"
#include "link/modError.h"
#include "link/commands.h"

namespace merid {

namespace {

constexpr const char* kModule = "modPagamento";

struct KnownPayment {
  const char* name;  // upper case
  const char* description;
  const char* notCollected;
};

constexpr KnownPayment kKnown[] = {
    {"CONTANTI", "CONTANTE", "0"},
    {"BANCOMAT", "BANCOMAT", "0"},
    {"CARTA DI CREDITO", "CARTA DI CREDITO", "0"},
    {"ASSEGNO", "ASSEGNO", "0"},
    {"TICKET", "TICKET", "1"},
    {"NON PAGATO", "NON PAGATO", "1"},
};

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// A payment of nothing is written as nine zeros whatever the number text says.
std::string paymentAmount(double amount) {
  return amount == 0 ? "000000000" : amountField(amount);
}

// A missing or empty setting takes the default, written back to the file.
std::string setting(const std::string& section, const char* fallback) {
  std::string value = ReadINI(meridFiscalIni(), section, "value", "");
  if (value.empty()) {
    value = fallback;
    FillINI(meridFiscalIni(), section, "value", value);
  }
  return value;
}

void showPayment(const std::string& line1, double amount) {
  std::string line2 = getEurSymbolForECR() + " " + AmountText(amount);
  MostraRigheADisplay(line1, AllineaDestra(line2, 20));
}

}  // namespace

std::string getComando_Pagamento(int32_t&, double& importo, std::string& nome) {
  std::string command;
  return failureBoundary<std::string>(kModule, "getComando_Pagamento", command, [&]() -> std::string {
    std::string description = "CONTANTE";
    std::string flag = "0";
    const std::string key = upper(nome);
    auto known = std::find_if(std::begin(kKnown), std::end(kKnown),
                              [&](const KnownPayment& k) { return key == k.name; });
    if (known != std::end(kKnown)) {
      description = setting("Pagamento_" + nome, known->description);
      flag = setting("isCorrNonRiscosso_" + nome, known->notCollected);
    }
    command = (flag == "1" ? cmd::kPaymentNotCollected : cmd::kPaymentCollected) +
              formatNumber(static_cast<double>(description.size()), "00") + description +
              paymentAmount(importo);
    // The display shows the payment before the printer has answered; a
    // failure there leaves the command whole.
    showPayment(nome, importo);
    return command;
  });
}

std::string getComando_NonPagato(int32_t&, double& importo, std::string&) {
  std::string command;
  return failureBoundary<std::string>(kModule, "getComando_NonPagato", command, [&]() -> std::string {
    command = cmd::kPaymentNotCollected + "10NON PAGATO" + paymentAmount(importo);
    showPayment("NON PAGATO", importo);
    return command;
  });
}

bool InviaPagamentoCorrispettivoRiscosso(int32_t idPagamento, double importo, std::string nome) {
  return failureBoundary(kModule, "InviaPagamentoCorrispettivoRiscosso", false, [&] {
    std::string command = getComando_Pagamento(idPagamento, importo, nome);
    return InviaComandoECR(command);
  });
}

bool InviaPagamentoCorrispettivoNonRiscosso(int32_t idPagamento, double importo, std::string nome) {
  return failureBoundary(kModule, "InviaPagamentoCorrispettivoNonRiscosso", false, [&] {
    std::string command = getComando_NonPagato(idPagamento, importo, nome);
    return InviaComandoECR(command);
  });
}

}  // namespace merid
