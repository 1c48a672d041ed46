// The routines behind the three classes, one call at a time; the whole
// receipt through the public class is in the automation tests.

#include <gtest/gtest.h>

#include <cmath>

#include "text/number_text.h"
#include "devices/maintenance.h"
#include "devices/modBarcode.h"
#include "devices/modCassetto.h"
#include "devices/modDisplay.h"
#include "devices/modRapportoZ.h"
#include "documents/modFattura.h"
#include "documents/modNonFiscale.h"
#include "fiscal/modFiscale.h"
#include "fiscal/modPagamento.h"
#include "merid/MeridTallo_Fattura.h"
#include "merid/MeridTallo_NAccr.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using namespace test;

const std::string drawer = "7007" + pad("Apertura Cassetto") + pad("");
// A line of a non-fiscal slip or an invoice body: 39 characters.
std::string line(const std::string& text, const std::string& font = "1") {
  return "4003" + font + "32" + pad(text, 32);
}
bool keep(std::string text, int32_t font = 1) { return SalvaRigaDescrittivaPromoInBuffer(text, font); }
std::function<bool()> sale(std::string extra, std::string name, double qty, double total, bool back = false) {
  return [=]() mutable {
    double price = 1.25;
    std::string vat = "22";
    int32_t department = 3;
    return back ? Esegui_Reso(extra, name, qty, price, total, vat, department)
                : Esegui_Vendita(extra, name, qty, price, total, vat, department);
  };
}
std::function<bool()> paid(double amount, std::string name, bool collected = true) {
  return [=] {
    return collected ? InviaPagamentoCorrispettivoRiscosso(7, amount, name)
                     : InviaPagamentoCorrispettivoNonRiscosso(7, amount, name);
  };
}
Case slip(std::string text1, std::string text2, std::string price, int32_t font, Strings sent) {
  return {text1 + "|" + text2 + "|" + price + "|" + std::to_string(font), "",
          [=] { return StampaRigaNonFiscale(text1, text2, price, font); }, true, sent};
}

// Puts "create" when made and "wait N" at each wait among the printer's
// calls, so that their order against the commands shows; can be made to fail.
struct RecordingZReport : components::ZReportComponent {
  RecordingZReport(FakePrinter& printer, bool fail) : printer(printer), fail(fail) { printer.note("create"); }
  void Wait(int32_t& ms) override {
    if (fail) throw RuntimeFailure("Automation error");
    printer.note("wait " + std::to_string(ms));
  }
  FakePrinter& printer;
  bool fail;
};

TEST_F(DocumentTest, OpeningAndClosing) {
  auto opening = onPort(ApriScontrinoFiscale), closing = onPort(ChiudiScontrinoFiscale);
  auto twice = [opening] { return opening() && opening(); };
  const std::string postAndDrawer =
      "[Merid_OperazionePostChiusuraFiscale]\ncode=3050\n[ApriCassettoDopoStampaScontrino]\nvalue=1\n";
  // Every closing command goes out whichever is refused, and the store empties.
  auto keptThenClosed = [closing] {
    keep("X");
    const bool result = closing();
    EXPECT_TRUE(BufferRighePromo()[0].text.empty());
    return result;
  };
  const Strings everything{"3011", "3050", "3012101X", "3013", "70081", drawer};
  Strings ten{"3011"};
  for (int i = 10; i < 20; ++i)
    ten.push_back((i == 12 ? "3012207RIGA " : "3012107RIGA ") + std::to_string(i));
  ten.push_back("3013");
  auto eleven = [closing] {
    bool kept = keep("");  // not stored: an empty text marks a free slot
    for (int i = 10; i <= 20; ++i) kept = keep("RIGA " + std::to_string(i), i == 12 ? 2 : 1) && kept;
    const bool result = closing();
    for (const auto& slot : BufferRighePromo()) EXPECT_TRUE(slot.text.empty() && slot.font == 1);
    return kept && result;
  };
  check({
      {"no Buffer: mode 2, then 1", "", twice, true, {"30160", "30161"}},
      {"Buffer 0", "[Fiscal]\nBuffer=0\n", twice, true, {"30160", "30160"}},
      {"Buffer SI", "[Fiscal]\nBuffer=SI\n", opening, false, {}, {}, nullptr,
       {"modFiscale-ApriScontrinoFiscale Type mismatch"}},
      {"3009 refused", "[ForzaStampaResto]\nValue=1\n", closing, false, {"3009", "3011", "3013"}, "3009"},
      {"ForzaStampaResto 01, empty closing code",
       "[ForzaStampaResto]\nValue=01\n[Merid_OperazioneChiusuraFiscale]\ncode=\n", closing, true,
       {"3011", "3013"}},
      {"own codes", "[Merid_OperazioneChiusuraFiscale]\ncode=3099\n[Merid_PrintAndCut]\ncode=3014\n", closing,
       true, {"3099", "3014"}},
      {"closing refused", postAndDrawer, keptThenClosed, false, everything, "3011"},
      {"kept line refused", postAndDrawer, keptThenClosed, false, everything, "3012101X"},
      {"print and cut refused", postAndDrawer, keptThenClosed, false, everything, "3013"},
      {"post-closing refused", postAndDrawer, keptThenClosed, true, everything, "3050"},
      {"drawer refused", postAndDrawer, keptThenClosed, true, everything, "70081"},
      {"ten kept lines, the eleventh dropped", "", eleven, true, ten},
  });
}

TEST_F(DocumentTest, Lines) {
  auto descriptive = [](std::string text, int32_t font, std::string command) {
    return Case{text + " " + std::to_string(font), "", [=]() mutable {
                  EXPECT_EQ(getComando_RigaCortesiaDopoTotale(text, font), "3012" + command.substr(4));
                  return RigaDescrittivaFiscale(text, font);
                }, true, {command}};
  };
  const std::string forty = "0123456789012345678901234567890123456789";
  const std::string dept3 = "[RepartoVek3]\nrepartoMerid=3\n";
  const std::string quantity = "3002132*   2,000 x    1,25" + std::string(13, ' ');
  const std::string pane = "310110322PANE" + std::string(18, ' ') + "000000250";
  const std::string voidLine = "3001819Annullo transazione000000000";
  const Strings failed{"modFiscale-Esegui_VenditaAReparto Automation error"};
  check({
      descriptive("OFFERTA SPECIALE", 2, "3002216OFFERTA SPECIALE"),
      descriptive("", 1, "3002100"),
      descriptive(forty, 4, "3002432" + forty.substr(0, 32)),
      descriptive(forty.substr(0, 32), 9, "3002932" + forty.substr(0, 32)),
      descriptive("X", 0, "3002001X"),
      descriptive("X", 10, "30021001X"),
      {"quantity 0", dept3, sale("", "PANE", 0, 2.5), true, {pane, shown("PANE", "2,50")}},
      {"a quantity line replaces the extra text", dept3, sale("FRESCO", "PANE", 1234.5, 2.5), true,
       {"3002132*.234,500 x    1,25" + std::string(13, ' '), pane, shown("PANE", "2,50")}},
      {"long name", dept3, sale("", forty, 1, 2.5), true,
       {"310110322" + forty.substr(0, 22) + "000000250", shown(forty, "2,50")}},
      {"return of a negative total", dept3, sale("", "PANE", 1, -2.5, true), true,
       {"310190322PANE" + std::string(18, ' ') + "-000000250", shown("Reso:PANE", "-2,50")}},
      {"quantity line refused", dept3, sale("", "PANE", 2, 2.5), false, {quantity}, quantity},
      {"sale refused: no display", dept3, sale("", "PANE", 1, 2.5), false, {pane}, pane},
      {"void", "", onPort(AnnulloScontrinoAperto), true, {voidLine, "3011", "3013"}},
      {"void refused: no closing", "", onPort(AnnulloScontrinoAperto), false, {voidLine}, voidLine},
      {"filter fails", dept3, sale("", "PANE", 1, 2.5), false, {}, {}, nullptr, failed, Failing::filter},
      {"formatter fails after sale", dept3, sale("", "PANE", 1, 2.5), true, {pane}, {}, nullptr, failed,
       Failing::formatter},
      {"formatter fails on quantity", dept3, sale("", "PANE", 2, 2.5), false, {}, {}, nullptr, failed,
       Failing::formatter},
  });
}

// The quantity goes through the component twice even when the first answer is
// 1: a component that fails on its second call fails a sale of one piece.
TEST_F(DocumentTest, TheQuantityIsAdjustedTwice) {
  struct SecondCallFails : components::NumberFormatter {
    int calls = 0;
    double AdjustNumber(double& n) override { return ++calls == 2 ? throw RuntimeFailure("Automation error") : n; }
    std::string AmountText(double&) override { return "2,50"; }
  };
  setIni("[RepartoVek3]\nrepartoMerid=3\n");
  auto previous = components::setNumberFormatterFactory([] { return std::make_unique<SecondCallFails>(); });
  MERID_ON_FRESH_THREAD(EXPECT_FALSE(sale("", "PANE", 1, 2.5)()));
  components::setNumberFormatterFactory(previous);
  EXPECT_TRUE(printer.calls().empty());
  EXPECT_EQ(logs.errors().size(), 1u);
}

TEST_F(DocumentTest, Payments) {
  const std::string d100(100, 'D');
  const char* bancomat = "[Pagamento_BANCOMAT]\nvalue=CARTA DEBITO\n[isCorrNonRiscosso_BANCOMAT]\nvalue=1\n";
  check({
      {"card", "", paid(23.5, "CARTA DI CREDITO"), true,
       {shown("CARTA DI CREDITO", "23,50"), "300416CARTA DI CREDITO000002350"}},
      {"ticket", "", paid(7, "Ticket"), true, {shown("Ticket", "7,00"), "300506TICKET000000700"}, {},
       "[Pagamento_Ticket]\nvalue=TICKET\n[isCorrNonRiscosso_Ticket]\nvalue=1\n"},
      {"unknown", "", paid(4.2, "BONUS"), true, {shown("BONUS", "4,20"), "300408CONTANTE000000420"}, {}, ""},
      {"trailing blank", "", paid(4.2, "CONTANTI "), true,
       {shown("CONTANTI ", "4,20"), "300408CONTANTE000000420"}, {}, ""},
      {"settings", bancomat, paid(12, "Bancomat"), true,
       {shown("Bancomat", "12,00"), "300512CARTA DEBITO000001200"}, {}, bancomat},
      {"empty description", "[Pagamento_contanti]\nvalue=\n[isCorrNonRiscosso_CONTANTI]\nvalue=SI\n",
       paid(0, "CONTANTI"), true, {shown("CONTANTI", "0,00"), "300408CONTANTE000000000"}, {},
       "[Pagamento_contanti]\nvalue=CONTANTE\n[isCorrNonRiscosso_CONTANTI]\nvalue=SI\n"},
      {"long description", "[Pagamento_Assegno]\nvalue=" + d100 + "\n", paid(1, "Assegno"), true,
       {shown("Assegno", "1,00"), "3004100" + d100 + "000000100"}},
      {"not collected", "", paid(15, "CONTANTI", false), true,
       {shown("NON PAGATO", "15,00"), "300510NON PAGATO000001500"}},
      // No amount field: the command goes without one, and the printer refuses it.
      {"NaN", "", paid(std::nan(""), "Contanti"), true, {"300408CONTANTE"}, {}, nullptr,
       {"modUtility-FormatPrzMerid Type mismatch", "modPagamento-getComando_Pagamento Overflow"}},
      // The display fails after the command is whole: the payment still goes out.
      {"formatter fails", "", paid(10, "Contanti"), true, {"300408CONTANTE000001000"}, {}, nullptr,
       {"modPagamento-getComando_Pagamento Automation error"}, Failing::formatter},
  });
}

TEST_F(DocumentTest, DisplayDrawerAndBarcode) {
  auto lines = [] {
    const bool two = MostraRigheADisplay("BENVENUTI", "CASSA 2") && MostraRigheADisplay("", "");
    const bool one = MostraRigaADisplay("XYZ", 2) && MostraRigaADisplay("ABC", 1) &&  // before any line 1
                     MostraRigaADisplay("XYZ", 2);
    return two && one && MostraRigheADisplay("ONE", "TWO") && MostraRigaADisplay("Z", 0) &&
           MostraRigaADisplay("UNA RIGA PIU LUNGA DI VENTI", -1);
  };
  auto neither = [] { return !MostraRigheADisplay("A", "B") && !MostraRigaADisplay("A", 1); };
  // A printer out of paper gets nothing on its display: the drawer opens, yet
  // False. The link closes after the drawer, not after a barcode.
  auto drawerThenBarcode = [this] {
    std::string text = "ABC123";
    int32_t type = CBT_Code39;
    int16_t port = 2;
    printer.replies({{"0000000"}, {"0010000"}, {"0010000"}, {"0000000"}});
    return !AperturaManualeCassetto(port) && !MostraRigaADisplay("A", 1) && StampaBarcode(text, type);
  };
  auto automatic = onPort(ApriCassetto);
  check({
      {"display lines", "", lines, true,
       {"7007BENVENUTI           CASSA 2             ", "7007" + pad("") + pad(""),
        "7007" + pad("") + pad("XYZ"), "7007" + pad("ABC") + pad(""), "7007" + pad("ABC") + pad("XYZ"),
        "7007" + pad("ONE") + pad("TWO"), "7007" + pad("ABC") + pad("Z"),
        "7007" + pad("ABC") + "UNA RIGA PIU LUNGA D"}},
      {"filter fails", "", neither, true, {}, {}, nullptr,
       {"modDisplay-getComando_InviaRigheDisplay Automation error",
        "modDisplay-getComando_Merid_DisplayRiga Automation error"},
       Failing::filter},
      {"no bypass key, then 0", "", [automatic] { return automatic() && automatic(); }, true,
       {"70081", drawer, "70081", drawer}, {},
       "[ByPassApriCassetto]\nvalue=0\n[Fiscal]\nCloseConnEachDoc=0\n"},
      {"bypass blank 0", "[ByPassApriCassetto]\nvalue=\" 0\"\n", automatic, false, {}},
      {"manual despite the bypass", "[ByPassApriCassetto]\nvalue=1\n", onPort(AperturaManualeCassetto), true,
       {"70081", drawer}},
      {"out of paper", "[Fiscal]\nCloseConnEachDoc=1\n", drawerThenBarcode, true,
       {"70081", "close", "3021320006ABC123"}},
  });
  auto code = [](std::string text, int32_t type, int16_t option) {
    return getComando_StampaBarcode(text, type, option);
  };
  EXPECT_EQ(code("8001234567895", CBT_Ean13, -1), "30211200138001234567895");
  EXPECT_EQ(code("ABC123", 7, 1), "302120006ABC123");
  EXPECT_EQ(code("123456789", CBT_Ean13, 0), "3021100009123456789");
  EXPECT_EQ(code("", CBT_Ean8, 1), "3021220000");
  EXPECT_EQ(code(std::string(100, '7'), CBT_Code39, 1), "30213200100" + std::string(100, '7'));
}

TEST_F(DocumentTest, Reports) {
  bool failing = false;
  components::setZReportComponentFactory([&] { return std::make_unique<RecordingZReport>(printer, failing); });
  const std::string one = "[Comando1PreChiusuraFiscale]\nValue=PRE1\n";
  const std::string two = "[Comando2PreChiusuraFiscale]\nValue=PRE2\n";
  const std::string closes = "[Fiscal]\nCloseConnEachDoc=1\n";
  auto z = onPort(EseguiRapportoZ);
  check({
      {"no pre-closing command", "", z, true, {"2002"}, {},
       "[Comando1PreChiusuraFiscale]\nValue=\n[Comando2PreChiusuraFiscale]\nValue=\n"
       "[Fiscal]\nCloseConnEachDoc=0\n"},
      {"first", one, z, true, {"PRE1", "create", "wait 5000", "2002"}},
      {"second", two, z, true, {"PRE2", "create", "wait 5000", "2002"}},
      {"both, the first refused", one + two, z, false,
       {"PRE1", "create", "wait 5000", "PRE2", "wait 5000", "2002"}, "PRE1"},
      {"closing refused", one, z, false, {"PRE1", "create", "wait 5000", "2002"}, "2002"},
      {"X report", closes, onPort(EseguiRapportoX, 1), true, {"2003", "close"}},
      {"X report kinds 0 and 2", closes,
       [] { return onPort(EseguiRapportoX, 0)() || onPort(EseguiRapportoX, 2)(); },
       false, {"close", "close"}},
      {"the component fails: no 2002, the link left open", one + closes, [&] { failing = true; return z(); },
       false, {"PRE1", "create"}, {}, nullptr, {"modRapportoZ-EseguiRapportoZ Automation error"}},
  });
  components::setZReportComponentFactory(nullptr);
}

TEST_F(DocumentTest, JournalAndClock) {
  FixedClock clock({2026, 12, 4, 15, 42, 7});
  BoxRecorder boxes;
  const double dec1 = toAutomationDate({2026, 12, 1, 0, 0, 0});
  const double dec4 = toAutomationDate({2026, 12, 4, 0, 0, 0});
  const double dec4late = toAutomationDate({2026, 12, 4, 18, 30, 0});
  auto dates = Manutenzione_StampaGiornaleElettronicoDaDataAData;
  auto receipts = Manutenzione_StampaGiornaleElettronico_Data_NScontrini;
  auto closings = Manutenzione_StampaGiornaleElettronico_IntervalloChiusure;
  auto record = Manutenzione_StampaGiornaleElettronico_RigaDGFE;
  check({
      {"reprint", "", onPort(Manutenzione_RistampaUltimoScontrino), true, {"4007"}},
      {"clock", "", onPort(Manutenzione_ProgrammazioneDataOra), true, {"20010412261542"}},
      {"dates", "", onPort(dates, dec1, dec4), true, {"80010112260412260"}},
      {"same moment", "", onPort(dates, dec4late, dec4late), true, {"80010412260412260"}},
      {"same day, later start", "", onPort(dates, dec4late, dec4), false, {}},
      {"receipts", "", onPort(receipts, dec4late, 1, 25), true, {"8002041226000100250"}},
      {"receipts 9998", "", onPort(receipts, dec4, 9998, 9998), true, {"8002041226999899980"}},
      {"receipt 9999", "", onPort(receipts, dec4, 1, 9999), false, {}},
      {"receipt 0", "", onPort(receipts, dec4, 0, 5), false, {}},
      {"receipt negative", "", onPort(receipts, dec4, -3, 5), false, {}},
      {"closings", "", onPort(closings, 10, 12), true, {"8003001000120000"}},
      {"closings reversed", "", onPort(closings, 12, 10), true, {"8003001200100000"}},
      {"closing 0", "", onPort(closings, 0, 10), false, {}},
      {"record", "", onPort(record, 123), true, {"8004000000123"}},
      {"record 0", "", onPort(record, 0), true, {"8004000000000"}},
      {"record negative", "", onPort(record, -5), true, {"8004-000000005"}},
      {"whole journal", "", onPort(Manutenzione_StampaGiornaleElettronico_Integrale), true, {"8005"}},
      {"new journal", "", onPort(Manutenzione_StampaGiornaleElettronico_NuovoDGFE), true, {"8007"}},
  });
  // Style 4112 (0x1010): critical-stop icon, OK button, system-modal.
  Strings shown;
  for (const auto& b : boxes.boxes()) shown.push_back(b.title + " " + std::to_string(b.style) + " " + b.text);
  const std::string box = "Errore DGFE 4112 ", number = " dev'essere maggiore di zero e inferiore a 9999.";
  const std::string receipt = box + "Il numero scontrino" + number;
  EXPECT_EQ(shown, (Strings{box + "Il valore di data inizio non pu\xF2 essere maggiore di data fine.",
                            receipt, receipt, receipt, box + "Il numero di chiusura" + number}));
}

TEST_F(DocumentTest, NonFiscal) {
  const std::string abbonamento = "ABBONAMENTO ANNUALE RIVISTA TECNICA", grazie = "GRAZIE E ARRIVEDERCI";
  const std::string second = "SECONDA RIGA MOLTO LUNGA DEL TESTO";
  auto openAndClose = [] {
    int16_t port = 1;
    return AperturaTransazioneNonFiscale(port) && ChiusuraTransazioneNonFiscale();
  };
  const Strings cutAndHeader{"40011", "3013", "4002", "3013", "4004"};
  check({
      slip("CAFFE", "", "1,20", 1, {line("CAFFE" + std::string(23, ' ') + "1,20")}),
      slip(abbonamento, "", "49,90", 2, {line(abbonamento, "2"), line(std::string(27, ' ') + "49,90", "2")}),
      slip("ARTICOLO", "MOD. 12", "3,00", 1,
           {line("ARTICOLO"), line("MOD. 12" + std::string(21, ' ') + "3,00")}),
      slip(grazie, "", "", 4, {line(grazie, "4")}),
      slip(grazie, "", "", 7, {line(grazie)}),
      slip(grazie, "", "", 8, {line(grazie)}),
      slip(grazie, "", "", 9, {line(grazie)}),
      slip("X", "", "", 0, {line("X", "0")}),
      slip("X", "", "", 10, {"400310" "32X" + std::string(31, ' ')}),
      slip("", "", "", 1, {line("")}),
      slip(std::string(32, 'A'), "", "", 1, {line(std::string(32, 'A'))}),
      slip(std::string(40, 'B'), "", "", 1, {line(std::string(32, 'B')), line("")}),
      slip("X", "", std::string(40, '9'), 1, {line("X"), line(std::string(32, '9'))}),
      slip("UNO", second, "5,00", 1,
           {line("UNO"), line(second.substr(0, 32)), line(std::string(28, ' ') + "5,00")}),
      {"negative count of spaces", "",
       [] { return StampaRigaNonFiscale(std::string(28, ' ') + "ABC", "", "1,20", 1); },
       false, {}, {}, nullptr, {"modNonFiscale-StampaRigaNonFiscale Invalid procedure call or argument"}},
      {"defaults", "", openAndClose, true, {"40011", "4004"}, {},
       "[ParametriNonFiscale]\nTaglioCarta=0\nStampaIntestazione=0\n[Fiscal]\nCloseConnEachDoc=0\n"},
      {"cut and header", "[ParametriNonFiscale]\nTaglioCarta=1\nStampaIntestazione=1\n", openAndClose, true,
       cutAndHeader},
      {"00 and blank 0 are not 0", "[ParametriNonFiscale]\nTaglioCarta=00\nStampaIntestazione=\" 0\"\n",
       openAndClose, true, cutAndHeader},
      {"cut refused, closed all the same", "[ParametriNonFiscale]\nTaglioCarta=1\n",
       ChiusuraTransazioneNonFiscale, false, {"3013", "4004"}, "3013"},
  });
}

TEST_F(DocumentTest, Invoice) {
  // A line of 40 characters before, in and after the invoice, which is closed when asked.
  auto invoice = [](double total, bool copy, bool close = false) {
    return [=]() mutable {
      MeridTallo_Fattura f;
      int16_t port = 1, decimals = 2;
      Merid_Font font = kMerid_Normale;
      const std::string forty(40, 'L');
      const bool before = f.RigaFattura(forty, font);
      const bool opened = f.ApriFattura(port, total, copy, decimals, decimals);
      EXPECT_EQ(f.RigaFattura(forty, font), opened);
      return !before && opened && (!close || (f.ChiudiFattura(total) && !f.RigaFattura(forty, font)));
    };
  };
  auto closing = [] { return MeridTallo_Fattura().ChiudiFattura(0); };
  const std::string bypass = "[ByPassApriCassetto]\nvalue=1\n", amount = "4003F07Importo000000000";
  const std::string l32 = line(std::string(32, 'L')), blank = line("");
  check({
      // The link closes at the end whatever CloseConnEachDoc says.
      {"whole invoice", bypass, invoice(1234.5, true, true), true,
       {"30160", "400121000123450", "4002", l32, blank, "4003F07Importo000123450", "4006", "close"}, {},
       "[ByPassApriCassetto]\nvalue=1\n[Fiscal]\nBufferFatture=0\n"
       "[StampaImportoManualeSuFatturaNativaMerid]\nvalue=\n[ApriCassettoDopoStampaFattura]\nvalue=0\n"},
      {"total 0", bypass, invoice(0, false), true, {"30160", "400120000000000", "4002", l32, blank}},
      {"ten million", bypass + "[Fiscal]\nBufferFatture=1\n", invoice(12345678.9, false), true,
       {"30161", "4001201234567890", "4002", l32, blank}},
      {"drawer first", "[Fiscal]\nBufferFatture=0\n", invoice(10, true), true,
       {"70081", drawer, "30160", "400121000001000", "4002", l32, blank}},
      {"buffer SI", bypass + "[Fiscal]\nBufferFatture=SI\n", invoice(10, false), false, {}, {}, nullptr,
       {"modFattura-ApriFatturaFiscale Type mismatch"}},
      {"no label", "[StampaImportoManualeSuFatturaNativaMerid]\nvalue=1\n", closing, true,
       {"4003F00000000000", "4006", "close"}},
      {"label, drawer after: 2",
       "[StampaImportoManualeSuFatturaNativaMerid]\nvalue=0\n[ApriCassettoDopoStampaFattura]\nvalue=2\n",
       closing, true, {amount, "4006", "close"}},
      {"drawer after: 1", "[ApriCassettoDopoStampaFattura]\nvalue=1\n", closing, true,
       {amount, "4006", "70081", drawer, "close"}},
  });
}

TEST_F(DocumentTest, CreditNote) {
  auto whole = [] {
    MeridTallo_NAccr n;
    Merid_Font font = kMerid_Grassetto;
    int16_t port = 1, decimals = 2;
    const bool before = n.RigaNotaAccredito("PRIMA", "", "1", font);
    const bool body = n.ApriNotaAccredito(port, decimals, decimals) &&
                      n.RigaNotaAccredito("RESO MAGLIA", "<null>", "19,90", font) &&
                      n.RigaNotaAccredito("DESCRIZIONE MOLTO PIU LUNGA", "x<null>y", "0", font) &&
                      n.ChiudiNotaAccredito(19.9);
    return !before && body && n.RigaNotaAccredito("", "", "2,5", font);  // still open after the closing
  };
  auto failedOpening = [] {
    MeridTallo_NAccr n;
    int16_t port = 1, decimals = 2;
    Merid_Font font = kMerid_Normale;
    return n.ApriNotaAccredito(port, decimals, decimals) || n.RigaNotaAccredito("X", "", "1", font);
  };
  // No drawer, and the link stays open with CloseConnEachDoc off.
  check({{"whole credit note", "[Fiscal]\nBufferFatture=1\n", whole, true,
          {"30161", "7102600000", "3001120RESO MAGLIA         000001990",
           "3001120DESCRIZIONE MOLTO PI000000000", "300408CONTANTI000001990", "3010P12___________", "3011",
           "3013", "3001120" + std::string(20, ' ') + "000000250"}},
         {"reference refused", "[Fiscal]\nCloseConnEachDoc=1\n",
          [] { return MeridTallo_NAccr().ChiudiNotaAccredito(5); }, false,
          {"300408CONTANTI000000500", "3010P12___________", "3011", "3013", "close", "close"},
          "3010P12___________"}});
  printer.replies({{"", 1}});
  printer.openResult = 1;
  check({{"failed opening", "", failedOpening, false, {"open"}}});
}

}  // namespace
}  // namespace merid
