#include "automation/com/dispatch.h"

#include <map>
#include <mutex>
#include <vector>

#include "platform/win32/win32_text.h"

namespace merid::com {

namespace {

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

std::mutex gTypeInfoMutex;
std::map<GUID, InterfaceTypeInfo, GuidLess> gTypeInfos;

InterfaceTypeInfo load(REFIID iid) {
  InterfaceTypeInfo info;
  ITypeLib* library = nullptr;
  info.status = loadOwnTypeLibrary(&library);
  if (FAILED(info.status)) return info;
  info.status = library->GetTypeInfoOfGuid(iid, &info.dispatch);
  library->Release();
  if (FAILED(info.status)) return info;
  HREFTYPE vtableRef = 0;
  // For a dual interface, implemented type -1 is its vtable half.
  info.status = info.dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef);
  if (SUCCEEDED(info.status)) info.status = info.dispatch->GetRefTypeInfo(vtableRef, &info.vtable);
  if (FAILED(info.status)) {
    info.dispatch->Release();
    info.dispatch = nullptr;
  }
  return info;
}

// What a parameter needs: its variant type and whether it is by reference.
struct ParamKind {
  VARTYPE type = VT_EMPTY;
  bool byRef = false;
  bool retval = false;
};

VARTYPE userDefinedType(ITypeInfo* owner, HREFTYPE ref) {
  ITypeInfo* target = nullptr;
  VARTYPE vt = VT_EMPTY;
  if (FAILED(owner->GetRefTypeInfo(ref, &target))) return vt;
  TYPEATTR* attr = nullptr;
  if (SUCCEEDED(target->GetTypeAttr(&attr))) {
    if (attr->typekind == TKIND_ENUM)
      vt = VT_I4;
    else if (attr->typekind == TKIND_ALIAS && attr->tdescAlias.vt != VT_USERDEFINED)
      vt = attr->tdescAlias.vt;
    target->ReleaseTypeAttr(attr);
  }
  target->Release();
  return vt;
}

ParamKind kindOf(ITypeInfo* owner, const ELEMDESC& element) {
  ParamKind kind;
  kind.retval = (element.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) != 0;
  const TYPEDESC* t = &element.tdesc;
  if (t->vt == VT_PTR) {
    kind.byRef = true;
    t = t->lptdesc;
  }
  kind.type = t->vt == VT_USERDEFINED ? userDefinedType(owner, t->hreftype) : t->vt;
  return kind;
}

// The caller's variant behind an argument, looking through one reference.
VARIANT* source(VARIANT& arg) {
  if (V_VT(&arg) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(&arg)) return V_VARIANTREF(&arg);
  return &arg;
}

// Writes value into the caller's by-reference argument of another type. A
// script variable keeps its subtype when the value fits it (an Integer stays
// an Integer), else it takes the parameter's type.
void writeBack(VARIANT& arg, VARIANT& value) {
  if (V_VT(&arg) == (VT_VARIANT | VT_BYREF)) {
    VARIANT* target = V_VARIANTREF(&arg);
    if (!target) return;
    const VARTYPE held = V_VT(target);
    VARIANT copy;
    VariantInit(&copy);
    HRESULT hr = E_FAIL;
    if (held != VT_EMPTY && held != VT_NULL && !(held & (VT_ARRAY | VT_BYREF)))
      hr = VariantChangeType(&copy, &value, 0, held);
    if (FAILED(hr)) hr = VariantCopy(&copy, &value);
    if (SUCCEEDED(hr)) {
      VariantClear(target);
      *target = copy;
    }
    return;
  }
  if (!(V_VT(&arg) & VT_BYREF) || !V_BYREF(&arg)) return;
  const VARTYPE want = V_VT(&arg) & ~VT_BYREF;
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, &value, 0, want))) return;
  switch (want) {
    case VT_I1:
    case VT_UI1:
      *V_UI1REF(&arg) = V_UI1(&converted);
      break;
    case VT_I2:
    case VT_UI2:
      *V_I2REF(&arg) = V_I2(&converted);
      break;
    case VT_BOOL:
      *V_BOOLREF(&arg) = V_BOOL(&converted);
      break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
      *V_I4REF(&arg) = V_I4(&converted);
      break;
    case VT_R4:
      *V_R4REF(&arg) = V_R4(&converted);
      break;
    case VT_R8:
      *V_R8REF(&arg) = V_R8(&converted);
      break;
    case VT_DATE:
      *V_DATEREF(&arg) = V_DATE(&converted);
      break;
    case VT_CY:
      *V_CYREF(&arg) = V_CY(&converted);
      break;
    case VT_BSTR:
      SysFreeString(*V_BSTRREF(&arg));
      *V_BSTRREF(&arg) = V_BSTR(&converted);
      V_VT(&converted) = VT_EMPTY;  // ownership moved to the caller
      break;
    default:
      break;
  }
  VariantClear(&converted);
}

class FuncDesc {
 public:
  FuncDesc(ITypeInfo* info, DISPID member, WORD flags) : info_(info) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return;
    const UINT count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count && !desc_; ++i) {
      FUNCDESC* d = nullptr;
      if (FAILED(info->GetFuncDesc(i, &d))) continue;
      if (d->memid == member && (d->invkind & flags))
        desc_ = d;
      else
        info->ReleaseFuncDesc(d);
    }
  }
  ~FuncDesc() {
    if (desc_) info_->ReleaseFuncDesc(desc_);
  }
  FuncDesc(const FuncDesc&) = delete;
  FuncDesc& operator=(const FuncDesc&) = delete;
  const FUNCDESC* get() const { return desc_; }

 private:
  ITypeInfo* info_;
  FUNCDESC* desc_ = nullptr;
};

}  // namespace

HRESULT loadOwnTypeLibrary(ITypeLib** library) {
  *library = nullptr;
  const std::wstring path = platform::win32::ownModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  return LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
}

// Loaded type infos are kept for the life of the process, so the copy the
// caller gets stays valid after the lock is released.
InterfaceTypeInfo typeInfoOf(REFIID iid) {
  std::lock_guard<std::mutex> lock(gTypeInfoMutex);
  auto it = gTypeInfos.find(iid);
  // A failed load is tried again at the next call.
  if (it == gTypeInfos.end() || FAILED(it->second.status))
    it = gTypeInfos.insert_or_assign(iid, load(iid)).first;
  return it->second;
}

HRESULT invokeCoerced(void* object, ITypeInfo* vtable, DISPID member, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  if (!params) return E_INVALIDARG;
  FuncDesc function(vtable, member, flags);
  const FUNCDESC* f = function.get();
  // Unknown members, named arguments and wrong counts get DispInvoke's own answer.
  if (!f || params->cNamedArgs != 0 || (params->cArgs > 0 && !params->rgvarg))
    return DispInvoke(object, vtable, member, flags, params, result, exception, argError);
  std::vector<ParamKind> kinds;
  for (SHORT i = 0; i < f->cParams; ++i) {
    ParamKind k = kindOf(vtable, f->lprgelemdescParam[i]);
    if (!k.retval) kinds.push_back(k);
  }
  if (kinds.size() != params->cArgs)
    return DispInvoke(object, vtable, member, flags, params, result, exception, argError);

  const UINT count = params->cArgs;
  std::vector<VARIANT> args(params->rgvarg, params->rgvarg + count);
  std::vector<VARIANT> temps(count);
  std::vector<bool> replaced(count, false);
  for (auto& t : temps) VariantInit(&t);
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count && SUCCEEDED(hr); ++i) {
    const UINT slot = count - 1 - i;  // arguments arrive last first
    const ParamKind& k = kinds[i];
    VARIANT& arg = params->rgvarg[slot];
    if (k.type == VT_EMPTY || k.type == VT_VARIANT) continue;
    if (V_VT(&arg) == (k.byRef ? (k.type | VT_BYREF) : k.type)) continue;
    hr = VariantChangeType(&temps[slot], source(arg), 0, k.type);
    if (FAILED(hr)) {
      if (argError) *argError = slot;
      break;
    }
    replaced[slot] = true;
    if (k.byRef) {
      VARIANT ref;
      VariantInit(&ref);
      V_VT(&ref) = static_cast<VARTYPE>(k.type | VT_BYREF);
      V_BYREF(&ref) = &V_UI1(&temps[slot]);  // every member of the union starts here
      args[slot] = ref;
    } else {
      args[slot] = temps[slot];
    }
  }
  if (SUCCEEDED(hr)) {
    DISPPARAMS coerced{count ? args.data() : nullptr, nullptr, count, 0};
    hr = DispInvoke(object, vtable, member, flags, &coerced, result, exception, argError);
    if (SUCCEEDED(hr))
      for (UINT i = 0; i < count; ++i) {
        const UINT slot = count - 1 - i;
        if (replaced[slot] && kinds[i].byRef) writeBack(params->rgvarg[slot], temps[slot]);
      }
  }
  for (auto& t : temps) VariantClear(&t);
  return hr;
}

}  // namespace merid::com
