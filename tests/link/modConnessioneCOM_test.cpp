#include "link/modConnessioneCOM.h"

#include <gtest/gtest.h>

#include "link_rig.h"

namespace merid {
namespace {

using Strings = std::vector<std::string>;

TEST(AperturaComunicazione, OpensOnlyWhenThePrinterDoesNotAnswer) {
  struct Row {
    const char* name;
    int32_t statusWrite, statusRead;
    std::string reply;
    int32_t openResult;
    int16_t port;
    int32_t mode;
    int32_t bufferModeResult;
    bool result;
    Strings calls;
  };
  const Row rows[] = {
      {"ready, mode 1", 0, 0, "0", 0, 1, 1, 0, true, {"write 1109", "read", "write 30161"}},
      {"ready, mode 2", 0, 0, "0", 0, 1, 2, 0, true, {"write 1109", "read", "write 30160"}},
      {"ready, mode 3", 0, 0, "0", 0, 1, 3, 0, true, {"write 1109", "read"}},
      {"ready, mode 7", 0, 0, "0", 0, 1, 7, 0, true, {"write 1109", "read"}},
      {"ready, 3016 refused", 0, 0, "0", 0, 1, 1, 24, true, {"write 1109", "read", "write 30161"}},
      {"paper end, mode 3", 0, 0, "001", 0, 1, 3, 0, true, {"write 1109", "read"}},
      {"closed, opens, mode 2",
       5,
       0,
       "",
       0,
       4,
       2,
       0,
       true,
       {"write 1109", "open 4 19200 1 7 0 1", "write 30160"}},
      {"no reply, opens, mode 1",
       0,
       8,
       "",
       0,
       -2,
       1,
       0,
       true,
       {"write 1109", "read", "open -2 19200 1 7 0 1", "write 30161"}},
      {"closed, port will not open", 5, 0, "", 1, 4, 1, 0, false, {"write 1109", "open 4 19200 1 7 0 1"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    test::LinkRig rig;
    rig.printer.answer("1109", {r.statusWrite});
    rig.printer.answer("30161", {r.bufferModeResult});
    rig.printer.replies({{r.reply, r.statusRead}});
    rig.printer.openResult = r.openResult;
    int16_t port = r.port;
    int32_t mode = r.mode;
    bool result = !r.result;
    rig.run([&] { result = AperturaComunicazione(port, mode); });
    EXPECT_EQ(result, r.result);
    EXPECT_EQ(rig.printer.calls(), r.calls);
    EXPECT_TRUE(rig.logs.errors().empty());
    for (const auto& line : rig.logs.debug()) EXPECT_EQ(line.find("3016"), std::string::npos) << line;
  }
}

TEST(ChiusuraComunicazione, TrueOnlyWhenTheLibraryReportsThePortClosed) {
  for (int32_t closeResult : {0, 5, -1}) {
    test::LinkRig rig;
    rig.printer.closeResult = closeResult;
    bool result = closeResult != 0;
    rig.run([&] { result = ChiusuraComunicazione(); });
    EXPECT_EQ(result, closeResult == 0) << closeResult;
    EXPECT_EQ(rig.printer.calls(), Strings{"close"});
  }
}

TEST(getCloseConnEachDoc, OnlyExactlyZeroKeepsTheLinkOpen) {
  struct Row {
    const char* before;  // nullptr: no file
    bool result;
    const char* after;
  };
  const Row rows[] = {
      {nullptr, false, "[Fiscal]\nCloseConnEachDoc=0\n"},
      {"[Fiscal]\nCloseConnEachDoc=\n", false, "[Fiscal]\nCloseConnEachDoc=0\n"},
      {"[Fiscal]\nCloseConnEachDoc=0\n", false, "[Fiscal]\nCloseConnEachDoc=0\n"},
      {"[Fiscal]\nCloseConnEachDoc=1\n", true, "[Fiscal]\nCloseConnEachDoc=1\n"},
      {"[Fiscal]\nCloseConnEachDoc=\" 0\"\n", true, "[Fiscal]\nCloseConnEachDoc=\" 0\"\n"},
      {"[Fiscal]\nCloseConnEachDoc=no\n", true, "[Fiscal]\nCloseConnEachDoc=no\n"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.before ? r.before : "no file");
    test::LinkRig rig;
    if (r.before) rig.setIni(r.before);
    bool result = !r.result;
    rig.run([&] { result = getCloseConnEachDoc(); });
    EXPECT_EQ(result, r.result);
    EXPECT_EQ(rig.ini(), r.after);
  }
}

TEST(getCloseConnEachDoc, ReadOncePerThread) {
  test::LinkRig rig;
  Strings seen;
  rig.run([&] {
    seen.push_back(getCloseConnEachDoc() ? "True" : "False");
    rig.setIni("[Fiscal]\nCloseConnEachDoc=1\n");
    seen.push_back(getCloseConnEachDoc() ? "True" : "False");
  });
  rig.run([&] { seen.push_back(getCloseConnEachDoc() ? "True" : "False"); });
  EXPECT_EQ(seen, (Strings{"False", "False", "True"}));
}

}  // namespace
}  // namespace merid
