#pragma once
// The parts every automation object shares: reference counting,
// QueryInterface, IDispatch from the type library, and the traps and
// conversions its methods run. A method always answers S_OK: the result, or
// its default when something failed, travels in the retval parameter.

#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>

#include "MeridDLLManager_h.h"
#include "merid/outcome.h"
#include "automation/com/dispatch.h"
#include "automation/com/server.h"
#include "logging/logging.h"

namespace merid::com {

// Host text in the code page the printer speaks; a NULL BSTR is empty.
std::string ansiText(BSTR text);

inline VARIANT_BOOL toVariantBool(bool b) {
  return b ? VARIANT_TRUE : VARIANT_FALSE;
}

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

// How a by-reference value crosses the wire: as it is, except an automation
// boolean, where any non-zero value is True and True goes back as -1.
template <class T, class Wire>
struct WireValue {
  static T in(Wire w) { return static_cast<T>(w); }
  static Wire out(const T& v) { return static_cast<Wire>(v); }
};
template <>
struct WireValue<bool, VARIANT_BOOL> {
  static bool in(VARIANT_BOOL w) { return w != VARIANT_FALSE; }
  static VARIANT_BOOL out(bool v) { return toVariantBool(v); }
};

// A by-reference argument: the method works on a copy of the caller's value,
// written back when the call ends. A null pointer reads as zero (False) and
// takes nothing back.
template <class T, class Wire>
class InOut {
 public:
  explicit InOut(Wire* p) : p_(p), value_(p ? WireValue<T, Wire>::in(*p) : T{}) {}
  ~InOut() {
    if (p_) *p_ = WireValue<T, Wire>::out(value_);
  }
  InOut(const InOut&) = delete;
  InOut& operator=(const InOut&) = delete;
  T& operator*() { return value_; }

 private:
  Wire* p_;
  T value_;
};

using InOutBool = InOut<bool, VARIANT_BOOL>;

// An automation string of the library's text (Windows-1252); never fails
// outward: on failure the result is NULL, which hosts read as "".
BSTR automationString(const std::string& text) noexcept;

static_assert(kEsito_Eseguito == static_cast<int>(merid::OutcomeKind::Done) &&
                  kEsito_EseguitoDopoRichieste == static_cast<int>(merid::OutcomeKind::DoneAfterPrompts) &&
                  kEsito_Rifiutato == static_cast<int>(merid::OutcomeKind::Refused) &&
                  kEsito_NonInviato == static_cast<int>(merid::OutcomeKind::NotSent) &&
                  kEsito_Abbandonato == static_cast<int>(merid::OutcomeKind::GaveUp) &&
                  kEsito_Sconosciuto == static_cast<int>(merid::OutcomeKind::Unknown),
              "MeridEsitoChiamata follows merid::OutcomeKind");

// Every object also serves _MeridEsito, the outcome of its last call: through
// QueryInterface for early binding, and through the IDispatch of its own
// interface for late binding (names not found there are looked up in
// _MeridEsito, whose dispatch ids are its own).
template <class Interface>
class AutomationObject : public RefCounted<Interface, _MeridEsito> {
 public:
  explicit AutomationObject(const IID& iid) : iid_(iid) {}

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
    const HRESULT hr = DispGetIDsOfNames(info.vtable, names, count, ids);
    if (hr != DISP_E_UNKNOWNNAME) return hr;
    const InterfaceTypeInfo esito = typeInfoOf(IID__MeridEsito);
    if (FAILED(esito.status)) return hr;
    return DispGetIDsOfNames(esito.vtable, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    const bool outcome = member >= kFirstEsitoId && member <= kLastEsitoId;
    const InterfaceTypeInfo info = typeInfoOf(outcome ? IID__MeridEsito : iid_);
    if (FAILED(info.status)) return info.status;
    void* target = outcome ? static_cast<void*>(static_cast<_MeridEsito*>(this))
                           : static_cast<void*>(static_cast<Interface*>(this));
    try {
      return invokeCoerced(target, info.vtable, member, flags, params, result, exception, argError);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  // _MeridEsito: read-only, never failing.
  HRESULT STDMETHODCALLTYPE get_UltimoEsito(MeridEsitoChiamata* result) override {
    if (result) *result = static_cast<MeridEsitoChiamata>(lastOutcome().kind);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_UltimoCodice(LONG* result) override {
    return number(result, lastOutcome().code);
  }
  HRESULT STDMETHODCALLTYPE get_UltimoNomeCodice(BSTR* result) override {
    return text(result, [](const merid::Outcome& o) { return o.codeName(); });
  }
  HRESULT STDMETHODCALLTYPE get_UltimoMessaggio(BSTR* result) override {
    return text(result, [](const merid::Outcome& o) { return o.message(true); });
  }
  HRESULT STDMETHODCALLTYPE get_UltimoMessaggioInglese(BSTR* result) override {
    return text(result, [](const merid::Outcome& o) { return o.message(false); });
  }
  HRESULT STDMETHODCALLTYPE get_UltimoComando(BSTR* result) override {
    return text(result, [](const merid::Outcome& o) { return o.command; });
  }
  HRESULT STDMETHODCALLTYPE get_UltimaRisposta(LONG* result) override {
    return number(result, lastOutcome().answer);
  }
  HRESULT STDMETHODCALLTYPE get_UltimiDatiLetti(BSTR* result) override {
    return text(result, [](const merid::Outcome& o) { return o.dataRead; });
  }
  HRESULT STDMETHODCALLTYPE get_UltimeRichieste(LONG* result) override {
    return number(result, lastOutcome().prompts);
  }

 protected:
  virtual bool answersFor(REFIID) const { return false; }
  virtual const merid::Outcome& lastOutcome() const = 0;

 private:
  void* interfaceFor(REFIID riid) override {
    if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, iid_) || answersFor(riid))
      return static_cast<Interface*>(this);
    if (IsEqualIID(riid, IID__MeridEsito)) return static_cast<_MeridEsito*>(this);
    return nullptr;
  }

 private:
  static constexpr DISPID kFirstEsitoId = 0x4D450001, kLastEsitoId = 0x4D45FFFF;

  static HRESULT number(LONG* result, int32_t value) {
    if (result) *result = value;
    return S_OK;
  }
  template <class Field>
  HRESULT text(BSTR* result, Field field) noexcept {
    if (!result) return S_OK;
    *result = nullptr;
    try {
      *result = automationString(field(lastOutcome()));
    } catch (...) {
    }
    return S_OK;
  }

  const IID iid_;
};

}  // namespace merid::com
