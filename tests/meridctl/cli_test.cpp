// meridctl as a user runs it: host scripts on the virtual printer, script
// errors, the examples, and the other commands.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace {

using merid::test::readFile;
using merid::test::TempHome;
using merid::test::writeFile;

struct Outcome {
  int exit = -1;
  std::string out, err;
};

class Meridctl : public ::testing::Test {
 protected:
  Outcome run(const std::string& arguments) {
    const std::string command = std::string(MERIDCTL_PATH) + " --printer " + MERID_SIM_LIBRARY + " --sim-dir " +
                                sim() + " --home " + home.path() + "/home --now \"2026-12-05 10:00\" " + arguments +
                                " > " + home.file("out") + " 2> " + home.file("err") + " < /dev/null";
    Outcome o;
    const int status = std::system(command.c_str());
    o.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    o.out = readFile(home.file("out"));
    o.err = readFile(home.file("err"));
    return o;
  }
  std::string sim() const { return home.path() + "/printer"; }
  std::string tape() const { return readFile(sim() + "/tape.txt"); }

  TempHome home;
};

TEST_F(Meridctl, EveryMethodFromOneScript) {
  const Outcome o = run(std::string("run ") + MERID_TEST_DIR + "/all_methods.meridctl");
  ASSERT_EQ(o.exit, 0) << o.err;
  const char* expected =
      "s.InitComunicazione\n"
      "s.InitParametri\n"
      "s.IsConnected -> True\n"
      "s.StatoStampante -> 0\n"
      "s.Manutenzione_RipristinoAnomaliaCarta -> True\n"
      "s.Manutenzione_ProgrammazioneDataOra -> True\n"
      "s.Display_MostraRighe -> True\n"
      "s.Display_MostraRiga -> True\n"
      "s.ApriCassetto -> True\n"
      "s.ApriCassettoManuale -> True\n"
      "s.ApriTransazioneFiscale -> True\n"
      "s.Vendita -> True\n"
      "s.Reso -> True\n"
      "s.RigaLiberaFiscale_Vendita -> True\n"
      "s.RigaLiberaFiscale_Promo -> True\n"
      "s.RigaLiberaFiscale_Fondo -> True\n"
      "s.ScontoValoreRiga -> True\n"
      "s.ScontoValoreTotale -> True\n"
      "s.StampaBarcode_Fiscale -> True\n"
      "s.SubTotale -> True\n"
      "s.Pagamento_CorrispettivoNonRiscosso -> True\n"
      "s.Pagamento_CorrispettivoRiscosso -> True\n"
      "s.ChiudiTransazioneFiscale -> True\n"
      "s.Manutenzione_RistampaUltimoScontrino -> True\n"
      "s.ApriTransazioneFiscale -> True\n"
      "s.Vendita -> True\n"
      "s.Manutenzione_AnnulloScontrinoAperto -> True\n"
      "s.ApriTransazioneNonFiscale -> True\n"
      "s.RigaLiberaNonFiscale -> True\n"
      "s.StampaBarcode_NonFiscale -> True\n"
      "s.ChiudiTransazioneNonFiscale -> True\n"
      "s.InviaComandoDiretto_CefDLL -> True\n"
      "f.RigaFattura -> False\n"
      "f.ApriFattura -> True\n"
      "f.RigaFattura -> True\n"
      "f.ChiudiFattura -> True\n"
      "n.ApriNotaAccredito -> True\n"
      "n.RigaNotaAccredito -> True\n"
      "n.ChiudiNotaAccredito -> True\n"
      "s.Manutenzione_EseguiRapportoX -> True\n"
      "s.Manutenzione_EseguiRapportoX -> False\n"
      "s.Manutenzione_DGFE_RichiestaRiga -> True\n"
      "s.Manutenzione_DGFE_StampaCompleta -> True\n"
      "s.Manutenzione_DGFE_StampaIntervalloDate -> True\n"
      "s.Manutenzione_DGFE_StampaIntervalloDate -> False\n"
      "s.Manutenzione_DGFE_Data_NScontrini -> True\n"
      "s.Manutenzione_DGFE_IntervalloChiusure -> False\n"
      "s.Manutenzione_EseguiRapportoZ -> True\n"
      "s.Manutenzione_DGFE_IntervalloChiusure -> True\n"
      "s.Manutenzione_DFGE_NuovoGiornale -> True\n"
      "s.ChiudiConnessioneCOM\n";
  EXPECT_EQ(o.out, expected);
  EXPECT_EQ(o.err,
            "MessageBox [Errore DGFE] Il valore di data inizio non pu\xC3\xB2 essere maggiore di data fine.\n"
            "MessageBox [Errore DGFE] Il numero di chiusura dev'essere maggiore di zero e inferiore a 9999.\n");
  // What the calls printed reached the paper.
  const std::string t = tape();
  for (const char* printed : {"TESSERA 0042", "NON PAGATO", "*** COPIA ***", "DOCUMENTO ANNULLATO", "RIGA LIBERA",
                              "12345670", "ABC123", "RIGA DI FATTURA", "NOTA DI CREDITO", "RESO",
                              "LETTURA GIORNALIERA", "CHIUSURA GIORNALIERA", "GRAZIE", "A PRESTO"})
    EXPECT_NE(t.find(printed), std::string::npos) << printed;
}

TEST_F(Meridctl, ScriptErrorsAreListedAndNothingIsSent) {
  writeFile(home.file("bad.meridctl"),
            "s = MeridTallo_Scontrino\n"
            "s.InitComunicazione 1\n"
            "s.ApriTransazioneFiscale\n"
            "s.Vendita \"\", \"PANE\", 2\n"
            "t.SubTotale\n"
            "s.Vendere 1\n"
            "s.RigaLiberaFiscale_Vendita \"x\", kMerid_Sottolineato\n"
            "s.RigaLiberaFiscale_Promo 12\n"
            "s.Manutenzione_DGFE_RichiestaRiga 1.5.2\n"
            "c = MeridTallo_Cassa\n");
  const Outcome o = run("run " + home.file("bad.meridctl"));
  EXPECT_EQ(o.exit, 2);
  EXPECT_EQ(o.out, "");
  const std::string file = home.file("bad.meridctl");
  EXPECT_EQ(o.err, file + ":4: Vendita takes 8 arguments, got 3\n" + file + ":5: unknown object t\n" + file +
                       ":6: MeridTallo_Scontrino has no method Vendere\n" + file +
                       ":7: argument 2 of RigaLiberaFiscale_Vendita: unknown enumeration member kMerid_Sottolineato\n" +
                       file + ":8: argument 1 of RigaLiberaFiscale_Promo expects a string\n" + file +
                       ":9: argument 1 of Manutenzione_DGFE_RichiestaRiga: malformed number 1.5.2\n" + file +
                       ":10: unknown class MeridTallo_Cassa\n");
  // The printer never saw a command: it has no state, no journal and no tape.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(sim())) files.push_back(entry.path().string());
  EXPECT_TRUE(files.empty()) << files.front();
}

TEST_F(Meridctl, Examples) {
  struct Row {
    const char* file;
    const char* expected;
  };
  const Row rows[] = {
      {"receipt.meridctl",
       "s.InitComunicazione\ns.ApriTransazioneFiscale -> True\ns.Vendita -> True\ns.Vendita -> True\n"
       "s.ScontoValoreRiga -> True\ns.RigaLiberaFiscale_Vendita -> True\ns.RigaLiberaFiscale_Promo -> True\n"
       "s.SubTotale -> True\ns.Pagamento_CorrispettivoRiscosso -> True\ns.ChiudiTransazioneFiscale -> True\n"},
      {"invoice.meridctl",
       "f.ApriFattura -> True\nf.RigaFattura -> True\nf.RigaFattura -> True\nf.ChiudiFattura -> True\n"},
  };
  for (const auto& r : rows) {
    const Outcome o = run(std::string("run ") + MERID_EXAMPLES_DIR + "/" + r.file);
    EXPECT_EQ(o.exit, 0) << r.file << o.err;
    EXPECT_EQ(o.out, r.expected) << r.file;
  }
  const std::string t = tape();
  for (const char* printed : {"TOTALE EURO                 5,50", "RESTO                       4,50",
                              "ROSSI SRL - VIA ROMA 1 - MILANO", "IMPORTO                   122,00"})
    EXPECT_NE(t.find(printed), std::string::npos) << printed;
}

TEST_F(Meridctl, StatusSendTapeAndUsage) {
  struct Row {
    const char* arguments;
    int exit;
    const char* out;
  };
  const Row rows[] = {
      {"status", 0, "ECK_OK 0\n"},
      {"send 3003", 0, "True\n"},
      {"send 40011", 0, "True\n"},
      {"--port 99 status", 0, "ECK_OK 0\n"},
      {"tape", 0, nullptr},
      {"frobnicate", 1, ""},
      {"run", 1, ""},
      {"--port x status", 1, ""},
      {"run /no/such/script", 1, ""},
      {"--help", 0, nullptr},
      {"run --help", 0, nullptr},
  };
  for (const auto& r : rows) {
    const Outcome o = run(r.arguments);
    EXPECT_EQ(o.exit, r.exit) << r.arguments << "\n" << o.err;
    if (r.out) {
      EXPECT_EQ(o.out, r.out) << r.arguments;
    }
  }
  const Outcome shown = run("tape --html " + home.file("tape.html"));
  EXPECT_EQ(shown.out, tape());
  EXPECT_EQ(readFile(home.file("tape.html")), readFile(sim() + "/tape.html"));
}

}  // namespace
