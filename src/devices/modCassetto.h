#pragma once
// The cash drawer, opened by the printer on command "70081".

#include <cstdint>

namespace merid {

// The automatic opening: does nothing (False) unless [ByPassApriCassetto]
// value is exactly "0".
bool ApriCassetto(int16_t& port);
// The manual opening, whatever the bypass says.
bool AperturaManualeCassetto(int16_t& port);
bool OpenDrawer(int16_t& port);

}  // namespace merid
