#include "documents.h"

#include <cmath>

#include "merid/codepage.h"

namespace meridd {

namespace {

using merid::Merid_Font;
using nlohmann::json;

struct Refusal {
  BadInput bad;
};

[[noreturn]] void refuse(const std::string& field, const std::string& message) {
  throw Refusal{{field, message}};
}

std::string at(const std::string& path, const std::string& key) {
  return path.empty() ? key : path + "." + key;
}

const json* find(const json& o, const std::string& path, const char* key, bool required) {
  auto it = o.find(key);
  if (it == o.end() || it->is_null()) {
    if (required) refuse(at(path, key), "missing");
    return nullptr;
  }
  return &*it;
}

// Texts arrive as UTF-8 and go to the printer in Windows-1252.
std::string text(const json& o, const std::string& path, const char* key, bool required,
                 std::size_t maxLength) {
  const json* v = find(o, path, key, required);
  if (!v) return "";
  if (!v->is_string()) refuse(at(path, key), "must be a string");
  std::string ansi = merid::utf8ToAnsi(v->get<std::string>());
  if (ansi.size() > maxLength)
    refuse(at(path, key), "longer than " + std::to_string(maxLength) + " characters");
  return ansi;
}

double number(const json& o, const std::string& path, const char* key, bool required, double fallback) {
  const json* v = find(o, path, key, required);
  if (!v) return fallback;
  if (!v->is_number()) refuse(at(path, key), "must be a number");
  const double d = v->get<double>();
  if (!std::isfinite(d) || d < 0) refuse(at(path, key), "must not be negative");
  if (d > 99999999.99) refuse(at(path, key), "too large");
  return d;
}

int64_t cents(double amount) {
  return std::llround(amount * 100);
}

int64_t integer(const json& o, const std::string& path, const char* key, bool required, int64_t fallback,
                int64_t low, int64_t high) {
  const json* v = find(o, path, key, required);
  if (!v) return fallback;
  if (!v->is_number_integer() && !v->is_number_unsigned()) refuse(at(path, key), "must be a whole number");
  const int64_t n =
      v->is_number_unsigned() && v->get<uint64_t>() > uint64_t(INT64_MAX) ? INT64_MAX : v->get<int64_t>();
  if (n < low || n > high)
    refuse(at(path, key), "must be from " + std::to_string(low) + " to " + std::to_string(high));
  return n;
}

bool flag(const json& o, const std::string& path, const char* key, bool fallback) {
  const json* v = find(o, path, key, false);
  if (!v) return fallback;
  if (!v->is_boolean()) refuse(at(path, key), "must be true or false");
  return v->get<bool>();
}

// A font by number (1 to 9) or by its name (kMerid_Grassetto).
Merid_Font font(const json& o, const std::string& path) {
  const json* v = find(o, path, "font", false);
  if (!v) return merid::kMerid_Normale;
  if (v->is_string()) {
    auto value = merid::enumValueByName(v->get<std::string>());
    if (!value || *value < 1 || *value > 9 || v->get<std::string>().rfind("kMerid_", 0) != 0)
      refuse(at(path, "font"), "not a font name");
    return static_cast<Merid_Font>(*value);
  }
  return static_cast<Merid_Font>(integer(o, path, "font", false, 1, 1, 9));
}

merid::Merid_BarcodeType symbology(const json& o, const std::string& path) {
  const std::string s = text(o, path, "symbology", false, 16);
  if (s.empty() || s == "EAN13") return merid::CBT_Ean13;
  if (s == "EAN8") return merid::CBT_Ean8;
  if (s == "CODE39") return merid::CBT_Code39;
  refuse(at(path, "symbology"), "EAN13, EAN8 or CODE39");
}

const json& list(const json& body, const char* key, bool required) {
  static const json empty = json::array();
  const json* v = find(body, "", key, required);
  if (!v) return empty;
  if (!v->is_array()) refuse(key, "must be a list");
  if (required && v->empty()) refuse(key, "must not be empty");
  return *v;
}

const json& object(const json& list, std::size_t i, const std::string& name) {
  if (!list[i].is_object()) refuse(name + "[" + std::to_string(i) + "]", "must be an object");
  return list[i];
}

std::optional<bool> done(bool b) {
  return b;
}

Call::Object objectOf(const std::string& method) {
  if (method.find("Fattura") != std::string::npos) return Call::Invoice;
  if (method.find("NotaAccredito") != std::string::npos) return Call::CreditNote;
  return Call::Receipt;
}

class Planner {
 public:
  Planner(Plan& plan, int port) : plan_(plan), port_(static_cast<int16_t>(port)) {}

  void add(std::string method, json args, std::function<std::optional<bool>(Objects&)> run) {
    plan_.calls.push_back({objectOf(method), std::move(method), std::move(args), std::move(run)});
  }
  // The call that opens the document, and the one that ends it should a
  // call after it be refused.
  void opening(std::string method, json args, std::function<std::optional<bool>(Objects&)> run,
               std::string ending, json endingArgs, std::function<std::optional<bool>(Objects&)> end) {
    add(std::move(method), std::move(args), std::move(run));
    plan_.opens = plan_.calls.size() - 1;
    plan_.afterRefusal.push_back(
        {objectOf(ending), std::move(ending), std::move(endingArgs), std::move(end)});
  }
  void connect() {
    const int16_t port = port_;
    add("InitComunicazione", {port}, [port](Objects& o) -> std::optional<bool> {
      int16_t p = port;
      o.receipt.InitComunicazione(p);
      return std::nullopt;
    });
  }

  void receipt(const json& body) {
    connect();
    opening(
        "ApriTransazioneFiscale", json::array(),
        [](Objects& o) { return done(o.receipt.ApriTransazioneFiscale()); },
        "Manutenzione_AnnulloScontrinoAperto", json::array(),
        [](Objects& o) { return done(o.receipt.Manutenzione_AnnulloScontrinoAperto()); });
    int64_t total = 0;
    const json& items = list(body, "items", true);
    for (std::size_t i = 0; i < items.size(); ++i) {
      const std::string path = "items[" + std::to_string(i) + "]";
      const json& item = object(items, i, "items");
      const std::string type = text(item, path, "type", false, 16);
      if (type.empty() || type == "sale" || type == "return") {
        const std::string extra = text(item, path, "extraDescription", false, 64);
        const std::string description = text(item, path, "description", true, 64);
        const double quantity = number(item, path, "quantity", false, 1);
        if (quantity <= 0) refuse(at(path, "quantity"), "must be more than 0");
        const double unit = number(item, path, "unitPrice", true, 0);
        const double amount = number(item, path, "amount", false, std::round(quantity * unit * 100) / 100);
        if (std::llabs(cents(amount) - std::llround(quantity * unit * 100)) > 1)
          refuse(at(path, "amount"), "is not quantity times unitPrice");
        const std::string vatCode = text(item, path, "vatCode", false, 8);
        const std::string vat = text(item, path, "vat", false, 8);
        const int32_t department = static_cast<int32_t>(integer(item, path, "department", false, 1, 1, 99));
        const bool sale = type != "return";
        total += sale ? cents(amount) : -cents(amount);
        if (total < 0) refuse(path, "the receipt total would go below zero");
        add(sale ? "Vendita" : "Reso", {extra, description, quantity, unit, amount, vatCode, vat, department},
            [=](Objects& o) {
              return done(sale ? o.receipt.Vendita(extra, description, quantity, unit, amount, vatCode, vat,
                                                   department)
                               : o.receipt.Reso(extra, description, quantity, unit, amount, vatCode, vat,
                                                department));
            });
      } else if (type == "discount") {
        const double amount = number(item, path, "amount", true, 0);
        if (cents(amount) <= 0) refuse(at(path, "amount"), "must be more than 0");
        const std::string description = text(item, path, "description", false, 64);
        total -= cents(amount);
        if (total < 0) refuse(path, "the receipt total would go below zero");
        add("ScontoValoreRiga", {amount, description},
            [=](Objects& o) { return done(o.receipt.ScontoValoreRiga(amount, description)); });
      } else if (type == "text") {
        const std::string t = text(item, path, "text", true, 64);
        const Merid_Font f = font(item, path);
        add("RigaLiberaFiscale_Vendita", {t, static_cast<int>(f)},
            [=](Objects& o) { return done(o.receipt.RigaLiberaFiscale_Vendita(t, f)); });
      } else if (type == "promo" || type == "footer") {
        const std::string t = text(item, path, "text", true, 64);
        const bool promo = type == "promo";
        add(promo ? "RigaLiberaFiscale_Promo" : "RigaLiberaFiscale_Fondo", {t}, [=](Objects& o) {
          return done(promo ? o.receipt.RigaLiberaFiscale_Promo(t) : o.receipt.RigaLiberaFiscale_Fondo(t));
        });
      } else if (type == "barcode") {
        const std::string code = text(item, path, "code", true, 64);
        const auto kind = symbology(item, path);
        add("StampaBarcode_Fiscale", {code, static_cast<int>(kind)},
            [=](Objects& o) { return done(o.receipt.StampaBarcode_Fiscale(code, kind)); });
      } else if (type == "subtotal") {
        add("SubTotale", json::array(), [](Objects& o) { return done(o.receipt.SubTotale()); });
      } else {
        refuse(at(path, "type"), "sale, return, discount, text, promo, footer, barcode or subtotal");
      }
    }
    if (const json* d = find(body, "", "totalDiscount", false)) {
      if (!d->is_object()) refuse("totalDiscount", "must be an object");
      const double amount = number(*d, "totalDiscount", "amount", true, 0);
      if (cents(amount) <= 0) refuse("totalDiscount.amount", "must be more than 0");
      const std::string description = text(*d, "totalDiscount", "description", false, 64);
      total -= cents(amount);
      if (total < 0) refuse("totalDiscount.amount", "the receipt total would go below zero");
      add("ScontoValoreTotale", {amount, description},
          [=](Objects& o) { return o.receipt.ScontoValoreTotale(amount, description); });
    }
    const json& payments = list(body, "payments", true);
    int64_t paid = 0;
    for (std::size_t i = 0; i < payments.size(); ++i) {
      const std::string path = "payments[" + std::to_string(i) + "]";
      const json& p = object(payments, i, "payments");
      const int32_t type = static_cast<int32_t>(integer(p, path, "type", false, 1, 1, 99));
      const double amount = number(p, path, "amount", true, 0);
      const std::string description = text(p, path, "description", false, 64);
      const bool collected = flag(p, path, "collected", true);
      paid += cents(amount);
      add(collected ? "Pagamento_CorrispettivoRiscosso" : "Pagamento_CorrispettivoNonRiscosso",
          {type, amount, description}, [=](Objects& o) {
            return done(collected ? o.receipt.Pagamento_CorrispettivoRiscosso(type, amount, description)
                                  : o.receipt.Pagamento_CorrispettivoNonRiscosso(type, amount, description));
          });
    }
    if (paid < total) refuse("payments", "they do not cover the receipt total");
    add("ChiudiTransazioneFiscale", json::array(),
        [](Objects& o) { return done(o.receipt.ChiudiTransazioneFiscale()); });
  }

  void nonFiscal(const json& body) {
    connect();
    opening(
        "ApriTransazioneNonFiscale", json::array(),
        [](Objects& o) { return done(o.receipt.ApriTransazioneNonFiscale()); }, "ChiudiTransazioneNonFiscale",
        json::array(), [](Objects& o) { return done(o.receipt.ChiudiTransazioneNonFiscale()); });
    const json& lines = list(body, "lines", true);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string path = "lines[" + std::to_string(i) + "]";
      const json& l = object(lines, i, "lines");
      if (l.contains("barcode")) {
        const std::string code = text(l, path, "barcode", true, 64);
        const auto kind = symbology(l, path);
        add("StampaBarcode_NonFiscale", {code, static_cast<int>(kind)},
            [=](Objects& o) { return done(o.receipt.StampaBarcode_NonFiscale(code, kind)); });
        continue;
      }
      const std::string t1 = text(l, path, "text", true, 64);
      const std::string t2 = text(l, path, "text2", false, 64);
      const std::string price = text(l, path, "price", false, 16);
      const Merid_Font f = font(l, path);
      add("RigaLiberaNonFiscale", {t1, t2, price, static_cast<int>(f)},
          [=](Objects& o) { return done(o.receipt.RigaLiberaNonFiscale(t1, t2, price, f)); });
    }
    add("ChiudiTransazioneNonFiscale", json::array(),
        [](Objects& o) { return done(o.receipt.ChiudiTransazioneNonFiscale()); });
  }

  void invoice(const json& body) {
    const double total = number(body, "", "total", true, 0);
    const bool copy = flag(body, "", "copy", false);
    const int16_t port = port_;
    opening(
        "ApriFattura", {port, total, copy, 2, 3},
        [=](Objects& o) {
          int16_t p = port, prices = 2, quantities = 3;
          double t = total;
          bool c = copy;
          return done(o.invoice.ApriFattura(p, t, c, prices, quantities));
        },
        "ChiudiFattura", {total}, [=](Objects& o) { return done(o.invoice.ChiudiFattura(total)); });
    std::vector<std::pair<std::string, Merid_Font>> rows;
    if (const json* c = find(body, "", "customer", false)) {
      if (!c->is_object()) refuse("customer", "must be an object");
      static const std::pair<const char*, const char*> kFields[] = {
          {"name", ""}, {"address", ""}, {"city", ""}, {"vatNumber", "P.IVA "}, {"fiscalCode", "C.F. "}};
      for (const auto& [key, label] : kFields) {
        const std::string v = text(*c, "customer", key, std::string(key) == "name", 64);
        if (!v.empty()) rows.emplace_back(label + v, merid::kMerid_Normale);
      }
    }
    const json& lines = list(body, "lines", false);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string path = "lines[" + std::to_string(i) + "]";
      const json& l = object(lines, i, "lines");
      rows.emplace_back(text(l, path, "text", true, 64), font(l, path));
    }
    for (const auto& [t, f] : rows)
      add("RigaFattura", {t, static_cast<int>(f)}, [t = t, f = f](Objects& o) {
        Merid_Font font = f;
        return done(o.invoice.RigaFattura(t, font));
      });
    add("ChiudiFattura", {total}, [=](Objects& o) { return done(o.invoice.ChiudiFattura(total)); });
  }

  void creditNote(const json& body) {
    const double total = number(body, "", "total", true, 0);
    if (cents(total) <= 0) refuse("total", "must be more than 0");
    const int16_t port = port_;
    opening(
        "ApriNotaAccredito", {port, 2, 3},
        [=](Objects& o) {
          int16_t p = port, prices = 2, quantities = 3;
          return done(o.creditNote.ApriNotaAccredito(p, prices, quantities));
        },
        "ChiudiNotaAccredito", {total},
        [=](Objects& o) { return done(o.creditNote.ChiudiNotaAccredito(total)); });
    struct Row {
      std::string t1, t2, price;
      Merid_Font font;
    };
    std::vector<Row> rows;
    // The class leaves the printer's reference field blank for handwriting
    // and prints 20 characters of each line: the document reference goes on
    // a first line of its own, at no price.
    const std::string reference = text(body, "", "reference", true, 15);
    rows.push_back({"RIF. " + reference, "", "0,00", merid::kMerid_Normale});
    const json& lines = list(body, "lines", true);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string path = "lines[" + std::to_string(i) + "]";
      const json& l = object(lines, i, "lines");
      rows.push_back({text(l, path, "text", true, 20), text(l, path, "text2", false, 64),
                      text(l, path, "price", false, 16), font(l, path)});
    }
    for (const auto& r : rows)
      add("RigaNotaAccredito", {r.t1, r.t2, r.price, static_cast<int>(r.font)}, [r](Objects& o) {
        Merid_Font f = r.font;
        return done(o.creditNote.RigaNotaAccredito(r.t1, r.t2, r.price, f));
      });
    add("ChiudiNotaAccredito", {total},
        [=](Objects& o) { return done(o.creditNote.ChiudiNotaAccredito(total)); });
  }

  void device(const std::string& kind, const json& body) {
    connect();
    if (kind == "reports/x") {
      add("Manutenzione_EseguiRapportoX", {static_cast<int>(merid::kCRX_TotaliDelGiorno)}, [](Objects& o) {
        merid::kMerid_RapportoX which = merid::kCRX_TotaliDelGiorno;
        return done(o.receipt.Manutenzione_EseguiRapportoX(which));
      });
    } else if (kind == "reports/z") {
      add("Manutenzione_EseguiRapportoZ", json::array(),
          [](Objects& o) { return done(o.receipt.Manutenzione_EseguiRapportoZ()); });
    } else if (kind == "drawer") {
      add("ApriCassetto", json::array(), [](Objects& o) { return o.receipt.ApriCassetto(); });
    } else if (kind == "display") {
      const std::string l1 = text(body, "", "line1", false, 20);
      const std::string l2 = text(body, "", "line2", false, 20);
      add("Display_MostraRighe", {l1, l2},
          [=](Objects& o) { return done(o.receipt.Display_MostraRighe(l1, l2)); });
    } else {  // raw
      const std::string command = text(body, "", "command", true, 512);
      if (command.empty()) refuse("command", "must not be empty");
      add("InviaComandoDiretto_CefDLL", {command},
          [=](Objects& o) { return done(o.receipt.InviaComandoDiretto_CefDLL(command)); });
    }
  }

 private:
  Plan& plan_;
  int16_t port_;
};

}  // namespace

const std::vector<std::string>& documentKinds() {
  static const std::vector<std::string> kinds = {
      "receipt", "nonfiscal", "invoice", "creditnote", "reports/x", "reports/z", "drawer", "display", "raw"};
  return kinds;
}

std::optional<BadInput> planDocument(const std::string& kind, const json& body, int port, Plan& plan) {
  plan = Plan{};
  if (!body.is_object()) return BadInput{"", "the body must be a JSON object"};
  try {
    Planner p(plan, port);
    if (kind == "receipt")
      p.receipt(body);
    else if (kind == "nonfiscal")
      p.nonFiscal(body);
    else if (kind == "invoice")
      p.invoice(body);
    else if (kind == "creditnote")
      p.creditNote(body);
    else
      p.device(kind, body);
  } catch (const Refusal& r) {
    plan = Plan{};
    return r.bad;
  } catch (const std::exception& e) {  // a JSON value of an unexpected shape
    plan = Plan{};
    return BadInput{"", e.what()};
  }
  return std::nullopt;
}

}  // namespace meridd
