#pragma once

#include "text/L10n.h"

#include <array>

namespace vantrel::L10n::detail {

struct Entry {
    Key key;
    const char* utf8;
};

inline constexpr std::size_t tableSize = EnumTraits<Key>::cases.size();

extern const std::array<Entry, tableSize> englishTable;
extern const std::array<Entry, tableSize> russianTable;

} // namespace vantrel::L10n::detail
