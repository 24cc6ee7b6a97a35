#pragma once

#include "model/RawValue.h"

#include <QHashFunctions>
#include <QString>

namespace vantrel {

// The two interface languages, in picker order. The raw value doubles as the locale
// identifier used for formatting.
enum class AppLanguage { russian, english };

template <>
struct EnumTraits<AppLanguage> {
    static constexpr std::array cases{AppLanguage::russian, AppLanguage::english};
    static constexpr std::array names{"ru", "en"};
};

inline size_t qHash(AppLanguage value, size_t seed = 0) noexcept
{
    return ::qHash(int(value), seed);
}

// The name shown in the language picker, the same in both languages.
inline QString pickerName(AppLanguage language)
{
    return language == AppLanguage::russian ? QStringLiteral("Русский") : QStringLiteral("English");
}

// "en" is English; anything else, or nothing, is Russian.
inline AppLanguage languageFromStoredValue(const std::optional<QString>& stored)
{
    return stored && *stored == u"en" ? AppLanguage::english : AppLanguage::russian;
}

} // namespace vantrel
