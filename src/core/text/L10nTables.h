#pragma once

#include "text/L10n.h"

#include <array>

namespace vantrel::L10n::detail {

struct Entry {
    Key key;
    const char* utf8;
};

extern const std::array<Entry, 88> englishTable;
extern const std::array<Entry, 88> russianTable;

} // namespace vantrel::L10n::detail
