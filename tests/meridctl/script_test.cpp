#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "methods.h"
#include "script.h"
#include "support/receipt_fixture.h"

namespace meridctl {
namespace {

TEST(Script, EachKindOfErrorIsListedWithItsLine) {
  const std::string text =
      "s = MeridTallo_Scontrino\n"
      "s.Vendita \"\", \"PANE\", 2\n"
      "x.SubTotale\n"
      "s.Foo 1\n"
      "s.RigaLiberaFiscale_Vendita \"x\", CBT_Ean8\n"
      "s.RigaLiberaFiscale_Vendita 5, kMerid_Normale\n"
      "s.InitComunicazione 70000\n"
      "s.InviaComandoDiretto_CefDLL \"open\n"
      "s.InitComunicazione 1e\n"
      "y = Nothing\n"
      "s.RigaLiberaFiscale_Vendita \"x\", kMerid_Foo\n"
      "s.SubTotale 1,\n"
      "s.SubTotale(\n"
      "= 3\n"
      "f = MeridTallo_Fattura\n"
      "f.ApriFattura 1, 2, \"yes\", 2, 2\n";
  const std::vector<std::string> expected = {
      "t.vbs:2: Vendita takes 8 arguments, got 3",
      "t.vbs:3: unknown object x",
      "t.vbs:4: MeridTallo_Scontrino has no method Foo",
      "t.vbs:5: argument 2 (FontRiga) of RigaLiberaFiscale_Vendita expects a Merid_Font, not CBT_Ean8 (a "
      "Merid_BarcodeType)",
      "t.vbs:6: argument 1 (strRiga) of RigaLiberaFiscale_Vendita expects a string",
      "t.vbs:7: argument 1 (portaCOM) of InitComunicazione expects an Integer (-32768 to 32767); 70000 is "
      "out of range",
      "t.vbs:8: argument 1 of InviaComandoDiretto_CefDLL: unterminated string",
      "t.vbs:9: argument 1 of InitComunicazione: malformed number 1e",
      "t.vbs:10: unknown class Nothing",
      "t.vbs:11: argument 2 of RigaLiberaFiscale_Vendita: unknown enumeration member kMerid_Foo",
      "t.vbs:12: argument 2 of SubTotale: missing argument",
      "t.vbs:13: missing ) after the arguments of SubTotale",
      "t.vbs:14: expected an object name at the start of the line",
      "t.vbs:16: argument 3 (isStampaDoppiaCopia) of ApriFattura expects True or False",
  };
  const Script script = parseScript("t.vbs", text);
  EXPECT_EQ(script.errors, expected);
}

// A number written with a decimal comma reads as two arguments; the message
// says so when the call goes wrong because of it.
TEST(Script, DecimalCommaAndWrongKindsAreExplained) {
  struct Row {
    const char* call;
    const char* error;  // after "t.vbs:2: "
  };
  const Row rows[] = {
      {"s.Vendita \"\", \"PANE\", -2,5, 1.25, 2.5, \"\", \"22\", 1",
       "Vendita takes 8 arguments, got 9 (-2,5 reads as two arguments: numbers take a decimal point, write "
       "-2.5; meridctl help Vendita)"},
      {"s.RigaLiberaNonFiscale \"a\", \"b\", 1,5",
       "argument 3 (Prezzo) of RigaLiberaNonFiscale expects a string (1,5 reads as two arguments: numbers "
       "take a decimal point, write 1.5; meridctl help RigaLiberaNonFiscale)"},
      // A blank after the comma, or a word around it: two arguments meant.
      {"s.Display_MostraRiga \"x\", 1, 0", "Display_MostraRiga takes 2 arguments, got 3"},
      {"s.Vendita \"\", \"PANE\", \"2\", 1.25, 2.5, \"\", \"22\", 1",
       "argument 3 (qtaRiga) of Vendita expects a number"},
      {"s.Manutenzione_DGFE_RichiestaRiga 3e9",
       "argument 1 (nrRiga) of Manutenzione_DGFE_RichiestaRiga expects a Long "
       "(-2147483648 to 2147483647); 3000000000 is out of range"},
  };
  for (const Row& row : rows) {
    const Script script = parseScript("t.vbs", std::string("s = MeridTallo_Scontrino\n") + row.call + "\n");
    EXPECT_EQ(script.errors, std::vector<std::string>{std::string("t.vbs:2: ") + row.error}) << row.call;
  }
}

TEST(Script, LiteralsReachTheLibraryAsItExpectsThem) {
  const std::string text =
      "\xEF\xBB\xBF' comment\n"
      "# another\n"
      "REM and another\n"
      "\n"
      "Set s = CreateObject(\"MeridDLLManager.MeridTallo_Scontrino\")\n"
      "s.RigaLiberaFiscale_Vendita \"il \"\"caff\xC3\xA8\"\" \xE2\x82\xAC \xE2\x80\x9C"
      "1\xE2\x80\x9D, \xE6\x97\xA5\xFF\", 2\n"
      "S.vendita(\"\", \"PANE\", -2.5, 1e3, .5, \"\", \"22\", 7)\n"
      "s.Manutenzione_DGFE_StampaIntervalloDate #2026-12-01#, #2026-12-04 18:30:15#\n"
      "s.Display_MostraRiga \"x\", -32768\n"
      "s.Manutenzione_EseguiRapportoX &H1\n"
      "s.StampaBarcode_Fiscale \"1\", 8\n"
      "r = s.SubTotale\n";
  const Script script = parseScript("t.vbs", text);
  ASSERT_TRUE(script.errors.empty()) << script.errors.front();
  const auto& st = script.statements;
  ASSERT_EQ(st.size(), 8u);
  EXPECT_EQ(st[0].className + " " + st[2].object + "." + st[2].methodWritten + " " + st[2].method->name,
            "MeridTallo_Scontrino S.vendita Vendita");
  EXPECT_EQ(st[7].method->name, "SubTotale");
  // Windows-1252, where a character it lacks and a byte that is not UTF-8 become "?".
  EXPECT_EQ(st[1].args[0].text,
            "il \"caff\xE8\" \x80 \x93"
            "1\x94, ??");
  // Dates as days since 30 December 1899, with the time of day as a fraction.
  std::vector<double> numbers, expected{2, -2.5, 1000, 0.5, 7, 46357, 46360 + 66615 / 86400.0, -32768, 1, 8};
  for (const auto& statement : st)
    for (const Value& v : statement.args)
      if (v.kind != Kind::String) numbers.push_back(v.number);
  EXPECT_EQ(numbers, expected);
}

TEST(Script, DatesAreDigitsOfADayThatExists) {
  struct Row {
    const char* date;
    const char* problem;  // empty: accepted
  };
  const char* malformed = "malformed date";
  const char* noSuchDate = "no such date";
  // clang-format off
  const Row rows[] = {
      {"2026-12-05 -1:-5", malformed}, {"2026-12-05 +1:+5", malformed}, {"2026-02-29", noSuchDate},
      {"0099-12-31", noSuchDate}, {"2026-12-05 24:00", noSuchDate}, {"2024-02-29 23:59:59", ""},
      {"0100-01-01", ""}, {"9999-12-31", ""}};
  // clang-format on
  for (const Row& row : rows) {
    const Script script = parseScript(
        "t.vbs", std::string("s = MeridTallo_Scontrino\ns.Manutenzione_DGFE_StampaIntervalloDate #") +
                     row.date + "#, #2026-12-01#\n");
    if (!*row.problem) {
      EXPECT_TRUE(script.errors.empty()) << row.date << ": " << script.errors.front();
      continue;
    }
    ASSERT_EQ(script.errors.size(), 1u) << row.date;
    EXPECT_EQ(script.errors[0].rfind("t.vbs:2: argument 1 of Manutenzione_DGFE_StampaIntervalloDate: " +
                                         std::string(row.problem) + " #" + row.date + "#",
                                     0),
              0u)
        << script.errors[0];
  }
}

// Every public method, through the table that binds them all, with extreme
// arguments: only failure values and log lines come back.
using merid::test::DocumentTest;

TEST_F(DocumentTest, EveryMethodSurvivesExtremeArguments) {
  merid::test::BoxRecorder boxes;
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<double> numbers{std::nan(""), inf, -inf, 1e300, -1e300, -0.0};
  const std::vector<double> integers{-32768, 32767, -1, 0}, longs{-2147483648.0, 2147483647, -1};
  const std::vector<std::string> texts{"", std::string(100000, 'x'), std::string("\0\xff\x01", 3)};
  int calls = 0;
  merid::test::onFreshThread([&] {
    for (const char* cls : {"MeridTallo_Scontrino", "MeridTallo_Fattura", "MeridTallo_NAccr"}) {
      HostObject object = createObject(cls);
      for (const Method& m : methodsOf(cls))
        for (std::size_t i = 0; i < numbers.size(); ++i) {
          int16_t port = 1;
          if (object.scontrino) object.scontrino->InitComunicazione(port);
          std::vector<Value> args;
          for (Kind kind : m.params) {
            double number = numbers[i];
            if (kind == Kind::Integer || kind == Kind::Boolean) number = integers[i % integers.size()];
            if (kind == Kind::Long || kind == Kind::Font || kind == Kind::Barcode || kind == Kind::RapportoX)
              number = longs[i % longs.size()];
            args.push_back({kind, texts[i % texts.size()], number});
          }
          m.call(object, args);
          ++calls;
        }
    }
  });
  EXPECT_EQ(calls, 45 * 6);
  // A huge negative department maps to 1 and is written to the file.
  EXPECT_NE(ini().find("[RepartoVek-2147483648]"), std::string::npos);
  for (const auto& line : logs.errors()) EXPECT_EQ(line.find("MeridTallo_"), std::string::npos) << line;
}

}  // namespace
}  // namespace meridctl
