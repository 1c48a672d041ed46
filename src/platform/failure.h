#pragma once
// A run-time failure inside a routine: thrown where it happens, caught at the
// routine's boundary, which logs its description and returns its failure value.

#include <exception>
#include <stdexcept>
#include <string>

namespace merid {

class RuntimeFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The description of the exception being handled (call inside a catch block).
std::string currentFailureText();

}  // namespace merid
