#pragma once
// What a call did, beside the boolean it answered. Every object keeps the
// outcome of its last call (UltimoEsito()); the boolean itself is unchanged.
//
//   receipt.ChiudiTransazioneFiscale();          // True
//   const merid::Outcome& o = receipt.UltimoEsito();
//   if (o.kind == merid::OutcomeKind::Refused)   // the printer said no ...
//     std::cerr << o.summary() << "\n";          // "refused 25 ECK_PagamentoIncompleto: ..."
//
// A printer refusal other than paper end and cover open counts as done, so
// the call answers True: the outcome is where the refusal shows.

#include <cstdint>
#include <string>
#include <vector>

namespace merid {

// From the plainest to the most serious; a call that sends several commands
// keeps the most serious thing that happened to any of them.
enum class OutcomeKind : int32_t {
  Done = 0,              // every command executed (or the call needed none)
  DoneAfterPrompts = 1,  // done, after the operator fixed paper or cover
  Refused = 2,           // the printer refused a command; it counts as done
  NotSent = 3,           // failed before a command reached the printer
  GaveUp = 4,            // the operator prompt was answered "give up"
  Unknown = 5,           // a write failed part-way: the printer may have executed it
};

// Why a command was not sent (OutcomeKind::NotSent).
enum class NotSentReason : int32_t {
  None = 0,
  NoPort = 1,             // the object has no port (InitComunicazione not called)
  LibraryNotLoaded = 2,   // the printer library could not be loaded
  EntryPointMissing = 3,  // it lacks one of its entry points
  LinkNotOpen = 4,        // the printer did not answer and the port could not be opened
  EmptyCommand = 5,       // the command was empty (a builder failed, or the host sent "")
  RuntimeFailure = 6,     // a failure trapped inside the library
  Declined = 7,           // the library declined: no document open, or a setting says no
};

struct Outcome {
  OutcomeKind kind = OutcomeKind::Done;
  NotSentReason reason = NotSentReason::None;
  // Refused: the printer's number. DoneAfterPrompts, GaveUp: what the operator
  // was asked to fix (16 paper end, 64 cover open). Unknown: what the write
  // answered.
  int32_t code = 0;
  int32_t prompts = 0;   // operator prompts during the call
  std::string detail;    // NotSent: the system's reason or the standard error text
  std::string command;   // the last command written to the printer ("" for none)
  int32_t answer = 0;    // the printer's answer to it (0: executed)
  std::string dataRead;  // the status reply read during the call, positions 0 to 5
  int32_t commands = 0;  // commands written during the call

  bool plainDone() const { return kind == OutcomeKind::Done; }
  // The ECK_ name of code ("" when it has none, or nothing was sent).
  std::string codeName() const;
  // One line for people, Italian or English: what happened and, for a
  // printer number, its meaning.
  std::string message(bool italian) const;
  // "refused 25 ECK_PagamentoIncompleto: incomplete payment",
  // "done after 2 prompts for 16 ECK_CartaEsaurita", "done", ...
  std::string summary() const;
};

// "done", "done after prompts", "refused", "not sent", "gave up", "unknown".
const char* outcomeKindName(OutcomeKind kind);
const char* notSentReasonName(NotSentReason reason);

// Every result number the system knows (the MeridCodeErrors members): what it
// means and what the host or the operator should do about it.
struct ResultCode {
  int32_t number;
  const char* name;
  const char* italian;
  const char* english;
  const char* action;
};
const std::vector<ResultCode>& resultCodes();
// nullptr for a number the system does not know.
const ResultCode* findResultCode(int32_t number);

// Loads the printer library the next command would use and looks up its four
// entry points, without calling any: "" when all is there, else the reason
// ("cannot load ...: <the system's reason>" or the missing entry point).
std::string printerLibraryProblem();

}  // namespace merid
