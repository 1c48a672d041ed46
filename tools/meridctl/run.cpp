#include "run.h"

#include <map>

namespace meridctl {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

int runScript(const Script& script, std::ostream& out) {
  std::map<std::string, HostObject> objects;
  int failures = 0;
  for (const auto& st : script.statements) {
    if (!st.method) {
      objects[lower(st.object)] = createObject(st.className);
      continue;
    }
    HostObject& obj = objects.at(lower(st.object));
    const auto result = st.method->call(obj, st.args);
    out << st.object << "." << st.methodWritten;
    if (result) {
      out << " -> " << *result;
      if (*result == "False" || *result == "Empty") ++failures;
    }
    out << std::endl;
  }
  return failures;
}

}  // namespace meridctl
