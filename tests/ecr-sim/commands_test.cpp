// Every command the host library sends, from each document state: the answer
// and the lines it adds to the tape.
#include <map>
#include <optional>

#include <gtest/gtest.h>

#include "sim_support.h"
#include "sim_text.h"

namespace {

using namespace simtest;
using merid::sim::center;
using merid::sim::EcrModel;
using merid::sim::kCutMark;
using Lines = std::vector<std::string>;

const std::string kSale = sale('1', 3, "PANE", 250);
const std::string kVoid = "3001819Annullo transazione000000000";
const std::string kRule(32, '-');

// How to reach each state from a fresh printer.
const std::map<std::string, std::vector<std::string>> kStates = {
    {"idle", {}},
    {"receipt", {kSale}},
    {"paying", {kSale, payment("3004", "CONTANTE", 100)}},
    {"paid", {kSale, payment("3004", "CONTANTE", 500)}},
    {"after-total", {kSale, payment("3004", "CONTANTE", 500), "3011"}},
    {"voided", {kSale, kVoid}},
    {"non-fiscal", {"40011"}},
    {"invoice", {"400120000001000"}},
    {"invoice-totalled", {"400120000001000", "4003F07Importo000001000"}},
    {"credit-note", {"7102600000"}},
    {"credit-note-line", {"7102600000", "3001120RESO MAGLIA         000001990"}},
    {"credit-note-paid", {"7102600000", "3001120RESO MAGLIA         000001990", "300408CONTANTI000001990"}},
    {"receipt-done", {kSale, payment("3004", "CONTANTE", 250), "3011", "3013"}},
};

struct Row {
  const char *state;
  std::string command;
  int answer;
  std::optional<Lines> lines;  // nullopt: printed lines checked by the golden tapes
};

Lines concat(std::initializer_list<Lines> parts) {
  Lines out;
  for (auto &p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const std::vector<Row> kRows = {
    // Link, unknown commands, bad lengths.
    {"idle", "30161", 0, Lines{}},
    {"idle", "30162", 3, Lines{}},
    {"idle", "3016", 24, Lines{}},
    {"idle", "", 24, Lines{}},
    {"idle", "31", 24, Lines{}},
    {"idle", "9999", 116, Lines{}},
    {"idle", "abcd", 116, Lines{}},
    {"idle", "8006", 116, Lines{}},
    {"idle", "1109X", 24, Lines{}},
    // Receipt lines from idle open a receipt with its header.
    {"idle", kSale, 0, concat({header("DOCUMENTO COMMERCIALE", "N. 0001-0001"), {"PANE                        2,50"}})},
    {"idle", "3002106FRESCO", 0, concat({header("DOCUMENTO COMMERCIALE", "N. 0001-0001"), {"FRESCO"}})},
    {"idle", sale('9', 3, "LATTE", 100), 23, Lines{}},
    {"idle", "3003", 117, Lines{}},
    {"idle", "3009", 117, Lines{}},
    {"idle", "3011", 117, Lines{}},
    {"idle", "3012106GRAZIE", 117, Lines{}},
    {"idle", "3013", 0, Lines{kCutMark}},
    {"idle", payment("3004", "CONTANTE", 1000), 117, Lines{}},
    {"idle", kVoid, 117, Lines{}},
    {"idle", "3010P12___________", 117, Lines{}},
    {"idle", nonFiscalLine(1, "CAFFE"), 117, Lines{}},
    {"idle", "4002", 117, Lines{}},
    {"idle", "4004", 117, Lines{}},
    {"idle", "4006", 117, Lines{}},
    {"idle", "40013", 3, Lines{}},
    {"idle", "4001", 24, Lines{}},
    {"idle", "40011", 0, header("DOCUMENTO GESTIONALE", "N. 0001-0001")},
    {"idle", "400121000123450", 0, header("FATTURA", "N. 0001")},
    {"idle", "400120-00000100", 24, Lines{}},
    {"idle", "400122000000100", 3, Lines{}},
    {"idle", "400120-000000100", 23, Lines{}},
    {"idle", "7102600000", 0, header("NOTA DI CREDITO", "N. 0001")},
    {"idle", "7102600123", 0,
     concat({header("NOTA DI CREDITO", "N. 0001"), {"RIF. DOCUMENTO          N. 00123"}})},
    {"idle", "7102500000", 3, Lines{}},
    {"idle", "710260000", 24, Lines{}},
    // Display and drawer: nothing printed.
    {"idle", display("BENVENUTI", "CASSA 2"), 0, Lines{}},
    {"idle", "7007BENVENUTI", 24, Lines{}},
    {"idle", "70081", 0, Lines{}},
    {"idle", "70082", 3, Lines{}},
    {"idle", "700811", 24, Lines{}},
    // Barcodes: the check digit is verified.
    {"idle", "3021120013" "8001234567897", 0, std::nullopt},
    {"idle", "3021120013" "8001234567895", 3, Lines{}},
    {"idle", "3021220008" "12345670", 0, std::nullopt},
    {"idle", "3021220008" "12345671", 3, Lines{}},
    {"idle", "3021320006" "ABC123", 0, std::nullopt},
    {"idle", "3021320006" "abc123", 3, Lines{}},
    {"idle", "3021200006" "ABC123", 3, Lines{}},  // no symbology digit
    {"idle", "3021120012" "8001234567897", 24, Lines{}},
    {"idle", "3021120113" "8001234567897", 3, Lines{}},
    // Clock.
    {"idle", "20010412261542", 0, Lines{}},
    {"idle", "20013212261542", 13, Lines{}},
    {"idle", "20010412262542", 13, Lines{}},
    {"idle", "2001041226154", 24, Lines{}},
    {"idle", "2001041226154x", 3, Lines{}},
    // Reports and journal on an empty journal.
    {"idle", "2003", 0, std::nullopt},
    {"idle", "2002", 0, std::nullopt},
    {"idle", "20021", 24, Lines{}},
    {"idle", "4007", 40, Lines{}},
    {"idle", "8005", 36, Lines{}},
    {"idle", "80010112260412260", 36, Lines{}},
    {"idle", "80010412260112260", 22, Lines{}},
    {"idle", "80013212260412260", 13, Lines{}},
    {"idle", "80010112260412261", 3, Lines{}},
    {"idle", "8001011226041226", 24, Lines{}},
    {"idle", "8002041226000100250", 36, Lines{}},
    {"idle", "8002041226000000250", 3, Lines{}},
    {"idle", "8002041226002500010", 3, Lines{}},
    {"idle", "80020412260001002500", 24, Lines{}},
    {"idle", "8003001000120000", 36, Lines{}},
    {"idle", "8003001200100000", 3, Lines{}},
    {"idle", "8003001000120001", 3, Lines{}},
    {"idle", "800300100012000", 24, Lines{}},
    {"idle", "8004000000123", 40, Lines{}},
    {"idle", "8004000000000", 3, Lines{}},
    {"idle", "8004-00000001", 3, Lines{}},
    {"idle", "800400000012", 24, Lines{}},
    {"idle", "8007", 0, std::nullopt},
    // In a receipt.
    {"receipt", sale('1', 99, "PANE", 250), 148, Lines{}},
    {"receipt", sale('1', 0, "PANE", 250), 148, Lines{}},
    {"receipt", sale('2', 3, "PANE", 250), 3, Lines{}},
    {"receipt", "3101103AB", 24, Lines{}},
    {"receipt", "31011XX22" + std::string(22, ' ') + "000000100", 3, Lines{}},
    {"receipt", "3101103" "22PANE000000100", 24, Lines{}},
    {"receipt", sale('1', 3, "ORO", 100000000), 102, Lines{}},
    {"receipt", sale('1', 3, "PANE", -250), 3, Lines{}},
    {"receipt", "3101112022" + merid::sim::padRight("PANE", 22) + "000000100", 148, Lines{}},
    {"receipt", sale('9', 3, "LATTE", 100), 0, Lines{"RESO LATTE                 -1,00"}},
    {"receipt", sale('9', 3, "LATTE", 300), 23, Lines{}},
    {"receipt", sale('3', 1, "SCONTO", 50), 0, Lines{"SCONTO                     -0,50"}},
    {"receipt", sale('3', 1, "", 50), 0, Lines{"SCONTO                     -0,50"}},
    {"receipt", sale('3', 1, "SCONTO", 0), 121, Lines{}},
    {"receipt", sale('3', 1, "SCONTO", 300), 23, Lines{}},
    {"receipt", "3003", 0, Lines{"SUBTOTALE                   2,50"}},
    {"receipt", "30031", 24, Lines{}},
    {"receipt", "3002106FRESCO", 0, Lines{"FRESCO"}},
    {"receipt", "3002432" + std::string(32, 'X'), 0, Lines{std::string(32, 'X')}},
    {"receipt", "3002006FRESCO", 3, Lines{}},
    {"receipt", "3002107FRESCO", 24, Lines{}},
    {"receipt", "3002105FRESCO", 24, Lines{}},
    {"receipt", "3002133" + std::string(33, 'X'), 24, Lines{}},
    {"receipt", "30021101FRESCO", 24, Lines{}},  // font 10
    {"receipt", "3011", 25, Lines{}},
    {"receipt", "3009", 25, Lines{}},
    {"receipt", payment("3004", "CONTANTE", 100), 0, Lines{kRule, "TOTALE EURO                 2,50", "CONTANTE                    1,00"}},
    {"receipt", payment("3004", "CONTANTE", 0), 0, Lines{kRule, "TOTALE EURO                 2,50", "CONTANTE                    2,50"}},
    {"receipt", payment("3004", "CARTA DI CREDITO", 300), 3, Lines{}},
    {"receipt", payment("3005", "NON PAGATO", 300), 3, Lines{}},
    {"receipt", payment("3005", "TICKET", 250), 0, Lines{kRule, "TOTALE EURO                 2,50", "TICKET                      2,50"}},
    {"receipt", payment("3004", "", 100), 3, Lines{}},
    {"receipt", "300408CONTANTE00000100", 24, Lines{}},
    {"receipt", "3004XXCONTANTE000000100", 3, Lines{}},
    {"receipt", payment("3004", "CONTANTE", -100), 3, Lines{}},
    {"receipt", kVoid, 0, Lines{"Annullo transazione", center("DOCUMENTO ANNULLATO", 32)}},
    {"receipt", "3001819Annullo transazione000000100", 3, Lines{}},
    {"receipt", "3001120RESO MAGLIA         000001990", 117, Lines{}},
    {"receipt", "40011", 117, Lines{}},
    {"receipt", "2002", 117, Lines{}},
    {"receipt", "2003", 117, Lines{}},
    {"receipt", "20010412261542", 117, Lines{}},
    {"receipt", "4007", 117, Lines{}},
    {"receipt", "8005", 117, Lines{}},
    {"receipt", "7102600000", 117, Lines{}},
    {"receipt", "3012106GRAZIE", 117, Lines{}},
    {"receipt", "3013", 117, Lines{}},
    {"receipt", display("PANE", "2,50"), 0, Lines{}},
    // Paying: no more sales; zero pays the rest.
    {"paying", kSale, 117, Lines{}},
    {"paying", "3011", 25, Lines{}},
    {"paying", "3009", 25, Lines{}},
    {"paying", payment("3004", "BANCOMAT", 0), 0, Lines{"BANCOMAT                    1,50"}},
    {"paying", payment("3004", "BANCOMAT", 200), 3, Lines{}},
    {"paying", kVoid, 0, Lines{"Annullo transazione", center("DOCUMENTO ANNULLATO", 32)}},
    {"paid", "3009", 0, Lines{"RESTO                       2,50"}},
    {"paid", "3011", 0, Lines{"RESTO                       2,50"}},
    {"paid", payment("3004", "CONTANTE", 100), 117, Lines{}},
    {"paid", "3002106FRESCO", 117, Lines{}},
    // After the total: courtesy lines, then the cut; anything else finishes the receipt first.
    {"after-total", "3012106GRAZIE", 0, Lines{"GRAZIE"}},
    {"after-total", "3012211ARRIVEDERCI", 0, Lines{"ARRIVEDERCI"}},
    {"after-total", "3012006GRAZIE", 3, Lines{}},
    {"after-total", "3012100", 0, Lines{""}},
    {"after-total", "3013", 0, footer()},
    {"after-total", "3011", 117, Lines{}},
    {"after-total", "70081", 0, Lines{}},
    {"after-total", "40011", 0, concat({footer(), header("DOCUMENTO GESTIONALE", "N. 0001-0001")})},
    {"after-total", kSale, 0,
     concat({footer(), header("DOCUMENTO COMMERCIALE", "N. 0001-0002"), {"PANE                        2,50"}})},
    {"voided", "3011", 0, Lines{}},
    {"voided", kSale, 117, Lines{}},
    {"voided", payment("3004", "CONTANTE", 100), 117, Lines{}},
    {"voided", "3003", 117, Lines{}},
    {"voided", "3021120013" "8001234567897", 117, Lines{}},
    // Non-fiscal document.
    {"non-fiscal", nonFiscalLine(1, "CAFFE"), 0, Lines{"CAFFE"}},
    {"non-fiscal", nonFiscalLine(3, std::string(32, 'C')), 0, Lines{std::string(32, 'C')}},
    {"non-fiscal", nonFiscalLine(0, "CAFFE"), 3, Lines{}},
    {"non-fiscal", "4003131" + std::string(32, 'C'), 24, Lines{}},
    {"non-fiscal", "40031" "3" + std::string(32, 'C'), 3, Lines{}},
    {"non-fiscal", "4002", 0, Lines{center("NEGOZIO DI PROVA", 32), center("VIA ROMA 1 - 00100 ROMA", 32), center("P.IVA 00000000000", 32)}},
    {"non-fiscal", "3013", 0, Lines{kCutMark}},
    {"non-fiscal", "4004", 0, footer()},
    {"non-fiscal", "40041", 24, Lines{}},
    {"non-fiscal", "4006", 117, Lines{}},
    {"non-fiscal", kSale, 117, Lines{}},
    {"non-fiscal", "2002", 117, Lines{}},
    {"non-fiscal", "4003F07Importo000001000", 117, Lines{}},
    // Invoice announced at 10,00.
    {"invoice", nonFiscalLine(1, "ARTICOLO"), 0, Lines{"ARTICOLO"}},
    {"invoice", "4002", 0, Lines{center("NEGOZIO DI PROVA", 32), center("VIA ROMA 1 - 00100 ROMA", 32), center("P.IVA 00000000000", 32)}},
    {"invoice", "4003F07Importo000001000", 0, Lines{kRule, "IMPORTO                    10,00"}},
    {"invoice", "4003F00000001000", 0, Lines{kRule, "TOTALE FATTURA             10,00"}},
    {"invoice", "4003F07Importo000000900", 3, Lines{}},
    {"invoice", "4003F07Importo-000001000", 23, Lines{}},
    {"invoice", "4003F07Importo0000010", 24, Lines{}},
    {"invoice", "4006", 25, Lines{}},
    {"invoice", "4004", 117, Lines{}},
    {"invoice", "3013", 117, Lines{}},
    {"invoice-totalled", "4006", 0, footer()},
    {"invoice-totalled", nonFiscalLine(1, "ARTICOLO"), 117, Lines{}},
    {"invoice-totalled", "4003F07Importo000001000", 117, Lines{}},
    // Credit note.
    {"credit-note", "3001120RESO MAGLIA         000001990", 0, Lines{"RESO MAGLIA                19,90"}},
    {"credit-note", "3001120RESO MAGLIA         -000001990", 3, Lines{}},
    {"credit-note", "3001920RESO MAGLIA         000001990", 3, Lines{}},
    {"credit-note", "3001121RESO MAGLIA         000001990", 24, Lines{}},
    {"credit-note", "300408CONTANTI000001990", 117, Lines{}},
    {"credit-note", "3011", 117, Lines{}},
    {"credit-note", "3010P12___________", 0, Lines{"RIF. DOC. P12        ___________"}},
    {"credit-note", "3010p12___________", 3, Lines{}},
    {"credit-note", "3010P1", 24, Lines{}},
    {"credit-note", kSale, 117, Lines{}},
    {"credit-note", kVoid, 117, Lines{}},
    {"credit-note-line", "300408CONTANTI000001990", 0, Lines{kRule, "TOTALE EURO                19,90", "CONTANTI                   19,90"}},
    {"credit-note-line", "300408CONTANTI000002000", 3, Lines{}},
    {"credit-note-line", "300510NON PAGATO000001990", 117, Lines{}},
    {"credit-note-line", "3011", 25, Lines{}},
    {"credit-note-paid", "3011", 0, Lines{}},
    {"credit-note-paid", "3001120RESO MAGLIA         000001990", 117, Lines{}},
    // Reports and journal once a receipt is in the journal.
    {"receipt-done", "4007", 0, std::nullopt},
    {"receipt-done", "8005", 0, std::nullopt},
    {"receipt-done", "80010412260412260", 0, std::nullopt},
    {"receipt-done", "80010512260612260", 36, Lines{}},
    {"receipt-done", "8002041226000100010", 0, std::nullopt},
    {"receipt-done", "8002041226000200030", 36, Lines{}},
    {"receipt-done", "8003000100010000", 0, std::nullopt},
    {"receipt-done", "8003000200030000", 36, Lines{}},
    {"receipt-done", "8004000000001", 0, std::nullopt},
    {"receipt-done", "8004000000002", 40, Lines{}},
    {"receipt-done", "8007", 54, Lines{}},
    {"receipt-done", "20010512261000", 54, Lines{}},
    {"receipt-done", "20010412261000", 0, Lines{}},
};

TEST(EcrCommands, AnswerAndTapeFromEachState) {
  for (const Row &row : kRows) {
    SCOPED_TRACE(std::string(row.state) + " / " + row.command);
    TempDir dir;
    EcrModel m(dir.path(), fixedWallClock);
    runAll(m, kStates.at(row.state));
    size_t before = tapeLines(dir.path()).size();
    EXPECT_EQ(m.execute(row.command), row.answer);
    Lines after = tapeLines(dir.path());
    Lines added(after.begin() + long(before), after.end());
    if (row.lines) {
      EXPECT_EQ(added, *row.lines);
    }
    if (row.answer != 0) {
      EXPECT_TRUE(added.empty());
    }
  }
}

// A refused command leaves the document exactly as it was.
TEST(EcrCommands, RefusalChangesNothing) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  runAll(m, {kSale, payment("3004", "CONTANTE", 100)});
  std::string before = readText(dir.path() + "/state.txt");
  for (const char *c : {"3011", "3101", "40011", "9999", "3009"}) EXPECT_NE(m.execute(c), 0) << c;
  EXPECT_EQ(readText(dir.path() + "/state.txt"), before);
}

TEST(EcrCommands, DisplayAndDrawerState) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  runAll(m, {display("BENVENUTI", "CASSA 2"), "70081", "70081"});
  EXPECT_EQ(m.state().display1, "BENVENUTI           ");
  EXPECT_EQ(m.state().display2, "CASSA 2             ");
  EXPECT_EQ(m.state().drawerOpenings, 2);
}

// Money, totals and numbering over a day, checked against the fiscal memory.
TEST(EcrCommands, DayTotalsNumberingAndClosing) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  runAll(m, {sale('1', 3, "PANE", 250), sale('1', 5, "VINO", 1200), sale('9', 5, "VINO", 1200),
             sale('3', 1, "SCONTO", 50), payment("3004", "CONTANTE", 1000), "3011", "3013"});
  runAll(m, {sale('1', 2, "LIBRO", 1990), payment("3004", "BANCOMAT", 990), payment("3004", "CONTANTI", 2000),
             "3011", "3013"});
  runAll(m, {sale('1', 2, "PENNA", 150), kVoid, "3011", "3013"});
  runAll(m, {"400120000000500", nonFiscalLine(1, "X"), "4003F07Importo000000500", "4006"});
  runAll(m, {"7102600000", "3001120" + merid::sim::padRight("RESO", 20) + amount(300), "300408CONTANTI000000300", "3011", "3013"});
  auto &j = m.journal();
  ASSERT_EQ(j.size(), 5u);
  EXPECT_EQ(j[0].total, 200);
  EXPECT_EQ(j[0].change, 800);
  EXPECT_EQ(j[0].payments.at("CONTANTE"), 200);
  EXPECT_EQ(j[1].payments.at("CONTANTI"), 1000);  // 2000 given, 1000 back
  EXPECT_EQ(j[1].number, 2);
  EXPECT_EQ(j[2].kind, "AN");
  EXPECT_EQ(j[2].number, 3);
  EXPECT_EQ(j[3].kind, "FA");
  EXPECT_EQ(j[4].kind, "NC");
  for (size_t i = 0; i < j.size(); ++i) EXPECT_EQ(j[i].recno, int64_t(i + 1));

  runAll(m, {"2002"});
  ASSERT_EQ(m.fiscalMemory().size(), 1u);
  const auto &z = m.fiscalMemory()[0];
  EXPECT_EQ(z.total, j[0].total + j[1].total);
  EXPECT_EQ(z.receipts, 2);
  EXPECT_EQ(z.voided, 1);
  EXPECT_EQ(z.invoices, 500);
  EXPECT_EQ(z.creditNotes, 300);
  EXPECT_EQ(z.grandTotal, 2190);
  EXPECT_EQ(z.departments, (std::map<int64_t, int64_t>{{1, -50}, {2, 1990}, {3, 250}, {5, 0}}));
  EXPECT_EQ(z.payments, (std::map<std::string, int64_t>{{"BANCOMAT", 990}, {"CONTANTE", 200}, {"CONTANTI", 1000}}));

  // After the closing the receipt numbers start again, the invoice numbers go on.
  runAll(m, {kSale, payment("3004", "CONTANTE", 250), "3011", "400120000000100", "4003F00000000100", "4006"});
  EXPECT_EQ(m.journal()[6].number, 1);
  EXPECT_EQ(m.journal()[6].z, 2);
  EXPECT_EQ(m.journal()[7].number, 2);
  runAll(m, {"2002"});
  EXPECT_EQ(m.fiscalMemory()[1].grandTotal, 2440);
  EXPECT_EQ(m.fiscalMemory()[1].z, 2);
}

TEST(EcrCommands, ClockCannotGoBeforeTheLastClosing) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  runAll(m, {"2002"});
  EXPECT_EQ(m.execute("20010312261542"), 12);
  EXPECT_EQ(m.execute("20010412261541"), 12);
  EXPECT_EQ(m.execute("20010512260900"), 0);
  runAll(m, {kSale, payment("3004", "CONTANTE", 250), "3011", "3013"});
  EXPECT_EQ(m.journal().back().date, "051226");
  EXPECT_EQ(m.journal().back().time, "0900");
}

TEST(EcrCommands, ANewDayNeedsAClosingFirst) {
  TempDir dir;
  int64_t clock = fixedWallClock();
  EcrModel m(dir.path(), [&] { return clock; });
  runAll(m, {kSale, payment("3004", "CONTANTE", 250), "3011", "3013"});
  clock += 24 * 3600;
  EXPECT_EQ(m.execute(kSale), 54);
  EXPECT_EQ(m.execute("400120000000100"), 54);
  runAll(m, {"40011", "4004", "2002", kSale});
}

TEST(EcrCommands, NewJournalStartsNumberingAgain) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  runAll(m, {kSale, payment("3004", "CONTANTE", 250), "3011", "3013", "2002", "8007"});
  EXPECT_TRUE(m.journal().empty());
  EXPECT_EQ(m.state().counters.journalNo, 2);
  EXPECT_FALSE(readText(dir.path() + "/journal-1.txt").empty());
  runAll(m, {kSale, payment("3004", "CONTANTE", 250), "3011", "3013"});
  ASSERT_EQ(m.journal().size(), 1u);
  EXPECT_EQ(m.journal()[0].recno, 1);
  EXPECT_EQ(m.journal()[0].counters.journalNo, 2);
}

}  // namespace
