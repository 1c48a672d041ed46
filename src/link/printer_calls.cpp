#include "link/printer_calls.h"

#include <cstring>
#include <vector>

#include "logging/logging.h"
#include "platform/printer_library.h"

namespace merid {

namespace {
// Serial settings fixed by the printer maker; only the port varies.
constexpr int32_t kBaud = 19200;
}  // namespace

int32_t ecrOpen(int16_t port) {
  int32_t status = 0;
  return platform::printerLibrary().open(port, kBaud, 1, 7, 0, 1, status);
}

int32_t ecrWrite(std::string& command) {
  std::vector<char> text(command.begin(), command.end());
  text.push_back('\0');
  char* pointer = text.data();
  int32_t status = 0;
  const int32_t result = platform::printerLibrary().write(&pointer, status);
  // Read back from our own buffer only: the library may have moved the
  // pointer or dropped the terminator.
  command.assign(text.data(), strnlen(text.data(), text.size()));
  return result;
}

int32_t ecrRead(StatusReply& reply) {
  reply.fill(0);
  MeridByteArray descriptor = platform::replyDescriptor(reply.data());
  MeridByteArray* pointer = &descriptor;
  int32_t length = 0;
  int32_t status = 0;
  return platform::printerLibrary().read(&pointer, length, status);
}

int32_t ecrClose() {
  int32_t status = 0;
  return platform::printerLibrary().close(status);
}

void logTrapped(std::string_view module, std::string_view routine) noexcept {
  try {
    logFailure(module, routine);
  } catch (...) {
  }
}

}  // namespace merid
