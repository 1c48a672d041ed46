// The registry switches of the host application. A value is looked up under
// HKEY_CURRENT_USER first, so that one user can switch the debug log on, and
// then under HKEY_LOCAL_MACHINE, where an installer puts machine-wide values:
// <hive>\<base key>\<subkey>, e.g. HKCU\SOFTWARE\TAVIK\VEK\Options.
// String values are returned as they are, DWORD values as decimal text.

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace merid::platform {

namespace {

bool readValue(HKEY hive, const std::string& path, const std::string& name, std::string& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  bool found = false;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<BYTE> data(size + 2, 0);
    DWORD got = size;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &got) == ERROR_SUCCESS) {
      if (type == REG_SZ || type == REG_EXPAND_SZ) {
        out.assign(reinterpret_cast<const char*>(data.data()));
        found = true;
      } else if (type == REG_DWORD && got == sizeof(DWORD)) {
        DWORD v = 0;
        memcpy(&v, data.data(), sizeof v);
        out = std::to_string(v);
        found = true;
      }
    }
  }
  RegCloseKey(key);
  return found;
}

class RegistrySettings : public SettingsStore {
 public:
  void SetBaseKey(const std::string& keyPath) override { base_ = keyPath; }
  std::string GetValue(const std::string& subkey, const std::string& name,
                       const std::string& fallback) override {
    const std::string path = subkey.empty() ? base_ : base_ + "\\" + subkey;
    std::string value;
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
      if (readValue(hive, path, name, value)) return value;
    return fallback;
  }

 private:
  std::string base_;
};

}  // namespace

std::unique_ptr<SettingsStore> builtinSettingsStore() {
  return std::make_unique<RegistrySettings>();
}

}  // namespace merid::platform
