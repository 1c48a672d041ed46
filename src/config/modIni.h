#pragma once
// Settings in "MeridFiscal.ini" and "display.ini", in the library's folder.
// A read of a missing or empty key writes the caller's default back, so the
// file documents itself.

#include <string>

namespace merid {

std::string ReadINI(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& fallback);
void WriteINI(const std::string& file, const std::string& section, const std::string& key, const std::string& value);

// The full paths, taken afresh at each call.
std::string meridFiscalIni();
std::string displayIni();

}  // namespace merid
