#include <gtest/gtest.h>

#include <sstream>

#include "methods.h"
#include "reference.h"
#include "support/fakes.h"

namespace meridctl {
namespace {

// docs/reference.md is what the reference writes; every method has its entry.
TEST(Reference, CoversEveryMethodAndMatchesTheCommittedPage) {
  EXPECT_EQ(referenceProblems(), std::vector<std::string>{});
  EXPECT_EQ(reference().size(), 45u);
  EXPECT_TRUE(referenceMarkdown() == merid::test::readFile(MERID_REFERENCE_MD))
      << MERID_REFERENCE_MD << " differs from the reference; write it anew with\n"
      << "  meridctl help --markdown > docs/reference.md";
}

TEST(Reference, HelpFindsMethodsByEitherName) {
  struct Row {
    std::vector<std::string> args;
    int exit;
    std::string first;  // the output's first line
  };
  // clang-format off
  const Row rows[] = {
      {{"meridtallo_fattura.rigafattura"}, 0, "MeridTallo_Fattura.RigaFattura(TestoLibero, tipoFont)"},
      {{"MeridTallo_Fattura.Vendita"}, 1, ""},
      {{"meridtallo_naccr"}, 0,
       "The methods of the three classes; meridctl help METHOD (or CLASS.METHOD) shows one."},
      {{}, 0, "The methods of the three classes; meridctl help METHOD (or CLASS.METHOD) shows one."},
      {{"--markdown"}, 0, "# Method reference"},
  };
  // clang-format on
  for (const Row& row : rows) {
    std::ostringstream out, err;
    EXPECT_EQ(helpCommand(row.args, out, err), row.exit) << ::testing::PrintToString(row.args);
    EXPECT_EQ(out.str().substr(0, out.str().find('\n')), row.first);
    EXPECT_EQ(err.str().empty(), row.exit == 0);
  }
  // The list names every method; a class's list only its own.
  EXPECT_EQ(helpIndex("meridtallo_naccr").find("Vendita"), std::string::npos);
  const std::string index = helpIndex();
  for (const auto& d : reference())
    EXPECT_NE(index.find("  " + d.method + " "), std::string::npos) << d.method;
}

}  // namespace
}  // namespace meridctl
