#pragma once
// The parts every automation object shares: reference counting,
// QueryInterface, IDispatch from the type library, and the traps and
// conversions its methods run. A method always answers S_OK: the result, or
// its default when something failed, travels in the retval parameter.

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <optional>
#include <string>

#include "automation/com/dispatch.h"
#include "automation/com/server.h"
#include "logging/logging.h"

namespace merid::com {

// Host text in the code page the printer speaks; a NULL BSTR is empty.
std::string ansiText(BSTR text);

inline VARIANT_BOOL toVariantBool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

// Runs a method body; a failure it did not trap itself becomes one error-log
// line "<class>-<method> <description>" and never leaves the method.
template <class Body>
void trapped(const char* cls, const char* method, Body&& body) noexcept {
  try {
    body();
  } catch (...) {
    try {
      logFailure(cls, method);
    } catch (...) {
    }
  }
}

template <class Body>
HRESULT answerBool(const char* cls, const char* method, VARIANT_BOOL* result, Body&& body) noexcept {
  if (result) *result = VARIANT_FALSE;
  trapped(cls, method, [&] {
    const bool ok = body();
    if (result) *result = toVariantBool(ok);
  });
  return S_OK;
}

// A variant result: Empty, or a boolean when the method ran.
template <class Body>
HRESULT answerVariant(const char* cls, const char* method, VARIANT* result, Body&& body) noexcept {
  if (result) VariantInit(result);
  trapped(cls, method, [&] {
    const std::optional<bool> value = body();
    if (result && value) {
      V_VT(result) = VT_BOOL;
      V_BOOL(result) = toVariantBool(*value);
    }
  });
  return S_OK;
}

// A by-reference argument: the method works on a copy of the caller's value,
// written back when the call ends. A null pointer reads as zero and takes
// nothing back.
template <class T, class Wire>
class InOut {
 public:
  explicit InOut(Wire* p) : p_(p), value_(p ? static_cast<T>(*p) : T{}) {}
  ~InOut() {
    if (p_) *p_ = static_cast<Wire>(value_);
  }
  InOut(const InOut&) = delete;
  InOut& operator=(const InOut&) = delete;
  T& operator*() { return value_; }

 private:
  Wire* p_;
  T value_;
};

// An automation boolean by reference: any non-zero value is True, and True
// goes back as -1.
class InOutBool {
 public:
  explicit InOutBool(VARIANT_BOOL* p) : p_(p), value_(p && *p != VARIANT_FALSE) {}
  ~InOutBool() {
    if (p_) *p_ = toVariantBool(value_);
  }
  InOutBool(const InOutBool&) = delete;
  InOutBool& operator=(const InOutBool&) = delete;
  bool& operator*() { return value_; }

 private:
  VARIANT_BOOL* p_;
  bool value_;
};

template <class Interface>
class AutomationObject : public Interface {
 public:
  explicit AutomationObject(const IID& iid) : iid_(iid) { objectCreated(); }
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, iid_) ||
        answersFor(riid)) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const InterfaceTypeInfo info = typeInfoOf(iid_);
    if (FAILED(info.status)) return info.status;
    info.dispatch->AddRef();
    *out = info.dispatch;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    const InterfaceTypeInfo info = typeInfoOf(iid_);
    if (FAILED(info.status)) return info.status;
    return DispGetIDsOfNames(info.vtable, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    const InterfaceTypeInfo info = typeInfoOf(iid_);
    if (FAILED(info.status)) return info.status;
    try {
      return invokeCoerced(static_cast<Interface*>(this), info.vtable, member, flags, params, result, exception,
                           argError);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

 protected:
  virtual ~AutomationObject() { objectDestroyed(); }
  virtual bool answersFor(REFIID) const { return false; }

 private:
  const IID iid_;
  std::atomic<ULONG> references_{1};
};

}  // namespace merid::com
