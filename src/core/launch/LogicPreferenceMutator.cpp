#include "launch/LogicPreferenceMutator.h"

#include "platform/Host.h"
#include "platform/PreferencesSystem.h"

namespace vantrel {

LogicPreferenceMutator::LogicPreferenceMutator()
    : LogicPreferenceMutator(Host::current().preferences())
{
}

LogicPreferenceMutator::LogicPreferenceMutator(PreferencesSystem& preferences)
    : m_preferences(preferences)
{
}

LogicPreferenceMutator::OverrideToken
LogicPreferenceMutator::beginStartupActionOverride(const QString& bundleIdentifier, int temporaryValue)
{
    std::lock_guard lock(m_lock);
    const QString key = QString::fromLatin1(startupActionKey);
    std::shared_ptr<UserDefaults> store = m_preferences.suite(bundleIdentifier);
    if (!store) {
        store = m_preferences.standard();
    }
    const std::optional<QVariant> previous = store->value(key);
    store->setValue(key, qint64(temporaryValue));
    store->synchronize();
    m_preferences.setAppValue(key, QVariant(qint64(temporaryValue)), bundleIdentifier);
    m_preferences.appSynchronize(bundleIdentifier);
    return OverrideToken{bundleIdentifier, key, previous, previous.has_value()};
}

void LogicPreferenceMutator::endOverride(const OverrideToken& token)
{
    std::lock_guard lock(m_lock);
    std::shared_ptr<UserDefaults> store = m_preferences.suite(token.suiteName);
    if (!store) {
        store = m_preferences.standard();
    }
    if (token.hadValue && token.previousValue) {
        store->setValue(token.key, *token.previousValue);
        m_preferences.setAppValue(token.key, token.previousValue, token.suiteName);
    } else {
        store->removeValue(token.key);
        m_preferences.setAppValue(token.key, std::nullopt, token.suiteName);
    }
    store->synchronize();
    m_preferences.appSynchronize(token.suiteName);
}

} // namespace vantrel
