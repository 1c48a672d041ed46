#include "link/modConnessioneCOM.h"

#include <string>

#include "merid/MeridEnumValue.h"
#include "logging/logging.h"
#include "config/modIni.h"
#include "link/call_record.h"
#include "link/modError.h"
#include "link/printer_calls.h"
#include "platform/failure.h"

namespace merid {

namespace {

struct ConnectionModule {
  std::string closeConnEachDoc;  // empty until the first read
};

ConnectionModule& module() {
  thread_local ConnectionModule m;
  return m;
}

}  // namespace

bool AperturaComunicazione(int16_t& port, int32_t& mode) {
  bool result = false;
  try {
    // Any answer to the status check means the port is already open;
    // opening it again is what the check avoids.
    if (Merid_CheckStatus() == ECK_NonConnesso) {
      if (const int32_t opened = ecrOpen(port); opened != 0) {
        callrecord::noteNotSent(NotSentReason::LinkNotOpen, "the printer did not answer and opening port " +
                                                                std::to_string(port) + " failed with " +
                                                                std::to_string(opened));
        return false;
      }
    }
    result = true;
    if (mode == 1 || mode == 2) {
      std::string bufferMode = mode == 1 ? "30161" : "30160";
      ecrWrite(bufferMode);
    }
  } catch (...) {
    callrecord::noteCurrentFailure("modConnessioneCOM", "AperturaComunicazione");
    logTrapped("modConnessioneCOM", "AperturaComunicazione");
  }
  return result;
}

bool ChiusuraComunicazione() {
  int32_t closed = 0;
  try {
    closed = ecrClose();
  } catch (...) {
    // A library that cannot be called has no port open: nothing to report.
    closed = 0;
  }
  return closed == 0;
}

bool getCloseConnEachDoc() {
  try {
    std::string& kept = module().closeConnEachDoc;
    if (kept.empty()) kept = ReadINI(meridFiscalIni(), "Fiscal", "CloseConnEachDoc", "");
    if (kept.empty()) {
      kept = "0";
      FillINI(meridFiscalIni(), "Fiscal", "CloseConnEachDoc", "0");
    }
    return kept != "0";
  } catch (...) {
    try {
      loggerDebug(errorText("modIni", "getCloseConnEachDoc", currentFailureText()));
    } catch (...) {
    }
    return false;
  }
}

void closeLinkAfterDocument() {
  if (getCloseConnEachDoc()) ChiusuraComunicazione();
}

}  // namespace merid
