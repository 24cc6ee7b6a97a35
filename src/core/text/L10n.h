#pragma once

#include "model/RawValue.h"
#include "text/AppLanguage.h"
#include "text/L10nKeys.h"

#include <QList>
#include <QString>

#include <concepts>
#include <optional>
#include <variant>

namespace vantrel::L10n {

#define VANTREL_L10N_ENUM_CASE(name) name,
enum class Key { VANTREL_L10N_KEYS(VANTREL_L10N_ENUM_CASE) };
#undef VANTREL_L10N_ENUM_CASE

// A format argument: "%@" takes a string, "%d" an integer.
using Argument = std::variant<QString, qint64>;

inline Argument argument(const QString& text)
{
    return text;
}
inline Argument argument(const char* utf8)
{
    return QString::fromUtf8(utf8);
}
inline Argument argument(std::integral auto number)
{
    return qint64(number);
}

// The pattern of `key` in `language`: Russian falls back to English, English to the
// key's name. The tables are built once and safe to read from any thread.
QString string(Key key, AppLanguage language);

// The stored interface language, read from the standard defaults at every call, unless
// this process was given one of its own (a command line's --lang).
AppLanguage currentLanguage();
// Sets (or, with none, lifts) this process's own interface language.
void overrideLanguage(std::optional<AppLanguage> language);

// Fills "%@" and "%d" placeholders in order ("%%" is a percent sign). Without arguments
// the pattern comes back untouched. Inserted text is never scanned again.
QString format(const QString& pattern, const QList<Argument>& arguments);

// The text of `key` in `language`, formatted with the arguments.
template <typename... Args>
QString text(AppLanguage language, Key key, const Args&... args)
{
    return format(string(key, language), QList<Argument>{argument(args)...});
}

// The text of `key` in the current interface language.
template <typename... Args>
QString text(Key key, const Args&... args)
{
    return text(currentLanguage(), key, args...);
}

} // namespace vantrel::L10n

namespace vantrel {

template <>
struct EnumTraits<L10n::Key> {
#define VANTREL_L10N_CASE(name) L10n::Key::name,
#define VANTREL_L10N_NAME(name) #name,
    static constexpr std::array cases{VANTREL_L10N_KEYS(VANTREL_L10N_CASE)};
    static constexpr std::array names{VANTREL_L10N_KEYS(VANTREL_L10N_NAME)};
#undef VANTREL_L10N_CASE
#undef VANTREL_L10N_NAME
};

static_assert(EnumTraits<L10n::Key>::cases.size() == 146);

} // namespace vantrel
