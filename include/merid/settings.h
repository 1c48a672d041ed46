#pragma once
// The settings files, read and written the way the library does it: section
// and key names match without regard to case, a read of a missing or empty key
// writes the given default back (so the file documents itself), values are cut
// at 65534 characters, and a write replaces the whole file at once, so a crash
// never leaves half a file. For tools that edit the settings beside a host.

#include <string>

namespace merid {

std::string ReadINI(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& fallback);
void WriteINI(const std::string& file, const std::string& section, const std::string& key,
              const std::string& value);

// The full paths of "MeridFiscal.ini" and "display.ini" in the home folder.
std::string meridFiscalIni();
std::string displayIni();

}  // namespace merid
