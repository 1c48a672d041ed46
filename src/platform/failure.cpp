#include "platform/failure.h"

#include <new>

namespace merid {

std::string currentFailureText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown failure";
  }
}

}  // namespace merid
