#pragma once
// The core's calls into the printer library. Each sets the status argument to
// 0 and ignores it afterwards; a library or entry point that cannot be found
// throws RuntimeFailure out of here, to be trapped by the calling routine.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "merid/cefdll.h"

namespace merid {

using StatusReply = std::array<uint8_t, MERID_REPLY_SIZE>;

int32_t ecrOpen(int16_t port);
// The command goes out as NUL-terminated text; afterwards it holds the text
// as the library left it in our buffer.
int32_t ecrWrite(std::string& command);
// Zero-fills the reply and lets the library fill it through a descriptor of
// our own. Whatever the library does to the descriptor or the length, only
// our buffer is read.
int32_t ecrRead(StatusReply& reply);
int32_t ecrClose();

// logFailure for catch blocks that must not let anything escape, even a
// failure while logging.
void logTrapped(std::string_view module, std::string_view routine) noexcept;

}  // namespace merid
