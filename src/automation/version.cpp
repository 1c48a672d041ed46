#include "merid/version.h"

namespace merid {

const char* version() {
  return MERID_VERSION;
}

}  // namespace merid
