#pragma once
// The wrapper every public method runs: a default result, the guard on the
// port, and a trap that turns any failure into one error-log line
// "<class>-<method> <description>" and the default result. The INI defaults a
// call writes back reach the file together when it ends.

#include <cstdint>

#include "logging/logging.h"
#include "platform/platform.h"

namespace merid::detail {

constexpr int16_t kNoPort = -1;

template <class R, class Body>
R guarded(const char* cls, const char* method, int16_t port, R fallback, Body&& body) {
  if (port == kNoPort) return fallback;
  platform::ProfileBatch batch;
  try {
    return body();
  } catch (...) {
    logFailure(cls, method);
    return fallback;
  }
}

template <class R, class Body>
R unguarded(const char* cls, const char* method, R fallback, Body&& body) {
  platform::ProfileBatch batch;
  try {
    return body();
  } catch (...) {
    logFailure(cls, method);
    return fallback;
  }
}

// Object creation goes on past a failing step.
template <class Step>
void creationStep(Step&& step) {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace merid::detail
