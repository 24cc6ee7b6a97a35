#pragma once

#include "model/RawValue.h"

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
