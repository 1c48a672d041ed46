// The three classes as a host uses them: a whole receipt, the guard on the
// port, the failure wrapper, hostile arguments and the 45 signatures.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>

#include "automation/wrapper.h"
#include "merid/MeridTallo_Fattura.h"
#include "merid/MeridTallo_NAccr.h"
#include "merid/MeridTallo_Scontrino.h"
#include "platform/failure.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using test::Strings;

class Scontrino : public test::DocumentTest {};

// Department 3 is mapped to 3, host department 12 to nothing yet.
TEST_F(Scontrino, AWholeReceipt) {
  setIni("[RepartoVek3]\nrepartoMerid=3\n");
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    EXPECT_TRUE(s.ApriTransazioneFiscale());
    EXPECT_TRUE(s.Vendita("", "PANE", 2, 1.25, 2.5, "", "22", 3));
    EXPECT_TRUE(s.Vendita("FRESCO", "LATTE", 1, 1.1, 1.1, "", "10", 12));
    EXPECT_TRUE(s.Vendita("", "MELE", 1, 3, 3, "", "4", 3));
    EXPECT_TRUE(s.Reso("", "LATTE", 1, 1.1, 1.1, "", "10", 12));
    EXPECT_TRUE(s.ScontoValoreRiga(0.5, "SCONTO RIGA"));
    EXPECT_EQ(s.ScontoValoreTotale(1, "SCONTO TOTALE"), std::optional<bool>(true));
    EXPECT_TRUE(s.RigaLiberaFiscale_Vendita("TESSERA 1234", kMerid_Grassetto));
    // Printed in the order of the calls, whichever of the two methods kept them.
    EXPECT_TRUE(s.RigaLiberaFiscale_Fondo("GRAZIE"));
    EXPECT_TRUE(s.RigaLiberaFiscale_Promo("ARRIVEDERCI"));
    EXPECT_TRUE(s.SubTotale());
    EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(1, 2, "Contanti"));
    EXPECT_TRUE(s.Pagamento_CorrispettivoRiscosso(2, 2, "Bancomat"));
    EXPECT_TRUE(s.ChiudiTransazioneFiscale());
  });
  auto pad = [](const std::string& s, std::size_t n = 20) { return (s + std::string(n, ' ')).substr(0, n); };
  auto shown = [&](const std::string& name, const std::string& amount) {
    return "7007" + pad(name) + std::string(18 - amount.size(), ' ') + "\x7F " + amount;
  };
  EXPECT_EQ(sent(), (Strings{"30160",
                             "3002132*   2,000 x    1,25" + std::string(13, ' '),
                             "310110322" + pad("PANE", 22) + "000000250",
                             shown("PANE", "2,50"),
                             "3002106FRESCO",
                             "310110122" + pad("LATTE", 22) + "000000110",
                             shown("LATTE", "1,10"),
                             "310110322" + pad("MELE", 22) + "000000300",
                             shown("MELE", "3,00"),
                             "310190122" + pad("LATTE", 22) + "000000110",
                             shown("Reso:LATTE", "1,10"),
                             "310130122" + pad("SCONTO RIGA", 22) + "000000050",
                             shown("SCONTO RIGA", "0,50"),
                             "310130122" + pad("SCONTO TOTALE", 22) + "000000100",
                             shown("SCONTO TOTALE", "1,00"),
                             "3002212TESSERA 1234",
                             "3003",
                             shown("Contanti", "2,00"),
                             "300408CONTANTE000000200",
                             shown("Bancomat", "2,00"),
                             "300408BANCOMAT000000200",
                             "3011",
                             "3012106GRAZIE",
                             "3012111ARRIVEDERCI",
                             "3013"}));
  EXPECT_EQ(ini(),
            "[RepartoVek3]\nrepartoMerid=3\n[Fiscal]\nBuffer=1\nCloseConnEachDoc=0\n[RepartoVek12]\nrepartoMerid=1\n"
            "[RepartoVek1]\nrepartoMerid=1\n[Pagamento_Contanti]\nvalue=CONTANTE\n[isCorrNonRiscosso_Contanti]\nvalue=0\n"
            "[Pagamento_Bancomat]\nvalue=BANCOMAT\n[isCorrNonRiscosso_Bancomat]\nvalue=0\n[ForzaStampaResto]\nValue=\n"
            "[Merid_OperazioneChiusuraFiscale]\ncode=3011\n[Merid_OperazionePostChiusuraFiscale]\ncode=\n"
            "[Merid_PrintAndCut]\ncode=3013\n[ApriCassettoDopoStampaScontrino]\nvalue=0\n");
  EXPECT_EQ(logs.errors(), Strings{});
}

TEST_F(Scontrino, TheGuardOnThePort) {
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    EXPECT_FALSE(s.Vendita("", "PANE", 1, 1, 1, "", "", 1));
    EXPECT_FALSE(s.ApriTransazioneFiscale());
    EXPECT_FALSE(s.SubTotale());
    EXPECT_FALSE(s.IsConnected());
    EXPECT_EQ(s.ScontoValoreTotale(1, "X"), std::nullopt);
    EXPECT_EQ(s.ApriCassetto(), std::nullopt);
    EXPECT_EQ(s.ApriCassettoManuale(), std::nullopt);
    EXPECT_EQ(s.StatoStampante(), ECK_OK);
    EXPECT_TRUE(s.Manutenzione_RipristinoAnomaliaCarta());
    EXPECT_FALSE(s.Manutenzione_EseguiRapportoZ());
    s.ChiudiConnessioneCOM();
    int16_t none = -1;
    s.InitComunicazione(none);
    EXPECT_FALSE(s.InviaComandoDiretto_CefDLL("3003"));
  });
  EXPECT_EQ(printer.calls(), Strings{});
  EXPECT_EQ(logs.errors(), Strings{});
  EXPECT_FALSE(test::fileExists(home.file("MeridFiscal.ini")));
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    int16_t zero = 0;
    s.InitComunicazione(zero);
    EXPECT_TRUE(s.InviaComandoDiretto_CefDLL("3003"));
    EXPECT_EQ(s.ApriCassettoManuale(), std::optional<bool>(true));
    EXPECT_TRUE(s.StampaBarcode_Fiscale("12345670", CBT_Ean8));
    EXPECT_TRUE(s.StampaBarcode_NonFiscale("12345670", CBT_Ean8));
    EXPECT_TRUE(s.IsConnected());
    EXPECT_EQ(s.StatoStampante(), ECK_OK);
    s.ChiudiConnessioneCOM();
  });
  EXPECT_EQ(sent(), (Strings{"3003", "70081", "7007Apertura Cassetto" + std::string(23, ' '),
                             "302122000812345670", "302122000812345670", "close"}));
  // A failure inside a routine of SubTotale.
  auto failure = []() -> bool { throw RuntimeFailure("Object variable not set"); };
  MERID_ON_FRESH_THREAD(EXPECT_FALSE(detail::guarded("MeridTallo_Scontrino", "SubTotale", 1, false, failure)));
  EXPECT_EQ(logs.errors(), Strings{"MeridTallo_Scontrino-SubTotale Object variable not set"});
}

// Every method with extreme arguments: only failure values and log lines.
TEST_F(Scontrino, HostileArgumentsGiveOnlyFailureValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {std::nan(""), inf, -inf, 1e300, -1e300, 0, -0.0};
  const std::string strings[] = {"", std::string(100000, 'x'), std::string("\0\xff\x01", 3)};
  const int32_t ids[] = {-2147483647 - 1, -1, 0, 2147483647};
  const auto badFont = static_cast<Merid_Font>(2147483647);
  MERID_ON_FRESH_THREAD({
    MeridTallo_Scontrino s;
    int16_t port = 1, small = -32768, big = 32767;
    int32_t record = -2147483647 - 1;
    s.InitComunicazione(port);
    for (double v : values) {
      for (const auto& text : strings)
        for (int32_t id : ids) {
          s.Vendita(text, text, v, v, v, text, text, id);
          s.Reso(text, text, v, v, v, text, text, id);
          s.ScontoValoreRiga(v, text);
          s.ScontoValoreTotale(v, text);
          s.Pagamento_CorrispettivoRiscosso(id, v, text);
          s.Pagamento_CorrispettivoNonRiscosso(id, v, text);
        }
      double date = v;
      auto kind = static_cast<kMerid_RapportoX>(-5);
      s.Manutenzione_DGFE_StampaIntervalloDate(date, date);
      s.Manutenzione_DGFE_Data_NScontrini(date, small, small);
      s.Manutenzione_DGFE_IntervalloChiusure(small, small);
      s.Manutenzione_DGFE_RichiestaRiga(record);
      s.Manutenzione_EseguiRapportoX(kind);
    }
    for (const auto& text : strings) {
      s.RigaLiberaFiscale_Vendita(text, static_cast<Merid_Font>(-7));
      s.RigaLiberaFiscale_Promo(text);
      s.StampaBarcode_Fiscale(text, static_cast<Merid_BarcodeType>(2147483647));
      s.Display_MostraRighe(text, text);
      s.Display_MostraRiga(text, small);
      s.InviaComandoDiretto_CefDLL(text);
      s.ApriTransazioneNonFiscale();
      s.RigaLiberaNonFiscale(text, text, text, badFont);
      s.ChiudiTransazioneNonFiscale();
      MeridTallo_Fattura f;
      MeridTallo_NAccr n;
      for (double v : values) {
        double total = v;
        bool copy = true;
        Merid_Font font = static_cast<Merid_Font>(-1);
        f.ApriFattura(small, total, copy, big, big);
        f.RigaFattura(text, font);
        f.ChiudiFattura(v);
        n.ApriNotaAccredito(small, big, big);
        n.RigaNotaAccredito(text, text, text, font);
        n.ChiudiNotaAccredito(v);
      }
    }
    EXPECT_TRUE(s.ChiudiTransazioneFiscale());
  });
  // The department of a huge id maps to 1 and is written to the file.
  EXPECT_NE(ini().find("[RepartoVek-2147483648]"), std::string::npos);
  for (const auto& line : logs.errors()) EXPECT_EQ(line.find("Scontrino-"), std::string::npos) << line;
}

// Each method with its parameter kinds and result type; a change fails the build.
template <class Expected, class Actual>
constexpr int same(Actual) {
  static_assert(std::is_same_v<Expected, Actual>, "signature changed");
  return 1;
}

TEST(Interface, FortyFiveMethodsWithTheirKinds) {
  using S = MeridTallo_Scontrino;
  using F = MeridTallo_Fattura;
  using N = MeridTallo_NAccr;
  using Str = const std::string&;
  using I16 = int16_t;
  using Variant = std::optional<bool>;
  constexpr int count =
      same<void (S::*)(I16&)>(&S::InitComunicazione) + same<void (S::*)(I16&, I16&)>(&S::InitParametri) +
      same<bool (S::*)()>(&S::ApriTransazioneFiscale) + same<bool (S::*)()>(&S::ChiudiTransazioneFiscale) +
      same<bool (S::*)()>(&S::ApriTransazioneNonFiscale) +
      same<bool (S::*)()>(&S::ChiudiTransazioneNonFiscale) +
      same<bool (S::*)(Str, Merid_BarcodeType)>(&S::StampaBarcode_Fiscale) +
      same<bool (S::*)(Str, Merid_BarcodeType)>(&S::StampaBarcode_NonFiscale) +
      same<MeridCodeErrors (S::*)()>(&S::StatoStampante) +
      same<bool (S::*)(Str, Str, double, double, double, Str, Str, int32_t)>(&S::Vendita) +
      same<bool (S::*)(Str, Str, double, double, double, Str, Str, int32_t)>(&S::Reso) +
      same<bool (S::*)(Str, Merid_Font)>(&S::RigaLiberaFiscale_Vendita) +
      same<bool (S::*)(Str)>(&S::RigaLiberaFiscale_Promo) +
      same<bool (S::*)(Str)>(&S::RigaLiberaFiscale_Fondo) +
      same<bool (S::*)(Str, Str, Str, Merid_Font)>(&S::RigaLiberaNonFiscale) +
      same<bool (S::*)(double, Str)>(&S::ScontoValoreRiga) +
      same<Variant (S::*)(double, Str)>(&S::ScontoValoreTotale) + same<bool (S::*)()>(&S::SubTotale) +
      same<bool (S::*)(int32_t, double, Str)>(&S::Pagamento_CorrispettivoRiscosso) +
      same<bool (S::*)(int32_t, double, Str)>(&S::Pagamento_CorrispettivoNonRiscosso) +
      same<bool (S::*)(Str)>(&S::InviaComandoDiretto_CefDLL) +
      same<bool (S::*)(Str, Str)>(&S::Display_MostraRighe) +
      same<bool (S::*)(Str, I16)>(&S::Display_MostraRiga) +
      same<Variant (S::*)()>(&S::ApriCassetto) + same<Variant (S::*)()>(&S::ApriCassettoManuale) +
      same<bool (S::*)()>(&S::Manutenzione_AnnulloScontrinoAperto) +
      same<bool (S::*)()>(&S::Manutenzione_EseguiRapportoZ) +
      same<bool (S::*)(kMerid_RapportoX&)>(&S::Manutenzione_EseguiRapportoX) +
      same<bool (S::*)()>(&S::Manutenzione_RipristinoAnomaliaCarta) +
      same<bool (S::*)()>(&S::Manutenzione_ProgrammazioneDataOra) +
      same<bool (S::*)()>(&S::Manutenzione_RistampaUltimoScontrino) +
      same<bool (S::*)(double&, I16&, I16&)>(&S::Manutenzione_DGFE_Data_NScontrini) +
      same<bool (S::*)()>(&S::Manutenzione_DGFE_StampaCompleta) +
      same<bool (S::*)(I16&, I16&)>(&S::Manutenzione_DGFE_IntervalloChiusure) +
      same<bool (S::*)()>(&S::Manutenzione_DFGE_NuovoGiornale) +
      same<bool (S::*)(int32_t&)>(&S::Manutenzione_DGFE_RichiestaRiga) +
      same<bool (S::*)(double&, double&)>(&S::Manutenzione_DGFE_StampaIntervalloDate) +
      same<bool (S::*)()>(&S::IsConnected) + same<void (S::*)()>(&S::ChiudiConnessioneCOM) +
      same<bool (F::*)(I16&, double&, bool&, I16&, I16&)>(&F::ApriFattura) +
      same<bool (F::*)(Str, Merid_Font&)>(&F::RigaFattura) + same<bool (F::*)(double)>(&F::ChiudiFattura) +
      same<bool (N::*)(I16&, I16&, I16&)>(&N::ApriNotaAccredito) +
      same<bool (N::*)(Str, Str, Str, Merid_Font&)>(&N::RigaNotaAccredito) +
      same<bool (N::*)(double)>(&N::ChiudiNotaAccredito);
  EXPECT_EQ(count, 45);
}

}  // namespace
}  // namespace merid
