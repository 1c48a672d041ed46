#pragma once
// The invoice class. ApriFattura stores the port, opens the cash drawer
// (unless bypassed) and opens the invoice; RigaFattura prints only while the
// invoice is open; ChiudiFattura prints the total, closes the invoice and
// always closes the printer link.

#include <cstdint>
#include <string>

#include "merid/MeridDocument.h"
#include "merid/MeridEnumValue.h"

namespace merid {

class MeridTallo_Fattura : public MeridDocument {
 public:
  MeridTallo_Fattura();

  bool ApriFattura(int16_t& comPort, double& TotaleFattura, bool& isStampaDoppiaCopia,
                   int16_t& nrCifreDec_Prezzi, int16_t& nrCifreDec_Qta);
  bool RigaFattura(const std::string& TestoLibero, Merid_Font& tipoFont);
  bool ChiudiFattura(double TotaleFattura);
};

}  // namespace merid
