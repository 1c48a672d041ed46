#pragma once
// Payments of a fiscal receipt: "3004" collected, "3005" not collected.

#include <cstdint>
#include <string>

namespace merid {

bool InviaPagamentoCorrispettivoRiscosso(int32_t idPagamento, double importo, std::string nome);
std::string getComando_Pagamento(int32_t& idPagamento, double& importo, std::string& nome);
bool InviaPagamentoCorrispettivoNonRiscosso(int32_t idPagamento, double importo, std::string nome);
std::string getComando_NonPagato(int32_t& idPagamento, double& importo, std::string& nome);

}  // namespace merid
