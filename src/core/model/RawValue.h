#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <optional>
#include <type_traits>

namespace vantrel {

// Every enumeration of the model has a string raw value: its stored, logged and compared
// form. An enumeration opts in by specializing EnumTraits with `cases` (all cases in
// declaration order) and `names` (their raw values, same order).
template <typename E>
struct EnumTraits;

template <typename E>
concept RawValueEnum = std::is_enum_v<E> && requires
{
    EnumTraits<E>::cases;
};

template <typename E>
constexpr const auto& allCases()
{
    return EnumTraits<E>::cases;
}

template <typename E>
QString rawValue(E value)
{
    const auto& cases = EnumTraits<E>::cases;
    const auto it = std::find(cases.begin(), cases.end(), value);
    return QString::fromLatin1(EnumTraits<E>::names[std::size_t(std::distance(cases.begin(), it))]);
}

// Strict decoding: exactly one of the raw values, or no value.
template <typename E>
std::optional<E> fromRawValue(QStringView raw)
{
    const auto& names = EnumTraits<E>::names;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (raw == QLatin1StringView(names[i])) {
            return EnumTraits<E>::cases[i];
        }
    }
    return std::nullopt;
}

// Every such enumeration hashes by its case, so it can go into a QSet or be a QHash key.
template <RawValueEnum E>
size_t qHash(E value, size_t seed = 0) noexcept
{
    return ::qHash(int(value), seed);
}

} // namespace vantrel
