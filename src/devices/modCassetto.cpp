#include "devices/modCassetto.h"

#include <string>

#include "logging/logging.h"
#include "config/modIni.h"
#include "devices/modDisplay.h"
#include "link/modConnessioneCOM.h"
#include "link/modError.h"
#include "link/commands.h"

namespace merid {

bool ApriCassetto(int16_t& port) {
  return failureBoundary("modCassetto", "ApriCassetto", false, [&] {
    std::string bypass = ReadINI(meridFiscalIni(), "ByPassApriCassetto", "value", "");
    if (bypass.empty()) {
      bypass = "0";
      FillINI(meridFiscalIni(), "ByPassApriCassetto", "value", bypass);
    }
    return bypass == "0" && OpenDrawer(port);
  });
}

bool AperturaManualeCassetto(int16_t& port) {
  return failureBoundary("modCassetto", "AperturaManualeCassetto", false, [&] { return OpenDrawer(port); });
}

bool OpenDrawer(int16_t& port) {
  bool outcome = false;
  return failureBoundary("modCassetto", "OpenDrawer", false, [&] {
    int32_t mode = 3;
    outcome = AperturaComunicazione(port, mode);
    // Sent even when the link did not open: the printer's answer decides.
    std::string command = cmd::kOpenDrawer;
    outcome = InviaComandoECR(command) && outcome;
    outcome = MostraRigheADisplay("Apertura Cassetto", "") && outcome;
    closeLinkAfterDocument();
    return outcome;
  });
}

}  // namespace merid
