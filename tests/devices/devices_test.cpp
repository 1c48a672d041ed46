// Display, drawer, barcode, daily reports, journal prints and the clock, one
// call at a time.

#include <gtest/gtest.h>

#include "devices/maintenance.h"
#include "devices/modBarcode.h"
#include "devices/modCassetto.h"
#include "devices/modDisplay.h"
#include "devices/modRapportoZ.h"
#include "text/number_text.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using namespace test;

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
  // clang-format off
  check({
      {"display lines", "", lines, true,
       {"7007BENVENUTI           CASSA 2             ", "7007" + pad("") + pad(""),
        "7007" + pad("") + pad("XYZ"), "7007" + pad("ABC") + pad(""), "7007" + pad("ABC") + pad("XYZ"),
        "7007" + pad("ONE") + pad("TWO"), "7007" + pad("ABC") + pad("Z"),
        "7007" + pad("ABC") + "UNA RIGA PIU LUNGA D"}},
      {"filter fails", "", neither, true, {}, {}, nullptr,
       {"modDisplay-getComando_InviaRigheDisplay Automation error",
        "modDisplay-getComando_Merid_DisplayRiga Automation error"}, Failing::filter},
      {"no bypass key, then 0", "", [automatic] { return automatic() && automatic(); }, true,
       {"70081", drawer, "70081", drawer}},
      {"bypass blank 0", "[ByPassApriCassetto]\nvalue=\" 0\"\n", automatic, false, {}},
      {"manual despite the bypass", "[ByPassApriCassetto]\nvalue=1\n", onPort(AperturaManualeCassetto), true,
       {"70081", drawer}},
      {"out of paper", "[Fiscal]\nCloseConnEachDoc=1\n", drawerThenBarcode, true,
       {"70081", "close", "3021320006ABC123"}},
  });
  // clang-format on
  auto code = [](std::string text, int32_t type, int16_t option) {
    return getComando_StampaBarcode(text, type, option);
  };
  EXPECT_EQ(code("8001234567895", CBT_Ean13, -1), "30211200138001234567895");
  EXPECT_EQ(code("123456789", CBT_Ean13, 0), "3021100009123456789");
  EXPECT_EQ(code(std::string(100, '7'), CBT_Code39, 1), "30213200100" + std::string(100, '7'));
}

TEST_F(DocumentTest, Reports) {
  bool failing = false;
  components::setZReportComponentFactory(
      [&] { return std::make_unique<RecordingZReport>(printer, failing); });
  const std::string one = "[Comando1PreChiusuraFiscale]\nValue=PRE1\n";
  const std::string two = "[Comando2PreChiusuraFiscale]\nValue=PRE2\n";
  // Only exactly "0" keeps the link open: " 0" closes it after each document.
  const std::string closes = "[Fiscal]\nCloseConnEachDoc=\" 0\"\n";
  auto z = onPort(EseguiRapportoZ);
  // clang-format off
  check({
      {"no pre-closing command", "", z, true, {"2002"}},
      {"second", two, z, true, {"PRE2", "create", "wait 5000", "2002"}},
      {"both, the first refused", one + two, z, false,
       {"PRE1", "create", "wait 5000", "PRE2", "wait 5000", "2002"}, "PRE1"},
      {"closing refused", one, z, false, {"PRE1", "create", "wait 5000", "2002"}, "2002"},
      {"X report", closes, onPort(EseguiRapportoX, 1), true, {"2003", "close"}},
      {"X report kinds 0 and 2", closes,
       [] { return onPort(EseguiRapportoX, 0)() || onPort(EseguiRapportoX, 2)(); }, false,
       {"close", "close"}},
      {"the component fails: no 2002, the link left open", one + closes, [&] { return failing = true, z(); },
       false, {"PRE1", "create"}, {}, nullptr, {"modRapportoZ-EseguiRapportoZ Automation error"}},
  });
  // clang-format on
  components::setZReportComponentFactory(nullptr);
}

TEST_F(DocumentTest, JournalAndClock) {
  FixedClock clock({2026, 12, 4, 15, 42, 7});
  BoxRecorder boxes;
  const double dec4 = toAutomationDate({2026, 12, 4, 0, 0, 0});
  const double dec4late = toAutomationDate({2026, 12, 4, 18, 30, 0});
  auto dates = Manutenzione_StampaGiornaleElettronicoDaDataAData;
  auto receipts = Manutenzione_StampaGiornaleElettronico_Data_NScontrini;
  auto closings = Manutenzione_StampaGiornaleElettronico_IntervalloChiusure;
  auto record = Manutenzione_StampaGiornaleElettronico_RigaDGFE;
  check({
      {"clock", "", onPort(Manutenzione_ProgrammazioneDataOra), true, {"20010412261542"}},
      {"same day, later start", "", onPort(dates, dec4late, dec4), false, {}},
      {"receipts 9998", "", onPort(receipts, dec4, 9998, 9998), true, {"8002041226999899980"}},
      {"receipt 9999", "", onPort(receipts, dec4, 1, 9999), false, {}},
      {"receipt 0", "", onPort(receipts, dec4, 0, 5), false, {}},
      {"closing 0", "", onPort(closings, 0, 10), false, {}},
      {"record negative", "", onPort(record, -5), true, {"8004-000000005"}},
  });
  // Style 4112 (0x1010): critical-stop icon, OK button, system-modal.
  Strings shown;
  for (const auto& b : boxes.boxes()) shown.push_back(b.title + " " + std::to_string(b.style) + " " + b.text);
  const std::string box = "Errore DGFE 4112 ", number = " dev'essere maggiore di zero e inferiore a 9999.";
  const std::string receipt = box + "Il numero scontrino" + number;
  EXPECT_EQ(shown, (Strings{box + "Il valore di data inizio non pu\xF2 essere maggiore di data fine.",
                            receipt, receipt, box + "Il numero di chiusura" + number}));
}

}  // namespace
}  // namespace merid
