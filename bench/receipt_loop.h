#pragma once
// The receipt every receipt benchmark prints: 50 sale lines (every fifth with
// a quantity), two payments and the closing, through the public class,
// against a printer library in memory that accepts everything (a host's own
// in-process printer library).

#include <cstdint>
#include <string>

#include "merid/MeridTallo_Scontrino.h"
#include "merid/host.h"

namespace merid::bench {

inline int64_t gCommands = 0;

inline int32_t acceptOpen(int32_t, int32_t, uint8_t, uint8_t, uint8_t, uint8_t, int32_t*) {
  return 0;
}
inline int32_t acceptWrite(char**, int32_t*) {
  ++gCommands;
  return 0;
}
inline int32_t acceptRead(MeridByteArray**, int32_t*, int32_t*) {
  return 0;
}
inline int32_t acceptClose(int32_t*) {
  return 0;
}
inline const PrinterFunctions kAcceptingPrinter{acceptOpen, acceptWrite, acceptRead, acceptClose};

inline void receipt(MeridTallo_Scontrino& s) {
  s.ApriTransazioneFiscale();
  for (int i = 0; i < 50; ++i) {
    const double qty = i % 5 == 0 ? 3 : 1;
    s.Vendita("", "ARTICOLO " + std::to_string(i), qty, 1.25, qty * 1.25, "", "22", 1 + i % 4);
  }
  s.Pagamento_CorrispettivoRiscosso(1, 50, "Contanti");
  s.Pagamento_CorrispettivoRiscosso(2, 20, "Bancomat");
  s.ChiudiTransazioneFiscale();
}

}  // namespace merid::bench
