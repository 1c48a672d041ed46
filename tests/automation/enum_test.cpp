#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "merid/MeridEnumValue.h"

namespace merid {
namespace {

// The four enumerations, "|" after each, written out by hand from the published list.
const char* const kPublished =
    "ECK_NonConnesso=-1 ECK_OK=0 ECK_ErroreRicezioneDaMF=2 ECK_ValoreNonValido=3 ECK_NonPossibile=5 "
    "ECK_ErroreProgrMatricolaInMemoriaFiscale=6 ECK_ScrittaTOTALEInStringa=7 "
    "ECK_RaggiuntoLimiteBufferOperazione=9 ECK_OverflowTotale=10 ECK_DataAntecedenteUltimaInMF=12 "
    "ECK_DataNonValida=13 ECK_CartaEsaurita=16 ECK_ScritturaChiusuraInMFNonRiuscita=19 "
    "ECK_DateInvalideNellaRichiesta=22 ECK_TotaleTransazioneNegativo=23 ECK_LunghezzaComandoInvalida=24 "
    "ECK_PagamentoIncompleto=25 ECK_DGFEEsaurito=30 ECK_DGFEQuasiEsaurito=31 "
    "ECK_InizializzazioneDGFENonPossibile=32 ECK_DGFENonPresente=33 ECK_DatiDGFENonCongruenti=34 "
    "ECK_NessunDatoDGFENellIntervallo=36 ECK_RecordDGFENonPresente=40 ECK_MemoriaFiscaleNonPresente=50 "
    "ECK_MemoriaFiscalePiena=51 ECK_JumperHINITInserito=52 ECK_MemoriaFiscaleGiaAttivata=53 "
    "ECK_ChiusuraFiscaleRichiesta=54 ECK_ModoTrainingAttivo=55 ECK_DisplayNonPresente=56 "
    "ECK_DataOraNonImpostata=57 ECK_DispositivoNonFiscalizzabile=59 ECK_DispositivoNonSerializzato=60 "
    "ECK_RicezioneDatiInCorso=62 ECK_TransazioneFallita=63 ECK_CoperchioAperto=64 "
    "ECK_TensioneElevataTestina=65 ECK_TemperaturaElevataTestina=66 "
    "ECK_ErroreGenericoInternoSistemaOperativo=67 ECK_Errore_sconosciuto=100 "
    "ECK_MemoriaRicevuteCreditoEsaurita=101 ECK_PrezzoManualeSuperioreLimite=102 "
    "ECK_TastoNonProgrammato=103 ECK_FunzioneNonDisponibile=116 ECK_FunzioneNonAmmessa=117 "
    "ECK_QuantitaErrata=118 ECK_DataErrata=119 ECK_EliminazioneImpossibile=120 ECK_ScontoErrato=121 "
    "ECK_ValoreNonAmmesso=122 ECK_PasswordErrata=123 ECK_FareFattDiff=132 ECK_FareFattTicket=133 "
    "ECK_ChiudereDocumento=134 ECK_RiscuotereCredito=135 ECK_ContanteInsufficiente=136 "
    "ECK_RepartoInesistente=148 ECK_RepartoEsistente=149 ECK_PLUInesistente=150 ECK_PLUEsistente=151 "
    "ECK_OperatoreInesistente=152 ECK_OperatoreEsistente=153 ECK_ClienteInesistente=154 "
    "ECK_ClienteEsistente=155 ECK_NoConvenzioni=156 ECK_ConvensioneInesistente=157 "
    "ECK_ConvenzioneEsistente=158 ECK_SocietaInesistente=159 ECK_SocietaEsistente=160 "
    "ECK_PrecontoNonDisponibile=161 ECK_TrovateZeroRicevuteFatture=162 ECK_StampanteRFNonRisponde=163 "
    "ECK_TavoloPieno=164 ECK_TavoloVuoto=165 ECK_ChiudereTavolo=166 ECK_SCNonAssociata=167 "
    "ECK_MCNonAssociata=168 ECK_ProblemiSC=169 ECK_ClienteObbligatorio=189 | CBT_Ean8=8 CBT_Ean13=13 "
    "CBT_Code39=39 | kMerid_Normale=1 kMerid_Grassetto=2 kMerid_42Caratteri=3 kMerid_DoppiaAltezza=4 "
    "kMerid_DoppiaLarghezza=5 kMerid_Corsivo=6 kMerid_Normale_DoppiaAltezza_42Car=7 "
    "kMerid_Grassetto_42Car=8 kMerid_Grassetto_DoppiaAltezza_42Car=9 | kCRX_TotaliDelGiorno=1 | ";

TEST(Enumerations, EveryMemberNameAndValue) {
  std::string compiled;
#define MEMBER(name, value) compiled += #name "=" + std::to_string(value) + " ";
  MERID_CODE_ERRORS(MEMBER) compiled += "| ";
  MERID_BARCODE_TYPES(MEMBER) compiled += "| ";
  MERID_FONTS(MEMBER) compiled += "| ";
  MERID_RAPPORTO_X(MEMBER) compiled += "| ";
#undef MEMBER
  EXPECT_EQ(compiled, kPublished);
  EXPECT_EQ(std::count(kPublished, std::strchr(kPublished, '|'), '='), 80);
  EXPECT_EQ(enumValueByName("ECK_ConvensioneInesistente"), 157);
  EXPECT_EQ(enumValueByName("ECK_Errore_Sconosciuto"), std::nullopt) << "names are exact";
  EXPECT_EQ(codeErrorName(64), "ECK_CoperchioAperto");
}

}  // namespace
}  // namespace merid
