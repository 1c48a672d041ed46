// The core on the virtual printer: a whole day of trading through the public
// classes, the paper running out in the middle of a receipt, and a second
// process carrying on the numbering.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "merid/MeridTallo_Fattura.h"
#include "merid/MeridTallo_NAccr.h"
#include "merid/MeridTallo_Scontrino.h"
#include "platform/printer_library.h"
#include "support/fakes.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;

class OnTheVirtualPrinter : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("MERID_SIM_DIR", sim().c_str(), 1);
    ::setenv("MERID_CEFDLL", MERID_SIM_LIBRARY, 1);
    platform::resetBuiltinPrinterLibrary();
  }
  void TearDown() override {
    platform::resetBuiltinPrinterLibrary();
    ::unsetenv("MERID_SIM_DIR");
    ::unsetenv("MERID_CEFDLL");
  }
  std::string sim() const { return home.path() + "/printer"; }
  std::string tape() const { return test::readFile(sim() + "/tape.txt"); }
  // The lines of a state file, one record a line, split on '|'.
  std::vector<Strings> records(const std::string& name) const {
    std::vector<Strings> out;
    std::istringstream in(test::readFile(sim() + "/" + name));
    std::string line;
    while (std::getline(in, line)) {
      Strings fields;
      std::stringstream parts(line);
      std::string f;
      while (std::getline(parts, f, '|')) fields.push_back(f);
      out.push_back(fields);
    }
    return out;
  }

  test::TempHome home;
  test::FixedClock clock{{2026, 12, 5, 9, 0, 0}};
  test::BoxRecorder boxes;
};

// The time of day on the tape follows the computer's clock; the rest is fixed.
std::string withoutTimeOfDay(const std::string& tape) {
  return std::regex_replace(tape, std::regex("(\\d\\d-\\d\\d-\\d{4}) \\d\\d:\\d\\d"), "$1 hh:mm");
}

void tradingDay() {
  MeridTallo_Scontrino s;
  int16_t port = 1;
  s.InitComunicazione(port);
  EXPECT_TRUE(s.Manutenzione_ProgrammazioneDataOra());

  EXPECT_TRUE(s.ApriTransazioneFiscale());
  EXPECT_TRUE(s.Vendita("", "PANE", 2, 1.25, 2.5, "", "4", 1));
  EXPECT_TRUE(s.Vendita("BIO", "MELE", 1, 3.2, 3.2, "", "4", 2));
  EXPECT_TRUE(s.Vendita("", "VINO ROSSO", 1, 8.9, 8.9, "", "22", 3));
  EXPECT_TRUE(s.Reso("", "VINO ROSSO", 1, 8.9, 8.9, "", "22", 3));
  EXPECT_TRUE(s.ScontoValoreRiga(0.5, "SCONTO MELE"));
  EXPECT_EQ(s.ScontoValoreTotale(1, "SCONTO FEDELTA"), std::optional<bool>(true));
  EXPECT_TRUE(s.RigaLiberaFiscale_Promo("GRAZIE E ARRIVEDERCI"));
  EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(2, 2, "Bancomat"));
  EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(1, 5, "Contanti"));
  EXPECT_TRUE(s.ChiudiTransazioneFiscale());

  EXPECT_TRUE(s.ApriTransazioneFiscale());
  EXPECT_TRUE(s.Vendita("", "CAFFE", 6, 1.1, 6.6, "", "10", 2));
  EXPECT_TRUE(s.RigaLiberaFiscale_Fondo("OFFERTE OGNI GIOVEDI"));
  EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(5, 3, "Ticket"));
  EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(1, 5, "Contanti"));
  EXPECT_TRUE(s.ChiudiTransazioneFiscale());

  EXPECT_TRUE(s.ApriTransazioneFiscale());
  EXPECT_TRUE(s.Vendita("", "GIORNALE", 1, 1.8, 1.8, "", "4", 1));
  EXPECT_TRUE(s.Manutenzione_AnnulloScontrinoAperto());

  EXPECT_TRUE(s.ApriTransazioneFiscale());
  EXPECT_TRUE(s.Vendita("", "ACQUA", 3, 0.35, 1.05, "", "22", 3));
  EXPECT_TRUE(s.SubTotale());
  EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(1, 1.05, "Contanti"));
  EXPECT_TRUE(s.ChiudiTransazioneFiscale());

  EXPECT_TRUE(s.ApriTransazioneNonFiscale());
  EXPECT_TRUE(s.RigaLiberaNonFiscale("BUONO SCONTO", "", "5,00", kMerid_DoppiaAltezza));
  EXPECT_TRUE(s.StampaBarcode_NonFiscale("8001234567897", CBT_Ean13));
  EXPECT_TRUE(s.ChiudiTransazioneNonFiscale());

  MeridTallo_Fattura f;
  double total = 122;
  bool copy = false;
  int16_t decimals = 2;
  Merid_Font font = kMerid_Normale;
  EXPECT_TRUE(f.ApriFattura(port, total, copy, decimals, decimals));
  EXPECT_TRUE(f.RigaFattura("ROSSI SRL - VIA ROMA 1 - MILANO", font));
  EXPECT_TRUE(f.ChiudiFattura(total));

  MeridTallo_NAccr n;
  EXPECT_TRUE(n.ApriNotaAccredito(port, decimals, decimals));
  EXPECT_TRUE(n.RigaNotaAccredito("RESO SCIARPA", "", "19,90", font));
  EXPECT_TRUE(n.ChiudiNotaAccredito(19.9));

  kMerid_RapportoX day = kCRX_TotaliDelGiorno;
  EXPECT_TRUE(s.Manutenzione_EseguiRapportoX(day));
  EXPECT_TRUE(s.Manutenzione_EseguiRapportoZ());
}

TEST_F(OnTheVirtualPrinter, ADayOfTrading) {
  test::onFreshThread(tradingDay);
  const std::string golden = std::string(MERID_GOLDEN_DIR) + "/trading_day.txt";
  if (std::getenv("MERID_UPDATE_GOLDEN")) test::writeFile(golden, withoutTimeOfDay(tape()));
  EXPECT_EQ(withoutTimeOfDay(tape()), test::readFile(golden));
  EXPECT_TRUE(boxes.boxes().empty());

  // The Z record holds the sum of the day's receipts.
  long long receipts = 0;
  int count = 0;
  for (const auto& r : records("journal.txt"))
    if (r.size() > 7 && r[5] == "SC") {
      receipts += std::stoll(r[7]);
      ++count;
    }
  EXPECT_EQ(count, 3);
  EXPECT_EQ(receipts, 420 + 660 + 105);
  const auto fiscal = records("fiscal.txt");
  ASSERT_EQ(fiscal.size(), 1u);
  EXPECT_EQ(fiscal[0][1], "1");
  EXPECT_EQ(std::stoll(fiscal[0][4]), receipts);
}

TEST_F(OnTheVirtualPrinter, ASecondProcessCarriesOnTheNumbering) {
  test::onFreshThread([] {
    MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    EXPECT_TRUE(s.Manutenzione_ProgrammazioneDataOra());
    for (int i = 0; i < 2; ++i) {
      EXPECT_TRUE(s.Vendita("", "PANE", 1, 1, 1, "", "", 1));
      EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(1, 1, "Contanti"));
      EXPECT_TRUE(s.ChiudiTransazioneFiscale());
    }
  });
  const std::string script = home.file("next.meridctl");
  test::writeFile(script,
                  "s = MeridTallo_Scontrino\ns.InitComunicazione 1\ns.ApriTransazioneFiscale\n"
                  "s.Vendita \"\", \"LATTE\", 1, 1.5, 1.5, \"\", \"\", 1\n"
                  "s.Pagamento_CorrispettivoRiscosso 1, 1.5, \"Contanti\"\ns.ChiudiTransazioneFiscale\n"
                  "s.Manutenzione_EseguiRapportoZ\n");
  const std::string command = std::string(MERIDCTL_PATH) + " --printer " + MERID_SIM_LIBRARY + " --sim-dir " +
                              sim() + " --home " + home.path() + " run " + script + " > " + home.file("out.txt");
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(test::readFile(home.file("out.txt")),
            "s.InitComunicazione\ns.ApriTransazioneFiscale -> True\ns.Vendita -> True\ns.Pagamento_CorrispettivoRiscosso -> True\n"
            "s.ChiudiTransazioneFiscale -> True\ns.Manutenzione_EseguiRapportoZ -> True\n");
  Strings numbers;
  const std::string t = tape();
  const std::regex number("N\\. (\\d{4}-\\d{4})");
  for (auto it = std::sregex_iterator(t.begin(), t.end(), number);
       it != std::sregex_iterator(); ++it)
    numbers.push_back((*it)[1]);
  EXPECT_EQ(numbers, (Strings{"0001-0001", "0001-0002", "0001-0003"}));
  EXPECT_EQ(records("fiscal.txt").size(), 1u);
}

TEST_F(OnTheVirtualPrinter, ThePaperRunsOutInTheMiddleOfAReceipt) {
  ASSERT_EQ(std::system(("mkdir -p " + sim()).c_str()), 0);
  test::writeFile(sim() + "/faults.ini", "[faults]\npaper_end_after_lines = 9\nclear_after_status = 2\n");
  test::onFreshThread([] {
    MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    EXPECT_TRUE(s.ApriTransazioneFiscale());
    const char* items[] = {"PANE", "LATTE", "UOVA", "BURRO", "FARINA", "ZUCCHERO"};
    for (const char* item : items) EXPECT_TRUE(s.Vendita("", item, 1, 1, 1, "", "", 1)) << item;
    EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(1, 10, "Contanti"));
    EXPECT_TRUE(s.ChiudiTransazioneFiscale());
  });
  ASSERT_FALSE(boxes.boxes().empty());
  EXPECT_EQ(boxes.boxes()[0].text, "Carta esaurita o coperchio aperto: premere OK quando pronti.");
  const std::string t = tape();
  for (const char* line : {"PANE                        1,00", "ZUCCHERO                    1,00",
                           "TOTALE EURO                 6,00", "RESTO                       4,00"}) {
    std::size_t count = 0;
    for (std::size_t at = t.find(line); at != std::string::npos; at = t.find(line, at + 1)) ++count;
    EXPECT_EQ(count, 1u) << line;
  }
  const auto journal = records("journal.txt");
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0][7], "600");
}

}  // namespace
}  // namespace merid
