#pragma once
#include <string>
#include <sys/types.h>

namespace merid::platform {

// Writes the whole content to a temporary file beside path, flushes it to
// disk and renames it over path: a reader (or a crash) sees either the old
// file or the new one, never half of one.
bool writeFileAtomically(const std::string& path, const std::string& content, mode_t mode);

}  // namespace merid::platform
