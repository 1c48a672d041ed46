// The printed tape of each document kind, compared with a golden file.
// MERID_UPDATE_GOLDEN=1 rewrites the golden files after an intended change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "sim_support.h"
#include "sim_text.h"

namespace {

using namespace simtest;
using merid::sim::EcrModel;
using merid::sim::padRight;

struct Case {
  const char* name;
  std::vector<std::string> setup;     // not part of the golden
  std::vector<std::string> commands;  // their tape is the golden
};

const std::string kPaid[] = {sale('1', 3, "PANE", 250), payment("3004", "CONTANTE", 0), "3011", "3013"};

const std::vector<Case> kCases = {
    {"receipt",
     {},
     {"30161", "3002132*   2,000 x    1,25             ", sale('1', 3, "PANE", 250), display("PANE", "2,50"),
      "3002106FRESCO", sale('1', 5, "VINO ROSSO DOC 75CL LUNGO", 1290), sale('9', 5, "VINO ROSSO", 1290),
      sale('3', 1, "SCONTO RIGA", 20), sale('1', 2, "QUADERNO", 1000), "3003",
      sale('3', 1, "SCONTO 10%", 123), "3002216OFFERTA SPECIALE", payment("3004", "BANCOMAT", 500),
      payment("3004", "CONTANTE", 1000), "3011", "3012106GRAZIE", "3012111ARRIVEDERCI", "3013", "70081"}},
    {"voided",
     {},
     {sale('1', 3, "PANE", 250), sale('1', 3, "LATTE", 120), "3001819Annullo transazione000000000", "3011",
      "3012106GRAZIE", "3013"}},
    {"non_fiscal",
     {},
     {"40011", "3013", "4002", nonFiscalLine(1, "CAFFE                       1,20"),
      nonFiscalLine(2, "ABBONAMENTO ANNUALE RIVISTA TECN"),
      nonFiscalLine(2, "                           49,90"), nonFiscalLine(3, "RIGA CONDENSATA"),
      nonFiscalLine(4, "GRAZIE E ARRIVEDERCI"), nonFiscalLine(1, ""), "3013", "4004"}},
    {"invoice",
     {},
     {"30160", "400121000123450", "4002", nonFiscalLine(1, "CONSULENZA TECNICA"),
      nonFiscalLine(1, "ORE 10 x 123,45"), "4003F07Importo000123450", "4006"}},
    {"credit_note",
     {},
     {"30160", "7102600000", "3001120" + padRight("RESO MAGLIA", 20) + amount(1990),
      "3001120" + padRight("RESO CALZE", 20) + amount(500), "300408CONTANTI000002490", "3010P12___________",
      "3011", "3013"}},
    {"barcode",
     {},
     {"3021120013"
      "8001234567897",
      "3021220008"
      "12345670",
      "3021320006"
      "ABC123"}},
    {"x_report", {kPaid[0], kPaid[1], kPaid[2], kPaid[3]}, {"2003"}},
    {"z_report",
     {kPaid[0], kPaid[1], kPaid[2], kPaid[3], "400120000000500", "4003F00000000500", "4006", "7102600000",
      "3001120" + padRight("RESO", 20) + amount(100), "300408CONTANTI000000100", "3011", "3013"},
     {"2002"}},
    {"reprint", {kPaid[0], kPaid[1], kPaid[2], kPaid[3]}, {"4007"}},
    {"journal", {kPaid[0], kPaid[1], kPaid[2], kPaid[3], "2002"}, {"8003000100010000"}},
};

std::string join(const std::vector<std::string>& lines) {
  std::string out;
  for (auto& l : lines) out += l + "\n";
  return out;
}

TEST(EcrGolden, EachDocumentKind) {
  bool update = std::getenv("MERID_UPDATE_GOLDEN") != nullptr;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    EcrModel m(dir.path(), fixedWallClock);
    runAll(m, c.setup);
    size_t before = tapeLines(dir.path()).size();
    runAll(m, c.commands);
    auto lines = tapeLines(dir.path());
    std::string tape = join(std::vector<std::string>(lines.begin() + long(before), lines.end()));
    std::string path = std::string(MERID_SIM_GOLDEN_DIR) + "/" + c.name + ".txt";
    if (update) std::ofstream(path, std::ios::binary) << tape;
    EXPECT_EQ(tape, readText(path));
  }
}

// Every printed line fits the roll: 32 columns, 42 for the condensed fonts.
TEST(EcrGolden, LinesFitTheRoll) {
  TempDir dir;
  EcrModel m(dir.path(), fixedWallClock);
  for (const Case& c : kCases) {
    runAll(m, c.setup);
    runAll(m, c.commands);
  }
  std::string html = readText(dir.path() + "/tape.html");
  auto lines = tapeLines(dir.path());
  ASSERT_GT(lines.size(), 100u);
  for (auto& l : lines) EXPECT_LE(l.size(), 42u) << l;
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(html.find("<!DOCTYPE html>", 1), std::string::npos);
  EXPECT_NE(html.find("<div class=\"l c\">    SIMULATORE - DOCUMENTO NON FISCALE</div>"), std::string::npos);
  // The same tape: one element per line of tape.txt.
  size_t elements = 0;
  for (size_t at = html.find("<div class="); at != std::string::npos; at = html.find("<div class=", at + 1))
    ++elements;
  EXPECT_EQ(elements, lines.size() + 1);  // and the roll itself
}

}  // namespace
