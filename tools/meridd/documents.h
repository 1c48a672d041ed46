#pragma once
// From a request body to the calls a host makes for that document, in the
// order it makes them. The body is checked whole before anything is planned:
// a refused body names its field and nothing reaches the printer.

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "merid/MeridDLLManager.h"

namespace meridd {

// The document objects of one task, made on the printer's worker thread.
struct Objects {
  merid::MeridTallo_Scontrino receipt;
  merid::MeridTallo_Fattura invoice;
  merid::MeridTallo_NAccr creditNote;
};

struct Call {
  // The object the call is made on, whose UltimoEsito() tells its outcome.
  enum Object { Receipt, Invoice, CreditNote };
  Object object = Receipt;
  std::string method;
  nlohmann::json args;  // as passed, for the task's record
  // true/false as the method answers; nothing for a method without a result
  // (InitComunicazione) or an Empty variant.
  std::function<std::optional<bool>(Objects&)> run;
};

struct Plan {
  std::vector<Call> calls;
  // Once the call at index opens is through, a later refusal runs these, so
  // the printer is not left with a document open in front of the next task.
  std::size_t opens = 0;
  std::vector<Call> afterRefusal;
};

struct BadInput {
  std::string field;
  std::string message;
};

// The document kinds, as in the URLs.
const std::vector<std::string>& documentKinds();

// The body without its taskId; port is the printer's COM port.
std::optional<BadInput> planDocument(const std::string& kind, const nlohmann::json& body, int port,
                                     Plan& plan);

}  // namespace meridd
