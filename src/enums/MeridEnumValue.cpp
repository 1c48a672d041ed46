#include "merid/MeridEnumValue.h"

#include <utility>

namespace merid {

namespace {

#define MERID_ENUM_ENTRY(name, value) {#name, value},
constexpr std::pair<std::string_view, int32_t> kMembers[] = {
    MERID_CODE_ERRORS(MERID_ENUM_ENTRY) MERID_BARCODE_TYPES(MERID_ENUM_ENTRY) MERID_FONTS(MERID_ENUM_ENTRY)
        MERID_RAPPORTO_X(MERID_ENUM_ENTRY)};
constexpr std::pair<std::string_view, int32_t> kCodeErrors[] = {MERID_CODE_ERRORS(MERID_ENUM_ENTRY)};
#undef MERID_ENUM_ENTRY

}  // namespace

std::optional<int32_t> enumValueByName(std::string_view name) {
  for (const auto& [n, v] : kMembers)
    if (n == name) return v;
  return std::nullopt;
}

std::string_view codeErrorName(int32_t value) {
  for (const auto& [n, v] : kCodeErrors)
    if (v == value) return n;
  return {};
}

}  // namespace merid
