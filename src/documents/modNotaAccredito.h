#pragma once
// Credit notes: "7102600000" opens, "3001120" lines of a description and a
// price, and the closing pays the total in cash ("300408CONTANTI") before
// "3010P12___________", "3011" and "3013".

#include <cstdint>
#include <string>

namespace merid {

bool ApriNotaAccreditoFiscale(int16_t& comPort);
bool ScriviRigaNAccr(std::string& Testo1, std::string& Testo2, std::string& Prezzo);
std::string getComando_ScriviRigaNAccrNonFisc(std::string& text, std::string& secondText);
bool ChiudiNotaAccreditoFiscale(double& TotaleNotaAccredito);

}  // namespace merid
