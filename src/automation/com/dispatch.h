#pragma once
// IDispatch for our dual interfaces, served from the type library embedded in
// the DLL.

#include <windows.h>
#include <oleauto.h>

namespace merid::com {

// The two halves of a dual interface: the dispatch type info that
// GetTypeInfo hands out, and the vtable type info that DispInvoke needs.
// Loaded once per process and kept; nullptr when the type library cannot be
// read (then IDispatch answers with that error, early binding still works).
struct InterfaceTypeInfo {
  ITypeInfo* dispatch = nullptr;
  ITypeInfo* vtable = nullptr;
  HRESULT status = E_FAIL;
};
InterfaceTypeInfo typeInfoOf(REFIID iid);

// The embedded type library, freshly loaded (the caller releases it).
HRESULT loadOwnTypeLibrary(ITypeLib** library);

// DispInvoke on the vtable half, after bringing each argument to its declared
// type. Script hosts pass variables by reference as variants and numbers in
// whatever subtype they hold; a typed by-reference parameter receives a
// temporary of its own type, whose value is written back to the caller's
// variable after the call.
HRESULT invokeCoerced(void* object, ITypeInfo* vtable, DISPID member, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argError);

}  // namespace merid::com
