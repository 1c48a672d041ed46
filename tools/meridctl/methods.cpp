#include "methods.h"

#include <cstdint>
#include <iterator>

namespace meridctl {

namespace {

using merid::Merid_BarcodeType;
using merid::Merid_Font;
using merid::MeridTallo_Fattura;
using merid::MeridTallo_NAccr;
using merid::MeridTallo_Scontrino;
using Args = std::vector<Value>;
using Result = std::optional<std::string>;

std::string boolText(bool b) {
  return b ? "True" : "False";
}
std::string variantText(std::optional<bool> v) {
  return v ? boolText(*v) : "Empty";
}
const std::string& s(const Args& a, std::size_t i) {
  return a[i].text;
}
double d(const Args& a, std::size_t i) {
  return a[i].number;
}
// Numeric arguments are checked against their range before anything runs.
int16_t i16(const Args& a, std::size_t i) {
  return static_cast<int16_t>(a[i].number);
}
int32_t i32(const Args& a, std::size_t i) {
  return static_cast<int32_t>(a[i].number);
}
Merid_Font font(const Args& a, std::size_t i) {
  return static_cast<Merid_Font>(i32(a, i));
}
Merid_BarcodeType barcode(const Args& a, std::size_t i) {
  return static_cast<Merid_BarcodeType>(i32(a, i));
}

template <class F>
Method receipt(std::string name, std::vector<Kind> params, F f) {
  return Method{std::move(name), std::move(params),
                [f](HostObject& o, const Args& a) -> Result { return f(*o.scontrino, a); }};
}

std::string answerText(bool b) {
  return boolText(b);
}
std::string answerText(std::optional<bool> v) {
  return variantText(v);
}

// A method without arguments that answers a Boolean or a Variant.
template <class R>
Method receipt(std::string name, R (MeridTallo_Scontrino::*method)()) {
  return receipt(std::move(name), {}, [method](MeridTallo_Scontrino& o, const Args&) -> Result {
    return answerText((o.*method)());
  });
}

const std::vector<Method>& scontrinoMethods() {
  using K = Kind;
  using S = MeridTallo_Scontrino;
  static const std::vector<Method> methods = {
      receipt("InitComunicazione", {K::Integer},
              [](S& o, const Args& a) -> Result {
                int16_t port = i16(a, 0);
                o.InitComunicazione(port);
                return std::nullopt;
              }),
      receipt("InitParametri", {K::Integer, K::Integer},
              [](S& o, const Args& a) -> Result {
                int16_t p = i16(a, 0), q = i16(a, 1);
                o.InitParametri(p, q);
                return std::nullopt;
              }),
      receipt("ApriTransazioneFiscale", &S::ApriTransazioneFiscale),
      receipt("ChiudiTransazioneFiscale", &S::ChiudiTransazioneFiscale),
      receipt("ApriTransazioneNonFiscale", &S::ApriTransazioneNonFiscale),
      receipt("ChiudiTransazioneNonFiscale", &S::ChiudiTransazioneNonFiscale),
      receipt("StampaBarcode_Fiscale", {K::String, K::Barcode},
              [](S& o, const Args& a) -> Result {
                return boolText(o.StampaBarcode_Fiscale(s(a, 0), barcode(a, 1)));
              }),
      receipt("StampaBarcode_NonFiscale", {K::String, K::Barcode},
              [](S& o, const Args& a) -> Result {
                return boolText(o.StampaBarcode_NonFiscale(s(a, 0), barcode(a, 1)));
              }),
      receipt("StatoStampante", {},
              [](S& o, const Args&) -> Result { return std::to_string(o.StatoStampante()); }),
      receipt("Vendita",
              {K::String, K::String, K::Double, K::Double, K::Double, K::String, K::String, K::Long},
              [](S& o, const Args& a) -> Result {
                return boolText(
                    o.Vendita(s(a, 0), s(a, 1), d(a, 2), d(a, 3), d(a, 4), s(a, 5), s(a, 6), i32(a, 7)));
              }),
      receipt("Reso", {K::String, K::String, K::Double, K::Double, K::Double, K::String, K::String, K::Long},
              [](S& o, const Args& a) -> Result {
                return boolText(
                    o.Reso(s(a, 0), s(a, 1), d(a, 2), d(a, 3), d(a, 4), s(a, 5), s(a, 6), i32(a, 7)));
              }),
      receipt("RigaLiberaFiscale_Vendita", {K::String, K::Font},
              [](S& o, const Args& a) -> Result {
                return boolText(o.RigaLiberaFiscale_Vendita(s(a, 0), font(a, 1)));
              }),
      receipt("RigaLiberaFiscale_Promo", {K::String},
              [](S& o, const Args& a) -> Result { return boolText(o.RigaLiberaFiscale_Promo(s(a, 0))); }),
      receipt("RigaLiberaFiscale_Fondo", {K::String},
              [](S& o, const Args& a) -> Result { return boolText(o.RigaLiberaFiscale_Fondo(s(a, 0))); }),
      receipt("RigaLiberaNonFiscale", {K::String, K::String, K::String, K::Font},
              [](S& o, const Args& a) -> Result {
                return boolText(o.RigaLiberaNonFiscale(s(a, 0), s(a, 1), s(a, 2), font(a, 3)));
              }),
      receipt("ScontoValoreRiga", {K::Double, K::String},
              [](S& o, const Args& a) -> Result { return boolText(o.ScontoValoreRiga(d(a, 0), s(a, 1))); }),
      receipt(
          "ScontoValoreTotale", {K::Double, K::String},
          [](S& o, const Args& a) -> Result { return variantText(o.ScontoValoreTotale(d(a, 0), s(a, 1))); }),
      receipt("SubTotale", &S::SubTotale),
      receipt("Pagamento_CorrispettivoRiscosso", {K::Long, K::Double, K::String},
              [](S& o, const Args& a) -> Result {
                return boolText(o.Pagamento_CorrispettivoRiscosso(i32(a, 0), d(a, 1), s(a, 2)));
              }),
      receipt("Pagamento_CorrispettivoNonRiscosso", {K::Long, K::Double, K::String},
              [](S& o, const Args& a) -> Result {
                return boolText(o.Pagamento_CorrispettivoNonRiscosso(i32(a, 0), d(a, 1), s(a, 2)));
              }),
      receipt("InviaComandoDiretto_CefDLL", {K::String},
              [](S& o, const Args& a) -> Result { return boolText(o.InviaComandoDiretto_CefDLL(s(a, 0))); }),
      receipt(
          "Display_MostraRighe", {K::String, K::String},
          [](S& o, const Args& a) -> Result { return boolText(o.Display_MostraRighe(s(a, 0), s(a, 1))); }),
      receipt(
          "Display_MostraRiga", {K::String, K::Integer},
          [](S& o, const Args& a) -> Result { return boolText(o.Display_MostraRiga(s(a, 0), i16(a, 1))); }),
      receipt("ApriCassetto", &S::ApriCassetto),
      receipt("ApriCassettoManuale", &S::ApriCassettoManuale),
      receipt("Manutenzione_AnnulloScontrinoAperto", &S::Manutenzione_AnnulloScontrinoAperto),
      receipt("Manutenzione_EseguiRapportoZ", &S::Manutenzione_EseguiRapportoZ),
      receipt("Manutenzione_EseguiRapportoX", {K::RapportoX},
              [](S& o, const Args& a) -> Result {
                auto kind = static_cast<merid::kMerid_RapportoX>(i32(a, 0));
                return boolText(o.Manutenzione_EseguiRapportoX(kind));
              }),
      receipt("Manutenzione_RipristinoAnomaliaCarta", &S::Manutenzione_RipristinoAnomaliaCarta),
      receipt("Manutenzione_ProgrammazioneDataOra", &S::Manutenzione_ProgrammazioneDataOra),
      receipt("Manutenzione_RistampaUltimoScontrino", &S::Manutenzione_RistampaUltimoScontrino),
      receipt("Manutenzione_DGFE_Data_NScontrini", {K::Date, K::Integer, K::Integer},
              [](S& o, const Args& a) -> Result {
                double date = d(a, 0);
                int16_t from = i16(a, 1), to = i16(a, 2);
                return boolText(o.Manutenzione_DGFE_Data_NScontrini(date, from, to));
              }),
      receipt("Manutenzione_DGFE_StampaCompleta", &S::Manutenzione_DGFE_StampaCompleta),
      receipt("Manutenzione_DGFE_IntervalloChiusure", {K::Integer, K::Integer},
              [](S& o, const Args& a) -> Result {
                int16_t from = i16(a, 0), to = i16(a, 1);
                return boolText(o.Manutenzione_DGFE_IntervalloChiusure(from, to));
              }),
      receipt("Manutenzione_DFGE_NuovoGiornale", &S::Manutenzione_DFGE_NuovoGiornale),
      receipt("Manutenzione_DGFE_RichiestaRiga", {K::Long},
              [](S& o, const Args& a) -> Result {
                int32_t record = i32(a, 0);
                return boolText(o.Manutenzione_DGFE_RichiestaRiga(record));
              }),
      receipt("Manutenzione_DGFE_StampaIntervalloDate", {K::Date, K::Date},
              [](S& o, const Args& a) -> Result {
                double from = d(a, 0), to = d(a, 1);
                return boolText(o.Manutenzione_DGFE_StampaIntervalloDate(from, to));
              }),
      receipt("IsConnected", &S::IsConnected),
      receipt("ChiudiConnessioneCOM", {},
              [](S& o, const Args&) -> Result {
                o.ChiudiConnessioneCOM();
                return std::nullopt;
              }),
  };
  return methods;
}

const std::vector<Method>& fatturaMethods() {
  using K = Kind;
  static const std::vector<Method> methods = {
      {"ApriFattura",
       {K::Integer, K::Double, K::Boolean, K::Integer, K::Integer},
       [](HostObject& o, const Args& a) -> Result {
         int16_t port = i16(a, 0), p = i16(a, 3), q = i16(a, 4);
         double total = d(a, 1);
         bool copy = d(a, 2) != 0;
         return boolText(o.fattura->ApriFattura(port, total, copy, p, q));
       }},
      {"RigaFattura",
       {K::String, K::Font},
       [](HostObject& o, const Args& a) -> Result {
         Merid_Font f = font(a, 1);
         return boolText(o.fattura->RigaFattura(s(a, 0), f));
       }},
      {"ChiudiFattura",
       {K::Double},
       [](HostObject& o, const Args& a) -> Result { return boolText(o.fattura->ChiudiFattura(d(a, 0))); }},
  };
  return methods;
}

const std::vector<Method>& naccrMethods() {
  using K = Kind;
  static const std::vector<Method> methods = {
      {"ApriNotaAccredito",
       {K::Integer, K::Integer, K::Integer},
       [](HostObject& o, const Args& a) -> Result {
         int16_t port = i16(a, 0), p = i16(a, 1), q = i16(a, 2);
         return boolText(o.naccr->ApriNotaAccredito(port, p, q));
       }},
      {"RigaNotaAccredito",
       {K::String, K::String, K::String, K::Font},
       [](HostObject& o, const Args& a) -> Result {
         Merid_Font f = font(a, 3);
         return boolText(o.naccr->RigaNotaAccredito(s(a, 0), s(a, 1), s(a, 2), f));
       }},
      {"ChiudiNotaAccredito",
       {K::Double},
       [](HostObject& o, const Args& a) -> Result {
         return boolText(o.naccr->ChiudiNotaAccredito(d(a, 0)));
       }},
  };
  return methods;
}

}  // namespace

bool isClassName(const std::string& name) {
  return name == "MeridTallo_Scontrino" || name == "MeridTallo_Fattura" || name == "MeridTallo_NAccr";
}

HostObject createObject(const std::string& className) {
  HostObject o;
  o.className = className;
  if (className == "MeridTallo_Scontrino") o.scontrino = std::make_unique<MeridTallo_Scontrino>();
  if (className == "MeridTallo_Fattura") o.fattura = std::make_unique<MeridTallo_Fattura>();
  if (className == "MeridTallo_NAccr") o.naccr = std::make_unique<MeridTallo_NAccr>();
  return o;
}

const std::vector<Method>& methodsOf(const std::string& className) {
  static const std::vector<Method> none;
  if (className == "MeridTallo_Scontrino") return scontrinoMethods();
  if (className == "MeridTallo_Fattura") return fatturaMethods();
  if (className == "MeridTallo_NAccr") return naccrMethods();
  return none;
}

const Method* findMethod(const std::string& className, const std::string& method) {
  for (const auto& m : methodsOf(className))
    if (m.name == method) return &m;
  return nullptr;
}

namespace {

// How each kind reads in a message ("expects a string") and in the reference,
// in the order of Kind.
struct KindNames {
  const char* phrase;
  const char* type;
};
constexpr KindNames kKindNames[] = {
    {"a string", "String"},
    {"a number", "Double"},
    {"an Integer (-32768 to 32767)", "Integer (16-bit)"},
    {"a Long (-2147483648 to 2147483647)", "Long (32-bit)"},
    {"True or False", "Boolean"},
    {"a date (#YYYY-MM-DD# or #YYYY-MM-DD HH:MM[:SS]#)", "Date"},
    {"a Merid_Font", "Merid_Font"},
    {"a Merid_BarcodeType", "Merid_BarcodeType"},
    {"a kMerid_RapportoX", "kMerid_RapportoX"},
};
static_assert(std::size(kKindNames) == static_cast<std::size_t>(Kind::RapportoX) + 1, "a row for every kind");

const KindNames* namesOf(Kind kind) {
  const auto i = static_cast<std::size_t>(kind);
  return i < std::size(kKindNames) ? &kKindNames[i] : nullptr;
}

}  // namespace

const char* kindName(Kind kind) {
  const KindNames* names = namesOf(kind);
  return names ? names->phrase : "a value";
}

const char* typeName(Kind kind) {
  const KindNames* names = namesOf(kind);
  return names ? names->type : "?";
}

const merid::Outcome& outcomeOf(const HostObject& object) {
  if (object.fattura) return object.fattura->UltimoEsito();
  if (object.naccr) return object.naccr->UltimoEsito();
  static const merid::Outcome none;
  return object.scontrino ? object.scontrino->UltimoEsito() : none;
}

}  // namespace meridctl
