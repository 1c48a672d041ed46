#pragma once
// The invoice class. ApriFattura stores the port, opens the cash drawer
// (unless bypassed) and opens the invoice; RigaFattura prints only while the
// invoice is open; ChiudiFattura prints the total, closes the invoice and
// always closes the printer link.

#include <cstdint>
#include <string>

#include "merid/MeridEnumValue.h"
#include "merid/outcome.h"

namespace merid {

class MeridTallo_Fattura {
 public:
  MeridTallo_Fattura();

  bool ApriFattura(int16_t& comPort, double& TotaleFattura, bool& isStampaDoppiaCopia, int16_t& nrCifreDec_Prezzi,
                   int16_t& nrCifreDec_Qta);
  bool RigaFattura(const std::string& TestoLibero, Merid_Font& tipoFont);
  bool ChiudiFattura(double TotaleFattura);

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
