#pragma once
// Non-fiscal documents: "40011" opens, "4003" lines of 32 characters, "4004"
// closes. The line layout is shared with the invoice body.

#include <cstdint>
#include <string>

namespace merid {

bool AperturaTransazioneNonFiscale(int16_t& portaCOM);
bool ChiusuraTransazioneNonFiscale();
bool StampaRigaNonFiscale(std::string Testo1, std::string Testo2, std::string Prezzo, int32_t tipoFont);
std::string getComando_RigaNonFiscaleOCorpoFattura(const std::string& testo, int32_t font);

}  // namespace merid
