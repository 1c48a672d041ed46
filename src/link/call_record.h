#pragma once
// What happened to the commands of the call in progress on this thread: the
// link layer notes each event here, and the public method that started the
// call takes the result as its object's outcome. Calls are synchronous, so
// one record per thread is one record per call.

#include <cstdint>
#include <string>

#include "merid/outcome.h"

namespace merid::callrecord {

// The record of this thread's call in progress.
Outcome& current();
// A new call starts: everything forgotten (buffers kept, so it costs nothing).
void begin();

void noteWritten(const std::string& command, int32_t answer);
void noteRefused(int32_t code);
void notePrompt(int32_t code);
void noteGaveUp(int32_t code);
void noteUnknown(int32_t answer);
void noteNotSent(NotSentReason reason, const std::string& detail);
void noteStatusRead(const uint8_t* reply, std::size_t size);
// For catch blocks: notes the failure being handled, as a printer library
// problem when it is one, else as a run-time failure with its standard error
// text "<module>-<routine> <description>".
void noteCurrentFailure(const char* module, const char* routine) noexcept;

}  // namespace merid::callrecord
