// The shopper display, the cash drawer, barcodes, the daily reports and the
// journal and clock commands.

#include <gtest/gtest.h>

#include "config/number_text.h"
#include "devices/maintenance.h"
#include "devices/modBarcode.h"
#include "devices/modCassetto.h"
#include "devices/modDisplay.h"
#include "devices/modRapportoZ.h"
#include "platform/failure.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using test::onPort;
using test::Strings;

std::string pad(const std::string& s) { return (s + std::string(20, ' ')).substr(0, 20); }
const std::string drawer = "7007" + pad("Apertura Cassetto") + pad("");

class Devices : public test::DocumentTest {};

TEST_F(Devices, DisplayDrawerAndBarcode) {
  auto lines = [] {
    const bool two = MostraRigheADisplay("BENVENUTI", "CASSA 2") && MostraRigheADisplay("", "");
    const bool one = MostraRigaADisplay("XYZ", 2) && MostraRigaADisplay("ABC", 1) &&  // before any line 1
                     MostraRigaADisplay("XYZ", 2);
    return two && one && MostraRigheADisplay("ONE", "TWO") && MostraRigaADisplay("Z", 0) &&
           MostraRigaADisplay("UNA RIGA PIU LUNGA DI VENTI", -1);
  };
  auto neither = [] { return !MostraRigheADisplay("A", "B") && !MostraRigaADisplay("A", 1); };
  auto automatic = onPort(ApriCassetto);
  check({
      {"display lines", "", lines, true,
       {"7007BENVENUTI           CASSA 2             ", "7007" + pad("") + pad(""),
        "7007" + pad("") + pad("XYZ"), "7007" + pad("ABC") + pad(""), "7007" + pad("ABC") + pad("XYZ"),
        "7007" + pad("ONE") + pad("TWO"), "7007" + pad("ABC") + pad("Z"),
        "7007" + pad("ABC") + "UNA RIGA PIU LUNGA D"}},
      {"no bypass key", "", automatic, true, {"70081", drawer}, {},
       "[ByPassApriCassetto]\nvalue=0\n[Fiscal]\nCloseConnEachDoc=0\n"},
      {"bypass 0", "[ByPassApriCassetto]\nvalue=0\n", automatic, true, {"70081", drawer}},
      {"bypass 1", "[ByPassApriCassetto]\nvalue=1\n", untouched(automatic), false, {}},
      {"bypass blank 0", "[ByPassApriCassetto]\nvalue=\" 0\"\n", untouched(automatic), false, {}},
      {"bypass 00", "[ByPassApriCassetto]\nvalue=00\n", untouched(automatic), false, {}},
      {"manual despite the bypass", "[ByPassApriCassetto]\nvalue=1\n", onPort(AperturaManualeCassetto), true,
       {"70081", drawer}},
  });
  {
    test::FailingComponents filter(true, false);
    check({{"filter fails", "", neither, true, {}, {}, nullptr,
            {"modDisplay-getComando_InviaRigheDisplay Automation error",
             "modDisplay-getComando_Merid_DisplayRiga Automation error"}}});
  }
  // A printer that is not ready (paper end, cover open, ...) gets nothing on its display.
  const std::size_t before = printer.calls().size();
  for (const test::FakePrinter::Reply& status :
       std::vector<test::FakePrinter::Reply>{{"0010000"}, {"0100000"}, {"0000100"}, {"0000010"}, {"", 5}}) {
    printer.replies({status});
    MERID_ON_FRESH_THREAD(EXPECT_TRUE(neither()) << status.bytes);
  }
  EXPECT_EQ(sent(before), Strings{});
  // The display refuses at its status check: the drawer opened, yet False;
  // the link closes after the drawer, not after a barcode.
  printer.replies({{"0000000"}, {"0010000"}});
  auto drawerThenBarcode = [] {
    std::string text = "ABC123";
    int32_t type = CBT_Code39;
    int16_t port = 2;
    return !AperturaManualeCassetto(port) && StampaBarcode(text, type);
  };
  check({{"display refuses", "[Fiscal]\nCloseConnEachDoc=1\n", drawerThenBarcode, true,
          {"70081", "close", "3021320006ABC123"}}});
  struct Row {
    std::string text;
    int32_t type;
    int16_t option;
    std::string command;
  };
  const Row rows[] = {
      {"8001234567895", CBT_Ean13, -1, "30211200138001234567895"},
      {"12345670", CBT_Ean8, -1, "302122000812345670"},
      {"ABC123", CBT_Code39, -1, "3021320006ABC123"},
      {"ABC123", 7, -1, "302120006ABC123"},
      {"123456789", CBT_Ean13, 0, "3021100009123456789"},
      {"", CBT_Ean8, 1, "3021220000"},
      {std::string(100, '7'), CBT_Code39, 1, "30213200100" + std::string(100, '7')},
  };
  MERID_ON_FRESH_THREAD(for (Row r : rows) {
    EXPECT_EQ(getComando_StampaBarcode(r.text, r.type, r.option), r.command);
  });
}

// Puts "create" when made and "wait N" at each wait among the printer's
// calls, so that their order against the commands shows; can be made to fail.
class RecordingZReport : public platform::ZReportComponent {
 public:
  RecordingZReport(test::FakePrinter& printer, bool fail) : printer_(printer), fail_(fail) {
    record("create");
  }
  void Wait(int32_t& ms) override {
    if (fail_) throw RuntimeFailure("Automation error");
    record("wait " + std::to_string(ms));
  }

 private:
  void record(std::string text) {
    char* p = text.data();
    int32_t status = 0;
    printer_.write(&p, status);
  }
  test::FakePrinter& printer_;
  bool fail_;
};

TEST_F(Devices, Reports) {
  bool failing = false;
  auto previous = platform::setZReportComponentFactory(
      [&] { return std::make_unique<RecordingZReport>(printer, failing); });
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
      {"X report kind 0", closes, onPort(EseguiRapportoX, 0), false, {"close"}},
      {"X report kind 2", closes, onPort(EseguiRapportoX, 2), false, {"close"}},
  });
  failing = true;
  check({{"the component fails: no 2002, the link left open", one + closes, z, false, {"PRE1", "create"}, {},
          nullptr, {"modRapportoZ-EseguiRapportoZ Automation error"}}});
  platform::setZReportComponentFactory(previous);
}

TEST_F(Devices, JournalAndClock) {
  test::FixedClock clock({2026, 12, 4, 15, 42, 7});
  test::BoxRecorder boxes;
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
      {"same day, later start", "", untouched(onPort(dates, dec4late, dec4)), false, {}},
      {"receipts", "", onPort(receipts, dec4late, 1, 25), true, {"8002041226000100250"}},
      {"receipts 9998", "", onPort(receipts, dec4, 9998, 9998), true, {"8002041226999899980"}},
      {"receipt 9999", "", untouched(onPort(receipts, dec4, 1, 9999)), false, {}},
      {"receipt 0", "", untouched(onPort(receipts, dec4, 0, 5)), false, {}},
      {"receipt negative", "", untouched(onPort(receipts, dec4, -3, 5)), false, {}},
      {"closings", "", onPort(closings, 10, 12), true, {"8003001000120000"}},
      {"closings reversed", "", onPort(closings, 12, 10), true, {"8003001200100000"}},
      {"closing 0", "", untouched(onPort(closings, 0, 10)), false, {}},
      {"record", "", onPort(record, 123), true, {"8004000000123"}},
      {"record 0", "", onPort(record, 0), true, {"8004000000000"}},
      {"record negative", "", onPort(record, -5), true, {"8004-000000005"}},
      {"whole journal", "", onPort(Manutenzione_StampaGiornaleElettronico_Integrale), true, {"8005"}},
      {"new journal", "", onPort(Manutenzione_StampaGiornaleElettronico_NuovoDGFE), true, {"8007"}},
  });
  const std::string receipt = "Il numero scontrino dev'essere maggiore di zero e inferiore a 9999.";
  const std::string closing = "Il numero di chiusura dev'essere maggiore di zero e inferiore a 9999.";
  const Strings expected{"Il valore di data inizio non pu\xF2 essere maggiore di data fine.", receipt,
                         receipt, receipt, closing};
  Strings shown;
  for (const auto& box : boxes.boxes()) {
    shown.push_back(box.text);
    EXPECT_EQ(box.title, "Errore DGFE");
    EXPECT_EQ(box.style, 0x1010u);
  }
  EXPECT_EQ(shown, expected);
}

}  // namespace
}  // namespace merid
