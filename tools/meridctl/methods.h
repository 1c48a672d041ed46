#pragma once
// The methods a host script can call, with their parameter kinds, bound to
// the library's three classes.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "merid/MeridTallo_Fattura.h"
#include "merid/MeridTallo_NAccr.h"
#include "merid/MeridTallo_Scontrino.h"

namespace meridctl {

enum class Kind { String, Double, Integer, Long, Boolean, Date, Font, Barcode, RapportoX };

// A checked argument: text for strings (already in the library's code page),
// number for every numeric kind, dates as automation dates.
struct Value {
  Kind kind = Kind::String;
  std::string text;
  double number = 0;
};

// One live object of a script.
struct HostObject {
  std::string className;
  std::unique_ptr<merid::MeridTallo_Scontrino> scontrino;
  std::unique_ptr<merid::MeridTallo_Fattura> fattura;
  std::unique_ptr<merid::MeridTallo_NAccr> naccr;
};

struct Method {
  std::string name;
  std::vector<Kind> params;
  // Calls the method and gives its result as a script shows it ("True",
  // "False", "Empty", a number), or nothing for a method without one.
  std::function<std::optional<std::string>(HostObject&, const std::vector<Value>&)> call;
};

// The class names a script may create; empty when unknown.
bool isClassName(const std::string& name);
HostObject createObject(const std::string& className);
// The methods of a class, in their declaration order.
const std::vector<Method>& methodsOf(const std::string& className);
const Method* findMethod(const std::string& className, const std::string& method);
const char* kindName(Kind kind);
// The outcome of the object's last call.
const merid::Outcome& outcomeOf(const HostObject& object);

}  // namespace meridctl
