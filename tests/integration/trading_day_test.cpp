// The core on the virtual printer: a whole day of trading through the public
// classes, with the paper running out in the first receipt, and a second
// process refused while this one holds the port, then carrying on the numbering.

#include <gtest/gtest.h>

#include <cstdlib>
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

  test::TempHome home;
  test::FixedClock clock{{2026, 12, 5, 9, 0, 0}};
  test::BoxRecorder boxes;
};

// The tape without the time of day, which follows the computer's clock, and
// without the shop header, rules and footer that frame every document: the
// virtual printer's own golden files check those.
std::string withoutFrame(const std::string& tape) {
  const std::regex frame(
      "-+|(- )+-8<.*| *(NEGOZIO DI PROVA|VIA ROMA 1 - 00100 ROMA|"
      "P\\.IVA 0+|SIMULATORE - .*)");
  std::istringstream in(tape);
  std::string out;
  for (std::string line; std::getline(in, line);)
    if (!std::regex_match(line, frame)) out += line + "\n";
  return std::regex_replace(out, std::regex("(\\d\\d-\\d\\d-\\d{4}) \\d\\d:\\d\\d"), "$1 hh:mm");
}

// Each document's calls in one chain: a failing call leaves the tape short of the golden file.
void tradingDay() {
  MeridTallo_Scontrino s;
  MeridTallo_Fattura f;
  MeridTallo_NAccr n;
  int16_t port = 1, decimals = 2;
  double total = 122;
  bool copy = false;
  Merid_Font font = kMerid_Normale;
  kMerid_RapportoX day = kCRX_TotaliDelGiorno;
  s.InitComunicazione(port);
  EXPECT_TRUE(s.Manutenzione_ProgrammazioneDataOra());
  EXPECT_TRUE(s.ApriTransazioneFiscale() && s.Vendita("", "PANE", 2, 1.25, 2.5, "", "4", 1) &&
              s.Vendita("BIO", "MELE", 1, 3.2, 3.2, "", "4", 2) &&
              s.Vendita("", "VINO ROSSO", 1, 8.9, 8.9, "", "22", 3) &&
              s.Reso("", "VINO ROSSO", 1, 8.9, 8.9, "", "22", 3) && s.ScontoValoreRiga(0.5, "SCONTO MELE") &&
              s.ScontoValoreTotale(1, "SCONTO FEDELTA") == std::optional<bool>(true) &&
              s.RigaLiberaFiscale_Fondo("TESSERA 0042") &&
              s.RigaLiberaFiscale_Promo("GRAZIE E ARRIVEDERCI") &&
              s.Pagamento_CorrispettivoRiscosso(2, 2, "Bancomat") &&
              s.Pagamento_CorrispettivoRiscosso(1, 5, "Contanti") && s.ChiudiTransazioneFiscale());
  EXPECT_TRUE(s.ApriTransazioneFiscale() && s.Vendita("", "CAFFE", 6, 1.1, 6.6, "", "10", 2) &&
              s.SubTotale() && s.Pagamento_CorrispettivoRiscosso(5, 3, "Ticket") &&
              s.Pagamento_CorrispettivoRiscosso(1, 5, "Contanti") && s.ChiudiTransazioneFiscale());
  EXPECT_TRUE(s.ApriTransazioneFiscale() && s.Vendita("", "GIORNALE", 1, 1.8, 1.8, "", "4", 1) &&
              s.Manutenzione_AnnulloScontrinoAperto());
  EXPECT_TRUE(s.ApriTransazioneFiscale() && s.Vendita("", "ACQUA", 1, 1.05, 1.05, "", "22", 3) &&
              s.Pagamento_CorrispettivoRiscosso(1, 1.05, "Contanti") && s.ChiudiTransazioneFiscale());
  EXPECT_TRUE(s.ApriTransazioneNonFiscale() &&
              s.RigaLiberaNonFiscale("BUONO SCONTO", "", "5,00", kMerid_DoppiaAltezza) &&
              s.ChiudiTransazioneNonFiscale());
  EXPECT_TRUE(f.ApriFattura(port, total, copy, decimals, decimals) &&
              f.RigaFattura("ROSSI SRL - VIA ROMA 1 - MILANO", font) && f.ChiudiFattura(total));
  EXPECT_TRUE(n.ApriNotaAccredito(port, decimals, decimals) &&
              n.RigaNotaAccredito("RESO SCIARPA", "", "19,90", font) && n.ChiudiNotaAccredito(19.9));
  EXPECT_TRUE(s.Manutenzione_EseguiRapportoX(day) && s.Manutenzione_EseguiRapportoZ());
}

TEST_F(OnTheVirtualPrinter, ADayOfTradingThePaperRunningOutAndASecondProcess) {
  // The operator fixes the paper after two status requests: the receipt goes
  // on, and the golden tape shows no line lost or printed twice.
  ASSERT_EQ(std::system(("mkdir -p " + sim()).c_str()), 0);
  test::writeFile(sim() + "/faults.ini", "[faults]\npaper_end_after_lines = 9\nclear_after_status = 2\n");
  test::onFreshThread(tradingDay);
  // The tape, and the settings the day's calls wrote back as their defaults.
  const std::string golden = std::string(MERID_GOLDEN_DIR) + "/trading_day",
                    ini = home.file("MeridFiscal.ini");
  if (std::getenv("MERID_UPDATE_GOLDEN"))
    test::writeFile(golden + ".txt", withoutFrame(tape())),
        test::writeFile(golden + ".ini", test::readFile(ini));
  EXPECT_EQ(withoutFrame(tape()), test::readFile(golden + ".txt"));
  EXPECT_EQ(test::readFile(ini), test::readFile(golden + ".ini"));
  // The prompt at the refusal, then again at each status request that still finds the paper out.
  Strings prompts;
  for (const auto& b : boxes.boxes()) prompts.push_back(b.text);
  EXPECT_EQ(prompts, Strings(3, "Carta esaurita o coperchio aperto: premere OK quando pronti."));

  // meridctl, a second process, finds the port held by this one: its receipt is refused whole.
  test::writeFile(home.file("next.meridctl"),
                  "s = MeridTallo_Scontrino\ns.InitComunicazione 1\ns.ApriTransazioneFiscale\n"
                  "s.Vendita \"\", \"LATTE\", 1, 1.5, 1.5, \"\", \"\", 1\n"
                  "s.Pagamento_CorrispettivoRiscosso 1, 1.5, \"Contanti\"\ns.ChiudiTransazioneFiscale\n"
                  "s.Manutenzione_EseguiRapportoZ\n");
  const std::string command = std::string(MERIDCTL_PATH) + " --printer " + MERID_SIM_LIBRARY + " --sim-dir " +
                              sim() + " --home " + home.path() + " run " + home.file("next.meridctl") +
                              " > " + home.file("out");
  const std::string before = tape();
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_NE(test::readFile(home.file("out")).find("s.ApriTransazioneFiscale -> False"), std::string::npos);
  EXPECT_EQ(tape(), before);
  // Once this process closes its link, meridctl carries on with the next numbers.
  test::onFreshThread([] {
    MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    s.ChiudiConnessioneCOM();
  });
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string t = tape();
  EXPECT_NE(t.find("N. 0002-0001\n"), std::string::npos);
  EXPECT_NE(t.find("Z N. 0002\n"), std::string::npos);
  EXPECT_NE(t.find("GRAN TOTALE                13,35\n"), std::string::npos) << "the day's 11,85 and 1,50";
}

}  // namespace
}  // namespace merid
