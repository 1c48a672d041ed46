#pragma once
// Settings in "MeridFiscal.ini" and "display.ini", in the library's folder.
// A read of a missing or empty key writes the caller's default back, so the
// file documents itself.

#include <cstdint>
#include <string>

#include "merid/settings.h"

namespace merid {

// The library's own value for a key it read empty, written back as a default
// is: only while the key is still empty, and in a large file possibly later
// (a crash loses nothing the next read would not write again). A value that
// must replace one already there goes through WriteINI.
void FillINI(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value);

// The printer's department for the host's department id, as at least two
// digits ("03"); an unmapped id is mapped to 1 and written to the file.
// Empty on failure (logged).
std::string Merid_GetRepartoFromIDReparto(int32_t& idReparto);

}  // namespace merid
