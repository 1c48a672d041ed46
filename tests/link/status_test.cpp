#include <gtest/gtest.h>

#include "merid/MeridEnumValue.h"
#include "link/modError.h"
#include "link_rig.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;

TEST(Merid_CheckStatus, ResultAndLinesByReply) {
  struct Row {
    int32_t statusWrite, readResult;
    std::string reply;  // positions from 0
    int32_t result;
    Strings lines;  // after "Merid_CheckStatus..."
  };
  const std::string reading = "Leggendo stato da stampante...", testing = "connesso! Test stato...";
  const Row rows[] = {
      {5, 0, "", ECK_NonConnesso, {"Merid_CheckStatus = ECK_NonConnesso"}},
      {-1, 0, "", ECK_NonConnesso, {"Merid_CheckStatus = ECK_NonConnesso"}},
      {0, 3, "011111", ECK_NonConnesso, {reading, "non connesso."}},
      {0, 0, "011111", ECK_CoperchioAperto, {reading, testing, "ECK_CoperchioAperto"}},
      {0, 0, "001110", ECK_CartaEsaurita, {reading, testing, "ECK_CartaEsaurita"}},
      {0, 0, "000110", ECK_DGFEEsaurito, {reading, testing, "devPaperRNEnd_JNEnd", "ECK_DGFEEsaurito"}},
      {0,
       0,
       "000101",
       ECK_DGFEQuasiEsaurito,
       {reading, testing, "devPaperRNEnd_JNEnd", "ECK_DGFEQuasiEsaurito"}},
      {0, 0, "000011", ECK_DGFEEsaurito, {reading, testing, "ECK_DGFEEsaurito"}},
      {0, 0, "000100", ECK_OK, {reading, testing, "devPaperRNEnd_JNEnd"}},
      {0, 0, "0", ECK_OK, {reading, testing}},
      {0, 0, "", ECK_OK, {reading, testing}},
      {0, 0, "1000001", ECK_OK, {reading, testing}},
      {0, 0, "0222220", ECK_OK, {reading, testing}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "write " << r.statusWrite << " read " << r.readResult << " reply "
                                    << r.reply);
    test::LinkRig rig;
    rig.printer.answer("1109", {r.statusWrite});
    rig.printer.replies({{r.reply, r.readResult}});
    int32_t result = 99;
    rig.run([&] { result = Merid_CheckStatus(); });
    EXPECT_EQ(result, r.result);
    Strings expected{"Merid_CheckStatus..."};
    for (const auto& v : r.lines) expected.push_back("....Merid_CheckStatus:  " + v);
    EXPECT_EQ(rig.logs.debug(), expected);
    EXPECT_EQ(rig.printer.calls(),
              (r.statusWrite == 0 ? Strings{"write 1109", "read"} : Strings{"write 1109"}));
    EXPECT_TRUE(rig.logs.errors().empty());
    EXPECT_TRUE(rig.boxes.boxes().empty());
  }
}

}  // namespace
}  // namespace merid
