#pragma once
// The public enumerations. Names and values are a fixed contract with hosts.
// Each list is an X-macro (MeridEnumLists.h) so the names can be looked up
// at run time.

#include <cstdint>
#include <optional>
#include <string_view>

#include "merid/MeridEnumLists.h"

namespace merid {

#define MERID_ENUM_MEMBER(name, value) name = value,
enum MeridCodeErrors : int32_t { MERID_CODE_ERRORS(MERID_ENUM_MEMBER) };
enum Merid_BarcodeType : int32_t { MERID_BARCODE_TYPES(MERID_ENUM_MEMBER) };
enum Merid_Font : int32_t { MERID_FONTS(MERID_ENUM_MEMBER) };
enum kMerid_RapportoX : int32_t { MERID_RAPPORTO_X(MERID_ENUM_MEMBER) };
#undef MERID_ENUM_MEMBER

// The value of a member of any of the four enumerations, by its exact name.
std::optional<int32_t> enumValueByName(std::string_view name);
// The name of a MeridCodeErrors value; empty when it has none.
std::string_view codeErrorName(int32_t value);

}  // namespace merid
