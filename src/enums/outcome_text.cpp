// The outcome of a call as text, for logs, tools and people.

#include <cstddef>
#include <string>

#include "merid/MeridEnumValue.h"
#include "merid/outcome.h"

namespace merid {

namespace {

template <class E>
struct Named {
  E value;
  const char* name;
};

template <class E, std::size_t N>
const char* nameIn(const Named<E> (&names)[N], E value, const char* otherwise) {
  for (const auto& n : names)
    if (n.value == value) return n.name;
  return otherwise;
}

constexpr Named<OutcomeKind> kKindNames[] = {
    {OutcomeKind::Done, "done"},       {OutcomeKind::DoneAfterPrompts, "done after prompts"},
    {OutcomeKind::Refused, "refused"}, {OutcomeKind::NotSent, "not sent"},
    {OutcomeKind::GaveUp, "gave up"},  {OutcomeKind::Unknown, "unknown"}};

constexpr Named<NotSentReason> kReasonNames[] = {
    {NotSentReason::None, ""},
    {NotSentReason::NoPort, "no port given"},
    {NotSentReason::LibraryNotLoaded, "printer library not loaded"},
    {NotSentReason::EntryPointMissing, "entry point missing"},
    {NotSentReason::LinkNotOpen, "link not open"},
    {NotSentReason::EmptyCommand, "empty command"},
    {NotSentReason::RuntimeFailure, "run-time failure"},
    {NotSentReason::Declined, "declined"}};

}  // namespace

const char* outcomeKindName(OutcomeKind kind) {
  return nameIn(kKindNames, kind, "unknown");
}

const char* notSentReasonName(NotSentReason reason) {
  return nameIn(kReasonNames, reason, "");
}

std::string Outcome::codeName() const {
  return kind == OutcomeKind::NotSent ? std::string() : std::string(codeErrorName(code));
}

namespace {

std::string numbered(int32_t code, bool italian) {
  std::string s = std::to_string(code);
  if (const ResultCode* c = findResultCode(code))
    s.append(" ").append(c->name).append(": ").append(italian ? c->italian : c->english);
  return s;
}

}  // namespace

std::string Outcome::message(bool italian) const {
  switch (kind) {
    case OutcomeKind::Done:
      return italian ? "eseguito" : "done";
    case OutcomeKind::DoneAfterPrompts:
      return (italian ? "eseguito dopo " + std::to_string(prompts) + " richieste all'operatore per "
                      : "done after " + std::to_string(prompts) + " operator prompts for ") +
             numbered(code, italian);
    case OutcomeKind::Refused:
      return (italian ? "rifiutato e considerato eseguito: " : "refused, counted as done: ") +
             numbered(code, italian);
    case OutcomeKind::NotSent:
      return (italian ? "non inviato (" : "not sent (") + std::string(notSentReasonName(reason)) + ")" +
             (detail.empty() ? "" : ": " + detail);
    case OutcomeKind::GaveUp:
      return (italian ? "l'operatore ha rinunciato dopo " + std::to_string(prompts) + " richieste per "
                      : "operator gave up after " + std::to_string(prompts) + " prompts for ") +
             numbered(code, italian);
    case OutcomeKind::Unknown:
      return italian
                 ? "esito sconosciuto: la scrittura di " + command + " e' fallita (" + std::to_string(code) +
                       "); la stampante potrebbe averlo eseguito, controllare il giornale prima di ristampare"
                 : "outcome unknown: the write of " + command + " failed (" + std::to_string(code) +
                       "); the printer may have executed it, look at the journal before printing again";
  }
  return {};
}

std::string Outcome::summary() const {
  switch (kind) {
    case OutcomeKind::Done:
      return "done";
    case OutcomeKind::DoneAfterPrompts:
      return "done after " + std::to_string(prompts) + (prompts == 1 ? " prompt" : " prompts") + " for " +
             numbered(code, false);
    case OutcomeKind::Refused:
      return "refused " + numbered(code, false);
    case OutcomeKind::NotSent:
      return "not sent: " + std::string(notSentReasonName(reason)) + (detail.empty() ? "" : ": " + detail);
    case OutcomeKind::GaveUp:
      return "operator gave up after " + std::to_string(prompts) + (prompts == 1 ? " prompt" : " prompts") +
             " for " + numbered(code, false);
    case OutcomeKind::Unknown:
      return "unknown: the write of " + command + " failed with " + std::to_string(code) +
             "; it may have printed, look at the journal before printing again";
  }
  return {};
}

}  // namespace merid
