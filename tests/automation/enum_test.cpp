#include <gtest/gtest.h>

#include "merid/MeridEnumValue.h"

namespace merid {
namespace {

// Host scripts name members; the values themselves are checked against the
// type library a COM host reads (tests/com).
TEST(Enumerations, LookUpByExactName) {
  EXPECT_EQ(enumValueByName("ECK_ConvensioneInesistente"), 157);
  EXPECT_EQ(enumValueByName("ECK_Errore_Sconosciuto"), std::nullopt) << "names are exact";
  EXPECT_EQ(codeErrorName(64), "ECK_CoperchioAperto");
}

}  // namespace
}  // namespace merid
