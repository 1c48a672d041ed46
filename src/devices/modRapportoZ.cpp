#include "devices/modRapportoZ.h"

#include <memory>
#include <string>

#include "logging/logging.h"
#include "config/modIni.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"
#include "components/components.h"
#include "link/commands.h"

namespace merid {

namespace {

constexpr const char* kModule = "modRapportoZ";

// Created on the first closing that sends a pre-closing command.
std::unique_ptr<components::ZReportComponent>& zReport() {
  thread_local std::unique_ptr<components::ZReportComponent> component;
  return component;
}

void waitAfterPreClosing() {
  auto& component = zReport();
  if (!component) component = components::createZReportComponent();
  int32_t milliseconds = 5000;
  component->Wait(milliseconds);
}

}  // namespace

bool EseguiRapportoZ(int16_t& port) {
  return failureBoundary(kModule, "EseguiRapportoZ", false, [&] {
    return withLink(port, 3, [] {
      bool outcome = true;
      std::string first = ReadINI(meridFiscalIni(), "Comando1PreChiusuraFiscale", "Value", "");
      if (!first.empty()) {
        outcome = InviaComandoECR(first);
        waitAfterPreClosing();
      }
      std::string second = ReadINI(meridFiscalIni(), "Comando2PreChiusuraFiscale", "Value", "");
      if (!second.empty()) {
        outcome = InviaComandoECR(second) && outcome;
        waitAfterPreClosing();
      }
      std::string closing = cmd::kZReport;
      return InviaComandoECR(closing) && outcome;
    });
  });
}

bool EseguiRapportoX(int16_t& port, int32_t& kind) {
  return failureBoundary(kModule, "EseguiRapportoX", false, [&] {
    return withLink(port, 3, [&] {
      if (kind != kCRX_TotaliDelGiorno) return false;
      std::string command = cmd::kXReport;
      return InviaComandoECR(command);
    });
  });
}

}  // namespace merid
