#include "text/L10n.h"

#include "platform/Host.h"
#include "text/L10nTables.h"

#include <array>
#include <atomic>
#include <optional>

namespace vantrel::L10n {

namespace {

constexpr std::size_t keyCount = EnumTraits<Key>::cases.size();
using Table = std::array<std::optional<QString>, keyCount>;

Table buildTable(const std::array<detail::Entry, detail::tableSize>& entries)
{
    Table table;
    for (const detail::Entry& entry : entries) {
        table[std::size_t(entry.key)] = QString::fromUtf8(entry.utf8);
    }
    return table;
}

// Built once, on first use, under the language's thread-safe static initialisation;
// read-only afterwards.
const Table& englishTexts()
{
    static const Table table = buildTable(detail::englishTable);
    return table;
}

const Table& russianTexts()
{
    static const Table table = buildTable(detail::russianTable);
    return table;
}

} // namespace

QString string(Key key, AppLanguage language)
{
    const std::size_t index = std::size_t(key);
    if (language == AppLanguage::russian) {
        if (const auto& text = russianTexts()[index]) {
            return *text;
        }
    }
    if (const auto& text = englishTexts()[index]) {
        return *text;
    }
    return rawValue(key);
}

namespace {
// -1: none; otherwise the AppLanguage's value.
std::atomic<int> languageOverride{-1};
} // namespace

void overrideLanguage(std::optional<AppLanguage> language)
{
    languageOverride.store(language ? int(*language) : -1);
}

AppLanguage currentLanguage()
{
    if (const int given = languageOverride.load(); given >= 0) {
        return AppLanguage(given);
    }
    return languageFromStoredValue(Host::current().standardDefaults()->string(QStringLiteral("appLanguage")));
}

QString format(const QString& pattern, const QList<Argument>& arguments)
{
    if (arguments.isEmpty()) {
        return pattern;
    }
    QString result;
    result.reserve(pattern.size() + 32);
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 >= pattern.size()) {
            result.append(c);
            continue;
        }
        const QChar spec = pattern[i + 1];
        if (spec == u'%') {
            result.append(u'%');
            ++i;
        } else if ((spec == u'@' || spec == u'd') && next < arguments.size()) {
            const Argument& argument = arguments[next++];
            if (const QString* text = std::get_if<QString>(&argument)) {
                result.append(*text);
            } else {
                result.append(QString::number(std::get<qint64>(argument)));
            }
            ++i;
        } else {
            // An unknown specifier, or more placeholders than arguments: kept as written.
            result.append(c);
        }
    }
    return result;
}

} // namespace vantrel::L10n
