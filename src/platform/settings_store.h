#pragma once
// The registry seam: values under a key path of the host's registry on
// Windows, environment variables on POSIX. The system creates it as an
// outside component, so the component factories hand it out.

#include <memory>
#include <string>

namespace merid::platform {

// Registry reading: the base key, then values under a subkey.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual void SetBaseKey(const std::string& keyPath) = 0;
  virtual std::string GetValue(const std::string& subkey, const std::string& name,
                               const std::string& fallback) = 0;
};

std::unique_ptr<SettingsStore> builtinSettingsStore();

}  // namespace merid::platform
