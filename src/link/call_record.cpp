#include "link/call_record.h"

#include <exception>

#include "logging/logging.h"
#include "platform/failure.h"
#include "platform/printer_library.h"

namespace merid::callrecord {

namespace {

// Raises the call's kind to a more serious one; the code goes with the kind.
void raise(Outcome& o, OutcomeKind kind, int32_t code) {
  if (static_cast<int32_t>(kind) <= static_cast<int32_t>(o.kind)) return;
  o.kind = kind;
  o.code = code;
}

}  // namespace

Outcome& current() {
  thread_local Outcome record;
  return record;
}

void begin() {
  Outcome& o = current();
  o.kind = OutcomeKind::Done;
  o.reason = NotSentReason::None;
  o.code = 0;
  o.prompts = 0;
  o.detail.clear();
  o.command.clear();
  o.answer = 0;
  o.dataRead.clear();
  o.commands = 0;
}

void noteWritten(const std::string& command, int32_t answer) {
  Outcome& o = current();
  o.command = command;
  o.answer = answer;
  ++o.commands;
}

void noteRefused(int32_t code) {
  raise(current(), OutcomeKind::Refused, code);
}

void notePrompt(int32_t code) {
  Outcome& o = current();
  ++o.prompts;
  raise(o, OutcomeKind::DoneAfterPrompts, code);
}

void noteGaveUp(int32_t code) {
  Outcome& o = current();
  ++o.prompts;  // the prompt that was given up is a prompt too
  raise(o, OutcomeKind::GaveUp, code);
}

void noteUnknown(int32_t answer) {
  raise(current(), OutcomeKind::Unknown, answer);
}

void noteNotSent(NotSentReason reason, const std::string& detail) {
  Outcome& o = current();
  if (static_cast<int32_t>(o.kind) >= static_cast<int32_t>(OutcomeKind::NotSent)) return;
  o.kind = OutcomeKind::NotSent;
  o.code = 0;
  o.reason = reason;
  o.detail = detail;
}

void noteStatusRead(const uint8_t* reply, std::size_t size) {
  std::string& data = current().dataRead;
  data.clear();
  for (std::size_t i = 0; i < size && i < 6; ++i) data += reply[i] ? static_cast<char>(reply[i]) : '0';
}

void noteCurrentFailure(const char* module, const char* routine) noexcept {
  if (!std::current_exception()) return;
  try {
    try {
      throw;
    } catch (const platform::PrinterLibraryFailure& f) {
      noteNotSent(f.kind() == platform::PrinterLibraryFailure::kNotLoaded ? NotSentReason::LibraryNotLoaded
                                                                          : NotSentReason::EntryPointMissing,
                  f.reason());
    } catch (...) {
      noteNotSent(NotSentReason::RuntimeFailure, errorText(module, routine, currentFailureText()));
    }
  } catch (...) {
  }
}

}  // namespace merid::callrecord
