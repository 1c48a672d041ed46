#pragma once
// Barcodes printed by the printer (command "3021").

#include <cstdint>
#include <string>

#include "merid/MeridEnumValue.h"

namespace merid {

bool StampaBarcode(std::string& strBarcode, int32_t& tipoBarcode);
// option: non-zero prints the human-readable text ("2"), zero does not ("0").
std::string getComando_StampaBarcode(std::string& strBarcode, int32_t& tipoBarcode, int16_t& option);

}  // namespace merid
