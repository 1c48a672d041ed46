#pragma once
// Sending printer commands, handling the printer's refusals (the skip-error
// list and the operator prompt for paper end or open cover) and reading the
// printer's status.

#include <cstdint>
#include <string>

namespace merid {

// Outcomes of gestioneErrore.
enum : int32_t {
  esitoCheckErr_OpRitenta = 1,    // operator asked to fix paper or cover: check the status again
  esitoCheckErr_OpAbbandona = 2,  // the operator prompt was answered "give up": the command fails
  esitoCheckErr_OpConcluso = 3,   // the command counts as done
};

// Every command of the system goes through here. True when the printer
// executed it or the refusal counts as done; the text afterwards holds what
// the library left in it. An empty command is a silent False.
bool InviaComandoECR(std::string& cmd);
// The send loop behind InviaComandoECR: one write, then as many status
// checks as the operator prompt asks for.
bool InviaComando(std::string& cmd);

// Verdict on a printer error number: sets the number to 0 when the skip-error
// list names it; asks the operator (modal box) and answers
// esitoCheckErr_OpRitenta for paper end or cover open (esitoCheckErr_OpAbbandona
// when the host's prompt handler gives up), else esitoCheckErr_OpConcluso.
void gestioneErrore(int32_t& err, int32_t& outcome);

// Loads the values of the skip-error list that are not loaded yet from
// section "SkipError" of "MeridFiscal.ini".
void LoadIfNeeded_MeridSkipErrors();
// Marks the skip-error list as not loaded (a new receipt object does this).
void resetMeridSkipError();

// Sends "1109", reads the reply and answers a MeridCodeErrors value:
// ECK_NonConnesso, ECK_OK, ECK_CoperchioAperto, ECK_CartaEsaurita,
// ECK_DGFEEsaurito or ECK_DGFEQuasiEsaurito.
int32_t Merid_CheckStatus();

}  // namespace merid
