#pragma once
// The daily fiscal closing ("2002", Z report) with up to two pre-closing
// commands from the INI file, and the X report ("2003").

#include <cstdint>

#include "merid/MeridEnumValue.h"

namespace merid {

bool EseguiRapportoZ(int16_t& port);
bool EseguiRapportoX(int16_t& port, int32_t& kind);

}  // namespace merid
