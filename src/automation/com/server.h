#pragma once
// What the automation objects share with the server's entry points.

#include <windows.h>

namespace merid::com {

// Live objects and class factories, counted for DllCanUnloadNow.
void objectCreated();
void objectDestroyed();

// Creating the three classes, for their class factories.
HRESULT createScontrino(REFIID iid, void** out);
HRESULT createFattura(REFIID iid, void** out);
HRESULT createNAccr(REFIID iid, void** out);

}  // namespace merid::com
