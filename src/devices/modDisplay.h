#pragma once
// The shopper display: two lines of 20 characters, always sent together with
// the command "7007".

#include <cstdint>
#include <string>

namespace merid {

bool MostraRigheADisplay(const std::string& riga1, const std::string& riga2);
std::string getComando_InviaRigheDisplay(const std::string& riga1, const std::string& riga2);
bool MostraRigaADisplay(const std::string& riga, int16_t indice);
// Remembers the line as line 1 of the thread when indice is 1.
std::string getComando_Merid_DisplayRiga(int16_t indice, const std::string& riga);

}  // namespace merid
