#include <gtest/gtest.h>

#include "devices/modBarcode.h"
#include "devices/modCassetto.h"
#include "devices/modDisplay.h"
#include "support/receipt_fixture.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;

std::string pad(const std::string& s) { return (s + std::string(20, ' ')).substr(0, 20); }

class Devices : public test::DocumentTest {};

TEST_F(Devices, DisplayLines) {
  MERID_ON_FRESH_THREAD({
    EXPECT_TRUE(MostraRigheADisplay("BENVENUTI", "CASSA 2"));
    EXPECT_TRUE(MostraRigheADisplay("", ""));
    EXPECT_TRUE(MostraRigaADisplay("XYZ", 2));  // before any line 1
    EXPECT_TRUE(MostraRigaADisplay("ABC", 1));
    EXPECT_TRUE(MostraRigaADisplay("XYZ", 2));
    EXPECT_TRUE(MostraRigheADisplay("ONE", "TWO"));
    EXPECT_TRUE(MostraRigaADisplay("Z", 0));
    EXPECT_TRUE(MostraRigaADisplay("UNA RIGA PIU LUNGA DI VENTI", -1));
  });
  EXPECT_EQ(printed(), (Strings{"7007BENVENUTI           CASSA 2             ", "7007" + std::string(40, ' '),
                                "7007" + pad("") + pad("XYZ"), "7007" + pad("ABC") + pad(""),
                                "7007" + pad("ABC") + pad("XYZ"), "7007" + pad("ONE") + pad("TWO"),
                                "7007" + pad("ABC") + pad("Z"), "7007" + pad("ABC") + "UNA RIGA PIU LUNGA D"}));
  EXPECT_EQ(printed()[0].size(), 44u);
}

TEST_F(Devices, TheDisplayWaitsForAReadyPrinter) {
  struct Row {
    std::string reply;
    int32_t readResult;
  };
  const Row rows[] = {{"0010000", 0}, {"0100000", 0}, {"0000100", 0}, {"0000010", 0}, {"", 5}};
  for (const auto& r : rows) {
    printer.replies({{r.reply, r.readResult}});
    MERID_ON_FRESH_THREAD({
      EXPECT_FALSE(MostraRigheADisplay("A", "B")) << r.reply;
      EXPECT_FALSE(MostraRigaADisplay("A", 1)) << r.reply;
    });
  }
  EXPECT_TRUE(printed().empty());
}

TEST_F(Devices, AFailingFilterSendsNothing) {
  test::FailingComponents failing(true, false);
  MERID_ON_FRESH_THREAD({
    EXPECT_FALSE(MostraRigheADisplay("A", "B"));
    EXPECT_FALSE(MostraRigaADisplay("A", 1));
  });
  EXPECT_TRUE(printed().empty());
  EXPECT_EQ(logs.errors(), (Strings{"modDisplay-getComando_InviaRigheDisplay Automation error",
                                    "modDisplay-getComando_Merid_DisplayRiga Automation error"}));
}

TEST_F(Devices, DrawerBypass) {
  const std::string apertura = "7007" + pad("Apertura Cassetto") + pad("");
  struct Row {
    const char* ini;
    bool automatic;
    Strings sent;
    const char* after;
  };
  const Row rows[] = {
      {"", true, {"70081", apertura}, "[ByPassApriCassetto]\nvalue=0\n"},
      {"[ByPassApriCassetto]\nvalue=0\n", true, {"70081", apertura}, nullptr},
      {"[ByPassApriCassetto]\nvalue=1\n", false, {}, nullptr},
      {"[ByPassApriCassetto]\nvalue=\" 0\"\n", false, {}, nullptr},
      {"[ByPassApriCassetto]\nvalue=00\n", false, {}, nullptr},
  };
  for (const auto& r : rows) {
    setIni(r.ini);
    auto before = printer.calls().size();
    MERID_ON_FRESH_THREAD({
      int16_t port = 2;
      EXPECT_EQ(ApriCassetto(port), r.automatic) << r.ini;
    });
    Strings calls(printer.calls().begin() + before, printer.calls().end());
    Strings sent;
    for (const auto& c : calls)
      if (c.rfind("write ", 0) == 0 && c != "write 1109") sent.push_back(c.substr(6));
    EXPECT_EQ(sent, r.sent) << r.ini;
    if (!r.automatic) {
      EXPECT_TRUE(calls.empty()) << "the link is not touched when bypassed";
    }
    if (r.after) {
      EXPECT_EQ(ini(), std::string(r.after) + "[Fiscal]\nCloseConnEachDoc=0\n");
    }
    const auto manual = printed().size();
    MERID_ON_FRESH_THREAD({
      int16_t port = 2;
      EXPECT_TRUE(AperturaManualeCassetto(port)) << r.ini;
    });
    EXPECT_EQ(printedSince(manual), (Strings{"70081", apertura}));
  }
}

TEST_F(Devices, DrawerOutcomeAndLinkClosing) {
  // The display refuses (paper end at its status check): the drawer opened,
  // the routine reports False.
  printer.replies({{"0000000", 0}, {"0010000", 0}});
  setIni("[Fiscal]\nCloseConnEachDoc=1\n");
  MERID_ON_FRESH_THREAD({
    int16_t port = 2;
    EXPECT_FALSE(AperturaManualeCassetto(port));
    std::string text = "ABC123";
    int32_t type = CBT_Code39;
    EXPECT_TRUE(StampaBarcode(text, type));
  });
  EXPECT_EQ(printer.calls(), (Strings{"write 1109", "read", "write 70081", "write 1109", "read", "close",
                                      "write 3021320006ABC123"}));
}

TEST_F(Devices, Barcodes) {
  struct Row {
    std::string text;
    int32_t type;
    int16_t option;
    std::string command;
  };
  const Row rows[] = {
      {"8001234567895", CBT_Ean13, -1, "30211200138001234567895"},
      {"12345670", CBT_Ean8, -1, "302122000812345670"},
      {"ABC123", CBT_Code39, -1, "3021320006ABC123"},
      {"ABC123", 7, -1, "302120006ABC123"},
      {"123456789", CBT_Ean13, 0, "3021100009123456789"},
      {"", CBT_Ean8, 1, "3021220000"},
      {std::string(100, '7'), CBT_Code39, 1, "30213200100" + std::string(100, '7')},
  };
  MERID_ON_FRESH_THREAD({
    for (auto r : rows) EXPECT_EQ(getComando_StampaBarcode(r.text, r.type, r.option), r.command) << r.text;
  });
}

}  // namespace
}  // namespace merid
