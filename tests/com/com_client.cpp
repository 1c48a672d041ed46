// An early-binding host. Each operation is called through the vtable slot
// that hosts compiled against the type library use (the seven IDispatch
// operations, then the interface's own, numbered from 1 here), never through
// the generated header's declarations, so a misplaced operation shows up as
// the wrong command or result.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "MeridDLLManager_h.h"
#include "merid/MeridEnumLists.h"

namespace {

int gFailures = 0;

void check(bool ok, const std::string& what) {
  if (!ok) ++gFailures, std::printf("FAIL %s\n", what.c_str());
}
// In want, '#' stands for any digit and a final "..." for any rest.
void checkEq(const std::string& what, std::string got, const std::string& want) {
  for (std::size_t i = 0; i < got.size() && i < want.size(); ++i)
    if (want[i] == '#' && got[i] >= '0' && got[i] <= '9') got[i] = '#';
  if (want.size() > 3 && want.compare(want.size() - 3, 3, "...") == 0 && got.size() > want.size() - 3)
    got = got.substr(0, want.size() - 3) + "...";
  check(got == want, what + ": got [" + got + "], want [" + want + "]");
}

const IID kIidV0 = {0x12a0e15c, 0x4e2a, 0x42c2, {0x9f, 0x5d, 0xd6, 0x2e, 0x4e, 0xae, 0x30, 0xec}};
const IID kIidV1 = {0x018f9044, 0x944d, 0x45b0, {0x95, 0x1b, 0x7d, 0x79, 0xae, 0x5b, 0x84, 0x38}};

// The printer recorder's lines since the last call, joined by '|': commands
// without "write ", the status request and its reply left out.
std::string sent() {
  char path[MAX_PATH] = {};
  GetEnvironmentVariableA("MERID_RECORD", path, MAX_PATH);
  std::string out, line;
  for (std::ifstream in(path, std::ios::binary); std::getline(in, line);)
    if (line != "write 1109" && line != "read")
      out += "|" + (line.rfind("write ", 0) ? line : line.substr(6));
  DeleteFileA(path);
  return out.substr(out.empty() ? 0 : 1);
}

// Arguments stay alive until the program ends.
std::vector<std::shared_ptr<void>> gKeep;
BSTR S(const wchar_t* text) {
  BSTR b = text ? SysAllocString(text) : nullptr;
  return gKeep.emplace_back(b, SysFreeString), b;
}
template <class T>
T* ref(T value) {
  return static_cast<T*>(gKeep.emplace_back(std::make_shared<T>(value)).get());
}

template <class... A>
HRESULT slot(IUnknown* object, int position, A... args) {
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, A...);
  return reinterpret_cast<Fn>((*reinterpret_cast<void***>(object))[6 + position])(object, args...);
}

using Bool = VARIANT_BOOL;
using Status = ::MeridCodeErrors;
std::string text(Bool b) {
  return b == VARIANT_TRUE ? "True" : b == VARIANT_FALSE ? "False" : "bad";
}
std::string text(Status e) {
  return std::to_string(e);
}
std::string text(const VARIANT& v) {
  return V_VT(&v) == VT_EMPTY ? "Empty" : V_VT(&v) == VT_BOOL ? "Variant " + text(V_BOOL(&v)) : "bad";
}

// Calls an operation whose last parameter is its result, of type T (void:
// none). The result is spoilt first, so one left unwritten shows.
template <class T, class... A>
std::string call(IUnknown* o, int position, A... args) {
  if constexpr (std::is_void_v<T>) {
    return slot(o, position, args...) == S_OK ? "" : "bad HRESULT";
  } else {
    T r;
    std::memset(&r, 7, sizeof r);
    return slot(o, position, args..., &r) == S_OK ? text(r) : "bad HRESULT";
  }
}

struct Class {
  const char* name;
  const CLSID* clsid;
  const IID* iid;
};
const Class kClasses[] = {{"MeridTallo_Scontrino", &CLSID_MeridTallo_Scontrino, &IID__MeridTallo_Scontrino},
                          {"MeridTallo_Fattura", &CLSID_MeridTallo_Fattura, &IID__MeridTallo_Fattura},
                          {"MeridTallo_NAccr", &CLSID_MeridTallo_NAccr, &IID__MeridTallo_NAccr},
                          {"MeridEnumValue", &CLSID_MeridEnumValue, &IID__MeridEnumValue}};
enum { R, F, N, V };  // the receipt, the invoice, the credit note, the enum value

struct Operation {
  int cls, position;
  std::string name;
  std::function<std::string(IUnknown*)> call;
  std::string want;  // the result, " -> ", the commands sent
};
// clang-format off
#define OP(cls, pos, name, T, want, ...) \
  {cls, pos, #name, [](IUnknown* o) { return call<T>(o, pos, ##__VA_ARGS__); }, want}
// clang-format on

// Every operation of the three interfaces, in the order a host drives them.
const std::vector<Operation>& operations() {
  static const std::vector<Operation> rows = {
      OP(R, 31, IsConnected, Bool, "False -> "),
      OP(R, 28, Manutenzione_RipristinoAnomaliaCarta, Bool, "True -> "),
      OP(R, 24, ApriCassetto, VARIANT, "Empty -> "),
      OP(R, 1, InitComunicazione, void, " -> ", ref<short>(1)),
      OP(R, 2, InitParametri, void, " -> ", ref<short>(2), ref<short>(3)),
      OP(R, 5, StatoStampante, Status, "-1 -> "),
      OP(R, 6, ApriTransazioneFiscale, Bool, "True -> open 1 19200|30160"),
      OP(R, 5, StatoStampante, Status, "0 -> "),
      OP(R, 10, Vendita, Bool, "True -> 3002132*   2,000 x    1,25             |310110122Pane   ...",
         S(L"Agg"), S(L"Pane"), 2.0, 1.25, 2.5, S(L"A"), S(L"22"), 3L),
      OP(R, 11, Reso, Bool, "True -> 3002103Agg|310190122Latte                 000000099|7007Reso:Latte...",
         S(L"Agg"), S(L"Latte"), 1.0, 0.99, 0.99, S(L"A"), S(L"10"), 2L),
      OP(R, 12, RigaLiberaFiscale_Vendita, Bool, "True -> 3002204Riga", S(L"Riga"), ::kMerid_Grassetto),
      OP(R, 13, RigaLiberaFiscale_Promo, Bool, "True -> ", S(L"P13")),
      OP(R, 14, RigaLiberaFiscale_Fondo, Bool, "True -> ", S(L"F14")),
      OP(R, 16, ScontoValoreRiga, Bool, "True -> 310130122Sc riga               000000050|7007Sc riga...",
         0.5, S(L"Sc riga")),
      OP(R, 17, ScontoValoreTotale, VARIANT, "Variant True -> 310130122Sc tot                000000025|...",
         0.25, S(L"Sc tot")),
      OP(R, 18, SubTotale, Bool, "True -> 3003"),
      OP(R, 19, Pagamento_CorrispettivoRiscosso, Bool, "True -> 7007CONTANTI...", 1L, 5.0, S(L"CONTANTI")),
      OP(R, 20, Pagamento_CorrispettivoNonRiscosso, Bool, "True -> 7007NON PAGATO...", 2L, 1.0, S(L"TICKET")),
      OP(R, 7, ChiudiTransazioneFiscale, Bool, "True -> 3011|3012103P13|3012103F14|3013"),
      OP(R, 8, ApriTransazioneNonFiscale, Bool, "True -> 40011"),
      OP(R, 15, RigaLiberaNonFiscale, Bool,
         "True -> 4003132T1                              |4003132T2                          1,00", S(L"T1"),
         S(L"T2"), S(L"1,00"), ::kMerid_Normale),
      OP(R, 9, ChiudiTransazioneNonFiscale, Bool, "True -> 4004"),
      OP(R, 3, StampaBarcode_Fiscale, Bool, "True -> 302122000812345670", S(L"12345670"), ::CBT_Ean8),
      OP(R, 4, StampaBarcode_NonFiscale, Bool, "True -> 3021320003ABC", S(L"ABC"), ::CBT_Code39),
      // Host text reaches the printer in Windows-1252; what it lacks becomes
      // '?' (no best fit; a surrogate pair is two). No text is refused.
      OP(R, 21, InviaComandoDiretto_CefDLL, Bool, "True -> 40\xe8\x80", S(L"40\u00e8\u20ac")),
      OP(R, 21, InviaComandoDiretto_CefDLL, Bool, "True -> 40????", S(L"40\u4e2d\u0101\U0001F600")),
      OP(R, 21, InviaComandoDiretto_CefDLL, Bool, "False -> ", S(nullptr)),
      OP(R, 22, Display_MostraRighe, Bool, "True -> 7007Uno                 Due                 ", S(L"Uno"),
         S(L"Due")),
      OP(R, 23, Display_MostraRiga, Bool, "True -> 7007                    Tre                 ", S(L"Tre"),
         short{2}),
      OP(R, 24, ApriCassetto, VARIANT, "Variant True -> 70081|7007Apertura Cassetto..."),
      OP(R, 25, ApriCassettoManuale, VARIANT, "Variant True -> 70081|7007Apertura Cassetto..."),
      OP(R, 26, Manutenzione_AnnulloScontrinoAperto, Bool,
         "True -> 3001819Annullo transazione000000000|3011|3013"),
      OP(R, 27, Manutenzione_EseguiRapportoZ, Bool, "True -> 2002"),
      OP(R, 39, Manutenzione_EseguiRapportoX, Bool, "True -> 2003", ref(::kCRX_TotaliDelGiorno)),
      OP(R, 29, Manutenzione_ProgrammazioneDataOra, Bool, "True -> 2001##########"),
      OP(R, 30, Manutenzione_RistampaUltimoScontrino, Bool, "True -> 4007"),
      // Dates count days from 1899-12-30: 46088 is 2026-03-07.
      OP(R, 33, Manutenzione_DGFE_Data_NScontrini, Bool, "True -> 8002070326000500090", ref<DATE>(46088),
         ref<short>(5), ref<short>(9)),
      OP(R, 34, Manutenzione_DGFE_StampaCompleta, Bool, "True -> 8005"),
      OP(R, 35, Manutenzione_DGFE_IntervalloChiusure, Bool, "True -> 8003000300040000", ref<short>(3),
         ref<short>(4)),
      OP(R, 36, Manutenzione_DFGE_NuovoGiornale, Bool, "True -> 8007"),
      OP(R, 37, Manutenzione_DGFE_RichiestaRiga, Bool, "True -> 8004000000077", ref<LONG>(77)),
      OP(R, 38, Manutenzione_DGFE_StampaIntervalloDate, Bool, "True -> 80010201260302260", ref<DATE>(46024),
         ref<DATE>(46056)),
      OP(R, 31, IsConnected, Bool, "True -> "),
      OP(R, 32, ChiudiConnessioneCOM, void, " -> close"),
      OP(F, 1, ApriFattura, Bool, "True -> open 1 19200|70081|7007Apertura Cassetto...", ref<short>(1),
         ref(12.5), ref<Bool>(VARIANT_FALSE), ref<short>(2), ref<short>(0)),
      OP(F, 2, RigaFattura, Bool, "True -> 4003232Consulenza                      ", S(L"Consulenza"),
         ref(::kMerid_Grassetto)),
      OP(F, 3, ChiudiFattura, Bool, "True -> 4003F07Importo000001250|4006|close", 12.5),
      OP(N, 1, ApriNotaAccredito, Bool, "True -> open 1 19200|30160|7102600000", ref<short>(1), ref<short>(2),
         ref<short>(0)),
      OP(N, 2, RigaNotaAccredito, Bool, "True -> 3001120Reso                000000350", S(L"Reso"),
         S(L"merce"), S(L"3,50"), ref(::kMerid_Normale)),
      OP(N, 3, ChiudiNotaAccredito, Bool, "True -> 300408CONTANTI000000350|3010P12___________|3011|3013",
         3.5),
  };
  return rows;
}

// The names of a class's operations in vtable order; a slot no row calls shows.
std::string byPosition(int cls, const std::vector<Operation>& operations) {
  std::map<int, std::string> names;
  for (const Operation& op : operations)
    if (op.cls == cls) names[op.position] = op.name;
  std::string out;
  int next = 1;
  for (const auto& [position, name] : names) out += (position == next++ ? "" : "(gap) ") + name + " ";
  return out;
}

IUnknown* create(const CLSID& clsid, const IID& iid = IID_IUnknown) {
  IUnknown* object = nullptr;
  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&object));
  check(object != nullptr, "CoCreateInstance");
  return object;
}

void slotsSection() {
  IUnknown* objects[] = {create(*kClasses[R].clsid, *kClasses[R].iid),
                         create(*kClasses[F].clsid, *kClasses[F].iid),
                         create(*kClasses[N].clsid, *kClasses[N].iid)};
  sent();
  for (const Operation& op : operations()) {
    if (!objects[op.cls]) continue;
    const std::string result = op.call(objects[op.cls]);
    checkEq(kClasses[op.cls].name + (" slot " + std::to_string(op.position) + " " + op.name),
            result + " -> " + sent(), op.want);
  }
  for (IUnknown* o : objects)
    if (o) o->Release();
}

// Module data is per apartment thread: the after-total lines kept on one
// thread are printed by a closing on that thread only, whichever of the
// thread's objects kept them.
void apartmentsSection() {
  auto receipt = [] {
    IUnknown* o = create(CLSID_MeridTallo_Scontrino);
    if (o) call<void>(o, 1, ref<short>(1));
    return o;
  };
  IUnknown *first = receipt(), *second = receipt();
  if (!first || !second) return;
  call<Bool>(first, 6);
  call<Bool>(first, 13, S(L"AAA"));
  call<Bool>(second, 13, S(L"CCC"));
  std::string other;
  std::thread([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (IUnknown* o = receipt()) {
      call<Bool>(o, 13, S(L"BBB"));
      sent();
      call<Bool>(o, 7);
      other = sent();
      o->Release();
    }
    CoUninitialize();
  }).join();
  call<Bool>(first, 7);
  checkEq("another thread prints its own line only", other, "3011|3012103BBB|3013");
  checkEq("this thread prints the lines of both its objects", sent(), "3011|3012103AAA|3012103CCC|3013");
  first->Release(), second->Release();
}

void aliasesSection() {
  IUnknown *o = create(CLSID_MeridTallo_Scontrino), *f = create(CLSID_MeridTallo_Fattura);
  if (!o || !f) return;
  auto qi = [](IUnknown* object, const IID& iid) {
    IUnknown* p = nullptr;
    if (SUCCEEDED(object->QueryInterface(iid, reinterpret_cast<void**>(&p)))) p->Release();
    return p;
  };
  IUnknown* current = qi(o, IID__MeridTallo_Scontrino);
  check(current && qi(o, kIidV0) == current && qi(o, kIidV1) == current && qi(o, IID_IDispatch) == current,
        "the receipt answers ___v0, ___v1 and IDispatch with its interface");
  check(!qi(o, IID__MeridTallo_Fattura) && !qi(f, kIidV0) && !qi(f, kIidV1),
        "the aliases are the receipt's only");
  o->Release(), f->Release();
}

std::wstring besideMe(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  std::wstring p(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return p.substr(0, p.find_last_of(L'\\') + 1) + name;
}

void unloadSection() {
  HMODULE dll = LoadLibraryW(besideMe(L"MeridDLLManager.dll").c_str());
  auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  auto getClass = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  if (!canUnload || !getClass) return check(false, "exports found by their plain names");
  std::string states, want = "none yes, ";
  auto state = [&](const char* when) {
    states += std::string(when) + (canUnload() == S_OK ? " yes, " : " no, ");
  };
  auto factory = [&](const CLSID& clsid) {
    IClassFactory* f = nullptr;
    getClass(clsid, IID_IClassFactory, reinterpret_cast<void**>(&f));
    return f;
  };
  state("none");
  for (int c : {R, F, N}) {
    IClassFactory* f = factory(*kClasses[c].clsid);
    if (!f) return check(false, "DllGetClassObject");
    IUnknown *a = nullptr, *b = nullptr;
    check(f->CreateInstance(f, IID_IUnknown, reinterpret_cast<void**>(&a)) == CLASS_E_NOAGGREGATION && !a,
          "no aggregation");
    state("factory");
    f->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&a));
    f->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&b));
    f->Release();
    state("two objects");
    if (a) a->Release();
    state("one");
    if (b) b->Release();
    state("none");
    want += "factory no, two objects no, one no, none yes, ";
  }
  IClassFactory* f = factory(CLSID_MeridTallo_Scontrino);
  f->LockServer(TRUE), f->Release();
  state("locked");
  f = factory(CLSID_MeridTallo_Scontrino);
  f->LockServer(FALSE), f->Release();
  state("unlocked");
  checkEq("DllCanUnloadNow", states, want + "locked no, unlocked yes, ");
  void* none = nullptr;
  check(getClass(CLSID_MeridEnumValue, IID_IClassFactory, &none) == CLASS_E_CLASSNOTAVAILABLE && !none,
        "MeridEnumValue is not creatable");
  FreeLibrary(dll);
}

template <class T>
std::string nameOf(T* info, MEMBERID id = MEMBERID_NIL) {
  BSTR name = nullptr;
  if (info) info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
  std::string s(name, name + SysStringLen(name));
  SysFreeString(name);
  return s;
}
std::string kind(int typekind, int flags) {
  return " kind " + std::to_string(typekind) + " flags " + std::to_string(flags);
}

// A type as the type library stores it: its kind and flags, then its enum
// members, its operations in vtable order, or what it refers to (an alias's
// type, a dual interface's vtable half).
std::string describe(ITypeInfo* info) {
  TYPEATTR* a = nullptr;
  if (!info || FAILED(info->GetTypeAttr(&a))) return "missing";
  std::string s = nameOf(info) + kind(a->typekind, a->wTypeFlags);
  for (UINT i = 0; i < a->cVars; ++i) {
    VARDESC* v = nullptr;
    info->GetVarDesc(i, &v);
    s += " " + nameOf(info, v->memid) + "=" + std::to_string(V_I4(v->lpvarValue));
    info->ReleaseVarDesc(v);
  }
  std::vector<Operation> declared;
  for (UINT i = 0; a->typekind == TKIND_INTERFACE && i < a->cFuncs; ++i) {
    FUNCDESC* f = nullptr;
    info->GetFuncDesc(i, &f);
    declared.push_back(
        {R, static_cast<int>(f->oVft / sizeof(void*)) - 6, nameOf(info, f->memid), nullptr, ""});
    info->ReleaseFuncDesc(f);
  }
  if (a->typekind == TKIND_INTERFACE) s += ": " + byPosition(R, declared);
  ITypeInfo* other = nullptr;
  HREFTYPE ref = a->tdescAlias.hreftype;
  if ((a->typekind == TKIND_ALIAS && a->tdescAlias.vt == VT_USERDEFINED) ||
      (a->typekind == TKIND_DISPATCH && SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref))))
    if (SUCCEEDED(info->GetRefTypeInfo(ref, &other)))
      s += " of " + (a->typekind == TKIND_ALIAS ? nameOf(other) : describe(other)), other->Release();
  info->ReleaseTypeAttr(a);
  return s;
}

void typelibSection() {
  ITypeLib* lib = nullptr;
  LoadTypeLibEx(besideMe(L"MeridDLLManager.dll").c_str(), REGKIND_NONE, &lib);
  if (!lib) return check(false, "type library embedded in the DLL");
  TLIBATTR* la = nullptr;
  lib->GetLibAttr(&la);
  checkEq("library",
          nameOf(lib) + " " + std::to_string(la->wMajorVerNum) + "." + std::to_string(la->wMinorVerNum) +
              (IsEqualGUID(la->guid, LIBID_MeridDLLManager) ? "" : " with another identifier"),
          "MeridDLLManager 3.2");
  lib->ReleaseTLibAttr(la);
  std::map<std::string, std::string> got, want;
  for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
    ITypeInfo* info = nullptr;
    lib->GetTypeInfo(i, &info);
    got[nameOf(info)] = describe(info);
    if (info) info->Release();
  }
  // The aliases are found by their own identifiers.
  for (const auto& [iid, name] :
       {std::pair{&kIidV0, "MeridTallo_Scontrino___v0"}, {&kIidV1, "MeridTallo_Scontrino___v1"}}) {
    ITypeInfo* alias = nullptr;
    lib->GetTypeInfoOfGuid(*iid, &alias);
    got[name] = describe(alias);
    want[name] = kind(TKIND_ALIAS, TYPEFLAG_FHIDDEN) + " of _MeridTallo_Scontrino";
    if (alias) alias->Release();
  }
#define MEMBER(name, value) " " #name "=" #value
  want["MeridCodeErrors"] = kind(TKIND_ENUM, 0) + MERID_CODE_ERRORS(MEMBER);
  want["Merid_BarcodeType"] = kind(TKIND_ENUM, 0) + MERID_BARCODE_TYPES(MEMBER);
  want["Merid_Font"] = kind(TKIND_ENUM, 0) + MERID_FONTS(MEMBER);
  want["kMerid_RapportoX"] = kind(TKIND_ENUM, 0) + MERID_RAPPORTO_X(MEMBER);
  const int dual = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
  for (int c : {R, F, N, V}) {
    const std::string iface = std::string("_") + kClasses[c].name;
    want[kClasses[c].name] = kind(TKIND_COCLASS, c == V ? 0 : TYPEFLAG_FCANCREATE);
    want[iface] = kind(TKIND_DISPATCH, dual) + " of " + iface +
                  kind(TKIND_INTERFACE, dual | TYPEFLAG_FOLEAUTOMATION) + ": " + byPosition(c, operations());
  }
  for (auto& [name, description] : want) checkEq(name, got[name], name + description);
  lib->Release();
}

}  // namespace

int main() {
  // The current folder holds a decoy CeFdll.dll that the DLL must not load.
  check(SetCurrentDirectoryW(besideMe(L"..\\decoy").c_str()), "the decoy's folder made current");
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  for (void (*section)() : {slotsSection, apartmentsSection, aliasesSection, unloadSection, typelibSection})
    section();
  CoUninitialize();
  std::printf("com_client: %s\n", gFailures ? "FAILED" : "passed");
  return gFailures ? 1 : 0;
}
