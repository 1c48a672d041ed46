// Every command the host library sends, from each document state: the answer
// and the lines it adds to the tape.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>

#include "sim_support.h"
#include "sim_text.h"

namespace {

using namespace simtest;
using merid::sim::center;
using merid::sim::EcrModel;
using merid::sim::kCutMark;
using merid::sim::padRight;
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

Lines concat(std::initializer_list<Lines> parts) {
  Lines out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct Refusal {
  std::string command;
  int answer;
};

// Refused commands by state: the answer, and nothing printed.
// clang-format off
const std::map<std::string, std::vector<Refusal>> kRefusals = {
    {"idle", {{"30162", 3}, {"3016", 24}, {"", 24}, {"31", 24}, {"9999", 116}, {"abcd", 116}, {"8006", 116},
              {"1109X", 24}, {sale('9', 3, "LATTE", 100), 23}, {"3003", 117}, {"3009", 117}, {"3011", 117},
              {"3012106GRAZIE", 117}, {payment("3004", "CONTANTE", 1000), 117}, {kVoid, 117},
              {"3010P12___________", 117}, {nonFiscalLine(1, "CAFFE"), 117}, {"4002", 117}, {"4004", 117},
              {"4006", 117}, {"40013", 3}, {"4001", 24}, {"400120-00000100", 24}, {"400122000000100", 3},
              {"400120-000000100", 23}, {"7102500000", 3}, {"710260000", 24}, {"7007BENVENUTI", 24},
              {"70082", 3}, {"700811", 24}, {"3021120013" "8001234567895", 3}, {"3021220008" "12345671", 3},
              {"3021320006" "abc123", 3}, {"3021200006" "ABC123", 3}, {"3021120012" "8001234567897", 24},
              {"3021120113" "8001234567897", 3}, {"20013212261542", 13}, {"20010412262542", 13},
              {"2001041226154", 24}, {"2001041226154x", 3}, {"20021", 24}, {"4007", 40}, {"8005", 36},
              {"80010112260412260", 36}, {"80010412260112260", 22}, {"80013212260412260", 13},
              {"80010112260412261", 3}, {"8001011226041226", 24}, {"8002041226000100250", 36},
              {"8002041226000000250", 3}, {"8002041226002500010", 3}, {"80020412260001002500", 24},
              {"8003001000120000", 36}, {"8003001200100000", 3}, {"8003001000120001", 3}, {"800300100012000", 24},
              {"8004000000123", 40}, {"8004000000000", 3}, {"8004-00000001", 3}, {"800400000012", 24}}},
    {"receipt", {{sale('1', 99, "PANE", 250), 148}, {sale('1', 0, "PANE", 250), 148}, {sale('2', 3, "PANE", 250), 3},
                 {"3101103AB", 24}, {"31011XX22" + std::string(22, ' ') + "000000100", 3},
                 {"3101103" "22PANE000000100", 24}, {sale('1', 3, "ORO", 100000000), 102},
                 {sale('1', 3, "PANE", -250), 3}, {"3101112022" + padRight("PANE", 22) + "000000100", 148},
                 {sale('9', 3, "LATTE", 300), 23}, {sale('3', 1, "SCONTO", 0), 121}, {sale('3', 1, "SCONTO", 300), 23},
                 {"30031", 24}, {"3002006FRESCO", 3}, {"3002107FRESCO", 24}, {"3002105FRESCO", 24},
                 {"3002133" + std::string(33, 'X'), 24}, {"30021101FRESCO", 24}, {"3011", 25}, {"3009", 25},
                 {payment("3004", "CARTA DI CREDITO", 300), 3}, {payment("3005", "NON PAGATO", 300), 3},
                 {payment("3004", "", 100), 3}, {"300408CONTANTE00000100", 24}, {"3004XXCONTANTE000000100", 3},
                 {payment("3004", "CONTANTE", -100), 3}, {"3001819Annullo transazione000000100", 3},
                 {"3001120RESO MAGLIA         000001990", 117}, {"40011", 117}, {"2002", 117}, {"2003", 117},
                 {"20010412261542", 117}, {"4007", 117}, {"8005", 117}, {"7102600000", 117},
                 {"3012106GRAZIE", 117}, {"3013", 117}}},
    {"paying", {{kSale, 117}, {"3011", 25}, {"3009", 25}, {payment("3004", "BANCOMAT", 200), 3}}},
    {"paid", {{payment("3004", "CONTANTE", 100), 117}, {"3002106FRESCO", 117}}},
    {"after-total", {{"3012006GRAZIE", 3}, {"3011", 117}}},
    {"voided", {{kSale, 117}, {payment("3004", "CONTANTE", 100), 117}, {"3003", 117},
                {"3021120013" "8001234567897", 117}}},
    {"non-fiscal", {{nonFiscalLine(0, "CAFFE"), 3}, {"4003131" + std::string(32, 'C'), 24},
                    {"40031" "3" + std::string(32, 'C'), 3}, {"40041", 24}, {"4006", 117}, {kSale, 117},
                    {"2002", 117}, {"4003F07Importo000001000", 117}}},
    {"invoice", {{"4003F07Importo000000900", 3}, {"4003F07Importo-000001000", 23}, {"4003F07Importo0000010", 24},
                 {"4006", 25}, {"4004", 117}, {"3013", 117}}},
    {"invoice-totalled", {{nonFiscalLine(1, "ARTICOLO"), 117}, {"4003F07Importo000001000", 117}}},
    {"credit-note", {{"3001120RESO MAGLIA         -000001990", 3}, {"3001920RESO MAGLIA         000001990", 3},
                     {"3001121RESO MAGLIA         000001990", 24}, {"300408CONTANTI000001990", 117}, {"3011", 117},
                     {"3010p12___________", 3}, {"3010P1", 24}, {kSale, 117}, {kVoid, 117}}},
    {"credit-note-line", {{"300408CONTANTI000002000", 3}, {"300510NON PAGATO000001990", 117}, {"3011", 25}}},
    {"credit-note-paid", {{"3001120RESO MAGLIA         000001990", 117}}},
    {"receipt-done", {{"80010512260612260", 36}, {"8002041226000200030", 36}, {"8003000200030000", 36},
                      {"8004000000002", 40}, {"8007", 54}, {"20010512261000", 54}}},
};

struct Accepted {
  const char *state;
  std::string command;
  std::optional<Lines> lines;  // nullopt: the golden tapes check what is printed
};

const std::vector<Accepted> kAccepted = {
    {"idle", "30161", Lines{}},
    {"idle", kSale, concat({header("DOCUMENTO COMMERCIALE", "N. 0001-0001"), {"PANE                        2,50"}})},
    {"idle", "3002106FRESCO", concat({header("DOCUMENTO COMMERCIALE", "N. 0001-0001"), {"FRESCO"}})},
    {"idle", "3013", Lines{kCutMark}},
    {"idle", "40011", header("DOCUMENTO GESTIONALE", "N. 0001-0001")},
    {"idle", "400121000123450", header("FATTURA", "N. 0001")},
    {"idle", "7102600000", header("NOTA DI CREDITO", "N. 0001")},
    {"idle", "7102600123", concat({header("NOTA DI CREDITO", "N. 0001"), {"RIF. DOCUMENTO          N. 00123"}})},
    {"idle", display("BENVENUTI", "CASSA 2"), Lines{}},
    {"idle", "70081", Lines{}},
    {"idle", "3021120013" "8001234567897", std::nullopt},
    {"idle", "3021220008" "12345670", std::nullopt},
    {"idle", "3021320006" "ABC123", std::nullopt},
    {"idle", "20010412261542", Lines{}},
    {"idle", "2003", std::nullopt},
    {"idle", "2002", std::nullopt},
    {"idle", "8007", std::nullopt},
    {"receipt", sale('9', 3, "LATTE", 100), Lines{"RESO LATTE                 -1,00"}},
    {"receipt", sale('3', 1, "SCONTO", 50), Lines{"SCONTO                     -0,50"}},
    {"receipt", sale('3', 1, "", 50), Lines{"SCONTO                     -0,50"}},
    {"receipt", "3003", Lines{"SUBTOTALE                   2,50"}},
    {"receipt", "3002106FRESCO", Lines{"FRESCO"}},
    {"receipt", "3002432" + std::string(32, 'X'), Lines{std::string(32, 'X')}},
    {"receipt", payment("3004", "CONTANTE", 100), Lines{kRule, "TOTALE EURO                 2,50", "CONTANTE                    1,00"}},
    {"receipt", payment("3004", "CONTANTE", 0), Lines{kRule, "TOTALE EURO                 2,50", "CONTANTE                    2,50"}},
    {"receipt", payment("3005", "TICKET", 250), Lines{kRule, "TOTALE EURO                 2,50", "TICKET                      2,50"}},
    {"receipt", kVoid, Lines{"Annullo transazione", center("DOCUMENTO ANNULLATO", 32)}},
    {"receipt", display("PANE", "2,50"), Lines{}},
    {"paying", payment("3004", "BANCOMAT", 0), Lines{"BANCOMAT                    1,50"}},
    {"paying", kVoid, Lines{"Annullo transazione", center("DOCUMENTO ANNULLATO", 32)}},
    {"paid", "3009", Lines{"RESTO                       2,50"}},
    {"paid", "3011", Lines{"RESTO                       2,50"}},
    {"after-total", "3012106GRAZIE", Lines{"GRAZIE"}},
    {"after-total", "3012100", Lines{""}},
    {"after-total", "3013", footer()},
    {"after-total", "70081", Lines{}},
    {"after-total", "40011", concat({footer(), header("DOCUMENTO GESTIONALE", "N. 0001-0001")})},
    {"after-total", kSale, concat({footer(), header("DOCUMENTO COMMERCIALE", "N. 0001-0002"), {"PANE                        2,50"}})},
    {"voided", "3011", Lines{}},
    {"non-fiscal", nonFiscalLine(1, "CAFFE"), Lines{"CAFFE"}},
    {"non-fiscal", nonFiscalLine(3, std::string(32, 'C')), Lines{std::string(32, 'C')}},
    {"non-fiscal", "4002", Lines{center("NEGOZIO DI PROVA", 32), center("VIA ROMA 1 - 00100 ROMA", 32), center("P.IVA 00000000000", 32)}},
    {"non-fiscal", "3013", Lines{kCutMark}},
    {"non-fiscal", "4004", footer()},
    {"invoice", nonFiscalLine(1, "ARTICOLO"), Lines{"ARTICOLO"}},
    {"invoice", "4003F07Importo000001000", Lines{kRule, "IMPORTO                    10,00"}},
    {"invoice", "4003F00000001000", Lines{kRule, "TOTALE FATTURA             10,00"}},
    {"invoice-totalled", "4006", footer()},
    {"credit-note", "3001120RESO MAGLIA         000001990", Lines{"RESO MAGLIA                19,90"}},
    {"credit-note", "3010P12___________", Lines{"RIF. DOC. P12        ___________"}},
    {"credit-note-line", "300408CONTANTI000001990", Lines{kRule, "TOTALE EURO                19,90", "CONTANTI                   19,90"}},
    {"credit-note-paid", "3011", Lines{}},
    {"receipt-done", "4007", std::nullopt},
    {"receipt-done", "8005", std::nullopt},
    {"receipt-done", "80010412260412260", std::nullopt},
    {"receipt-done", "8002041226000100010", std::nullopt},
    {"receipt-done", "8003000100010000", std::nullopt},
    {"receipt-done", "8004000000001", std::nullopt},
    {"receipt-done", "20010412261000", Lines{}},
};
// clang-format on

// Runs `command` from `state` in a fresh folder; returns the answer and the
// lines it added to the tape, and gives the state file before and after.
int runFrom(const std::string& state, const std::string& command, Lines& added,
            std::string* stateBefore = nullptr, std::string* stateAfter = nullptr) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  runAll(m, {"30160"});  // so that even a fresh printer has a state file
  runAll(m, kStates.at(state));
  size_t before = tapeLines(dir.path()).size();
  if (stateBefore) *stateBefore = readText(dir.path() + "/state.txt");
  int answer = m.execute(command);
  if (stateAfter) *stateAfter = readText(dir.path() + "/state.txt");
  Lines after = tapeLines(dir.path());
  added.assign(after.begin() + long(before), after.end());
  return answer;
}

TEST(EcrCommands, RefusedFromEachState) {
  for (const auto& [state, refusals] : kRefusals)
    for (const Refusal& r : refusals) {
      SCOPED_TRACE(state + " / " + r.command);
      Lines added;
      std::string stateBefore, stateAfter;
      EXPECT_EQ(runFrom(state, r.command, added, &stateBefore, &stateAfter), r.answer);
      EXPECT_TRUE(added.empty());
      EXPECT_EQ(stateAfter, stateBefore);
    }
}

TEST(EcrCommands, AcceptedFromEachStateWithItsTape) {
  for (const Accepted& a : kAccepted) {
    SCOPED_TRACE(std::string(a.state) + " / " + a.command);
    Lines added;
    EXPECT_EQ(runFrom(a.state, a.command, added), 0);
    if (a.lines) {
      EXPECT_EQ(added, *a.lines);
    }
  }
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
  runAll(m, {"7102600000", "3001120" + merid::sim::padRight("RESO", 20) + amount(300),
             "300408CONTANTI000000300", "3011", "3013"});
  auto& j = m.journal();
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
  const auto& z = m.fiscalMemory()[0];
  EXPECT_EQ(z.total, j[0].total + j[1].total);
  EXPECT_EQ(z.receipts, 2);
  EXPECT_EQ(z.voided, 1);
  EXPECT_EQ(z.invoices, 500);
  EXPECT_EQ(z.creditNotes, 300);
  EXPECT_EQ(z.grandTotal, 2190);
  EXPECT_EQ(z.departments, (std::map<int64_t, int64_t>{{1, -50}, {2, 1990}, {3, 250}, {5, 0}}));
  EXPECT_EQ(z.payments,
            (std::map<std::string, int64_t>{{"BANCOMAT", 990}, {"CONTANTE", 200}, {"CONTANTI", 1000}}));

  // After the closing the receipt numbers start again, the invoice numbers go on.
  runAll(m, {kSale, payment("3004", "CONTANTE", 250), "3011", "400120000000100", "4003F00000000100", "4006"});
  EXPECT_EQ(m.journal()[6].number, 1);
  EXPECT_EQ(m.journal()[6].z, 2);
  EXPECT_EQ(m.journal()[7].number, 2);
  runAll(m, {"2002"});
  EXPECT_EQ(m.fiscalMemory()[1].grandTotal, 2440);
  EXPECT_EQ(m.fiscalMemory()[1].z, 2);
}

// The clock: never before the last closing, and a new day only after one.
TEST(EcrCommands, ClockAndDays) {
  TempDir dir;
  int64_t clock = fixedWallClock();
  EcrModel m(dir.path(), [&] { return clock; });
  runAll(m, {"2002"});
  EXPECT_EQ(m.execute("20010312261542"), 12);
  EXPECT_EQ(m.execute("20010412261541"), 12);
  runAll(m, {"20010512260900", kSale, payment("3004", "CONTANTE", 250), "3011", "3013"});
  EXPECT_EQ(m.journal().back().date + m.journal().back().time, "0512260900");
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
  EXPECT_FALSE(readText(dir.path() + "/journal-1.txt").empty());
  runAll(m, {kSale, payment("3004", "CONTANTE", 250), "3011", "3013"});
  ASSERT_EQ(m.journal().size(), 1u);
  EXPECT_EQ(m.journal()[0].recno, 1);
  EXPECT_EQ(m.journal()[0].counters.journalNo, 2);
}

// The shop header and the departments come from the simulator's settings.
TEST(EcrCommands, SettingsOfTheSimulator) {
  TempDir dir;
  std::ofstream(dir.path() + "/settings.ini") << "[shop]\nline1 = BAR SPORT\n[printer]\ndepartments = 5\n";
  EcrModel m(dir.path(), fixedWallClock);
  EXPECT_EQ(m.execute(sale('1', 6, "PANE", 250)), 148);
  runAll(m, {sale('1', 5, "PANE", 250)});
  EXPECT_EQ(tapeLines(dir.path()).at(0), center("BAR SPORT", 32));
  EXPECT_EQ(tapeLines(dir.path()).at(1), center("DOCUMENTO COMMERCIALE", 32));
}

}  // namespace
