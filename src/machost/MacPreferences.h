#pragma once

#include "platform/PreferencesSystem.h"

namespace vantrel::mac {

// NSUserDefaults (the standard domain and named suites) and, for the application-value
// channel, CFPreferencesSetAppValue / CFPreferencesAppSynchronize. Values cross between
// Foundation and QVariant as property lists (PropertyList on this side,
// NSPropertyListSerialization on the other), so both sides agree on every type.
class MacPreferences final : public PreferencesSystem {
public:
    std::shared_ptr<UserDefaults> standard() override;
    std::shared_ptr<UserDefaults> suite(const QString& name) override;
    void setAppValue(const QString& key, const std::optional<QVariant>& value, const QString& applicationID) override;
    bool appSynchronize(const QString& applicationID) override;
};

} // namespace vantrel::mac
