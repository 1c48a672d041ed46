#include "run.h"

#include <map>
#include <nlohmann/json.hpp>

#include "merid/MeridEnumValue.h"
#include "merid/codepage.h"

namespace meridctl {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

nlohmann::json argumentJson(const Value& v) {
  switch (v.kind) {
    case Kind::String:
      return merid::ansiToUtf8(v.text);
    case Kind::Boolean:
      return v.number != 0;
    case Kind::Font:
    case Kind::Barcode:
    case Kind::RapportoX:
    case Kind::Integer:
    case Kind::Long:
      return static_cast<int64_t>(v.number);
    default:
      return v.number;
  }
}

}  // namespace

std::string outcomeSuffix(const merid::Outcome& o) {
  return o.plainDone() ? std::string() : "  [" + o.summary() + "]";
}

std::string callJson(const std::string& object, const std::string& method, const std::vector<Value>& args,
                     const std::optional<std::string>& result, const merid::Outcome& o) {
  nlohmann::json arguments = nlohmann::json::array();
  for (const auto& a : args) arguments.push_back(argumentJson(a));
  nlohmann::json outcome = {
      {"kind", merid::outcomeKindName(o.kind)},
      {"summary", o.summary()},
      {"message_it", o.message(true)},
      {"message_en", o.message(false)},
      {"prompts", o.prompts},
      {"commands", o.commands},
      {"last_command", merid::ansiToUtf8(o.command)},
      {"answer", o.answer},
      {"answer_name", std::string(merid::codeErrorName(o.answer))},
      {"data_read", merid::ansiToUtf8(o.dataRead)},
  };
  if (o.kind != merid::OutcomeKind::Done && o.kind != merid::OutcomeKind::NotSent) {
    outcome["code"] = o.code;
    outcome["code_name"] = o.codeName();
  }
  if (o.kind == merid::OutcomeKind::NotSent) {
    outcome["reason"] = merid::notSentReasonName(o.reason);
    outcome["detail"] = merid::ansiToUtf8(o.detail);
  }
  nlohmann::json call = {{"object", object},
                         {"method", method},
                         {"arguments", arguments},
                         {"result", result ? nlohmann::json(*result) : nlohmann::json()},
                         {"outcome", outcome}};
  return call.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

RunSummary runScript(const Script& script, std::ostream& out, const RunOptions& options) {
  std::map<std::string, HostObject> objects;
  RunSummary summary;
  for (const auto& st : script.statements) {
    if (!st.method) {
      objects[lower(st.object)] = createObject(st.className);
      continue;
    }
    HostObject& obj = objects.at(lower(st.object));
    const auto result = st.method->call(obj, st.args);
    const merid::Outcome& o = outcomeOf(obj);
    summary.last = o;
    if (result && (*result == "False" || *result == "Empty")) ++summary.failures;
    if (o.kind == merid::OutcomeKind::Refused) ++summary.refused;
    if (o.kind == merid::OutcomeKind::Unknown) ++summary.unknown;
    if (options.json) {
      out << callJson(st.object, st.methodWritten, st.args, result, o) << std::endl;
    } else {
      out << st.object << "." << st.methodWritten;
      if (result) out << " -> " << *result;
      out << outcomeSuffix(o) << std::endl;
    }
    if (options.stop && options.stop()) {
      summary.stopped = true;
      break;
    }
  }
  return summary;
}

}  // namespace meridctl
