#pragma once
// The fiscal receipt: opening and closing, sale, return and discount lines,
// descriptive lines, lines kept for printing after the total, and voiding.

#include <array>
#include <cstdint>
#include <string>

namespace merid {

bool ApriScontrinoFiscale(int16_t& port);
bool ChiudiScontrinoFiscale(int16_t& port);
std::string getComando_RigaCortesiaDopoTotale(std::string text, int32_t& font);

bool Esegui_VenditaAReparto(const std::string& descrPrincipale, const std::string& descrAggiuntiva,
                            double qta, double importo, double totale, const std::string& aliquotaIva,
                            int32_t idReparto, int32_t tipoRiga, bool option);
bool Esegui_Vendita(std::string& strDescrAggiuntiva, std::string& strDescrPrincipale, double& qtaRiga,
                    double& importoRiga, double& ImportoTotale, std::string& AliquotaIva, int32_t& idReparto);
bool Esegui_Reso(std::string& strDescrAggiuntiva, std::string& strDescrPrincipale, double& qtaRiga,
                 double& importoRiga, double& ImportoTotale, std::string& AliquotaIva, int32_t& idReparto);
bool Esegui_ScontoValoreRiga(double& importoSconto, std::string& descrizioneSconto, int32_t& idReparto);
bool Esegui_ScontoValoreTotale(double& importoSconto, std::string& descrizioneSconto, int32_t& idReparto);

bool RigaDescrittivaFiscale(std::string text, int32_t& font);
std::string getComando_RigaDescrittivaFiscale(std::string text, int32_t& font);
// Always True; a line is dropped when all ten slots are taken.
bool SalvaRigaDescrittivaPromoInBuffer(std::string& text, int32_t& font);
bool AnnulloScontrinoAperto(int16_t& port);
bool InviaComandoECR_AnnulloScontrino(int16_t& port);

// The thread's after-total store, ten slots printed by the next closing.
struct RigaPromo {
  std::string text;  // empty: the slot is free
  int32_t font = 1;
};
std::array<RigaPromo, 10>& BufferRighePromo();

}  // namespace merid
