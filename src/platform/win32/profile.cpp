// The profile functions on Windows are the system's own.

#include <windows.h>

#include <climits>
#include <vector>

#include "platform/platform.h"

namespace merid::platform {

namespace {

class Win32Profile : public Profile {
 public:
  std::size_t getString(const std::string& section, const std::string& key, std::string& out,
                        std::size_t bufferSize, const std::string& file) override {
    out.clear();
    if (bufferSize == 0) return 0;
    if (bufferSize > static_cast<std::size_t>(INT_MAX)) bufferSize = INT_MAX;
    std::vector<char> buffer(bufferSize, '\0');
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                             static_cast<DWORD>(bufferSize), file.c_str());
    out.assign(buffer.data(), n);
    return out.size();
  }

  bool writeString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
  }
};

}  // namespace

Profile& builtinProfile() {
  static Win32Profile p;
  return p;
}

}  // namespace merid::platform
