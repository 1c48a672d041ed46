#pragma once
// The credit-note class. ApriNotaAccredito stores the port and opens the
// credit note; RigaNotaAccredito prints only after a successful opening (and
// still after the closing, until an opening fails); ChiudiNotaAccredito pays
// the total in cash and closes.

#include <cstdint>
#include <string>

#include "merid/MeridDocument.h"
#include "merid/MeridEnumValue.h"

namespace merid {

class MeridTallo_NAccr : public MeridDocument {
 public:
  MeridTallo_NAccr();

  bool ApriNotaAccredito(int16_t& comPort, int16_t& nrCifreDec_Prezzi, int16_t& nrCifreDec_Qta);
  bool RigaNotaAccredito(const std::string& Testo1, const std::string& Testo2, const std::string& Prezzo,
                         Merid_Font& tipoFont);
  bool ChiudiNotaAccredito(double TotaleNotaAccredito);
};

}  // namespace merid
