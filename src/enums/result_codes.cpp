// The printer's result numbers with their meaning, for people: the same
// numbers as MeridCodeErrors, in its order.

#include <algorithm>

#include "merid/MeridEnumValue.h"
#include "merid/outcome.h"

namespace merid {

namespace {

// Shared advice, so the same situation always reads the same way.
constexpr const char* kFixHost =
    "host: the command or its values are wrong for the printer; correct the call, nothing was printed";
constexpr const char* kState =
    "host: the printer is in another document state; close or void the open document, then retry";
constexpr const char* kService = "operator: call technical service; do not retry";
constexpr const char* kJournal = "operator: replace or initialise the electronic journal (DGFE)";
constexpr const char* kNotThisPrinter =
    "host: this printer does not keep such data (restaurant or customer functions); do not use the command";

const std::vector<ResultCode> kCodes = {
    {ECK_NonConnesso, "ECK_NonConnesso", "stampante non connessa: nessuna risposta",
     "printer not connected: no answer", "operator: check cable, power and port; the library opens the port at the next document"},
    {ECK_OK, "ECK_OK", "stampante pronta", "printer ready", "none"},
    {ECK_ErroreRicezioneDaMF, "ECK_ErroreRicezioneDaMF", "errore di ricezione dalla memoria fiscale",
     "error receiving from the fiscal memory", kService},
    {ECK_ValoreNonValido, "ECK_ValoreNonValido", "valore non valido", "invalid value", kFixHost},
    {ECK_NonPossibile, "ECK_NonPossibile", "operazione non possibile", "operation not possible", kState},
    {ECK_ErroreProgrMatricolaInMemoriaFiscale, "ECK_ErroreProgrMatricolaInMemoriaFiscale",
     "errore di programmazione della matricola in memoria fiscale",
     "error programming the serial number into the fiscal memory", kService},
    {ECK_ScrittaTOTALEInStringa, "ECK_ScrittaTOTALEInStringa", "la parola TOTALE nel testo",
     "the word TOTALE in a text", "host: remove the word TOTALE from the printed text"},
    {ECK_RaggiuntoLimiteBufferOperazione, "ECK_RaggiuntoLimiteBufferOperazione",
     "raggiunto il limite del buffer dell'operazione", "operation buffer limit reached",
     "host: close the document and continue in a new one"},
    {ECK_OverflowTotale, "ECK_OverflowTotale", "totale troppo grande", "total overflow",
     "host: split the sale over several documents"},
    {ECK_DataAntecedenteUltimaInMF, "ECK_DataAntecedenteUltimaInMF",
     "data precedente l'ultima in memoria fiscale", "date earlier than the last fiscal-memory record",
     "operator: correct the computer's clock, then set the printer's date again"},
    {ECK_DataNonValida, "ECK_DataNonValida", "data non valida", "invalid date", kFixHost},
    {ECK_CartaEsaurita, "ECK_CartaEsaurita", "carta esaurita", "paper end",
     "operator: load paper and answer the prompt; the library checks the printer again"},
    {ECK_ScritturaChiusuraInMFNonRiuscita, "ECK_ScritturaChiusuraInMFNonRiuscita",
     "scrittura della chiusura in memoria fiscale non riuscita", "writing the closing to the fiscal memory failed",
     kService},
    {ECK_DateInvalideNellaRichiesta, "ECK_DateInvalideNellaRichiesta", "date non valide nella richiesta",
     "invalid dates in the request", "host: give a first date not after the last"},
    {ECK_TotaleTransazioneNegativo, "ECK_TotaleTransazioneNegativo", "totale della transazione negativo",
     "negative transaction total", "host: lower the return or discount; the total cannot go below zero"},
    {ECK_LunghezzaComandoInvalida, "ECK_LunghezzaComandoInvalida", "lunghezza del comando non valida",
     "invalid command length", kFixHost},
    {ECK_PagamentoIncompleto, "ECK_PagamentoIncompleto", "pagamento incompleto", "incomplete payment",
     "host: pay the rest of the total before closing; the receipt is still open"},
    {ECK_DGFEEsaurito, "ECK_DGFEEsaurito", "giornale elettronico (DGFE) esaurito",
     "electronic journal (DGFE) full", kJournal},
    {ECK_DGFEQuasiEsaurito, "ECK_DGFEQuasiEsaurito", "giornale elettronico (DGFE) quasi esaurito",
     "electronic journal (DGFE) nearly full", "operator: prepare a new electronic journal; printing goes on"},
    {ECK_InizializzazioneDGFENonPossibile, "ECK_InizializzazioneDGFENonPossibile",
     "inizializzazione del DGFE non possibile", "electronic journal cannot be initialised",
     "operator: run a daily closing (Z) first, then start the new journal"},
    {ECK_DGFENonPresente, "ECK_DGFENonPresente", "DGFE non presente", "electronic journal missing", kJournal},
    {ECK_DatiDGFENonCongruenti, "ECK_DatiDGFENonCongruenti", "dati del DGFE non congruenti",
     "electronic journal data inconsistent", kService},
    {ECK_NessunDatoDGFENellIntervallo, "ECK_NessunDatoDGFENellIntervallo", "nessun dato DGFE nell'intervallo",
     "no journal data in the range", "host: choose a range that holds documents"},
    {ECK_RecordDGFENonPresente, "ECK_RecordDGFENonPresente", "record DGFE non presente",
     "journal record missing", "host: ask for a record number that exists"},
    {ECK_MemoriaFiscaleNonPresente, "ECK_MemoriaFiscaleNonPresente", "memoria fiscale non presente",
     "fiscal memory missing", kService},
    {ECK_MemoriaFiscalePiena, "ECK_MemoriaFiscalePiena", "memoria fiscale piena", "fiscal memory full", kService},
    {ECK_JumperHINITInserito, "ECK_JumperHINITInserito", "jumper HINIT inserito", "HINIT jumper fitted", kService},
    {ECK_MemoriaFiscaleGiaAttivata, "ECK_MemoriaFiscaleGiaAttivata", "memoria fiscale gia' attivata",
     "fiscal memory already activated", kService},
    {ECK_ChiusuraFiscaleRichiesta, "ECK_ChiusuraFiscaleRichiesta", "chiusura fiscale (Z) richiesta",
     "daily closing (Z) required", "operator: run the daily closing (Z report), then go on"},
    {ECK_ModoTrainingAttivo, "ECK_ModoTrainingAttivo", "modo training attivo", "training mode on",
     "operator: leave training mode on the printer"},
    {ECK_DisplayNonPresente, "ECK_DisplayNonPresente", "display non presente", "display missing",
     "operator: connect the shopper display, or ignore: nothing else is affected"},
    {ECK_DataOraNonImpostata, "ECK_DataOraNonImpostata", "data e ora non impostate", "date and time not set",
     "host: set the printer's clock (Manutenzione_ProgrammazioneDataOra)"},
    {ECK_DispositivoNonFiscalizzabile, "ECK_DispositivoNonFiscalizzabile", "dispositivo non fiscalizzabile",
     "device cannot be fiscalised", kService},
    {ECK_DispositivoNonSerializzato, "ECK_DispositivoNonSerializzato", "dispositivo non serializzato",
     "device has no serial number", kService},
    {ECK_RicezioneDatiInCorso, "ECK_RicezioneDatiInCorso", "ricezione dati in corso", "receiving data",
     "host: wait a moment and retry"},
    {ECK_TransazioneFallita, "ECK_TransazioneFallita", "transazione fallita", "transaction failed",
     "operator: look at the tape and the journal before printing the document again"},
    {ECK_CoperchioAperto, "ECK_CoperchioAperto", "coperchio aperto", "cover open",
     "operator: close the cover and answer the prompt; the library checks the printer again"},
    {ECK_TensioneElevataTestina, "ECK_TensioneElevataTestina", "tensione elevata della testina",
     "print head voltage too high", kService},
    {ECK_TemperaturaElevataTestina, "ECK_TemperaturaElevataTestina", "temperatura elevata della testina",
     "print head too hot", "operator: let the printer cool down, then retry"},
    {ECK_ErroreGenericoInternoSistemaOperativo, "ECK_ErroreGenericoInternoSistemaOperativo",
     "errore interno generico", "internal error of the printer",
     "operator: look at the tape and the journal (the document may not be recorded); restart the printer"},
    {ECK_Errore_sconosciuto, "ECK_Errore_sconosciuto", "errore sconosciuto", "unknown error", kService},
    {ECK_MemoriaRicevuteCreditoEsaurita, "ECK_MemoriaRicevuteCreditoEsaurita",
     "memoria delle ricevute a credito esaurita", "credit receipt memory full", kNotThisPrinter},
    {ECK_PrezzoManualeSuperioreLimite, "ECK_PrezzoManualeSuperioreLimite", "prezzo manuale oltre il limite",
     "manual price over the limit", "host: split the amount or raise the printer's limit"},
    {ECK_TastoNonProgrammato, "ECK_TastoNonProgrammato", "tasto non programmato", "key not programmed",
     kNotThisPrinter},
    {ECK_FunzioneNonDisponibile, "ECK_FunzioneNonDisponibile", "funzione non disponibile",
     "function not available", "host: the printer does not know this command; check the command number"},
    {ECK_FunzioneNonAmmessa, "ECK_FunzioneNonAmmessa", "funzione non ammessa", "function not allowed now",
     kState},
    {ECK_QuantitaErrata, "ECK_QuantitaErrata", "quantita' errata", "wrong quantity", kFixHost},
    {ECK_DataErrata, "ECK_DataErrata", "data errata", "wrong date", kFixHost},
    {ECK_EliminazioneImpossibile, "ECK_EliminazioneImpossibile", "eliminazione impossibile",
     "cannot be removed", kState},
    {ECK_ScontoErrato, "ECK_ScontoErrato", "sconto errato", "wrong discount",
     "host: give a discount above zero and not over the total"},
    {ECK_ValoreNonAmmesso, "ECK_ValoreNonAmmesso", "valore non ammesso", "value not allowed", kFixHost},
    {ECK_PasswordErrata, "ECK_PasswordErrata", "password errata", "wrong password",
     "operator: enter the right password on the printer"},
    {ECK_FareFattDiff, "ECK_FareFattDiff", "emettere fattura differita", "a deferred invoice is required",
     kNotThisPrinter},
    {ECK_FareFattTicket, "ECK_FareFattTicket", "emettere fattura per ticket", "an invoice for vouchers is required",
     kNotThisPrinter},
    {ECK_ChiudereDocumento, "ECK_ChiudereDocumento", "chiudere il documento", "close the document first",
     kState},
    {ECK_RiscuotereCredito, "ECK_RiscuotereCredito", "riscuotere il credito", "collect the credit first",
     kNotThisPrinter},
    {ECK_ContanteInsufficiente, "ECK_ContanteInsufficiente", "contante insufficiente", "not enough cash",
     "host: the cash paid out exceeds the cash in the drawer; pay by another means"},
    {ECK_RepartoInesistente, "ECK_RepartoInesistente", "reparto inesistente", "unknown department",
     "host: map the host's department to one the printer has ([RepartoVek<N>] in MeridFiscal.ini)"},
    {ECK_RepartoEsistente, "ECK_RepartoEsistente", "reparto esistente", "department exists", kNotThisPrinter},
    {ECK_PLUInesistente, "ECK_PLUInesistente", "PLU inesistente", "unknown PLU", kNotThisPrinter},
    {ECK_PLUEsistente, "ECK_PLUEsistente", "PLU esistente", "PLU exists", kNotThisPrinter},
    {ECK_OperatoreInesistente, "ECK_OperatoreInesistente", "operatore inesistente", "unknown operator",
     kNotThisPrinter},
    {ECK_OperatoreEsistente, "ECK_OperatoreEsistente", "operatore esistente", "operator exists", kNotThisPrinter},
    {ECK_ClienteInesistente, "ECK_ClienteInesistente", "cliente inesistente", "unknown customer",
     kNotThisPrinter},
    {ECK_ClienteEsistente, "ECK_ClienteEsistente", "cliente esistente", "customer exists", kNotThisPrinter},
    {ECK_NoConvenzioni, "ECK_NoConvenzioni", "nessuna convenzione", "no agreements", kNotThisPrinter},
    {ECK_ConvensioneInesistente, "ECK_ConvensioneInesistente", "convenzione inesistente", "unknown agreement",
     kNotThisPrinter},
    {ECK_ConvenzioneEsistente, "ECK_ConvenzioneEsistente", "convenzione esistente", "agreement exists",
     kNotThisPrinter},
    {ECK_SocietaInesistente, "ECK_SocietaInesistente", "societa' inesistente", "unknown company",
     kNotThisPrinter},
    {ECK_SocietaEsistente, "ECK_SocietaEsistente", "societa' esistente", "company exists", kNotThisPrinter},
    {ECK_PrecontoNonDisponibile, "ECK_PrecontoNonDisponibile", "preconto non disponibile", "bill not available",
     kNotThisPrinter},
    {ECK_TrovateZeroRicevuteFatture, "ECK_TrovateZeroRicevuteFatture", "nessuna ricevuta o fattura trovata",
     "no receipts or invoices found", "host: choose a range that holds documents"},
    {ECK_StampanteRFNonRisponde, "ECK_StampanteRFNonRisponde", "la stampante RF non risponde",
     "the RF printer does not answer", "operator: check the remote printer's power and link"},
    {ECK_TavoloPieno, "ECK_TavoloPieno", "tavolo pieno", "table full", kNotThisPrinter},
    {ECK_TavoloVuoto, "ECK_TavoloVuoto", "tavolo vuoto", "table empty", kNotThisPrinter},
    {ECK_ChiudereTavolo, "ECK_ChiudereTavolo", "chiudere il tavolo", "close the table first", kNotThisPrinter},
    {ECK_SCNonAssociata, "ECK_SCNonAssociata", "smart card non associata", "smart card not paired",
     kNotThisPrinter},
    {ECK_MCNonAssociata, "ECK_MCNonAssociata", "memory card non associata", "memory card not paired",
     kNotThisPrinter},
    {ECK_ProblemiSC, "ECK_ProblemiSC", "problemi con la smart card", "smart card problem", kService},
    {ECK_ClienteObbligatorio, "ECK_ClienteObbligatorio", "cliente obbligatorio", "a customer is required",
     kNotThisPrinter},
};

}  // namespace

const std::vector<ResultCode>& resultCodes() { return kCodes; }

const ResultCode* findResultCode(int32_t number) {
  const auto it = std::find_if(kCodes.begin(), kCodes.end(), [number](const ResultCode& c) { return c.number == number; });
  return it == kCodes.end() ? nullptr : &*it;
}

}  // namespace merid
