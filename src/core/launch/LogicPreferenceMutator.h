#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace vantrel {

class Host;

class PreferencesSystem;
class UserDefaults;

// Sets Logic Pro's "startupAction" for one launch and puts the previous state back
// exactly: the same value of the same property-list type, or no value at all. Both
// channels (the domain and the application-value functions) are written every time.
//
// Overrides of one domain may overlap (a second launch while a first one's restore is
// still waiting): the mutator counts them per domain, every token records the value the
// first one found, and only the last end restores it.
//
// An override must not outlive a process that dies in the middle of a launch: before 0 is
// written, the original state is recorded in the launcher's own defaults under
// "startupActionOverrides" (domain, pid, the process's start, what is written, and the
// value when there was one) and read back; when it cannot be kept, Logic's preference is
// left alone and the override fails. The record is removed when the override ends, and
// restoreAbandonedOverrides() puts back what a process that no longer runs left behind:
// only in a Logic Pro domain, and only while the domain still holds what was written (a
// value the user set since is theirs). The records' read-modify-write is held under a lock
// file shared by every launcher of the user.
class LogicPreferenceMutator {
public:
    struct OverrideToken {
        QString suiteName;
        QString key;
        std::optional<QVariant> previousValue;
        bool hadValue = false;
        qint64 wrote = 0; // what the override put in the domain

        friend bool operator==(const OverrideToken&, const OverrideToken&) = default;
    };

    // What the end of an override did.
    enum class EndOutcome {
        restored,       // the user's value is back
        keptUsersValue, // the domain no longer held what was written: the value set since stays
        leftToOthers,   // another override of the domain (here or in another launcher) still needs it
    };

    // An override whose process ended before restoring it.
    struct AbandonedOverride {
        enum class Fate {
            restored,
            leftToRunningLaunch, // another launch still overrides the domain and will restore it
            keptUsersValue,      // the domain no longer holds what was written: the user's value stays
            notLogicDomain,      // not a Logic Pro domain: never written to
        };
        QString domain;
        qint64 pid = 0;
        std::optional<QVariant> value;
        std::optional<QString> started; // the process's start, as its probe tells it
        qint64 wrote = 0;
        Fate fate = Fate::restored;
    };
    // Whether the process of a record still runs: its id, and its start when recorded.
    using IsRunning = std::function<bool(qint64 pid, const std::optional<QString>& started)>;

    static constexpr const char* startupActionKey = "startupAction";
    static constexpr const char* fallbackDomain = "com.apple.logic10";
    static constexpr const char* overrideRecordsKey = "startupActionOverrides";

    // Over the host's preference system, naming this process, with the lock file in the
    // launcher's Application Support folder.
    static std::shared_ptr<LogicPreferenceMutator> forHost(Host& host);
    // `processID` and `processStart` name this process in the override records; `lockPath`
    // is the lock file's native path (none: no lock between launchers).
    explicit LogicPreferenceMutator(PreferencesSystem& preferences, qint64 processID = currentProcessID(),
                                    std::optional<QString> processStart = std::nullopt, QString lockPath = {});

    LogicPreferenceMutator(const LogicPreferenceMutator&) = delete;
    LogicPreferenceMutator& operator=(const LogicPreferenceMutator&) = delete;

    // Records what "startupAction" holds in the bundle's domain and writes
    // `temporaryValue`. Throws preferenceMutationFailed, changing nothing, when the record
    // cannot be kept in the launcher's own defaults, or when the domain does not take the
    // value (a preferences file that cannot be read is never rewritten).
    OverrideToken beginStartupActionOverride(const QString& bundleIdentifier, int temporaryValue);

    // Puts the recorded state back, unless another override of the domain is still active
    // or the domain no longer holds what the override wrote (the user changed it since:
    // their value stays). Never fails.
    EndOutcome endOverride(const OverrideToken& token);

    // Restores every recorded override whose process is not running (`isRunning` tells),
    // newest first, and drops those records; a domain that a running launch still
    // overrides is left to that launch. This process's own records count as abandoned
    // only while it has no active override of that domain (a pid reused after a crash).
    QList<AbandonedOverride> restoreAbandonedOverrides(const IsRunning& isRunning);

    static qint64 currentProcessID();

private:
    struct Active {
        int count = 0;
        std::optional<QVariant> original;
    };

    // Whether `record` is this process's override of `domain`.
    bool isOwnRecordOf(const AbandonedOverride& record, const QString& domain) const;
    // The bundle's domain (the standard defaults when it has no plain name).
    std::shared_ptr<UserDefaults> domainDefaults(const QString& domain) const;
    // Writes `value` (or removes the key) through both channels.
    void put(const QString& domain, const QString& key, const std::optional<QVariant>& value);
    QList<AbandonedOverride> records() const;
    void storeRecords(const QList<AbandonedOverride>& records);

    std::mutex m_lock;
    PreferencesSystem& m_preferences;
    qint64 m_processID;
    std::optional<QString> m_processStart;
    QString m_lockPath;
    QHash<QString, Active> m_active;
};

} // namespace vantrel
