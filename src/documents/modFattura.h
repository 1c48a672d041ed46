#pragma once
// Invoices: "40012" with the copy flag and the total, "4002", body lines as on
// a non-fiscal document, the total line "4003F" and "4006".

#include <cstdint>
#include <string>

namespace merid {

bool ApriFatturaFiscale(int16_t& comPort, double& TotaleFattura, bool& isStampaDoppiaCopia);
bool StampaRigaFatturaLibera(const std::string& TestoLibero, int32_t tipoFont);
bool ChiudiFatturaFiscale(double& TotaleFattura);

// "0" or not 0 for the invoice and credit-note openings; written as "0" when
// missing or empty. Throws when the text is not a number.
bool bufferFattureOn();

}  // namespace merid
