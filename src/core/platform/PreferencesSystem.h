#pragma once

#include "platform/UserDefaults.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

namespace vantrel {

// The user-defaults system: the launcher's standard domain, named suites, and the
// application-value channel that writes one key of another application's domain directly
// (what CFPreferencesSetAppValue / CFPreferencesAppSynchronize do on a Mac).
class PreferencesSystem {
public:
    virtual ~PreferencesSystem() = default;

    virtual std::shared_ptr<UserDefaults> standard() = 0;
    // nullptr when the suite cannot be opened (an empty name, or one that is not a plain
    // domain name).
    virtual std::shared_ptr<UserDefaults> suite(const QString& name) = 0;

    // Sets the key, or removes it when `value` is absent.
    virtual void setAppValue(const QString& key, const std::optional<QVariant>& value,
                             const QString& applicationID) = 0;
    virtual bool appSynchronize(const QString& applicationID) = 0;

    // The domain names a suite may have on every host: not empty, no "/", NUL or "..",
    // not "." — a name that cannot reach outside the preferences folder.
    static bool isPlainDomainName(const QString& name);
};

} // namespace vantrel
