#include "devices/modCassetto.h"

#include <string>

#include "logging/logging.h"
#include "config/modIni.h"
#include "devices/modDisplay.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"

namespace merid {

bool ApriCassetto(int16_t& port) {
  try {
    std::string bypass = ReadINI(meridFiscalIni(), "ByPassApriCassetto", "value", "");
    if (bypass.empty()) {
      bypass = "0";
      WriteINI(meridFiscalIni(), "ByPassApriCassetto", "value", bypass);
    }
    return bypass == "0" && OpenDrawer(port);
  } catch (...) {
    logFailure("modCassetto", "ApriCassetto");
    return false;
  }
}

bool AperturaManualeCassetto(int16_t& port) {
  try {
    return OpenDrawer(port);
  } catch (...) {
    logFailure("modCassetto", "AperturaManualeCassetto");
    return false;
  }
}

bool OpenDrawer(int16_t& port) {
  bool outcome = false;
  try {
    int32_t mode = 3;
    outcome = AperturaComunicazione(port, mode);
    // Sent even when the link did not open: the printer's answer decides.
    std::string command = "70081";
    outcome = InviaComandoECR(command) && outcome;
    outcome = MostraRigheADisplay("Apertura Cassetto", "") && outcome;
    if (getCloseConnEachDoc()) ChiusuraComunicazione();
    return outcome;
  } catch (...) {
    logFailure("modCassetto", "OpenDrawer");
    return false;
  }
}

}  // namespace merid
