#include "text/LocalizationStore.h"

#include "platform/Host.h"
#include "platform/UserDefaults.h"

#include <limits>

namespace vantrel {

namespace {
const QString languageKey = QStringLiteral("appLanguage");
}

LocalizationStore::LocalizationStore(std::shared_ptr<UserDefaults> defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(std::move(defaults))
    , m_language(languageFromStoredValue(m_defaults->string(languageKey)))
{
}

LocalizationStore& LocalizationStore::of(Host& host)
{
    return host.shared<LocalizationStore>(
        [](Host& owner) { return std::make_unique<LocalizationStore>(owner.standardDefaults()); });
}

void LocalizationStore::setLanguage(AppLanguage language)
{
    const bool changed = language != m_language;
    m_language = language;
    m_defaults->setValue(languageKey, rawValue(language));
    m_revision = m_revision == std::numeric_limits<int>::max() ? 0 : m_revision + 1;
    if (changed) {
        Q_EMIT languageChanged();
    }
    Q_EMIT revisionChanged();
}

void LocalizationStore::setLanguageCode(const QString& code)
{
    if (auto language = fromRawValue<AppLanguage>(code)) {
        setLanguage(*language);
    }
}

QString LocalizationStore::text(const QString& keyName, const QVariantList& arguments) const
{
    auto key = fromRawValue<L10n::Key>(keyName);
    if (!key) {
        return keyName;
    }
    QList<L10n::Argument> converted;
    for (const QVariant& argument : arguments) {
        switch (argument.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            converted.append(argument.toLongLong());
            break;
        default:
            converted.append(argument.toString());
        }
    }
    return L10n::format(L10n::string(*key, m_language), converted);
}

} // namespace vantrel
