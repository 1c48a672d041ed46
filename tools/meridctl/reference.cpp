#include "reference.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "methods.h"

namespace meridctl {

namespace {

// Texts several entries share.
const std::string kOpenLink =
    "`1109` (status request; when the printer does not answer it, the port is opened)";
const std::string kDrawer =
    "`1109` (the port is opened when the printer does not answer), `70081` (sent even when the port did not "
    "open), "
    "then the display message: `1109` and `7007` + `Apertura Cassetto` + a blank line; the link is then "
    "closed when "
    "[Fiscal] CloseConnEachDoc is not 0";
const std::string kRefusals =
    "[SkipError] Value1, Value2, Value3 when the printer refuses a command (a code listed there is ignored, "
    "with no "
    "operator prompt)";
const std::string kCloseConn =
    "[Fiscal] CloseConnEachDoc (not 0: the link is closed after the document; read once a thread, 0 written "
    "when "
    "missing)";
const std::string kEuro =
    "display.ini [EuroAsciiCode] value (the code of the euro sign on the display; 127 when missing)";
const std::string kNoPort = " False without a port.";

const std::string kSent = "Boolean: True when the command was sent." + kNoPort;

// The answer of a print from the journal that checks its two numbers.
std::string outOfRange(const std::string& message) {
  return "Boolean: True when the command was sent. A number out of range shows the message \"" + message +
         "\", sends nothing and answers False." + kNoPort;
}
const std::string kJournalFrame = kOpenLink + "; ";
const std::string kJournalClose = "; the link is then closed when [Fiscal] CloseConnEachDoc is not 0.";
const std::string kFontParam =
    "Merid_Font: kMerid_Normale (1) to kMerid_Grassetto_DoppiaAltezza_42Car (9); 7, 8 and 9 print as 1.";
const std::string kNotUsedDecimals =
    "Accepted and not used: amounts always go with 2 decimals, quantities with 3.";

ParamDoc val(std::string name, std::string meaning) {
  return {std::move(name), false, std::move(meaning)};
}
ParamDoc ref(std::string name, std::string meaning) {
  return {std::move(name), true, std::move(meaning)};
}

// RigaLiberaFiscale_Promo and RigaLiberaFiscale_Fondo: a line kept for the
// closing of the receipt.
MethodDoc keptLine(const char* method, const char* summary) {
  return {
      "MeridTallo_Scontrino",
      method,
      summary,
      {val("strRiga",
           "Text printed after the total by ChiudiTransazioneFiscale, font 1, cut to 32 characters. Up to 10 "
           "lines are kept (a thread); more are dropped.")},
      "Boolean: True, even when the line was dropped." + kNoPort,
      "None now; ChiudiTransazioneFiscale sends `3012` + `1` + length (2 digits) + text.",
      "None."};
}

MethodDoc sale(const char* method, const char* summary, const char* rowType, const char* amount,
               const char* shown) {
  return {
      "MeridTallo_Scontrino",
      method,
      summary,
      {val("strDescrAggiuntiva",
           "Extra text printed as a descriptive line (font 1, at most 32 characters) before the sale line; "
           "empty: no extra line. Replaced by the quantity line when qtaRiga is neither 1 nor 0."),
       val("strDescrPrincipale", "Item description on the sale line, padded or cut to 22 characters."),
       val("qtaRiga",
           "Quantity (pieces, or kilograms with 3 decimals). Neither 1 nor 0 (to 3 decimals): a quantity "
           "line "
           "`* quantity x unit price` (8 characters each) is printed instead of strDescrAggiuntiva."),
       val("importoRiga", "Unit price in euros; printed only on the quantity line."),
       val("ImportoTotale", amount), val("CodiceIva", "VAT code. Accepted and ignored."),
       val("AliquotaIva", "VAT rate text. Accepted; no command carries it (the department sets the VAT)."),
       val("idReparto",
           "The host's department id N, mapped to the printer's department by [RepartoVekN] repartoMerid "
           "(department 1 when unmapped).")},
      std::string(
          "Boolean: True when the sale line (and the extra line before it) was sent; the display "
          "does not count. An extra line that cannot be sent stops the method before the sale line.") +
          kNoPort,
      std::string("`3002` + `1` + length (2 digits) + text, for the extra or quantity line when there is "
                  "one; `3101` + `") +
          rowType +
          "` + department (2 digits) + `22` + description (22) + amount (9 digits, cents), e.g. `3101" +
          rowType + "0322PANE                  000000250`; then the display: `1109` and `7007` + " + shown +
          " (20) + `€ amount` right-aligned (20).",
      "[RepartoVekN] repartoMerid, N being idReparto (the printer's department; missing or not a number: 1, "
      "written "
      "back); " +
          kEuro + "; " + kRefusals + "."};
}

MethodDoc payment(const char* method, const char* summary, std::string nameMeaning, std::string commands,
                  std::string settings) {
  return {"MeridTallo_Scontrino",
          method,
          summary,
          {val("IdPagamento", "Payment id. Accepted and not used."),
           val("ImportoIncassato", "Amount paid, in euros (2 decimals); 0 is sent as `000000000`."),
           val("strDescrPagamento", std::move(nameMeaning))},
          "Boolean: True when the payment command was sent; the display does not count." + kNoPort,
          "The display first: `1109` and `7007` + the payment's name (20) + `€ amount` right-aligned (20); "
          "then " +
              commands,
          std::move(settings)};
}

MethodDoc journal(const char* method, const char* summary, std::vector<ParamDoc> params, std::string answers,
                  std::string command) {
  return {"MeridTallo_Scontrino",
          method,
          summary,
          std::move(params),
          std::move(answers),
          kJournalFrame + command + kJournalClose,
          kCloseConn + "; " + kRefusals + "."};
}

std::vector<MethodDoc> build() {
  const std::string S = "MeridTallo_Scontrino";
  const std::string closing =
      "`3009` (print the change) when [ForzaStampaResto] Value is 1; the closing command "
      "([Merid_OperazioneChiusuraFiscale] code, default `3011`); the post-closing command "
      "([Merid_OperazionePostChiusuraFiscale] code) when set; `3012` + font + length (2 digits) + text for "
      "each line "
      "kept by RigaLiberaFiscale_Promo or RigaLiberaFiscale_Fondo (then forgotten); print and cut "
      "([Merid_PrintAndCut] "
      "code, default `3013`); the drawer when [ApriCassettoDopoStampaScontrino] value is 1 (" +
      kDrawer + "); the link is then closed when [Fiscal] CloseConnEachDoc is not 0.";
  const std::string closingSettings =
      "[ForzaStampaResto] Value; [Merid_OperazioneChiusuraFiscale] code; "
      "[Merid_OperazionePostChiusuraFiscale] code; "
      "[Merid_PrintAndCut] code; [ApriCassettoDopoStampaScontrino] value (0 written when missing); " +
      kCloseConn + "; " + kRefusals + ".";
  const std::string nonFiscalLine =
      "`4003` + font + `32` + the line padded or cut to 32 characters, e.g. `4003132` + text";
  // StampaBarcode_Fiscale and StampaBarcode_NonFiscale; ScontoValoreRiga and ScontoValoreTotale.
  const std::vector<ParamDoc> barcodeParams = {
      val("strBarcode", "The barcode's characters, sent unchanged; the printer checks them."),
      val("tipoBarcode",
          "Merid_BarcodeType: CBT_Ean13 (13), CBT_Ean8 (8) or CBT_Code39 (39); any other value sends no "
          "symbology and leaves it to the printer.")};
  const std::vector<ParamDoc> discountParams = {
      val("importoSconto", "Discount in euros (2 decimals), as a positive number."),
      val("descrizioneSconto", "Description of the discount, padded or cut to 22 characters.")};
  // The port ApriFattura and ApriNotaAccredito keep.
  const ParamDoc documentPort =
      ref("comPort",
          "Serial port of the printer, kept for the other methods (no -1 test here: it is used as given).");
  const std::string discountCommands =
      "`3101` + `3` + department of id 1 (2 digits) + `22` + description (22) + amount (9 digits); then the "
      "display: "
      "`1109` and `7007` + description (20) + `€ amount` (20).";
  return {
      {S,
       "InitComunicazione",
       "Gives the object its printer port; nothing is sent.",
       {ref("portaCOM",
            "Serial port number of the printer, handed to the printer library when a method opens the link. "
            "-1: no "
            "port, the other methods then do nothing; any other value (0 and negatives too) is used as "
            "given.")},
       "Nothing.",
       "None: the methods that need the link open it.",
       "None."},
      {S,
       "InitParametri",
       "Accepts the numbers of price and quantity decimals; nothing else.",
       {ref("nrCifreDec_Prezzi", kNotUsedDecimals), ref("nrCifreDec_Qta", kNotUsedDecimals)},
       "Nothing.",
       "None.",
       "None."},
      {S,
       "ApriTransazioneFiscale",
       "Opens a fiscal receipt: opens the link and sets the printer's buffer mode.",
       {},
       "Boolean: True when the link is open (the buffer-mode command's outcome is not checked)." + kNoPort,
       kOpenLink + "; then `30161` (buffered) or `30160` (unbuffered).",
       "[Fiscal] Buffer (not 0: buffered; 0: unbuffered; missing: unbuffered this once, and Buffer=1 is "
       "written)."},
      {S,
       "ChiudiTransazioneFiscale",
       "Closes the fiscal receipt: closing, lines after the total, print and cut, drawer.",
       {},
       "Boolean: True when the change, closing, after-total and print-and-cut commands were all sent (each "
       "is sent "
       "even when one before it could not be); the post-closing command and the drawer do not count." +
           kNoPort,
       closing,
       closingSettings},
      {S,
       "ApriTransazioneNonFiscale",
       "Opens a non-fiscal document (a slip), with the shop header if so configured.",
       {},
       "Boolean: True when the link opened and every command was sent; the first that cannot be sent stops "
       "it." +
           kNoPort,
       kOpenLink +
           "; `40011`; `3013` when [ParametriNonFiscale] TaglioCarta is not 0; `4002` (shop header) when "
           "[ParametriNonFiscale] StampaIntestazione is not 0.",
       "[ParametriNonFiscale] TaglioCarta and StampaIntestazione (0 written when missing); " + kRefusals +
           "."},
      {S,
       "ChiudiTransazioneNonFiscale",
       "Closes the non-fiscal document.",
       {},
       "Boolean: True when its commands were sent." + kNoPort,
       "`3013` when [ParametriNonFiscale] TaglioCarta is not 0; `4004`; the link is then closed when "
       "[Fiscal] "
       "CloseConnEachDoc is not 0.",
       "[ParametriNonFiscale] TaglioCarta; " + kCloseConn + "; " + kRefusals + "."},
      {S, "StampaBarcode_Fiscale", "Prints a barcode.", barcodeParams, kSent,
       "`3021` + symbology (`1` EAN-13, `2` EAN-8, `3` Code 39) + `2` + `00` + length (2 digits) + code, "
       "e.g. "
       "`30211200138001234567895`.",
       kRefusals + "."},
      {S, "StampaBarcode_NonFiscale", "Prints a barcode; the same as StampaBarcode_Fiscale.", barcodeParams,
       kSent,
       "`3021` + symbology (`1` EAN-13, `2` EAN-8, `3` Code 39) + `2` + `00` + length (2 digits) + code.",
       kRefusals + "."},
      {S,
       "StatoStampante",
       "Reads the printer status.",
       {},
       "MeridCodeErrors: ECK_OK (0); ECK_NonConnesso (-1) when the printer does not answer; "
       "ECK_CoperchioAperto (64), "
       "ECK_CartaEsaurita (16), ECK_DGFEEsaurito (30) or ECK_DGFEQuasiEsaurito (31) from the status reply. "
       "ECK_OK "
       "without a port, without asking the printer.",
       "`1109`, then the status reply is read; no error handling, no operator prompt.",
       "None."},
      sale("Vendita", "A sale line.", "1",
           "Amount of the line in euros (2 decimals), added to the receipt and shown on the display.",
           "the description"),
      sale("Reso", "A return line: a sale line of row type 9.", "9",
           "Amount returned, in euros (2 decimals), as a positive number: the row type makes it a return.",
           "`Reso:` + the description"),
      {S,
       "RigaLiberaFiscale_Vendita",
       "A descriptive line in the fiscal receipt.",
       {val("strRiga", "Text of the line; cut to 32 characters."),
        val("FontRiga",
            "Merid_Font: kMerid_Normale (1) to kMerid_Grassetto_DoppiaAltezza_42Car (9); the number is sent "
            "as "
            "given.")},
       "Boolean: True when the line was sent." + kNoPort,
       "`3002` + font + length (2 digits) + text, e.g. `3002216OFFERTA SPECIALE`.",
       kRefusals + "."},
      keptLine("RigaLiberaFiscale_Promo",
               "Keeps a line to print after the total when the receipt is closed."),
      keptLine("RigaLiberaFiscale_Fondo",
               "Keeps a line to print after the total; the same as RigaLiberaFiscale_Promo."),
      {S,
       "RigaLiberaNonFiscale",
       "A line of a non-fiscal document: texts left, price right.",
       {val("Testo1",
            "First text. With Testo2 empty, Testo1 and Prezzo share a line when they fit in 32 characters; "
            "otherwise "
            "Testo1 (cut to 32) takes a line and Prezzo the next. With Testo2 given, Testo1 takes a line of "
            "its "
            "own."),
        val("Testo2",
            "Second text, or empty; when given it shares a line with Prezzo, as Testo1 does without it."),
        val("Prezzo", "Price text, printed as written and right-aligned; may be empty."),
        val("tipoFont", kFontParam)},
       "Boolean: True when the lines were sent (with Testo2, the first line's outcome is not checked)." +
           kNoPort,
       "One to three lines: " + nonFiscalLine + ".",
       kRefusals + "."},
      {S, "ScontoValoreRiga", "A discount of an amount on the line above: a sale line of row type 3.",
       discountParams, "Boolean: True when the discount line was sent; the display does not count." + kNoPort,
       discountCommands, "[RepartoVek1] repartoMerid; " + kEuro + "; " + kRefusals + "."},
      {S, "ScontoValoreTotale",
       "A discount of an amount on the subtotal; the same command as ScontoValoreRiga.", discountParams,
       "Variant: True or False as for ScontoValoreRiga; Empty without a port or after a trapped failure.",
       discountCommands, "[RepartoVek1] repartoMerid; " + kEuro + "; " + kRefusals + "."},
      {S, "SubTotale", "Prints the subtotal.", {}, kSent, "`3003`.", kRefusals + "."},
      payment("Pagamento_CorrispettivoRiscosso", "A payment of the receipt.",
              "Payment name. CONTANTI, BANCOMAT, CARTA DI CREDITO, ASSEGNO, TICKET and NON PAGATO (any "
              "letter case, "
              "nothing around them) take their printed description and kind from MeridFiscal.ini; any other "
              "name is "
              "paid as CONTANTE (cash), collected. Shown on the display as written.",
              "`3004` (collected) or `3005` (not collected) + length (2 digits) + description + amount (9 "
              "digits), "
              "e.g. `300416CARTA DI CREDITO000002350`.",
              "For the six known names: [Pagamento_NAME] value, NAME being strDescrPagamento as written (the "
              "printed description; defaults "
              "CONTANTE, BANCOMAT, CARTA DI CREDITO, ASSEGNO, TICKET, NON PAGATO, written when missing) and "
              "[isCorrNonRiscosso_NAME] value (1: not collected, `3005`; defaults 0, and 1 for TICKET "
              "and NON PAGATO); " +
                  kEuro + "; " + kRefusals + "."),
      payment("Pagamento_CorrispettivoNonRiscosso", "A payment not collected (the line reads NON PAGATO).",
              "Accepted and not used: the payment line and the display read NON PAGATO.",
              "`300510NON PAGATO` + amount (9 digits).", kEuro + "; " + kRefusals + "."),
      {S,
       "InviaComandoDiretto_CefDLL",
       "Sends one command of the printer's language as given.",
       {val("stringaComando",
            "The command: code and fields, e.g. `3003`. Sent unchanged (no check, no prefix); an empty text "
            "is not "
            "sent and answers False.")},
       kSent,
       "stringaComando.",
       kRefusals + "."},
      {S,
       "Display_MostraRighe",
       "Shows two lines on the shopper's display.",
       {val("strRiga1", "Upper line, padded or cut to 20 characters."),
        val("strRiga2", "Lower line, padded or cut to 20 characters.")},
       "Boolean: True when the status is ECK_OK and the lines were sent; False when the status is any "
       "other (nothing is shown)." +
           kNoPort,
       "`1109`; then `7007` + strRiga1 (20) + strRiga2 (20).",
       kRefusals + "."},
      {S,
       "Display_MostraRiga",
       "Shows one line on the shopper's display.",
       {val("strRiga", "The line, padded or cut to 20 characters."),
        val("indice",
            "1: the upper line (the lower one is blanked, and the text is kept); any other number: the lower "
            "line, "
            "under the last upper line given with 1 on this thread.")},
       "Boolean: True when the status is ECK_OK and the lines were sent; False when the status is any "
       "other." +
           kNoPort,
       "`1109`; then `7007` + upper line (20) + lower line (20).",
       kRefusals + "."},
      {S,
       "ApriCassetto",
       "Opens the cash drawer unless MeridFiscal.ini bypasses it.",
       {},
       "Variant: True when the port opened, `70081` was sent and the display message was shown (status "
       "ECK_OK); False when bypassed "
       "(nothing is sent); Empty without a port or after a trapped failure.",
       kDrawer + "; nothing when bypassed.",
       "[ByPassApriCassetto] value (0, written when missing: the drawer opens; anything else: bypassed); " +
           kCloseConn + "; " + kRefusals + "."},
      {S,
       "ApriCassettoManuale",
       "Opens the cash drawer, bypass or not.",
       {},
       "Variant: True when the port opened, `70081` was sent and the display message was shown (status "
       "ECK_OK); Empty without a port "
       "or after a trapped failure.",
       kDrawer + ".",
       kCloseConn + "; " + kRefusals + "."},
      {S,
       "Manutenzione_AnnulloScontrinoAperto",
       "Cancels the open receipt, then closes it as ChiudiTransazioneFiscale does.",
       {},
       "Boolean: True when the void line and the closing were sent." + kNoPort,
       "`3001819Annullo transazione000000000`; when it was sent, the closing of ChiudiTransazioneFiscale: " +
           closing,
       closingSettings},
      {S,
       "Manutenzione_EseguiRapportoZ",
       "The daily fiscal closing (Z report), after up to two configured pre-closing commands.",
       {},
       "Boolean: True when `2002` and the pre-closing commands were sent; False when the link could not be "
       "opened." +
           kNoPort,
       kOpenLink +
           "; [Comando1PreChiusuraFiscale] Value when set, then a wait of 5 seconds; "
           "[Comando2PreChiusuraFiscale] Value when set, then 5 seconds; `2002`" +
           kJournalClose,
       "[Comando1PreChiusuraFiscale] Value; [Comando2PreChiusuraFiscale] Value; " + kCloseConn + "; " +
           kRefusals + "."},
      {S,
       "Manutenzione_EseguiRapportoX",
       "An X report (the day's totals, no closing).",
       {ref("Merid_RapportoX",
            "kMerid_RapportoX: kCRX_TotaliDelGiorno (1), the day's totals; any other value sends no report "
            "and "
            "answers False.")},
       "Boolean: True when the report command was sent." + kNoPort,
       kOpenLink + "; `2003` when Merid_RapportoX is 1" + kJournalClose,
       kCloseConn + "; " + kRefusals + "."},
      {S,
       "Manutenzione_RipristinoAnomaliaCarta",
       "Does nothing and answers True (kept for hosts that call it).",
       {},
       "Boolean: True, always, with or without a port.",
       "None.",
       "None."},
      journal("Manutenzione_ProgrammazioneDataOra",
              "Sets the printer's date and time from the computer's clock.", {}, kSent,
              "`2001` + ddmmyy + hhmm of the computer's clock, e.g. `20010412261542`"),
      journal("Manutenzione_RistampaUltimoScontrino", "Reprints the last receipt.", {}, kSent, "`4007`"),
      journal("Manutenzione_DGFE_Data_NScontrini",
              "Prints from the electronic journal the receipts of one day by number.",
              {ref("data", "The day (its time is ignored), sent as ddmmyy."),
               ref("nrScontrinoInizio", "First receipt number, 1 to 9998."),
               ref("nrScontrinoFine", "Last receipt number, 1 to 9998.")},
              outOfRange("Il numero scontrino dev'essere maggiore di zero e inferiore a 9999."),
              "`8002` + ddmmyy + first (4 digits) + last (4 digits) + `0`, e.g. `8002041226000100250`"),
      journal("Manutenzione_DGFE_StampaCompleta", "Prints the whole electronic journal.", {}, kSent,
              "`8005`"),
      journal("Manutenzione_DGFE_IntervalloChiusure",
              "Prints from the electronic journal a range of daily closings.",
              {ref("nrChiusuraInizio", "First closing number, 1 to 9998."),
               ref("nrChiusuraFine", "Last closing number, 1 to 9998.")},
              outOfRange("Il numero di chiusura dev'essere maggiore di zero e inferiore a 9999."),
              "`8003` + first (4 digits) + last (4 digits) + `0000`"),
      journal("Manutenzione_DFGE_NuovoGiornale",
              "Starts a new electronic journal (the name has DFGE where the others have DGFE).", {}, kSent,
              "`8007`"),
      journal("Manutenzione_DGFE_RichiestaRiga", "Asks the electronic journal for one line.",
              {ref("nrRiga", "The journal line (record) number, sent in 9 digits.")}, kSent,
              "`8004` + nrRiga (9 digits)"),
      journal(
          "Manutenzione_DGFE_StampaIntervalloDate", "Prints the electronic journal between two days.",
          {ref("dataInizio", "First day, sent as ddmmyy; must not be later than dataFine (times included)."),
           ref("dataFine", "Last day, sent as ddmmyy.")},
          "Boolean: True when the command was sent. dataInizio later than dataFine shows the message "
          "\"Il valore di data inizio non può essere maggiore di data fine.\", sends nothing and answers "
          "False." +
              kNoPort,
          "`8001` + ddmmyy + ddmmyy + `0`, e.g. `80010112260412260`"),
      {S,
       "IsConnected",
       "Opens the printer link if needed and tells whether it is usable.",
       {},
       "Boolean: True when the printer answered the status request or the port opened." + kNoPort,
       kOpenLink + ".",
       "None."},
      {S,
       "ChiudiConnessioneCOM",
       "Closes the printer link.",
       {},
       "Nothing.",
       "None: the printer library closes the port. Without a port, nothing is done.",
       "None."},

      {"MeridTallo_Fattura",
       "ApriFattura",
       "Stores the port, opens the cash drawer, opens an invoice with the shop header.",
       {documentPort, ref("TotaleFattura", "Invoice total in euros (2 decimals), announced at the opening."),
        ref("isStampaDoppiaCopia", "True prints the invoice in two copies; False, in one."),
        ref("nrCifreDec_Prezzi", kNotUsedDecimals), ref("nrCifreDec_Qta", kNotUsedDecimals)},
       "Boolean: True when the link opened and both invoice commands were sent; it also marks the invoice "
       "open "
       "for RigaFattura. The drawer's answer does not count.",
       "The drawer, as ApriCassetto (" + kDrawer + "), unless bypassed; " + kOpenLink +
           "; `30161` or `30160`; `40012` + `1` or `0` (two copies) + total (9 digits), e.g. "
           "`400121000123450`; "
           "`4002` (shop header).",
       "[ByPassApriCassetto] value; [Fiscal] BufferFatture (not 0: `30161`; 0, written when missing: "
       "`30160`); " +
           kCloseConn + "; " + kRefusals + "."},
      {"MeridTallo_Fattura",
       "RigaFattura",
       "One free line of the invoice body.",
       {val("TestoLibero",
            "Text of the line; a text longer than 32 characters is cut and followed by a blank line."),
        ref("tipoFont", kFontParam)},
       "Boolean: True when the line was sent; False, with nothing sent, when no invoice is open (before "
       "ApriFattura, after a failed one, after ChiudiFattura) or without a port.",
       nonFiscalLine + ".",
       kRefusals + "."},
      {"MeridTallo_Fattura",
       "ChiudiFattura",
       "Prints the total, closes the invoice and the printer link.",
       {val("TotaleFattura", "Invoice total in euros (2 decimals), printed on the total line.")},
       "Boolean: True when the total line and the closing were sent. The invoice is marked closed either "
       "way.",
       "`4003F` + length (2 digits) + label `Importo` (none when [StampaImportoManualeSuFatturaNativaMerid] "
       "value is "
       "set and not 0) + total (9 digits), e.g. `4003F07Importo000123450`; only when it was sent, `4006` and "
       "then "
       "the drawer when [ApriCassettoDopoStampaFattura] value is 1 (" +
           kDrawer + ", on the port of the last opening); the link is then closed, always.",
       "[StampaImportoManualeSuFatturaNativaMerid] value; [ApriCassettoDopoStampaFattura] value (0 written "
       "when "
       "missing); " +
           kCloseConn + "; " + kRefusals + "."},

      {"MeridTallo_NAccr",
       "ApriNotaAccredito",
       "Stores the port and opens a credit note (no drawer).",
       {documentPort, ref("nrCifreDec_Prezzi", kNotUsedDecimals), ref("nrCifreDec_Qta", kNotUsedDecimals)},
       "Boolean: True when the link opened and the opening command was sent; it also marks the credit note "
       "open "
       "for RigaNotaAccredito.",
       kOpenLink + "; `30161` or `30160`; `7102600000`.",
       "[Fiscal] BufferFatture (not 0: `30161`; 0, written when missing: `30160`); " + kRefusals + "."},
      {"MeridTallo_NAccr",
       "RigaNotaAccredito",
       "One line of the credit note: text and price.",
       {val("Testo1", "Text of the line, padded or cut to 20 characters."),
        val("Testo2", "Accepted and not printed."),
        val("Prezzo",
            "Price text in euros, with a decimal comma or point (`19,90`), printed in 9 digits (cents); a "
            "text that "
            "is not a number leaves the price out."),
        ref("tipoFont", "Merid_Font. Accepted and ignored.")},
       "Boolean: True when the line was sent; False, with nothing sent, until an ApriNotaAccredito of "
       "this object has succeeded (ChiudiNotaAccredito does not end that), or without a port.",
       "`3001120` + Testo1 (20) + price (9 digits), e.g. `3001120RESO MAGLIA         000001990`.",
       kRefusals + "."},
      {"MeridTallo_NAccr",
       "ChiudiNotaAccredito",
       "Pays the credit note back in cash and closes it.",
       {val("TotaleNotaAccredito", "Credit note total in euros (2 decimals), paid back in cash.")},
       "Boolean: True when the four commands were sent (each is sent even when one before it could not be).",
       "`300408CONTANTI` + total (9 digits); `3010P12___________`; `3011`; `3013`; when [Fiscal] "
       "CloseConnEachDoc "
       "is not 0, the link is closed (twice).",
       kCloseConn + "; " + kRefusals + "."},
  };
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

const Method* methodOf(const MethodDoc& doc) {
  return findMethod(doc.className, doc.method);
}

std::string typeOf(const MethodDoc& doc, std::size_t i) {
  const Method* m = methodOf(doc);
  return m && i < m->params.size() ? typeName(m->params[i]) : "?";
}

// The blank-separated words of a text; a `quoted command` is one word, its
// blanks kept.
std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (char c : text) {
    if (c == '`') quoted = !quoted;
    if (c == ' ' && !quoted) {
      if (!out.back().empty()) out.emplace_back();
      continue;
    }
    out.back() += c;
  }
  if (out.back().empty()) out.pop_back();
  return out;
}

// The words of `text` in lines of at most `width` (a longer word alone), each
// after `indent`.
std::string wrap(const std::string& text, const std::string& indent, std::size_t width = 79) {
  std::string out, line;
  for (const auto& word : words(text)) {
    if (!line.empty() && indent.size() + line.size() + 1 + word.size() > width) {
      out += indent + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) out += indent + line + "\n";
  return out;
}

std::string signature(const MethodDoc& doc) {
  std::string s = doc.className + "." + doc.method + "(";
  for (std::size_t i = 0; i < doc.params.size(); ++i) s += (i ? ", " : "") + doc.params[i].name;
  return s + ")";
}

const char* kClasses[] = {"MeridTallo_Scontrino", "MeridTallo_Fattura", "MeridTallo_NAccr"};

}  // namespace

const std::vector<MethodDoc>& reference() {
  static const std::vector<MethodDoc> docs = build();
  return docs;
}

std::vector<const MethodDoc*> findDocs(const std::string& name) {
  const auto dot = name.find('.');
  const std::string cls = dot == std::string::npos ? "" : lower(name.substr(0, dot));
  const std::string method = lower(dot == std::string::npos ? name : name.substr(dot + 1));
  std::vector<const MethodDoc*> found;
  for (const auto& d : reference())
    if (lower(d.method) == method && (cls.empty() || lower(d.className) == cls)) found.push_back(&d);
  return found;
}

std::string parameterName(const std::string& className, const std::string& method, std::size_t index) {
  for (const MethodDoc* d : findDocs(className + "." + method))
    if (index < d->params.size()) return d->params[index].name;
  return "";
}

std::string helpEntry(const MethodDoc& d) {
  std::string out = signature(d) + "\n" + wrap(d.summary, "  ") + "\nArguments:\n";
  if (d.params.empty()) out += "  none\n";
  for (std::size_t i = 0; i < d.params.size(); ++i) {
    const auto& p = d.params[i];
    out += "  " + std::to_string(i + 1) + ". " + p.name + ": " + typeOf(d, i) +
           (p.byReference ? ", by reference\n" : ", by value\n") + wrap(p.meaning, "       ");
  }
  out += "Answers:\n" + wrap(d.answers, "  ");
  out += "Printer commands:\n" + wrap(d.commands, "  ");
  out += "Settings read (MeridFiscal.ini unless named):\n" + wrap(d.settings, "  ");
  return out;
}

std::string helpIndex(const std::string& onlyClass) {
  std::string out = "The methods of the three classes; meridctl help METHOD (or CLASS.METHOD) shows one.\n";
  for (const char* cls : kClasses) {
    if (!onlyClass.empty() && lower(onlyClass) != lower(cls)) continue;
    out += std::string("\n") + cls + "\n";
    for (const auto& d : reference()) {
      if (d.className != cls) continue;
      std::string name = "  " + d.method;
      name += name.size() < 40 ? std::string(40 - name.size(), ' ') : " ";
      out += name + d.summary + "\n";
    }
  }
  return out;
}

std::string referenceMarkdown() {
  std::string out =
      "# Method reference\n\n"
      "<!-- Written by `meridctl help --markdown` from tools/meridctl/reference.cpp; edit that file, not "
      "this one. "
      "-->\n\n"
      "Every method of the three classes a host creates: its arguments, what it answers, the printer "
      "commands it "
      "sends and the settings it reads. `meridctl help METHOD` shows the same entry.\n\n"
      "Conventions:\n\n"
      "- Types are the automation types: String, Double (64-bit), Integer (16-bit), Long (32-bit), Boolean "
      "(True = "
      "-1, False = 0), Date, and the enumerations Merid_Font, Merid_BarcodeType, kMerid_RapportoX and "
      "MeridCodeErrors.\n"
      "- No method raises an error to the host. A failure inside a method is written to the error log "
      "(`MeridTallo_Scontrino-Method description`) and the method answers its default: False, Empty or "
      "ECK_OK.\n"
      "- Without a port (no `InitComunicazione`, or -1) the methods of MeridTallo_Scontrino do nothing and "
      "answer "
      "their default; `InitComunicazione`, `InitParametri` and `Manutenzione_RipristinoAnomaliaCarta` need "
      "no "
      "port.\n"
      "- Amounts go to the printer in 9 digits, in cents (`2.50` is `000000250`). Texts are filtered to the "
      "printer's characters.\n"
      "- A command counts as sent when the printer library took it. A command the printer refuses (an error "
      "number) is logged and counts as sent too: paper end (16) or an open cover (64) first shows the "
      "operator a "
      "prompt, then the status (`1109`) is checked again until it is clear; the command is not sent again. A "
      "code "
      "listed in [SkipError] Value1 to Value3 is ignored outright. A method answers False when a command "
      "could not "
      "be sent (the printer library failed), and where its entry says so.\n"
      "- Settings are read from `MeridFiscal.ini` (and `display.ini` where named) in the library's folder; a "
      "missing key is written back with its default, so the file shows what can be set.\n";
  for (const char* cls : kClasses) {
    out += std::string("\n## ") + cls + "\n\n| Method | What it does |\n|---|---|\n";
    for (const auto& d : reference())
      if (d.className == cls) out += "| `" + d.method + "` | " + d.summary + " |\n";
    for (const auto& d : reference()) {
      if (d.className != cls) continue;
      out += "\n### " + d.className + "." + d.method + "\n\n" + d.summary + "\n\n";
      if (d.params.empty()) {
        out += "Arguments: none.\n\n";
      } else {
        out += "| No. | Argument | Type | Passed | Meaning |\n|---|---|---|---|---|\n";
        for (std::size_t i = 0; i < d.params.size(); ++i) {
          const auto& p = d.params[i];
          out += "| " + std::to_string(i + 1) + " | `" + p.name + "` | " + typeOf(d, i) + " | " +
                 (p.byReference ? "by reference" : "by value") + " | " + p.meaning + " |\n";
        }
        out += "\n";
      }
      out += "**Answers:** " + d.answers + "\n\n";
      out += "**Printer commands:** " + d.commands + "\n\n";
      out += "**Settings read:** " + d.settings + "\n";
    }
  }
  return out;
}

std::vector<std::string> referenceProblems() {
  std::vector<std::string> problems;
  for (const char* cls : kClasses) {
    for (const auto& m : methodsOf(cls)) {
      const auto docs = findDocs(std::string(cls) + "." + m.name);
      if (docs.empty()) {
        problems.push_back(std::string(cls) + "." + m.name + " has no entry in the reference");
      } else if (docs.front()->params.size() != m.params.size()) {
        problems.push_back(std::string(cls) + "." + m.name + " takes " + std::to_string(m.params.size()) +
                           " arguments; its entry describes " + std::to_string(docs.front()->params.size()));
      }
    }
  }
  for (const auto& d : reference())
    if (!methodOf(d))
      problems.push_back(d.className + "." + d.method + " is described but no such method exists");
  return problems;
}

int helpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    out << helpIndex();
    return 0;
  }
  if (args.size() == 1 && args[0] == "--markdown") {
    out << referenceMarkdown();
    return 0;
  }
  int status = 0;
  bool first = true;
  for (const auto& name : args) {
    const auto docs = findDocs(name);
    const bool isClass = std::any_of(std::begin(kClasses), std::end(kClasses),
                                     [&](const char* cls) { return lower(cls) == lower(name); });
    if (isClass) {
      out << (first ? "" : "\n") << helpIndex(name);
      first = false;
    } else if (docs.empty()) {
      err << "meridctl: no method " << name << "; meridctl help lists them\n";
      status = 1;
    }
    for (const MethodDoc* d : docs) {
      out << (first ? "" : "\n") << helpEntry(*d);
      first = false;
    }
  }
  return status;
}

}  // namespace meridctl
