#pragma once
// The wrapper every public method runs: a default result, the guard on the
// port, and a trap that turns any failure into one error-log line
// "<class>-<method> <description>" and the default result. Around it, the
// call's outcome: the link layer's record is started afresh and, at the end,
// kept in the object.

#include <cstdint>
#include <optional>
#include <type_traits>

#include "merid/outcome.h"
#include "link/call_record.h"
#include "logging/logging.h"
#include "platform/platform.h"

namespace merid::detail {

constexpr int16_t kNoPort = -1;

// A False (or a variant holding False) that no event of the link explains:
// the library itself declined (document not open, a setting said no).
template <class R>
void settle(Outcome& esito, const R& result) {
  Outcome& record = callrecord::current();
  bool declined = false;
  if constexpr (std::is_same_v<R, bool>) declined = !result;
  if constexpr (std::is_same_v<R, std::optional<bool>>) declined = result.has_value() && !*result;
  if (declined && record.kind == OutcomeKind::Done)
    callrecord::noteNotSent(NotSentReason::Declined, record.commands ? "a step answered False" : "");
  esito = record;
}

template <class R, class Body>
R unguarded(Outcome& esito, const char* cls, const char* method, R fallback, Body&& body) {
  // The INI defaults a call writes back reach the file together when it ends.
  platform::ProfileBatch batch;
  callrecord::begin();
  R result = fallback;
  try {
    result = body();
  } catch (...) {
    callrecord::noteCurrentFailure(cls, method);
    logFailure(cls, method);
    result = fallback;
  }
  settle(esito, result);
  return result;
}

template <class R, class Body>
R guarded(Outcome& esito, const char* cls, const char* method, int16_t port, R fallback, Body&& body) {
  if (port == kNoPort) {
    callrecord::begin();
    callrecord::noteNotSent(NotSentReason::NoPort, "call InitComunicazione first");
    esito = callrecord::current();
    return fallback;
  }
  return unguarded(esito, cls, method, fallback, std::forward<Body>(body));
}

// A method that sends nothing and cannot fail.
inline void plainCall(Outcome& esito) {
  callrecord::begin();
  esito = callrecord::current();
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
