#pragma once
// What the automation objects share with the server's entry points.

#include <windows.h>

#include <atomic>

namespace merid::com {

// Live objects and class factories, counted for DllCanUnloadNow.
void objectCreated();
void objectDestroyed();

// IUnknown for every object the server hands out: one reference count, the
// object counted live from construction to destruction, and QueryInterface
// answering IUnknown and whatever interfaceFor names. With several interfaces
// the first is the object's IUnknown; one AddRef and Release serve them all.
template <class First, class... Others>
class RefCounted : public First, public Others... {
 public:
  RefCounted() { objectCreated(); }
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = IsEqualIID(riid, IID_IUnknown) ? static_cast<First*>(this) : interfaceFor(riid);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~RefCounted() { objectDestroyed(); }
  // The interface pointer that answers riid, or null.
  virtual void* interfaceFor(REFIID riid) = 0;

 private:
  std::atomic<ULONG> references_{1};
};

// Creating the three classes, for their class factories.
HRESULT createScontrino(REFIID iid, void** out);
HRESULT createFattura(REFIID iid, void** out);
HRESULT createNAccr(REFIID iid, void** out);

}  // namespace merid::com
