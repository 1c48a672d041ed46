// meridctl as a user runs it: host scripts on the virtual printer, script
// errors, the examples, and the other commands.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <dlfcn.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/fakes.h"

namespace {

using merid::test::readFile;

struct Outcome {
  int exit = -1;
  std::string out, err;
};

class Meridctl : public ::testing::Test {
 protected:
  Outcome run(const std::string& arguments, const std::string& prefix = "") {
    const std::string command = prefix + MERIDCTL_PATH + " --printer " + MERID_SIM_LIBRARY + " --sim-dir " +
                                sim() + " --home " + home.path() + "/home --now \"2026-12-05 10:00\" " +
                                arguments + " > " + home.file("out") + " 2> " + home.file("err") +
                                " < /dev/null";
    const int status = std::system(command.c_str());
    const int exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return {exit, readFile(home.file("out")), readFile(home.file("err"))};
  }
  std::string sim() const { return home.path() + "/printer"; }
  std::string tape() const { return readFile(sim() + "/tape.txt"); }

  merid::test::TempHome home;
};

TEST_F(Meridctl, ExamplesAndCommands) {
  // The arguments, the exit status and, when given, the whole standard output.
  struct Row {
    std::string arguments;
    int exit;
    const char* out;
  };
  const Row rows[] = {
      {std::string("run ") + MERID_EXAMPLES_DIR + "/receipt.meridctl", 0, nullptr},
      {std::string("run ") + MERID_EXAMPLES_DIR + "/invoice.meridctl", 0, nullptr},
      {"status", 0, "ECK_OK 0\n"},
      {"--port 99 send 3003", 0,
       "True  [refused 117 ECK_FunzioneNonAmmessa: function not allowed now]\n"
       "answer 117 ECK_FunzioneNonAmmessa: function not allowed now\n"},
      {"frobnicate", 1, ""},
      {"--port x status", 1, ""},
      {"run --help", 0, nullptr},
  };
  for (const auto& [arguments, exit, out] : rows) {
    const Outcome o = run(arguments);
    EXPECT_EQ(o.exit, exit) << arguments << "\n" << o.err;
    if (out) {
      EXPECT_EQ(o.out, out) << arguments;
    }
  }
  EXPECT_EQ(run("help Vendita").out.rfind("MeridTallo_Scontrino.Vendita(", 0), 0u);
  const std::string t = tape();
  EXPECT_NE(t.find("TOTALE EURO                 5,50\nCONTANTE                   10,00\nRESTO"),
            std::string::npos)
      << t;
  const Outcome shown = run("tape --html " + home.file("tape.html"));
  EXPECT_EQ(shown.out, t);
  EXPECT_EQ(readFile(home.file("tape.html")), readFile(sim() + "/tape.html"));
}

// A real shared library without the printer's entry points.
std::string libmPath() {
  Dl_info info{};
  double (*const cosine)(double) = &::cos;
  return ::dladdr(reinterpret_cast<const void*>(cosine), &info) && info.dli_fname ? info.dli_fname
                                                                                  : "libm.so.6";
}

// Input that cannot be a script or a clock time, or a printer library that cannot be used, is refused
// at once with its reason and nothing on the standard output; a run is cut short after 20 s, as reading
// /dev/zero or a FIFO with no writer never ends.
TEST_F(Meridctl, InputLimits) {
  const std::string fifo = home.file("fifo"), big = home.file("big.meridctl"),
                    bad = home.file("bad.meridctl");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  merid::test::writeFile(bad,
                         "s = MeridTallo_Scontrino\ns.InitComunicazione 1\ns.Vendita \"\", \"PANE\", 2\n"
                         "s.SubTotale\nc = MeridTallo_Cassa\n");
  merid::test::writeFile(big, "");
  std::filesystem::resize_file(big, 16 * 1024 * 1024 + 1);  // sparse: no disk used
  struct Row {
    std::string arguments;
    int exit;
    std::string error;  // a part of the standard error
  };
  const Row rows[] = {
      // Every error of a script is listed, and none of its calls is made.
      {"run " + bad, 2,
       bad + ":3: Vendita takes 8 arguments, got 3\n" + bad + ":5: unknown class MeridTallo_Cassa\n"},
      {"run /no/such/script", 1, "meridctl: cannot read /no/such/script: No such file or directory\n"},
      {"run /dev/zero", 2, "/dev/zero is not a regular file (a device, FIFO or socket)"},
      {"run " + fifo, 2, fifo + " is not a regular file"},
      {"run " + home.path(), 2, home.path() + " is not a regular file (a folder)"},
      {"run " + big, 2, big + " is 16777217 bytes; a host script is at most 16777216 bytes"},
      {"--now \"-999-01-01 00:00\" status", 1, "usage: meridctl"},
      {"--now \"2026-02-31 10:00\" status", 1, "--now needs a date and time that exist"},
      {"--now \"2024-02-29 23:59\" status", 0, ""},
      {"--printer " + libmPath() + " run " + MERID_EXAMPLES_DIR + "/receipt.meridctl", 3,
       "meridctl: cannot load printer library " + libmPath() + ": no entry point VbCEFOpen"},
      // Never a name the loader searches for.
      {"--printer libm.so.6 status", 3,
       "meridctl: cannot load printer library libm.so.6: not an absolute path"},
  };
  for (const Row& row : rows) {
    const Outcome o = run(row.arguments, "timeout 20 ");
    EXPECT_EQ(o.exit, row.exit) << row.arguments << "\n" << o.err;
    EXPECT_NE(o.err.find(row.error), std::string::npos) << row.arguments << "\n" << o.err;
    EXPECT_EQ(o.out.empty(), row.exit != 0) << row.arguments;
  }
}

// What each call did, beside its boolean: on the virtual printer with a fault,
// the result line, the exit status with --strict, and what stderr says.
TEST_F(Meridctl, OutcomesOnTheVirtualPrinter) {
  const std::string init = "s = MeridTallo_Scontrino\ns.InitComunicazione 1\n",
                    unopened = init + "s.ChiudiTransazioneFiscale\n";
  const auto paying = [&](const char* paid) {
    return init +
           "s.ApriTransazioneFiscale\ns.Vendita \"\", \"PANE\", 1, 2.5, 2.5, \"\", \"4\", 1\n"
           "s.Pagamento_CorrispettivoRiscosso 1, " +
           paid + ", \"Contanti\"\ns.ChiudiTransazioneFiscale\n";
  };
  const std::string receipt = paying("10"),
                    notConnected =
                        "s.ChiudiTransazioneFiscale -> True  [refused -1 ECK_NonConnesso: printer not "
                        "connected: no answer]";
  struct Row {
    const char* what;
    std::string faults, script, options;
    int exit;
    std::string lastLine, err;
  };
  const Row rows[] = {
      {"a receipt closed that was never opened", "", unopened, "", 0, notConnected, ""},
      {"the same, strict", "", unopened, "--strict", 1, notConnected, ""},
      {"journal dates the wrong way round: the box in UTF-8", "",
       init + "s.Manutenzione_DGFE_StampaIntervalloDate #2026-12-06#, #2026-12-05#\n", "", 0,
       "s.Manutenzione_DGFE_StampaIntervalloDate -> False  [not sent: declined]",
       "MessageBox [Errore DGFE] Il valore di data inizio non pu\xC3\xB2 essere maggiore di data fine.\n"},
      {"the answer to the last command is lost", "lose_answer = 3013", receipt, "--strict", 1,
       "s.ChiudiTransazioneFiscale -> True  [unknown: the write of 3013 failed with -2; it may have printed, "
       "look at the journal before printing again]",
       ""},
      {"paper end and nobody to answer", "paper_end_after_lines = 0", receipt, "--debug-log", 4,
       "s.Vendita -> False  [operator gave up after 3 prompts for 16 ECK_CartaEsaurita: paper end]",
       "meridctl: the printer needs the operator and nobody answered: operator gave up after 3 prompts for "
       "16 "
       "ECK_CartaEsaurita: paper end.\n"},
      {"the same with a limit of one", "paper_end_after_lines = 0", receipt, "--prompt-limit 1", 4,
       "s.Vendita -> False  [operator gave up after 1 prompt for 16 ECK_CartaEsaurita: paper end]", ""},
      {"a plain receipt, strict", "", receipt, "--strict", 0, "s.ChiudiTransazioneFiscale -> True", ""},
  };
  for (const Row& row : rows) {
    std::filesystem::remove_all(sim());
    std::filesystem::create_directories(sim());
    merid::test::writeFile(sim() + "/faults.ini", "[faults]\n" + row.faults + "\n");
    const std::string script = home.file("s.meridctl");
    merid::test::writeFile(script, row.script);
    const Outcome o = run(row.options + " run " + script);
    EXPECT_EQ(o.exit, row.exit) << row.what << "\n" << o.err;
    const std::string out = o.out.substr(0, o.out.size() - 1);
    EXPECT_EQ(out.substr(out.rfind('\n') + 1), row.lastLine) << row.what;
    EXPECT_NE(o.err.find(row.err), std::string::npos) << row.what << "\n" << o.err;
  }
  // The last run with --debug-log stopped after three prompts, its log small.
  EXPECT_LT(std::filesystem::file_size(home.path() + "/home/MeridDll_LoggerDebug.log"), 100u * 1024);
}

TEST_F(Meridctl, JsonAndTheTableOfCodes) {
  const std::string script = home.file("s.meridctl");
  merid::test::writeFile(script,
                         "s = MeridTallo_Scontrino\ns.InitComunicazione 1\ns.IsConnected\ns.SubTotale\n");
  const Outcome o = run("--json run " + script);
  EXPECT_EQ(o.exit, 0);
  const std::string last = o.out.substr(o.out.rfind('{', o.out.rfind("\"method\":\"SubTotale\"")));
  for (const char* field : {"\"arguments\":[]", "\"kind\":\"refused\"", "\"code\":117",
                            "\"code_name\":\"ECK_FunzioneNonAmmessa\"", "\"last_command\":\"3003\"",
                            "\"object\":\"s\"", "\"result\":\"True\""})
    EXPECT_NE(last.find(field), std::string::npos) << field << "\n" << last;
  EXPECT_NE(o.out.find("{\"arguments\":[1],\"method\":\"InitComunicazione\""), std::string::npos) << o.out;
  // The documentation's table is the command's.
  EXPECT_EQ(run("codes --markdown").out, readFile(MERID_DOCS_DIR "/result-codes.md"));
}

}  // namespace
