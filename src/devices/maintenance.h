#pragma once
// Maintenance prints and settings: reprint of the last receipt, the printer's
// clock, and the electronic journal (DGFE). Each sends exactly one command;
// dates are automation dates (days since 30 December 1899).

#include <cstdint>

namespace merid {

bool Manutenzione_RistampaUltimoScontrino(int16_t& port);
bool Manutenzione_ProgrammazioneDataOra(int16_t& port);
bool Manutenzione_StampaGiornaleElettronicoDaDataAData(int16_t& port, double& dataInizio, double& dataFine);
bool Manutenzione_StampaGiornaleElettronico_Data_NScontrini(int16_t& port, double& data,
                                                            int16_t& nrScontrinoInizio,
                                                            int16_t& nrScontrinoFine);
bool Manutenzione_StampaGiornaleElettronico_IntervalloChiusure(int16_t& port, int16_t& nrChiusuraInizio,
                                                               int16_t& nrChiusuraFine);
bool Manutenzione_StampaGiornaleElettronico_RigaDGFE(int16_t& port, int32_t& nrRiga);
bool Manutenzione_StampaGiornaleElettronico_Integrale(int16_t& port);
bool Manutenzione_StampaGiornaleElettronico_NuovoDGFE(int16_t& port);

}  // namespace merid
