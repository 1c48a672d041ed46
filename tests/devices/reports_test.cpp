#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "merid/MeridTallo_Scontrino.h"
#include "config/number_text.h"
#include "devices/maintenance.h"
#include "devices/modRapportoZ.h"
#include "platform/failure.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;

// Records the waits between pre-closing commands, as printer writes do, so
// their order shows; can be made to fail.
class RecordingZReport : public platform::ZReportComponent {
 public:
  RecordingZReport(Strings* events, bool fail) : events_(events), fail_(fail) {}
  void Wait(int32_t& ms) override {
    if (fail_) throw RuntimeFailure("Automation error");
    events_->push_back("wait " + std::to_string(ms));
  }

 private:
  Strings* events_;
  bool fail_;
};

class Reports : public test::DocumentTest {
 protected:
  void installZReport(bool fail) {
    auto previous = platform::setZReportComponentFactory([this, fail] {
      ++created;
      return std::make_unique<RecordingZReport>(&waits, fail);
    });
    if (!installed_) previous_ = previous;
    installed_ = true;
  }
  void TearDown() override { platform::setZReportComponentFactory(previous_); }
  // Printer writes and waits, in order.
  Strings events(std::size_t fromCall) const {
    Strings out;
    std::size_t w = 0;
    for (std::size_t i = fromCall; i < printer.calls().size(); ++i) {
      const std::string& c = printer.calls()[i];
      if (c == "write 1109" || c.rfind("write ", 0) != 0) continue;
      out.push_back(c.substr(6));
      if (c.rfind("write PRE", 0) == 0 && w < waits.size()) out.push_back(waits[w++]);
    }
    return out;
  }
  Strings waits;
  int created = 0;
  platform::Factory<platform::ZReportComponent> previous_;
  bool installed_ = false;
};

TEST_F(Reports, DailyClosing) {
  struct Row {
    const char* ini;
    const char* refused;
    bool result;
    Strings events;
    int created;
  };
  const Row rows[] = {
      {"", nullptr, true, {"2002"}, 0},
      {"[Comando1PreChiusuraFiscale]\nValue=PRE1\n", nullptr, true, {"PRE1", "wait 5000", "2002"}, 1},
      {"[Comando2PreChiusuraFiscale]\nValue=PRE2\n", nullptr, true, {"PRE2", "wait 5000", "2002"}, 1},
      {"[Comando1PreChiusuraFiscale]\nValue=PRE1\n[Comando2PreChiusuraFiscale]\nValue=PRE2\n", "PRE1", false,
       {"PRE1", "wait 5000", "PRE2", "wait 5000", "2002"}, 1},
      {"[Comando1PreChiusuraFiscale]\nValue=PRE1\n", "2002", false, {"PRE1", "wait 5000", "2002"}, 1},
  };
  for (const auto& r : rows) {
    setIni(r.ini);
    printer.editText = nullptr;
    if (r.refused) failSending(r.refused);
    installZReport(false);
    waits.clear();
    created = 0;
    const auto start = printer.calls().size();
    MERID_ON_FRESH_THREAD({
      int16_t port = 1;
      EXPECT_EQ(EseguiRapportoZ(port), r.result) << r.ini;
    });
    EXPECT_EQ(events(start), r.events) << r.ini;
    EXPECT_EQ(created, r.created) << r.ini;
    EXPECT_NE(ini().find("[Comando1PreChiusuraFiscale]"), std::string::npos);
    EXPECT_NE(ini().find("[Comando2PreChiusuraFiscale]"), std::string::npos);
  }
}

TEST_F(Reports, AFailingComponentStopsTheClosing) {
  setIni("[Comando1PreChiusuraFiscale]\nValue=PRE1\n[Fiscal]\nCloseConnEachDoc=1\n");
  installZReport(true);
  MERID_ON_FRESH_THREAD({
    int16_t port = 1;
    EXPECT_FALSE(EseguiRapportoZ(port));
  });
  EXPECT_EQ(printed(), Strings{"PRE1"});
  EXPECT_EQ(std::count(printer.calls().begin(), printer.calls().end(), "close"), 0);
  EXPECT_EQ(logs.errors(), Strings{"modRapportoZ-EseguiRapportoZ Automation error"});
}

TEST_F(Reports, XReportKinds) {
  setIni("[Fiscal]\nCloseConnEachDoc=1\n");
  struct Row {
    int32_t kind;
    bool result;
    Strings sent;
  };
  const Row rows[] = {{1, true, {"2003"}}, {0, false, {}}, {2, false, {}}};
  for (const auto& r : rows) {
    const auto before = printed().size();
    const auto closes = std::count(printer.calls().begin(), printer.calls().end(), "close");
    MERID_ON_FRESH_THREAD({
      int16_t port = 1;
      int32_t kind = r.kind;
      EXPECT_EQ(EseguiRapportoX(port, kind), r.result);
    });
    EXPECT_EQ(printedSince(before), r.sent) << r.kind;
    EXPECT_EQ(std::count(printer.calls().begin(), printer.calls().end(), "close"), closes + 1) << r.kind;
  }
}

TEST_F(Reports, JournalAndClockCommands) {
  test::FixedClock clock({2026, 12, 4, 15, 42, 7});
  const double dec1 = toAutomationDate({2026, 12, 1, 0, 0, 0});
  const double dec4 = toAutomationDate({2026, 12, 4, 0, 0, 0});
  const double dec4late = toAutomationDate({2026, 12, 4, 18, 30, 0});
  struct Row {
    const char* name;
    std::function<bool(int16_t&)> call;
    const char* command;  // nullptr: refused with a message
    const char* message;
  };
  const char* dateMsg = "Il valore di data inizio non pu\xF2 essere maggiore di data fine.";
  const char* receiptMsg = "Il numero scontrino dev'essere maggiore di zero e inferiore a 9999.";
  const char* closingMsg = "Il numero di chiusura dev'essere maggiore di zero e inferiore a 9999.";
  auto dates = [](double a, double b) {
    return [a, b](int16_t& p) mutable { return Manutenzione_StampaGiornaleElettronicoDaDataAData(p, a, b); };
  };
  auto receipts = [](double d, int16_t a, int16_t b) {
    return [d, a, b](int16_t& p) mutable {
      return Manutenzione_StampaGiornaleElettronico_Data_NScontrini(p, d, a, b);
    };
  };
  auto closings = [](int16_t a, int16_t b) {
    return [a, b](int16_t& p) mutable { return Manutenzione_StampaGiornaleElettronico_IntervalloChiusure(p, a, b); };
  };
  auto record = [](int32_t n) {
    return [n](int16_t& p) mutable { return Manutenzione_StampaGiornaleElettronico_RigaDGFE(p, n); };
  };
  const Row rows[] = {
      {"reprint", [](int16_t& p) { return Manutenzione_RistampaUltimoScontrino(p); }, "4007", nullptr},
      {"clock", [](int16_t& p) { return Manutenzione_ProgrammazioneDataOra(p); }, "20010412261542", nullptr},
      {"dates", dates(dec1, dec4), "80010112260412260", nullptr},
      {"same moment", dates(dec4late, dec4late), "80010412260412260", nullptr},
      {"same day, later start", dates(dec4late, dec4), nullptr, dateMsg},
      {"receipts", receipts(dec4late, 1, 25), "8002041226000100250", nullptr},
      {"receipts 9998", receipts(dec4, 9998, 9998), "8002041226999899980", nullptr},
      {"receipt 9999", receipts(dec4, 1, 9999), nullptr, receiptMsg},
      {"receipt 0", receipts(dec4, 0, 5), nullptr, receiptMsg},
      {"receipt negative", receipts(dec4, -3, 5), nullptr, receiptMsg},
      {"closings", closings(10, 12), "8003001000120000", nullptr},
      {"closings reversed", closings(12, 10), "8003001200100000", nullptr},
      {"closing 0", closings(0, 10), nullptr, closingMsg},
      {"record", record(123), "8004000000123", nullptr},
      {"record 0", record(0), "8004000000000", nullptr},
      {"record negative", record(-5), "8004-000000005", nullptr},
      {"whole", [](int16_t& p) { return Manutenzione_StampaGiornaleElettronico_Integrale(p); }, "8005", nullptr},
      {"new", [](int16_t& p) { return Manutenzione_StampaGiornaleElettronico_NuovoDGFE(p); }, "8007", nullptr},
  };
  test::BoxRecorder boxes;
  for (const auto& r : rows) {
    const auto calls = printer.calls().size();
    const auto shown = boxes.boxes().size();
    MERID_ON_FRESH_THREAD({
      int16_t port = 1;
      EXPECT_EQ(r.call(port), r.command != nullptr) << r.name;
    });
    Strings made(printer.calls().begin() + calls, printer.calls().end());
    if (r.command) {
      EXPECT_EQ(made.back(), std::string("write ") + r.command) << r.name;
      EXPECT_EQ(boxes.boxes().size(), shown) << r.name;
    } else {
      EXPECT_TRUE(made.empty()) << r.name << ": nothing sent, the link not opened";
      ASSERT_EQ(boxes.boxes().size(), shown + 1) << r.name;
      EXPECT_EQ(boxes.boxes().back().text, r.message);
      EXPECT_EQ(boxes.boxes().back().title, "Errore DGFE");
      EXPECT_EQ(boxes.boxes().back().style, 0x1010u);
    }
  }
}

}  // namespace
}  // namespace merid
