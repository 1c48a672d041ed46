// The four exports of the in-process server: class objects, the unload
// check, and registration.

#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <atomic>
#include <string>

#include "MeridDLLManager_h.h"
#include "automation/com/dispatch.h"
#include "automation/com/server.h"
#include "platform/win32/win32_text.h"

namespace merid::com {

namespace {

std::atomic<long> gObjects{0};
std::atomic<long> gLocks{0};
std::atomic<bool> gPinned{false};

// Module data of the core lives in thread_local objects whose destructors
// run when their thread ends, possibly long after the host has released
// every object and unloaded the DLL. Once an object has been created the DLL
// therefore stays mapped until the process ends; DllCanUnloadNow still
// answers for objects and locks only.
void pinModule() {
  if (gPinned.exchange(true)) return;
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&pinModule), &self);
}

using Creator = HRESULT (*)(REFIID, void**);

class ClassFactory final : public RefCounted<IClassFactory> {
 public:
  explicit ClassFactory(Creator create) : create_(create) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(riid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      ++gLocks;
    else
      --gLocks;
    return S_OK;
  }

 private:
  void* interfaceFor(REFIID riid) override {
    return IsEqualIID(riid, IID_IClassFactory) ? static_cast<IClassFactory*>(this) : nullptr;
  }
  Creator create_;
};

struct ClassEntry {
  const CLSID* clsid;
  const wchar_t* name;
  const wchar_t* progId;
  Creator create;
};

const ClassEntry kClasses[] = {
    {&CLSID_MeridTallo_Scontrino, L"MeridTallo_Scontrino", L"MeridDLLManager.MeridTallo_Scontrino",
     createScontrino},
    {&CLSID_MeridTallo_Fattura, L"MeridTallo_Fattura", L"MeridDLLManager.MeridTallo_Fattura", createFattura},
    {&CLSID_MeridTallo_NAccr, L"MeridTallo_NAccr", L"MeridDLLManager.MeridTallo_NAccr", createNAccr},
};

std::wstring guidText(const GUID& g) {
  wchar_t text[40] = {};
  StringFromGUID2(g, text, 40);
  return text;
}

LONG setValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY k = nullptr;
  LONG rc = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  return rc;
}

// Deletes the key with everything under it.
void removeKey(HKEY root, const std::wstring& key) {
  RegDeleteTreeW(root, key.c_str());
}

HRESULT registerClass(const ClassEntry& c, const std::wstring& path) {
  const std::wstring clsid = guidText(*c.clsid);
  const std::wstring key = L"CLSID\\" + clsid;
  const std::wstring libid = guidText(LIBID_MeridDLLManager);
  struct Entry {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
  };
  const Entry entries[] = {
      {key, nullptr, c.name},
      {key + L"\\InprocServer32", nullptr, path},
      {key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {key + L"\\ProgID", nullptr, c.progId},
      {key + L"\\TypeLib", nullptr, libid},
      {key + L"\\Version", nullptr, L"3.2"},
      {key + L"\\Programmable", nullptr, L""},
      {c.progId, nullptr, c.name},
      {std::wstring(c.progId) + L"\\CLSID", nullptr, clsid},
  };
  for (const Entry& e : entries)
    if (LONG rc = setValue(HKEY_CLASSES_ROOT, e.key, e.name, e.value); rc != ERROR_SUCCESS)
      return HRESULT_FROM_WIN32(rc);
  return S_OK;
}

HRESULT registerServer() {
  const std::wstring path = platform::win32::ownModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  for (const ClassEntry& c : kClasses)
    if (FAILED(registerClass(c, path))) return SELFREG_E_CLASS;
  ITypeLib* library = nullptr;
  HRESULT hr = loadOwnTypeLibrary(&library);
  if (FAILED(hr)) return SELFREG_E_TYPELIB;
  // Registers the library and its dual interfaces with the automation
  // marshaler; the receipt interface's earlier identifiers are aliases in the
  // library and stay out of it.
  hr = RegisterTypeLib(library, const_cast<LPOLESTR>(path.c_str()), nullptr);
  library->Release();
  return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT unregisterServer() {
  for (const ClassEntry& c : kClasses) {
    removeKey(HKEY_CLASSES_ROOT, L"CLSID\\" + guidText(*c.clsid));
    removeKey(HKEY_CLASSES_ROOT, c.progId);
  }
#if defined(_WIN64)
  const SYSKIND kind = SYS_WIN64;
#else
  const SYSKIND kind = SYS_WIN32;
#endif
  // Missing entries are not a failure: unregistering twice is harmless.
  UnRegisterTypeLib(LIBID_MeridDLLManager, 3, 2, LOCALE_NEUTRAL, kind);
  return S_OK;
}

}  // namespace

void objectCreated() {
  ++gObjects;
  pinModule();
}
void objectDestroyed() {
  --gObjects;
}

}  // namespace merid::com

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  using namespace merid::com;
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const ClassEntry& c : kClasses) {
    if (!IsEqualCLSID(clsid, *c.clsid)) continue;
    ClassFactory* factory = nullptr;
    try {
      factory = new ClassFactory(c.create);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
  return merid::com::gObjects == 0 && merid::com::gLocks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  try {
    return merid::com::registerServer();
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDAPI DllUnregisterServer() {
  try {
    return merid::com::unregisterServer();
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}
