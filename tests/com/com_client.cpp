// An early-binding host. Each operation is called through the vtable slot
// that hosts compiled against the type library use (the seven IDispatch
// operations, then the interface's own in the numbering below), never through
// the generated header's declarations, so a misplaced operation shows up as
// the wrong command or result. One section per run:
//   com_client slots | text | extremes | aliases | unload | apartments | typelib | seams

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "MeridDLLManager_h.h"
#include "merid/MeridEnumLists.h"

namespace {

int gFailures = 0;

void check(bool ok, const std::string& what) {
  if (!ok) {
    ++gFailures;
    std::printf("FAIL %s\n", what.c_str());
  }
}
void checkEq(const std::string& what, const std::string& got, const std::string& want) {
  check(got == want, what + ": got [" + got + "], want [" + want + "]");
}

const IID kIidV0 = {0x12a0e15c, 0x4e2a, 0x42c2, {0x9f, 0x5d, 0xd6, 0x2e, 0x4e, 0xae, 0x30, 0xec}};
const IID kIidV1 = {0x018f9044, 0x944d, 0x45b0, {0x95, 0x1b, 0x7d, 0x79, 0xae, 0x5b, 0x84, 0x38}};

std::string environment(const char* name) {
  char buffer[1024];
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// The recorder's lines since the last call, raw.
std::vector<std::string> recorded() {
  std::vector<std::string> lines;
  const std::string path = environment("MERID_RECORD");
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return lines;
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  DeleteFileA(path.c_str());
  std::size_t start = 0, end;
  while ((end = text.find("\r\n", start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// As the VBScript suites: commands without "write ", status requests left out.
std::string sent() {
  std::string out;
  for (std::string line : recorded()) {
    if (line == "write 1109" || line == "read") continue;
    if (line.rfind("write ", 0) == 0) line = line.substr(6);
    out += (out.empty() ? "" : "|") + line;
  }
  return out;
}

// '#' in the pattern stands for any digit.
bool matches(const std::string& got, const std::string& pattern) {
  if (got.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < got.size(); ++i)
    if (pattern[i] == '#' ? (got[i] < '0' || got[i] > '9') : got[i] != pattern[i]) return false;
  return true;
}

class Bstr {
 public:
  explicit Bstr(const wchar_t* text) : b_(text ? SysAllocString(text) : nullptr) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return b_; }

 private:
  BSTR b_;
};

template <class... A>
HRESULT slot(IUnknown* object, int position, A... args) {
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, A...);
  void** vtable = *reinterpret_cast<void***>(object);
  return reinterpret_cast<Fn>(vtable[6 + position])(object, args...);
}

std::string text(VARIANT_BOOL b) { return b == VARIANT_TRUE ? "True" : b == VARIANT_FALSE ? "False" : "bad"; }
std::string text(const VARIANT& v) {
  if (V_VT(&v) == VT_EMPTY) return "Empty";
  return V_VT(&v) == VT_BOOL ? "Variant " + text(V_BOOL(&v)) : "bad variant";
}

DATE date(WORD year, WORD month, WORD day) {
  SYSTEMTIME t{};
  t.wYear = year, t.wMonth = month, t.wDay = day;
  DATE d = 0;
  SystemTimeToVariantTime(&t, &d);
  return d;
}

// One operation: its vtable position, its name and signature in the type
// library, a call with fixed arguments, and what the call must give.
struct Operation {
  int position;
  const wchar_t* name;
  const char* signature;  // parameters, "&" by reference, "=>" the retval
  std::function<std::string(IUnknown*, HRESULT&)> call;
  std::string result;
  std::string sent;  // '#' is any digit
};

#define BOOL_CALL(pos, ...)                           \
  [](IUnknown* o, HRESULT& hr) {                      \
    VARIANT_BOOL r = 7;                               \
    hr = slot(o, pos, ##__VA_ARGS__, &r);             \
    return text(r);                                   \
  }
#define VARIANT_CALL(pos, ...)                        \
  [](IUnknown* o, HRESULT& hr) {                      \
    VARIANT r;                                        \
    VariantInit(&r);                                  \
    hr = slot(o, pos, ##__VA_ARGS__, &r);             \
    return text(r);                                   \
  }

// The receipt class, in the order a host drives it (not the vtable order).
std::vector<Operation> receiptOperations() {
  static short port = 1, prices = 2, quantities = 3, first = 5, last = 9, closeFrom = 3, closeTo = 4;
  static LONG line = 77;
  static DATE day = date(2026, 3, 7), from = date(2026, 1, 2), to = date(2026, 2, 3);
  static ::kMerid_RapportoX report = ::kCRX_TotaliDelGiorno;
  static Bstr b12345670(L"12345670"), bAbc(L"ABC"), bAgg(L"Agg"), bPane(L"Pane"), bLatte(L"Latte"), bA(L"A"),
      b22(L"22"), b10(L"10"), bRiga(L"Riga"), bP13(L"P13"), bF14(L"F14"), bT1(L"T1"), bT2(L"T2"), b100(L"1,00"),
      bScR(L"Sc riga"), bScT(L"Sc tot"), bCont(L"CONTANTI"), bTick(L"TICKET"), b4015(L"4015"), bUno(L"Uno"),
      bDue(L"Due"), bTre(L"Tre");
  const std::string shown = std::string(1, '\x7f');  // euro sign on the display
  return {
      {1, L"InitComunicazione", "short&", [](IUnknown* o, HRESULT& hr) { hr = slot(o, 1, &port); return std::string(); }, "", ""},
      {2, L"InitParametri", "short&,short&",
       [](IUnknown* o, HRESULT& hr) { hr = slot(o, 2, &prices, &quantities); return std::string(); }, "", ""},
      {5, L"StatoStampante", "=>MeridCodeErrors",
       [](IUnknown* o, HRESULT& hr) { ::MeridCodeErrors r{}; hr = slot(o, 5, &r); return std::to_string(r); }, "-1", ""},
      {6, L"ApriTransazioneFiscale", "=>bool", BOOL_CALL(6), "True", "open 1 19200|30160"},
      {5, L"StatoStampante", "=>MeridCodeErrors",
       [](IUnknown* o, HRESULT& hr) {
         SetEnvironmentVariableA("MERID_RECORDER_STATUS", "0010000000");  // paper end
         ::MeridCodeErrors r{};
         hr = slot(o, 5, &r);
         SetEnvironmentVariableA("MERID_RECORDER_STATUS", nullptr);
         return std::to_string(r);
       }, "16", ""},
      {10, L"Vendita", "BSTR,BSTR,double,double,double,BSTR,BSTR,long=>bool",
       BOOL_CALL(10, (BSTR)bAgg, (BSTR)bPane, 2.0, 1.25, 2.5, (BSTR)bA, (BSTR)b22, (LONG)3), "True",
       "3002132*   2,000 x    1,25             |310110122Pane                  000000250|7007Pane" +
           std::string(30, ' ') + shown + " 2,50"},
      {11, L"Reso", "BSTR,BSTR,double,double,double,BSTR,BSTR,long=>bool",
       BOOL_CALL(11, (BSTR)bAgg, (BSTR)bLatte, 1.0, 0.99, 0.99, (BSTR)bA, (BSTR)b10, (LONG)2), "True",
       "3002103Agg|310190122Latte                 000000099|7007Reso:Latte" + std::string(24, ' ') + shown + " 0,99"},
      {12, L"RigaLiberaFiscale_Vendita", "BSTR,Merid_Font=>bool", BOOL_CALL(12, (BSTR)bRiga, ::kMerid_Grassetto),
       "True", "3002204Riga"},
      {13, L"RigaLiberaFiscale_Promo", "BSTR=>bool", BOOL_CALL(13, (BSTR)bP13), "True", ""},
      {14, L"RigaLiberaFiscale_Fondo", "BSTR=>bool", BOOL_CALL(14, (BSTR)bF14), "True", ""},
      {16, L"ScontoValoreRiga", "double,BSTR=>bool", BOOL_CALL(16, 0.5, (BSTR)bScR), "True",
       "310130122Sc riga               000000050|7007Sc riga" + std::string(27, ' ') + shown + " 0,50"},
      {17, L"ScontoValoreTotale", "double,BSTR=>VARIANT", VARIANT_CALL(17, 0.25, (BSTR)bScT), "Variant True",
       "310130122Sc tot                000000025|7007Sc tot" + std::string(28, ' ') + shown + " 0,25"},
      {18, L"SubTotale", "=>bool", BOOL_CALL(18), "True", "3003"},
      {19, L"Pagamento_CorrispettivoRiscosso", "long,double,BSTR=>bool", BOOL_CALL(19, (LONG)1, 5.0, (BSTR)bCont),
       "True", "7007CONTANTI" + std::string(26, ' ') + shown + " 5,00|300408CONTANTE000000500"},
      {20, L"Pagamento_CorrispettivoNonRiscosso", "long,double,BSTR=>bool", BOOL_CALL(20, (LONG)2, 1.0, (BSTR)bTick),
       "True", "7007NON PAGATO" + std::string(24, ' ') + shown + " 1,00|300510NON PAGATO000000100"},
      {7, L"ChiudiTransazioneFiscale", "=>bool", BOOL_CALL(7), "True", "3011|3012103P13|3012103F14|3013"},
      {8, L"ApriTransazioneNonFiscale", "=>bool", BOOL_CALL(8), "True", "40011"},
      {15, L"RigaLiberaNonFiscale", "BSTR,BSTR,BSTR,Merid_Font=>bool",
       BOOL_CALL(15, (BSTR)bT1, (BSTR)bT2, (BSTR)b100, ::kMerid_Normale), "True",
       "4003132T1                              |4003132T2                          1,00"},
      {9, L"ChiudiTransazioneNonFiscale", "=>bool", BOOL_CALL(9), "True", "4004"},
      {3, L"StampaBarcode_Fiscale", "BSTR,Merid_BarcodeType=>bool", BOOL_CALL(3, (BSTR)b12345670, ::CBT_Ean8), "True",
       "302122000812345670"},
      {4, L"StampaBarcode_NonFiscale", "BSTR,Merid_BarcodeType=>bool", BOOL_CALL(4, (BSTR)bAbc, ::CBT_Code39), "True",
       "3021320003ABC"},
      {21, L"InviaComandoDiretto_CefDLL", "BSTR=>bool", BOOL_CALL(21, (BSTR)b4015), "True", "4015"},
      {22, L"Display_MostraRighe", "BSTR,BSTR=>bool", BOOL_CALL(22, (BSTR)bUno, (BSTR)bDue), "True",
       "7007Uno                 Due                 "},
      {23, L"Display_MostraRiga", "BSTR,short=>bool", BOOL_CALL(23, (BSTR)bTre, (short)2), "True",
       "7007                    Tre                 "},
      {24, L"ApriCassetto", "=>VARIANT", VARIANT_CALL(24), "Variant True", "70081|7007Apertura Cassetto" + std::string(23, ' ')},
      {25, L"ApriCassettoManuale", "=>VARIANT", VARIANT_CALL(25), "Variant True",
       "70081|7007Apertura Cassetto" + std::string(23, ' ')},
      {26, L"Manutenzione_AnnulloScontrinoAperto", "=>bool", BOOL_CALL(26), "True",
       "3001819Annullo transazione000000000|3011|3013"},
      {27, L"Manutenzione_EseguiRapportoZ", "=>bool", BOOL_CALL(27), "True", "2002"},
      {39, L"Manutenzione_EseguiRapportoX", "kMerid_RapportoX&=>bool", BOOL_CALL(39, &report), "True", "2003"},
      {28, L"Manutenzione_RipristinoAnomaliaCarta", "=>bool", BOOL_CALL(28), "True", ""},
      {29, L"Manutenzione_ProgrammazioneDataOra", "=>bool", BOOL_CALL(29), "True", "2001##########"},
      {30, L"Manutenzione_RistampaUltimoScontrino", "=>bool", BOOL_CALL(30), "True", "4007"},
      {33, L"Manutenzione_DGFE_Data_NScontrini", "DATE&,short&,short&=>bool", BOOL_CALL(33, &day, &first, &last),
       "True", "8002070326000500090"},
      {34, L"Manutenzione_DGFE_StampaCompleta", "=>bool", BOOL_CALL(34), "True", "8005"},
      {35, L"Manutenzione_DGFE_IntervalloChiusure", "short&,short&=>bool", BOOL_CALL(35, &closeFrom, &closeTo), "True",
       "8003000300040000"},
      {36, L"Manutenzione_DFGE_NuovoGiornale", "=>bool", BOOL_CALL(36), "True", "8007"},
      {37, L"Manutenzione_DGFE_RichiestaRiga", "long&=>bool", BOOL_CALL(37, &line), "True", "8004000000077"},
      {38, L"Manutenzione_DGFE_StampaIntervalloDate", "DATE&,DATE&=>bool", BOOL_CALL(38, &from, &to), "True",
       "80010201260302260"},
      {31, L"IsConnected", "=>bool", BOOL_CALL(31), "True", ""},
      {32, L"ChiudiConnessioneCOM", "", [](IUnknown* o, HRESULT& hr) { hr = slot(o, 32); return std::string(); }, "",
       "close"},
  };
}

std::vector<Operation> invoiceOperations() {
  static short port = 1, prices = 2, quantities = 0;
  static double total = 12.5;
  static VARIANT_BOOL twoCopies = VARIANT_FALSE;
  static ::Merid_Font style = ::kMerid_Grassetto;
  static Bstr bConsulenza(L"Consulenza");
  return {
      {1, L"ApriFattura", "short&,double&,bool&,short&,short&=>bool",
       BOOL_CALL(1, &port, &total, &twoCopies, &prices, &quantities), "True",
       "open 1 19200|70081|7007Apertura Cassetto" + std::string(23, ' ') + "|30160|400120000001250|4002"},
      {2, L"RigaFattura", "BSTR,Merid_Font&=>bool", BOOL_CALL(2, (BSTR)bConsulenza, &style), "True",
       "4003232Consulenza                      "},
      {3, L"ChiudiFattura", "double=>bool", BOOL_CALL(3, 12.5), "True", "4003F07Importo000001250|4006|close"},
  };
}

std::vector<Operation> creditNoteOperations() {
  static short port = 1, prices = 2, quantities = 0;
  static ::Merid_Font style = ::kMerid_Normale;
  static Bstr bReso(L"Reso"), bMerce(L"merce"), b350(L"3,50");
  return {
      {1, L"ApriNotaAccredito", "short&,short&,short&=>bool", BOOL_CALL(1, &port, &prices, &quantities), "True",
       "open 1 19200|30160|7102600000"},
      {2, L"RigaNotaAccredito", "BSTR,BSTR,BSTR,Merid_Font&=>bool",
       BOOL_CALL(2, (BSTR)bReso, (BSTR)bMerce, (BSTR)b350, &style), "True", "3001120Reso                000000350"},
      {3, L"ChiudiNotaAccredito", "double=>bool", BOOL_CALL(3, 3.5), "True",
       "300408CONTANTI000000350|3010P12___________|3011|3013"},
  };
}

struct ClassUnderTest {
  const char* name;
  const CLSID* clsid;
  const IID* iid;
  std::vector<Operation> operations;
  std::size_t ownOperations;
};

std::vector<ClassUnderTest> classes() {
  return {{"MeridTallo_Scontrino", &CLSID_MeridTallo_Scontrino, &IID__MeridTallo_Scontrino, receiptOperations(), 39},
          {"MeridTallo_Fattura", &CLSID_MeridTallo_Fattura, &IID__MeridTallo_Fattura, invoiceOperations(), 3},
          {"MeridTallo_NAccr", &CLSID_MeridTallo_NAccr, &IID__MeridTallo_NAccr, creditNoteOperations(), 3}};
}

std::string narrow(const wchar_t* w) {
  std::string s;
  for (; w && *w; ++w) s += static_cast<char>(*w < 128 ? *w : '?');
  return s;
}

IUnknown* create(const CLSID& clsid, const IID& iid) {
  IUnknown* object = nullptr;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&object));
  check(SUCCEEDED(hr) && object, "CoCreateInstance");
  return object;
}

void slotsSection() {
  recorded();
  for (ClassUnderTest& c : classes()) {
    IUnknown* object = create(*c.clsid, *c.iid);
    if (!object) continue;
    std::vector<bool> seen(c.ownOperations + 1, false);
    for (Operation& op : c.operations) {
      const std::string label = std::string(c.name) + " slot " + std::to_string(op.position) + " " + narrow(op.name);
      HRESULT hr = E_FAIL;
      checkEq(label + " result", op.call(object, hr), op.result);
      check(hr == S_OK, label + " returns S_OK");
      const std::string got = sent();
      check(matches(got, op.sent), label + " sent: got [" + got + "], want [" + op.sent + "]");
      seen[op.position] = true;
    }
    for (std::size_t p = 1; p <= c.ownOperations; ++p) check(seen[p], std::string(c.name) + " slot " + std::to_string(p) + " called");
    object->Release();
  }
}

// Host text reaches the printer in Windows-1252; what the code page lacks
// becomes '?'.
void textSection() {
  IUnknown* o = create(CLSID_MeridTallo_Scontrino, IID__MeridTallo_Scontrino);
  if (!o) return;
  short port = 1;
  slot(o, 1, &port);
  struct Row {
    const wchar_t* host;
    std::string printer;
    std::string result;
  } rows[] = {
      {L"40\u00e8\u20ac", "40\xe8\x80", "True"},
      {L"40\u4e2d\u0101\U0001F600", "40????", "True"},  // no best-fit 'a' for U+0101; a surrogate pair is two '?'
      {L"", "", "False"},                               // an empty command is refused
      {nullptr, "", "False"},                           // a NULL BSTR is empty text
  };
  recorded();
  for (const Row& row : rows) {
    Bstr command(row.host);
    VARIANT_BOOL r = 7;
    slot(o, 21, (BSTR)command, &r);
    std::string writes;
    for (const std::string& line : recorded())
      if (line.rfind("write ", 0) == 0 && line != "write 1109") writes += line.substr(6);
    checkEq("text " + row.printer + " result", text(r), row.result);
    checkEq("text " + row.printer + " bytes", writes, row.printer);
  }
  o->Release();
}

// Doubles and dates that no script can pass (NaN, infinities, the largest
// magnitudes) through every operation that takes one: each answers S_OK with
// an automation boolean, and the process lives on.
void extremesSection() {
  IUnknown* receipt = create(CLSID_MeridTallo_Scontrino, IID__MeridTallo_Scontrino);
  IUnknown* invoice = create(CLSID_MeridTallo_Fattura, IID__MeridTallo_Fattura);
  IUnknown* note = create(CLSID_MeridTallo_NAccr, IID__MeridTallo_NAccr);
  if (!receipt || !invoice || !note) return;
  short port = 1;
  slot(receipt, 1, &port);
  Bstr x(L"x");
  const double values[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::max(),
                           -std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()};
  for (double v : values) {
    char at[40];
    std::snprintf(at, sizeof at, " with %g", v);
    // r by reference: read after the call that fills it, then spoilt again.
    auto answered = [&](const char* what, HRESULT hr, VARIANT_BOOL& r) {
      check(hr == S_OK && (r == VARIANT_TRUE || r == VARIANT_FALSE), what + std::string(at));
      r = 7;
    };
    VARIANT_BOOL r = 7;
    answered("Vendita", slot(receipt, 10, (BSTR)x, (BSTR)x, v, v, v, (BSTR)x, (BSTR)x, (LONG)1, &r), r);
    answered("Reso", slot(receipt, 11, (BSTR)x, (BSTR)x, v, v, v, (BSTR)x, (BSTR)x, (LONG)1, &r), r);
    answered("ScontoValoreRiga", slot(receipt, 16, v, (BSTR)x, &r), r);
    VARIANT total;
    VariantInit(&total);
    check(slot(receipt, 17, v, (BSTR)x, &total) == S_OK && text(total) != "bad variant", "ScontoValoreTotale" + std::string(at));
    answered("Pagamento_CorrispettivoRiscosso", slot(receipt, 19, (LONG)1, v, (BSTR)x, &r), r);
    answered("Pagamento_CorrispettivoNonRiscosso", slot(receipt, 20, (LONG)1, v, (BSTR)x, &r), r);
    DATE from = v, to = v;
    short first = 1, last = 2, prices = 2, quantities = 0;
    answered("Manutenzione_DGFE_Data_NScontrini", slot(receipt, 33, &from, &first, &last, &r), r);
    answered("Manutenzione_DGFE_StampaIntervalloDate", slot(receipt, 38, &from, &to, &r), r);
    double invoiceTotal = v;
    VARIANT_BOOL twoCopies = VARIANT_TRUE;
    answered("ApriFattura", slot(invoice, 1, &port, &invoiceTotal, &twoCopies, &prices, &quantities, &r), r);
    answered("ChiudiFattura", slot(invoice, 3, v, &r), r);
    answered("ChiudiNotaAccredito", slot(note, 3, v, &r), r);
  }
  recorded();
  receipt->Release();
  invoice->Release();
  note->Release();
}

void aliasesSection() {
  IUnknown* receipt = create(CLSID_MeridTallo_Scontrino, IID_IUnknown);
  IUnknown* invoice = create(CLSID_MeridTallo_Fattura, IID_IUnknown);
  if (!receipt || !invoice) return;
  auto qi = [](IUnknown* o, const IID& iid) {
    void* p = nullptr;
    const HRESULT hr = o->QueryInterface(iid, &p);
    if (p) static_cast<IUnknown*>(p)->Release();
    return SUCCEEDED(hr) ? p : nullptr;
  };
  void* current = qi(receipt, IID__MeridTallo_Scontrino);
  check(current != nullptr, "receipt answers its interface");
  check(qi(receipt, kIidV0) == current, "receipt answers ___v0 with the same pointer");
  check(qi(receipt, kIidV1) == current, "receipt answers ___v1 with the same pointer");
  check(qi(receipt, IID_IDispatch) == current, "receipt's IDispatch is its dual interface");
  check(qi(receipt, IID__MeridTallo_Fattura) == nullptr, "receipt refuses the invoice interface");
  check(qi(invoice, kIidV0) == nullptr && qi(invoice, kIidV1) == nullptr, "invoice refuses the receipt aliases");
  check(qi(invoice, IID__MeridTallo_Fattura) != nullptr, "invoice answers its interface");
  // A host built against ___v0 calls through the same vtable.
  IUnknown* old = nullptr;
  receipt->QueryInterface(kIidV0, reinterpret_cast<void**>(&old));
  if (old) {
    VARIANT_BOOL r = 7;
    check(slot(old, 28, &r) == S_OK && r == VARIANT_TRUE, "___v0 slot 28 answers True");
    old->Release();
  }
  receipt->Release();
  invoice->Release();
}

std::wstring besideMe(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1) + name;
}

void unloadSection() {
  HMODULE dll = LoadLibraryW(besideMe(L"MeridDLLManager.dll").c_str());
  check(dll != nullptr, "LoadLibrary");
  if (!dll) return;
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  using GetClass = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  auto getClass = reinterpret_cast<GetClass>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  check(canUnload && getClass, "exports found by their plain names");
  if (!canUnload || !getClass) return;
  auto factory = [&](const CLSID& clsid) {
    IClassFactory* f = nullptr;
    check(getClass(clsid, IID_IClassFactory, reinterpret_cast<void**>(&f)) == S_OK && f, "DllGetClassObject");
    return f;
  };
  check(canUnload() == S_OK, "nothing created: can unload");
  for (const CLSID* clsid : {&CLSID_MeridTallo_Scontrino, &CLSID_MeridTallo_Fattura, &CLSID_MeridTallo_NAccr}) {
    IClassFactory* f = factory(*clsid);
    if (!f) return;
    check(canUnload() == S_FALSE, "factory alive: cannot unload");
    IUnknown *a = nullptr, *b = nullptr;
    check(f->CreateInstance(f, IID_IUnknown, reinterpret_cast<void**>(&a)) == CLASS_E_NOAGGREGATION && !a,
          "no aggregation");
    f->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&a));
    f->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&b));
    check(a && b, "CreateInstance");
    f->Release();
    check(canUnload() == S_FALSE, "two objects alive: cannot unload");
    if (a) a->Release();
    check(canUnload() == S_FALSE, "one object alive: cannot unload");
    if (b) b->Release();
    check(canUnload() == S_OK, "objects released: can unload");
  }
  IClassFactory* f = factory(CLSID_MeridTallo_Scontrino);
  f->LockServer(TRUE);
  f->Release();
  check(canUnload() == S_FALSE, "server locked: cannot unload");
  f = factory(CLSID_MeridTallo_Scontrino);
  f->LockServer(FALSE);
  f->Release();
  check(canUnload() == S_OK, "lock released: can unload");
  void* none = nullptr;
  check(getClass(CLSID_MeridEnumValue, IID_IClassFactory, &none) == CLASS_E_CLASSNOTAVAILABLE && !none,
        "MeridEnumValue is not creatable");
  FreeLibrary(dll);
}

// Module data is per apartment thread: the after-total lines kept on one
// thread are printed by a closing on that thread only, whichever object of
// the thread kept them.
void apartmentsSection() {
  HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr), closedB = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::string sentA, sentB;
  auto receipt = [] {
    IUnknown* o = create(CLSID_MeridTallo_Scontrino, IID__MeridTallo_Scontrino);
    short port = 1;
    if (o) slot(o, 1, &port);
    return o;
  };
  auto promo = [](IUnknown* o, const wchar_t* line) {
    Bstr b(line);
    VARIANT_BOOL r;
    slot(o, 13, (BSTR)b, &r);
  };
  std::thread a([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IUnknown *first = receipt(), *second = receipt();
    if (first && second) {
      VARIANT_BOOL r;
      slot(first, 6, &r);
      promo(first, L"AAA");
      promo(second, L"CCC");
      SetEvent(kept);
      WaitForSingleObject(closedB, 10000);
      recorded();
      slot(first, 7, &r);
      sentA = sent();
    }
    if (first) first->Release();
    if (second) second->Release();
    CoUninitialize();
  });
  std::thread b([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WaitForSingleObject(kept, 10000);
    IUnknown* o = receipt();
    if (o) {
      VARIANT_BOOL r;
      promo(o, L"BBB");
      recorded();
      slot(o, 7, &r);
      sentB = sent();
      o->Release();
    }
    SetEvent(closedB);
    CoUninitialize();
  });
  a.join();
  b.join();
  checkEq("thread B prints its own line only", sentB, "3011|3012103BBB|3013");
  checkEq("thread A prints the lines of both its objects", sentA, "3011|3012103AAA|3012103CCC|3013");
  CloseHandle(kept);
  CloseHandle(closedB);
}

std::string nameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
  BSTR name = nullptr;
  info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
  std::string s = narrow(name);
  SysFreeString(name);
  return s;
}

std::string typeText(ITypeInfo* owner, const TYPEDESC& t) {
  switch (t.vt) {
    case VT_PTR: return typeText(owner, *t.lptdesc) + "&";
    case VT_I2: return "short";
    case VT_I4: return "long";
    case VT_R8: return "double";
    case VT_BSTR: return "BSTR";
    case VT_DATE: return "DATE";
    case VT_BOOL: return "bool";
    case VT_VARIANT: return "VARIANT";
    case VT_USERDEFINED: {
      ITypeInfo* ref = nullptr;
      if (FAILED(owner->GetRefTypeInfo(t.hreftype, &ref))) return "?";
      std::string s = nameOf(ref);
      ref->Release();
      return s;
    }
    default: return "vt" + std::to_string(t.vt);
  }
}

std::string signatureOf(ITypeInfo* info, const FUNCDESC* f) {
  std::string s;
  for (SHORT i = 0; i < f->cParams; ++i) {
    const ELEMDESC& e = f->lprgelemdescParam[i];
    const USHORT flags = e.paramdesc.wParamFlags;
    std::string t = typeText(info, e.tdesc);
    if (flags & PARAMFLAG_FRETVAL) {
      s += "=>" + t.substr(0, t.size() - 1);
      continue;
    }
    if ((flags & PARAMFLAG_FOUT) != (t.back() == '&' ? PARAMFLAG_FOUT : 0)) t += "(bad in/out)";
    s += (i ? "," : "") + t;
  }
  return s;
}

struct Member {
  const char* name;
  long value;
};
#define MEMBER(name, value) {#name, value},
const std::vector<Member> kCodeErrors = {MERID_CODE_ERRORS(MEMBER)};
const std::vector<Member> kBarcodeTypes = {MERID_BARCODE_TYPES(MEMBER)};
const std::vector<Member> kFonts = {MERID_FONTS(MEMBER)};
const std::vector<Member> kReports = {MERID_RAPPORTO_X(MEMBER)};

ITypeInfo* byName(ITypeLib* lib, const char* name) {
  for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
    ITypeInfo* info = nullptr;
    if (FAILED(lib->GetTypeInfo(i, &info))) continue;
    if (nameOf(info) == name) return info;
    info->Release();
  }
  check(false, std::string("type library has ") + name);
  return nullptr;
}

template <class F>
void withAttr(ITypeInfo* info, F f) {
  TYPEATTR* a = nullptr;
  if (info && SUCCEEDED(info->GetTypeAttr(&a))) {
    f(*a);
    info->ReleaseTypeAttr(a);
  }
}

void typelibSection() {
  ITypeLib* lib = nullptr;
  check(LoadTypeLibEx(besideMe(L"MeridDLLManager.dll").c_str(), REGKIND_NONE, &lib) == S_OK && lib,
        "type library embedded in the DLL");
  if (!lib) return;
  TLIBATTR* la = nullptr;
  lib->GetLibAttr(&la);
  check(la->wMajorVerNum == 3 && la->wMinorVerNum == 2, "version 3.2");
  check(IsEqualGUID(la->guid, LIBID_MeridDLLManager), "library identifier");
  check(la->syskind == (sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32), "syskind");
  lib->ReleaseTLibAttr(la);
  BSTR libName = nullptr;
  lib->GetDocumentation(-1, &libName, nullptr, nullptr, nullptr);
  checkEq("library name", narrow(libName), "MeridDLLManager");
  SysFreeString(libName);

  const std::pair<const char*, const std::vector<Member>*> enums[] = {
      {"MeridCodeErrors", &kCodeErrors}, {"Merid_BarcodeType", &kBarcodeTypes}, {"Merid_Font", &kFonts},
      {"kMerid_RapportoX", &kReports}};
  for (const auto& [name, members] : enums) {
    ITypeInfo* info = byName(lib, name);
    withAttr(info, [&](const TYPEATTR& a) {
      check(a.typekind == TKIND_ENUM && a.cVars == members->size(), std::string(name) + " is an enum of its members");
      for (UINT i = 0; i < a.cVars && i < members->size(); ++i) {
        VARDESC* v = nullptr;
        info->GetVarDesc(i, &v);
        const std::string member = nameOf(info, v->memid);
        checkEq(std::string(name) + " member " + std::to_string(i), member + "=" + std::to_string(V_I4(v->lpvarValue)),
                std::string((*members)[i].name) + "=" + std::to_string((*members)[i].value));
        info->ReleaseVarDesc(v);
      }
    });
    if (info) info->Release();
  }

  // The attributes as the type library stores a dual interface: the
  // dispatch half is hidden, dual, nonextensible and dispatchable; the vtable
  // half carries oleautomation as well.
  const WORD dual = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE;
  std::vector<ClassUnderTest> all = classes();
  all.push_back({"MeridEnumValue", &CLSID_MeridEnumValue, &IID__MeridEnumValue, {}, 0});
  for (const ClassUnderTest& c : all) {
    const std::string iface = std::string("_") + c.name;
    ITypeInfo* dispatch = byName(lib, iface.c_str());
    if (!dispatch) continue;
    withAttr(dispatch, [&](const TYPEATTR& a) {
      check(a.typekind == TKIND_DISPATCH && (a.wTypeFlags & (dual | TYPEFLAG_FDISPATCHABLE)) == (dual | TYPEFLAG_FDISPATCHABLE),
            iface + " dispatch half is hidden, dual, nonextensible (flags " + std::to_string(a.wTypeFlags) + ")");
      check(IsEqualGUID(a.guid, *c.iid), iface + " identifier");
    });
    HREFTYPE ref = 0;
    ITypeInfo* vtable = nullptr;
    dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref);
    dispatch->GetRefTypeInfo(ref, &vtable);
    if (!vtable) continue;
    withAttr(vtable, [&](const TYPEATTR& a) {
      check(a.typekind == TKIND_INTERFACE && a.cFuncs == c.ownOperations, iface + " has its operations only");
      check((a.wTypeFlags & (dual | TYPEFLAG_FOLEAUTOMATION)) == (dual | TYPEFLAG_FOLEAUTOMATION),
            iface + " vtable half is hidden, dual, nonextensible, oleautomation (flags " +
                std::to_string(a.wTypeFlags) + ")");
    });
    ITypeInfo* base = nullptr;
    vtable->GetRefTypeOfImplType(0, &ref);
    vtable->GetRefTypeInfo(ref, &base);
    ITypeLib* baseLib = nullptr;
    UINT index = 0;
    if (base && SUCCEEDED(base->GetContainingTypeLib(&baseLib, &index))) {
      BSTR n = nullptr;
      baseLib->GetDocumentation(-1, &n, nullptr, nullptr, nullptr);
      checkEq(iface + " derives from", nameOf(base) + " of " + narrow(n), "IDispatch of stdole");
      SysFreeString(n);
      baseLib->Release();
    }
    if (base) base->Release();
    for (const Operation& op : c.operations) {
      const std::string label = iface + "." + narrow(op.name);
      bool found = false;
      for (UINT i = 0; i < c.ownOperations; ++i) {
        FUNCDESC* f = nullptr;
        vtable->GetFuncDesc(i, &f);
        if (nameOf(vtable, f->memid) == narrow(op.name)) {
          found = true;
          check(f->oVft == static_cast<SHORT>((6 + op.position) * sizeof(void*)),
                label + " at vtable position " + std::to_string(op.position));
          checkEq(label + " signature", signatureOf(vtable, f), op.signature);
        }
        vtable->ReleaseFuncDesc(f);
      }
      check(found, label + " declared");
    }
    vtable->Release();
    dispatch->Release();

    ITypeInfo* coclass = byName(lib, c.name);
    withAttr(coclass, [&](const TYPEATTR& a) {
      const bool creatable = (a.wTypeFlags & TYPEFLAG_FCANCREATE) != 0;
      check(a.typekind == TKIND_COCLASS && IsEqualGUID(a.guid, *c.clsid), std::string(c.name) + " coclass");
      check(creatable == (c.ownOperations != 0), std::string(c.name) + (creatable ? " creatable" : " not creatable"));
    });
    if (coclass) coclass->Release();
  }

  for (const auto& [iid, name] : {std::make_pair(&kIidV0, "MeridTallo_Scontrino___v0"),
                                  std::make_pair(&kIidV1, "MeridTallo_Scontrino___v1")}) {
    ITypeInfo* alias = nullptr;
    check(lib->GetTypeInfoOfGuid(*iid, &alias) == S_OK && alias, std::string(name) + " found by its identifier");
    withAttr(alias, [&](const TYPEATTR& a) {
      checkEq(std::string(name) + " kind", nameOf(alias) + (a.typekind == TKIND_ALIAS ? " alias of " : " not alias of ") +
                                                typeText(alias, a.tdescAlias) +
                                                ((a.wTypeFlags & TYPEFLAG_FHIDDEN) ? ", hidden" : ""),
              std::string(name) + " alias of _MeridTallo_Scontrino, hidden");
    });
    if (alias) alias->Release();
  }
  lib->Release();
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void setSwitch(HKEY hive, const char* value) {
  HKEY key = nullptr;
  RegCreateKeyExA(hive, "SOFTWARE\\TAVIK\\VEK\\Options", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (!key) return;
  if (!value) RegDeleteValueA(key, "MeridDll_LoggerDebug");
  else if (hive == HKEY_LOCAL_MACHINE) {
    const DWORD on = static_cast<DWORD>(std::atoi(value));
    RegSetValueExA(key, "MeridDll_LoggerDebug", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
  } else {
    RegSetValueExA(key, "MeridDll_LoggerDebug", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(std::strlen(value) + 1));
  }
  RegCloseKey(key);
}

// Creates a receipt object on a thread of its own (fresh module data), sends
// one command, and says whether the debug log traced it.
bool debugLogTraces(const std::string& home) {
  const std::string log = home + "\\MeridDll_LoggerDebug.log";
  DeleteFileA(log.c_str());
  std::thread([] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (IUnknown* o = create(CLSID_MeridTallo_Scontrino, IID__MeridTallo_Scontrino)) {
      short port = 1;
      slot(o, 1, &port);
      Bstr command(L"4015");
      VARIANT_BOOL r;
      slot(o, 21, (BSTR)command, &r);
      o->Release();
    }
    CoUninitialize();
  }).join();
  FILE* f = std::fopen(log.c_str(), "rb");
  if (!f) return false;
  char buffer[4096] = {};
  std::fread(buffer, 1, sizeof buffer - 1, f);
  std::fclose(f);
  return std::strstr(buffer, "4015") != nullptr;
}

// The Windows seams behind the core: the registry switches (HKEY_CURRENT_USER
// before HKEY_LOCAL_MACHINE), the printer library's log moved aside into the
// day's copy even when read-only, and CeFdll.dll taken from the DLL's folder
// rather than the current directory.
void seamsSection() {
  const std::string home = environment("MERID_HOME");
  const char* printerLog = "C:\\CeFdll.log";
  SetFileAttributesA(printerLog, FILE_ATTRIBUTE_NORMAL);
  if (FILE* f = std::fopen(printerLog, "wb")) {
    std::fputs("printer library log", f);
    std::fclose(f);
  }
  SetFileAttributesA(printerLog, FILE_ATTRIBUTE_READONLY);
  const std::wstring decoy = besideMe(L"..\\decoy");
  check(SetCurrentDirectoryW(decoy.c_str()) != FALSE, "current directory holds a decoy CeFdll.dll");
  recorded();

  setSwitch(HKEY_CURRENT_USER, nullptr);
  setSwitch(HKEY_LOCAL_MACHINE, "1");
  check(debugLogTraces(home), "HKLM switch on: the debug log traces the command");
  setSwitch(HKEY_CURRENT_USER, "0");
  check(!debugLogTraces(home), "HKCU switch off wins over HKLM on");
  setSwitch(HKEY_CURRENT_USER, nullptr);
  setSwitch(HKEY_LOCAL_MACHINE, nullptr);
  check(!debugLogTraces(home), "no switch: no debug log");

  SYSTEMTIME now{};
  GetLocalTime(&now);
  char day[32];
  std::snprintf(day, sizeof day, "\\CefDll_Day%02d.log", now.wDay);
  check(!exists(printerLog), "read-only printer log moved away");
  check(exists(home + day), std::string("printer log copied to ") + day);
  check(sent().find("4015") != std::string::npos, "commands went to the CeFdll.dll beside the DLL");
  check(!exists(narrow(decoy.c_str()) + "\\decoy-record.txt"), "the decoy in the current directory was not loaded");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string section = argc > 1 ? argv[1] : "";
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (section == "slots") slotsSection();
  else if (section == "text") textSection();
  else if (section == "extremes") extremesSection();
  else if (section == "aliases") aliasesSection();
  else if (section == "unload") unloadSection();
  else if (section == "apartments") apartmentsSection();
  else if (section == "typelib") typelibSection();
  else if (section == "seams") seamsSection();
  else check(false, "unknown section " + section);
  CoUninitialize();
  std::printf("%s: %s\n", section.c_str(), gFailures ? "FAILED" : "passed");
  return gFailures ? 1 : 0;
}
