#include "devices/maintenance.h"

#include <functional>
#include <string>

#include "logging/logging.h"
#include "text/number_text.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"
#include "platform/platform.h"
#include "link/commands.h"

namespace merid {

namespace {

constexpr const char* kModule = "modUtility";

void journalMessage(const std::string& text) {
  platform::showMessageBox(text, "Errore DGFE",
                           platform::kMbOk | platform::kMbIconStop | platform::kMbSystemModal);
}

bool validNumber(int16_t n) {
  return n > 0 && n < 9999;
}

std::string date(double automationDate) {
  return formatDate(fromAutomationDate(automationDate), "ddmmyy");
}

std::string number(double n, const char* pattern) {
  return formatNumber(n, pattern);
}

// The frame every routine shares: open the link (no buffer-mode command),
// build and send the one command, close the link when so configured.
bool sendOne(const char* routine, int16_t& port, const std::function<std::string()>& build) {
  return failureBoundary(kModule, routine, false, [&] {
    return withLink(port, 3, [&] {
      std::string command = build();
      return InviaComandoECR(command);
    });
  });
}

// A journal print whose arguments are checked first: when they are wrong the
// operator is told why and nothing is sent.
bool checkedJournalPrint(const char* routine, int16_t& port, bool valid, const char* message,
                         const std::function<std::string()>& build) {
  const bool go = failureBoundary(kModule, routine, false, [&] {
    if (!valid) journalMessage(message);
    return valid;
  });
  return go && sendOne(routine, port, build);
}

}  // namespace

bool Manutenzione_RistampaUltimoScontrino(int16_t& port) {
  return sendOne("Manutenzione_RistampaUltimoScontrino", port, [] { return cmd::kReprintLast; });
}

bool Manutenzione_ProgrammazioneDataOra(int16_t& port) {
  return sendOne("Manutenzione_ProgrammazioneDataOra", port, [] {
    const std::string day = formatDate(platform::clock().now(), "ddmmyy");
    const std::string time = formatDate(platform::clock().now(), "hhmm");
    return cmd::kSetClock + day + time;
  });
}

bool Manutenzione_StampaGiornaleElettronicoDaDataAData(int16_t& port, double& dataInizio, double& dataFine) {
  return checkedJournalPrint("Manutenzione_StampaGiornaleElettronicoDaDataAData", port,
                             !(dataInizio > dataFine),
                             "Il valore di data inizio non pu\xF2 essere maggiore di data fine.",
                             [&] { return cmd::kJournalByDates + date(dataInizio) + date(dataFine) + "0"; });
}

bool Manutenzione_StampaGiornaleElettronico_Data_NScontrini(int16_t& port, double& data,
                                                            int16_t& nrScontrinoInizio,
                                                            int16_t& nrScontrinoFine) {
  return checkedJournalPrint("Manutenzione_StampaGiornaleElettronico_Data_NScontrini", port,
                             validNumber(nrScontrinoInizio) && validNumber(nrScontrinoFine),
                             "Il numero scontrino dev'essere maggiore di zero e inferiore a 9999.", [&] {
                               return cmd::kJournalByDateAndNumbers + date(data) +
                                      number(nrScontrinoInizio, "0000") + number(nrScontrinoFine, "0000") +
                                      "0";
                             });
}

bool Manutenzione_StampaGiornaleElettronico_IntervalloChiusure(int16_t& port, int16_t& nrChiusuraInizio,
                                                               int16_t& nrChiusuraFine) {
  return checkedJournalPrint("Manutenzione_StampaGiornaleElettronico_IntervalloChiusure", port,
                             validNumber(nrChiusuraInizio) && validNumber(nrChiusuraFine),
                             "Il numero di chiusura dev'essere maggiore di zero e inferiore a 9999.", [&] {
                               return cmd::kJournalByClosings + number(nrChiusuraInizio, "0000") +
                                      number(nrChiusuraFine, "0000") + "0000";
                             });
}

bool Manutenzione_StampaGiornaleElettronico_RigaDGFE(int16_t& port, int32_t& nrRiga) {
  return sendOne("Manutenzione_StampaGiornaleElettronico_RigaDGFE", port,
                 [&] { return cmd::kJournalLine + number(nrRiga, "000000000"); });
}

bool Manutenzione_StampaGiornaleElettronico_Integrale(int16_t& port) {
  return sendOne("Manutenzione_StampaGiornaleElettronico_Integrale", port, [] { return cmd::kJournalWhole; });
}

bool Manutenzione_StampaGiornaleElettronico_NuovoDGFE(int16_t& port) {
  return sendOne("Manutenzione_StampaGiornaleElettronico_NuovoDGFE", port, [] { return cmd::kNewJournal; });
}

}  // namespace merid
