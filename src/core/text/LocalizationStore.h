#pragma once

#include "text/AppLanguage.h"
#include "text/L10n.h"

#include <QObject>
#include <QVariant>

#include <memory>

namespace vantrel {

class UserDefaults;

// The interface language as the windows observe it. Setting `language` (even to the value
// it has) stores its raw value under "appLanguage" and raises `revision`, so every view
// that reads texts through the store redraws at once. Construction writes nothing.
class Host;

class LocalizationStore final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString languageCode READ languageCode WRITE setLanguageCode NOTIFY languageChanged)
    Q_PROPERTY(int revision READ revision NOTIFY revisionChanged)
    // The store itself, announced anew with every revision: a binding that reads its texts
    // through it (`l10n.current.text("key")`) is evaluated again when the language is set.
    Q_PROPERTY(vantrel::LocalizationStore* current READ current NOTIFY revisionChanged)

public:
    explicit LocalizationStore(std::shared_ptr<UserDefaults> defaults, QObject* parent = nullptr);

    // The host's store over its standard defaults, made on first use: one per host.
    static LocalizationStore& of(Host& host);

    AppLanguage language() const { return m_language; }
    void setLanguage(AppLanguage language);

    // The raw value ("ru", "en"), for views; an unknown code is ignored.
    QString languageCode() const { return rawValue(m_language); }
    void setLanguageCode(const QString& code);

    int revision() const { return m_revision; }
    LocalizationStore* current() { return this; }

    // The text of `key` in the store's language.
    template <typename... Args>
    QString t(L10n::Key key, const Args&... args) const
    {
        return L10n::text(m_language, key, args...);
    }

    // The same for views, by key name; an unknown name gives the name back.
    Q_INVOKABLE QString text(const QString& keyName, const QVariantList& arguments = {}) const;

Q_SIGNALS:
    void languageChanged();
    void revisionChanged();

private:
    std::shared_ptr<UserDefaults> m_defaults;
    AppLanguage m_language;
    int m_revision = 0;
};

} // namespace vantrel
