#include "link/modError.h"

#include <array>

#include "merid/MeridEnumValue.h"
#include "logging/logging.h"
#include "config/modIni.h"
#include "text/number_text.h"
#include "link/call_record.h"
#include "link/printer_calls.h"
#include "platform/platform.h"

namespace merid {

namespace {

constexpr const char* kModule = "modError";

struct ErrorModule {
  // A negative value means not loaded yet.
  std::array<int32_t, 3> skipErrors{-1, -1, -1};
};

ErrorModule& module() {
  thread_local ErrorModule m;
  return m;
}

// A text padded with blanks or cut to 20 characters, without the dots.
std::string fitted(std::string_view text) {
  return debugLine(text, "").substr(4);
}

void logStatus(std::string_view value) {
  loggerDebug(debugLine("Merid_CheckStatus:", value));
}

}  // namespace

bool InviaComandoECR(std::string& cmd) {
  try {
    return InviaComando(cmd);
  } catch (...) {
    callrecord::noteCurrentFailure(kModule, "InviaComandoECR");
    logTrapped(kModule, "InviaComandoECR");
    return false;
  }
}

bool InviaComando(std::string& cmd) {
  try {
    if (cmd.empty()) {
      callrecord::noteNotSent(NotSentReason::EmptyCommand, "");
      return false;
    }
    loggerDebug("Invio comando a ECR...");
    const int16_t attempt = 1;
    int32_t err = ecrWrite(cmd);
    callrecord::noteWritten(cmd, err);
    loggerDebug(debugLine("Comando:", cmd + "(nrTentativi: " + std::to_string(attempt) + ")"));
    if (err == 0) {
      loggerDebug(debugLine("Comando OK!", ""));
      return true;
    }
    const std::string errorString = "Codice errore " + std::to_string(err) + ", tentativo " +
                                    std::to_string(attempt) + ", comando: " + cmd;
    loggerDebug(debugLine("Stringa errore:", errorString));
    // -1 is the library's "not connected": nothing went out. Any other
    // negative number is a write that failed part-way (merid/cefdll.h): the
    // printer may or may not have executed the command.
    if (err < ECK_NonConnesso) callrecord::noteUnknown(err);
    for (bool first = true;; first = false) {
      // Fresh each pass, so a handler that fails before deciding can never
      // leave a retry behind from the previous pass.
      int32_t outcome = 0;
      const int32_t refused = err;
      gestioneErrore(err, outcome);
      loggerDebug(debugLine("esitoCheck:", std::to_string(outcome)));
      if (outcome == esitoCheckErr_OpRitenta) callrecord::notePrompt(err);
      if (outcome == esitoCheckErr_OpAbbandona) callrecord::noteGaveUp(err);
      if (first && refused != 0 && outcome == esitoCheckErr_OpConcluso) callrecord::noteRefused(refused);
      if (outcome != esitoCheckErr_OpRitenta) return outcome == esitoCheckErr_OpConcluso;
      loggerDebug(debugLine("esitoCheckErr_OpRitenta:", "GoTo Merid_CheckStatus/checkStatus"));
      err = Merid_CheckStatus();
    }
  } catch (...) {
    callrecord::noteCurrentFailure(kModule, "InviaComando");
    logTrapped(kModule, "InviaComando");
    return false;
  }
}

void gestioneErrore(int32_t& err, int32_t& outcome) {
  // Settled before anything can fail: only a confirmed box asks for a retry.
  outcome = esitoCheckErr_OpConcluso;
  try {
    loggerDebug("In gestioneErrore...");
    LoadIfNeeded_MeridSkipErrors();
    const auto& skip = module().skipErrors;
    if (err == skip[0] || err == skip[1] || err == skip[2]) {
      loggerDebug(debugLine("Is InMeridSkipError:", "SI, CodErr:" + std::to_string(err)));
      err = 0;
    }
    if (err == ECK_CartaEsaurita || err == ECK_CoperchioAperto) {
      loggerDebug(debugLine("Is InFineCartaOCoperchioAperto:", "SI"));
      const int answer =
          platform::showMessageBox("Carta esaurita o coperchio aperto: premere OK quando pronti.",
                                   "Errore stampante", platform::kMbOk | platform::kMbIconExclamation);
      // The box itself has OK only; a host's prompt handler may give up.
      outcome = answer == platform::kIdCancel ? esitoCheckErr_OpAbbandona : esitoCheckErr_OpRitenta;
    }
  } catch (...) {
    logTrapped(kModule, "gestioneErrore");
  }
}

void LoadIfNeeded_MeridSkipErrors() {
  static constexpr const char* kKeys[] = {"Value1", "Value2", "Value3"};
  try {
    auto& skip = module().skipErrors;
    for (std::size_t i = 0; i < skip.size(); ++i) {
      if (skip[i] >= 0) continue;
      const std::string text = ReadINI(meridFiscalIni(), "SkipError", kKeys[i], "");
      if (isNumeric(text)) {
        skip[i] = toInt32(textToDouble(text));
      } else {
        skip[i] = 0;
        if (text.empty())
          FillINI(meridFiscalIni(), "SkipError", kKeys[i], "0");
        else
          WriteINI(meridFiscalIni(), "SkipError", kKeys[i], "0");
      }
    }
  } catch (...) {
    logTrapped(kModule, "LoadIfNeeded_MeridSkipErrors");
  }
}

void resetMeridSkipError() {
  module().skipErrors = {-1, -1, -1};
}

int32_t Merid_CheckStatus() {
  int32_t result = ECK_OK;
  try {
    loggerDebug(fitted("Merid_CheckStatus..."));
    std::string command = "1109";
    if (ecrWrite(command) != 0) {
      result = ECK_NonConnesso;
      logStatus("Merid_CheckStatus = ECK_NonConnesso");
      return result;
    }
    logStatus("Leggendo stato da stampante...");
    StatusReply reply;
    if (ecrRead(reply) != 0) {
      result = ECK_NonConnesso;
      logStatus("non connesso.");
      return result;
    }
    callrecord::noteStatusRead(reply.data(), reply.size());
    logStatus("connesso! Test stato...");
    auto present = [&reply](std::size_t position) { return reply[position] == '1'; };
    // A flag that is up decides the result and is logged by its name.
    auto flagged = [&](std::size_t position, MeridCodeErrors code, const char* name) {
      if (!present(position)) return false;
      result = code;
      logStatus(name);
      return true;
    };
    if (!flagged(1, ECK_CoperchioAperto, "ECK_CoperchioAperto") &&
        !flagged(2, ECK_CartaEsaurita, "ECK_CartaEsaurita")) {
      if (present(3)) logStatus("devPaperRNEnd_JNEnd");
      if (!flagged(4, ECK_DGFEEsaurito, "ECK_DGFEEsaurito"))
        flagged(5, ECK_DGFEQuasiEsaurito, "ECK_DGFEQuasiEsaurito");
    }
  } catch (...) {
    callrecord::noteCurrentFailure(kModule, "Merid_CheckStatus");
    logTrapped(kModule, "Merid_CheckStatus");
  }
  return result;
}

}  // namespace merid
