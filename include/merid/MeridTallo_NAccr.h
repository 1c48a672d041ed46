#pragma once
// The credit-note class. ApriNotaAccredito stores the port and opens the
// credit note; RigaNotaAccredito prints only after a successful opening (and
// still after the closing, until an opening fails); ChiudiNotaAccredito pays
// the total in cash and closes.

#include <cstdint>
#include <string>

#include "merid/MeridEnumValue.h"
#include "merid/outcome.h"

namespace merid {

class MeridTallo_NAccr {
 public:
  MeridTallo_NAccr();

  bool ApriNotaAccredito(int16_t& comPort, int16_t& nrCifreDec_Prezzi, int16_t& nrCifreDec_Qta);
  bool RigaNotaAccredito(const std::string& Testo1, const std::string& Testo2, const std::string& Prezzo,
                         Merid_Font& tipoFont);
  bool ChiudiNotaAccredito(double TotaleNotaAccredito);

  int16_t port() const { return port_; }
  bool isOpen() const { return open_; }

  // What the last call did, beside the answer it gave (merid/outcome.h).
  const Outcome& UltimoEsito() const { return esito_; }

 private:
  Outcome esito_;
  int16_t port_ = 0;
  bool open_ = false;
};

}  // namespace merid
