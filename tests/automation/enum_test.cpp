#include <gtest/gtest.h>

#include "merid/MeridEnumValue.h"

namespace merid {
namespace {

TEST(Enumerations, MembersAndValues) {
  int count = 0;
#define COUNT(name, value) ++count;
  MERID_CODE_ERRORS(COUNT)
#undef COUNT
  EXPECT_EQ(count, 80);

  struct Row {
    const char* name;
    int32_t value;
  };
  const Row rows[] = {
      {"ECK_NonConnesso", -1},          {"ECK_OK", 0},
      {"ECK_CartaEsaurita", 16},        {"ECK_DGFEEsaurito", 30},
      {"ECK_DGFEQuasiEsaurito", 31},    {"ECK_CoperchioAperto", 64},
      {"ECK_Errore_sconosciuto", 100},  {"ECK_ConvensioneInesistente", 157},
      {"ECK_ConvenzioneEsistente", 158}, {"ECK_ClienteObbligatorio", 189},
      {"ECK_LunghezzaComandoInvalida", 24}, {"ECK_RepartoInesistente", 148},
      {"CBT_Ean8", 8},                  {"CBT_Ean13", 13},
      {"CBT_Code39", 39},               {"kMerid_Normale", 1},
      {"kMerid_Grassetto_DoppiaAltezza_42Car", 9}, {"kMerid_42Caratteri", 3},
      {"kCRX_TotaliDelGiorno", 1},
  };
  for (const auto& r : rows) EXPECT_EQ(enumValueByName(r.name), r.value) << r.name;
  EXPECT_EQ(enumValueByName("ECK_Errore_Sconosciuto"), std::nullopt) << "names are exact";
  EXPECT_EQ(codeErrorName(64), "ECK_CoperchioAperto");
  EXPECT_EQ(codeErrorName(4), "");
  static_assert(ECK_SCNonAssociata == 167 && kMerid_Corsivo == 6 && CBT_Ean13 == 13);
}

}  // namespace
}  // namespace merid
