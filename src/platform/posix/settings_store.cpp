// The registry switches on POSIX are environment variables of the same name.

#include <cstdlib>

#include "platform/settings_store.h"

namespace merid::platform {

namespace {

class EnvironmentSettings : public SettingsStore {
 public:
  void SetBaseKey(const std::string&) override {}
  std::string GetValue(const std::string&, const std::string& name, const std::string& fallback) override {
    const char* v = std::getenv(name.c_str());
    return v ? std::string(v) : fallback;
  }
};

}  // namespace

std::unique_ptr<SettingsStore> builtinSettingsStore() {
  return std::make_unique<EnvironmentSettings>();
}

}  // namespace merid::platform
