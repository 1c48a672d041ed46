#include <gtest/gtest.h>

#include "merid/codepage.h"
#include "script.h"

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
      "s.Manutenzione_DGFE_StampaIntervalloDate #2026-02-30#, #2026-12-01#\n"
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
      "t.vbs:5: argument 2 of RigaLiberaFiscale_Vendita expects a Merid_Font, not CBT_Ean8 (a Merid_BarcodeType)",
      "t.vbs:6: argument 1 of RigaLiberaFiscale_Vendita expects a string",
      "t.vbs:7: argument 1 of InitComunicazione expects an Integer (-32768 to 32767); 70000 is out of range",
      "t.vbs:8: argument 1 of Manutenzione_DGFE_StampaIntervalloDate: malformed date #2026-02-30# (use #YYYY-MM-DD# "
      "or #YYYY-MM-DD HH:MM[:SS]#)",
      "t.vbs:9: argument 1 of InviaComandoDiretto_CefDLL: unterminated string",
      "t.vbs:10: argument 1 of InitComunicazione: malformed number 1e",
      "t.vbs:11: unknown class Nothing",
      "t.vbs:12: argument 2 of RigaLiberaFiscale_Vendita: unknown enumeration member kMerid_Foo",
      "t.vbs:13: argument 2 of SubTotale: missing argument",
      "t.vbs:14: missing ) after the arguments of SubTotale",
      "t.vbs:15: expected an object name at the start of the line",
      "t.vbs:17: argument 3 of ApriFattura expects True or False",
  };
  const Script script = parseScript("t.vbs", text);
  EXPECT_EQ(script.errors, expected);
}

TEST(Script, LiteralsReachTheLibraryAsItExpectsThem) {
  const std::string text =
      "\xEF\xBB\xBF' comment\n"
      "# another\n"
      "REM and another\n"
      "\n"
      "Set s = CreateObject(\"MeridDLLManager.MeridTallo_Scontrino\")\n"
      "s.RigaLiberaFiscale_Vendita \"il \"\"caff\xC3\xA8\"\" \xE2\x82\xAC 1, \xE6\x97\xA5\", kMerid_Grassetto\n"
      "S.vendita(\"\", \"PANE\", -2.5, 1e3, .5, \"\", \"22\", 7)\n"
      "s.Manutenzione_DGFE_StampaIntervalloDate #2026-12-01#, #2026-12-04 18:30:15#\n"
      "s.Display_MostraRiga \"x\", -32768\n"
      "s.Manutenzione_EseguiRapportoX &H1\n"
      "s.StampaBarcode_Fiscale \"1\", 8\n"
      "r = s.SubTotale\n";
  const Script script = parseScript("t.vbs", text);
  ASSERT_TRUE(script.errors.empty()) << script.errors.front();
  ASSERT_EQ(script.statements.size(), 8u);
  EXPECT_EQ(script.statements[0].className, "MeridTallo_Scontrino");
  EXPECT_EQ(script.statements[1].args[0].text, "il \"caff\xE8\" \x80 1, ?");
  EXPECT_EQ(script.statements[1].args[1].number, 2);
  const auto& sale = script.statements[2];
  EXPECT_EQ(sale.object, "S");
  EXPECT_EQ(sale.methodWritten, "vendita");
  EXPECT_EQ(sale.method->name, "Vendita");
  EXPECT_EQ(sale.args[2].number, -2.5);
  EXPECT_EQ(sale.args[3].number, 1000);
  EXPECT_EQ(sale.args[4].number, 0.5);
  EXPECT_EQ(sale.args[7].number, 7);
  EXPECT_DOUBLE_EQ(script.statements[3].args[0].number, 46357.0);
  EXPECT_DOUBLE_EQ(script.statements[3].args[1].number, 46360.0 + (18 * 3600 + 30 * 60 + 15) / 86400.0);
  EXPECT_EQ(script.statements[4].args[1].number, -32768);
  EXPECT_EQ(script.statements[5].args[0].number, 1);
  EXPECT_EQ(script.statements[7].method->name, "SubTotale");
}

TEST(Codepage, RoundTripsWhatWindows1252Holds) {
  struct Row {
    const char* utf8;
    const char* ansi;
  };
  const Row rows[] = {{"abc", "abc"},
                      {"\xC3\xA0\xC3\xA8\xC3\xAC\xC3\xB2\xC3\xB9", "\xE0\xE8\xEC\xF2\xF9"},
                      {"\xE2\x82\xAC", "\x80"},
                      {"\xE2\x80\x9C" "x" "\xE2\x80\x9D", "\x93x\x94"},
                      {"\xE6\x97\xA5\xF0\x9F\x98\x80", "??"},
                      {"\xFF\xC3", "??"}};
  for (const auto& r : rows) EXPECT_EQ(merid::utf8ToAnsi(r.utf8), r.ansi) << r.utf8;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(merid::ansiToUtf8(merid::utf8ToAnsi(rows[i].utf8)), rows[i].utf8);
}

}  // namespace
}  // namespace meridctl
