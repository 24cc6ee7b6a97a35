#pragma once

#include <QString>
#include <QVariant>

#include <mutex>
#include <optional>

namespace vantrel {

class PreferencesSystem;

// Sets Logic Pro's "startupAction" for one launch and puts the previous state back
// exactly: the same value of the same property-list type, or no value at all. Both
// channels (the domain and the application-value functions) are written every time.
class LogicPreferenceMutator {
public:
    struct OverrideToken {
        QString suiteName;
        QString key;
        std::optional<QVariant> previousValue;
        bool hadValue = false;

        friend bool operator==(const OverrideToken&, const OverrideToken&) = default;
    };

    static constexpr const char* startupActionKey = "startupAction";
    static constexpr const char* fallbackDomain = "com.apple.logic10";

    // Over the current host's preference system.
    LogicPreferenceMutator();
    explicit LogicPreferenceMutator(PreferencesSystem& preferences);

    LogicPreferenceMutator(const LogicPreferenceMutator&) = delete;
    LogicPreferenceMutator& operator=(const LogicPreferenceMutator&) = delete;

    // Records what "startupAction" holds in the bundle's domain and writes
    // `temporaryValue`. Declared to throw, like the platform call it stands for; none of
    // its steps fails today.
    OverrideToken beginStartupActionOverride(const QString& bundleIdentifier, int temporaryValue);

    // Puts the recorded state back. Never fails.
    void endOverride(const OverrideToken& token);

private:
    std::mutex m_lock;
    PreferencesSystem& m_preferences;
};

} // namespace vantrel
