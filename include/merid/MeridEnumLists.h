#pragma once
// The members of the four public enumerations, as X-macro lists. Plain
// preprocessor text on purpose: the C++ enums and the type library's IDL are
// both expanded from it, so the two can never disagree.

#define MERID_CODE_ERRORS(X)                       \
  X(ECK_NonConnesso, -1)                           \
  X(ECK_OK, 0)                                     \
  X(ECK_ErroreRicezioneDaMF, 2)                    \
  X(ECK_ValoreNonValido, 3)                        \
  X(ECK_NonPossibile, 5)                           \
  X(ECK_ErroreProgrMatricolaInMemoriaFiscale, 6)   \
  X(ECK_ScrittaTOTALEInStringa, 7)                 \
  X(ECK_RaggiuntoLimiteBufferOperazione, 9)        \
  X(ECK_OverflowTotale, 10)                        \
  X(ECK_DataAntecedenteUltimaInMF, 12)             \
  X(ECK_DataNonValida, 13)                         \
  X(ECK_CartaEsaurita, 16)                         \
  X(ECK_ScritturaChiusuraInMFNonRiuscita, 19)      \
  X(ECK_DateInvalideNellaRichiesta, 22)            \
  X(ECK_TotaleTransazioneNegativo, 23)             \
  X(ECK_LunghezzaComandoInvalida, 24)              \
  X(ECK_PagamentoIncompleto, 25)                   \
  X(ECK_DGFEEsaurito, 30)                          \
  X(ECK_DGFEQuasiEsaurito, 31)                     \
  X(ECK_InizializzazioneDGFENonPossibile, 32)      \
  X(ECK_DGFENonPresente, 33)                       \
  X(ECK_DatiDGFENonCongruenti, 34)                 \
  X(ECK_NessunDatoDGFENellIntervallo, 36)          \
  X(ECK_RecordDGFENonPresente, 40)                 \
  X(ECK_MemoriaFiscaleNonPresente, 50)             \
  X(ECK_MemoriaFiscalePiena, 51)                   \
  X(ECK_JumperHINITInserito, 52)                   \
  X(ECK_MemoriaFiscaleGiaAttivata, 53)             \
  X(ECK_ChiusuraFiscaleRichiesta, 54)              \
  X(ECK_ModoTrainingAttivo, 55)                    \
  X(ECK_DisplayNonPresente, 56)                    \
  X(ECK_DataOraNonImpostata, 57)                   \
  X(ECK_DispositivoNonFiscalizzabile, 59)          \
  X(ECK_DispositivoNonSerializzato, 60)            \
  X(ECK_RicezioneDatiInCorso, 62)                  \
  X(ECK_TransazioneFallita, 63)                    \
  X(ECK_CoperchioAperto, 64)                       \
  X(ECK_TensioneElevataTestina, 65)                \
  X(ECK_TemperaturaElevataTestina, 66)             \
  X(ECK_ErroreGenericoInternoSistemaOperativo, 67) \
  X(ECK_Errore_sconosciuto, 100)                   \
  X(ECK_MemoriaRicevuteCreditoEsaurita, 101)       \
  X(ECK_PrezzoManualeSuperioreLimite, 102)         \
  X(ECK_TastoNonProgrammato, 103)                  \
  X(ECK_FunzioneNonDisponibile, 116)               \
  X(ECK_FunzioneNonAmmessa, 117)                   \
  X(ECK_QuantitaErrata, 118)                       \
  X(ECK_DataErrata, 119)                           \
  X(ECK_EliminazioneImpossibile, 120)              \
  X(ECK_ScontoErrato, 121)                         \
  X(ECK_ValoreNonAmmesso, 122)                     \
  X(ECK_PasswordErrata, 123)                       \
  X(ECK_FareFattDiff, 132)                         \
  X(ECK_FareFattTicket, 133)                       \
  X(ECK_ChiudereDocumento, 134)                    \
  X(ECK_RiscuotereCredito, 135)                    \
  X(ECK_ContanteInsufficiente, 136)                \
  X(ECK_RepartoInesistente, 148)                   \
  X(ECK_RepartoEsistente, 149)                     \
  X(ECK_PLUInesistente, 150)                       \
  X(ECK_PLUEsistente, 151)                         \
  X(ECK_OperatoreInesistente, 152)                 \
  X(ECK_OperatoreEsistente, 153)                   \
  X(ECK_ClienteInesistente, 154)                   \
  X(ECK_ClienteEsistente, 155)                     \
  X(ECK_NoConvenzioni, 156)                        \
  X(ECK_ConvensioneInesistente, 157)               \
  X(ECK_ConvenzioneEsistente, 158)                 \
  X(ECK_SocietaInesistente, 159)                   \
  X(ECK_SocietaEsistente, 160)                     \
  X(ECK_PrecontoNonDisponibile, 161)               \
  X(ECK_TrovateZeroRicevuteFatture, 162)           \
  X(ECK_StampanteRFNonRisponde, 163)               \
  X(ECK_TavoloPieno, 164)                          \
  X(ECK_TavoloVuoto, 165)                          \
  X(ECK_ChiudereTavolo, 166)                       \
  X(ECK_SCNonAssociata, 167)                       \
  X(ECK_MCNonAssociata, 168)                       \
  X(ECK_ProblemiSC, 169)                           \
  X(ECK_ClienteObbligatorio, 189)

#define MERID_BARCODE_TYPES(X) X(CBT_Ean8, 8) X(CBT_Ean13, 13) X(CBT_Code39, 39)

#define MERID_FONTS(X)                     \
  X(kMerid_Normale, 1)                     \
  X(kMerid_Grassetto, 2)                   \
  X(kMerid_42Caratteri, 3)                 \
  X(kMerid_DoppiaAltezza, 4)               \
  X(kMerid_DoppiaLarghezza, 5)             \
  X(kMerid_Corsivo, 6)                     \
  X(kMerid_Normale_DoppiaAltezza_42Car, 7) \
  X(kMerid_Grassetto_42Car, 8)             \
  X(kMerid_Grassetto_DoppiaAltezza_42Car, 9)

#define MERID_RAPPORTO_X(X) X(kCRX_TotaliDelGiorno, 1)
