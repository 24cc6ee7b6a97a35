#pragma once

#include <QHashFunctions>
#include <QSet>

#include <optional>

namespace vantrel {

// Optional fields hash a presence flag first, then the value.
template <typename T>
size_t hashOptional(const std::optional<T>& value, size_t seed = 0)
{
    seed = ::qHash(value.has_value(), seed);
    return value ? qHash(*value, seed) : seed;
}

// Sets hash independently of their iteration order.
template <typename T>
size_t hashSet(const QSet<T>& set, size_t seed = 0)
{
    return qHashRangeCommutative(set.cbegin(), set.cend(), seed);
}

} // namespace vantrel
