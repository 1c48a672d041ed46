#pragma once
// The reference of every method a host can call: what each argument means,
// what the method answers, the printer commands it sends and the settings it
// reads. One entry a method; `meridctl help` shows it and docs/reference.md is
// written from it, so the two cannot disagree.

#include <ostream>
#include <string>
#include <vector>

namespace meridctl {

struct ParamDoc {
  std::string name;  // as the class declares it
  bool byReference = false;
  std::string meaning;  // with units and allowed values
};

struct MethodDoc {
  std::string className;
  std::string method;
  std::string summary;  // one line
  std::vector<ParamDoc> params;
  std::string answers;
  std::string commands;  // in the order they are sent
  std::string settings;  // MeridFiscal.ini and display.ini sections and keys
};

// Every entry, class by class, each class's methods in declaration order.
const std::vector<MethodDoc>& reference();

// The entries named by "Class.Method" or a bare method name (one a class that
// has it), in any letter case.
std::vector<const MethodDoc*> findDocs(const std::string& name);

// The name of argument `index` (from 0) of a method; empty when unknown.
std::string parameterName(const std::string& className, const std::string& method, std::size_t index);

std::string helpEntry(const MethodDoc& doc);
// The methods of every class, or of the one class named.
std::string helpIndex(const std::string& onlyClass = "");
std::string referenceMarkdown();

// Where the reference and the methods a script can call disagree: a method
// without its entry, an entry without its method, a different number of
// arguments. Empty when they agree.
std::vector<std::string> referenceProblems();

// `meridctl help [--markdown | METHOD...]`; the exit status.
int helpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace meridctl
