#pragma once
// The error log (always on) and the debug log (on when the registry switch
// says so), both written through LogWriter components held per thread.

#include <string>
#include <string_view>

namespace merid {

void loggerError(const std::string& message);
void loggerDebug(const std::string& message);
// True while the thread has a debug writer; lets hot paths skip building
// lines that would go nowhere.
bool debugLogActive();

// Sets up the error writer and moves the printer library's log into its day
// copy. Never fails.
void InitErrorLog();
// Sets up the debug writer when the switch is on. May throw; object creation
// ignores its failure.
void InitDebugLog();

// "<module>-<routine> <description>"
std::string errorText(std::string_view module, std::string_view routine, std::string_view description);
// "...." + label padded with blanks or cut to 20 characters + value
std::string debugLine(std::string_view label, std::string_view value);

// For catch blocks: logs the standard error text of the exception being handled.
void logFailure(std::string_view module, std::string_view routine);

// The boundary of a routine: runs body and answers what it answers; on any
// failure writes the standard error text and answers failure. failure is read
// only then, so a routine may pass the result it holds so far.
template <class R, class Body>
R failureBoundary(std::string_view module, std::string_view routine, const R& failure, Body&& body) {
  try {
    return body();
  } catch (...) {
    logFailure(module, routine);
    return failure;
  }
}

// Reads a registry switch of "SOFTWARE\TAVIK\VEK\Options" through the settings
// store, with the default "0".
std::string readRegistrySwitch(const std::string& name);

}  // namespace merid
