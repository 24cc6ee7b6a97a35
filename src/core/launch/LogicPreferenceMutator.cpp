#include "launch/LogicPreferenceMutator.h"

#include "launch/RunningInstances.h"
#include "model/LauncherError.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/PreferencesSystem.h"
#include "platform/ProcessProbe.h"
#include "platform/UserDefaults.h"
#include "text/L10n.h"

#include <QCoreApplication>
#include <QLockFile>

#include <algorithm>

namespace vantrel {

namespace {

const QString domainField = QStringLiteral("domain");
const QString pidField = QStringLiteral("pid");
const QString valueField = QStringLiteral("value");
const QString startedField = QStringLiteral("started");
const QString wroteField = QStringLiteral("wrote");

// Held around a read-modify-write of the records, between launchers too. A lock that
// cannot be had in time is gone past: losing a race beats never launching.
class RecordsLock {
public:
    explicit RecordsLock(const QString& path)
    {
        if (!path.isEmpty()) {
            m_file = std::make_unique<QLockFile>(path);
            m_file->setStaleLockTime(30000);
            m_file->tryLock(2000);
        }
    }

private:
    std::unique_ptr<QLockFile> m_file;
};

QString lockPathOn(Host& host)
{
    FileSystem& files = host.fileSystem();
    const QString folder = files.applicationSupportDirectory() + QStringLiteral("/Vantrel");
    files.createDirectories(folder);
    return files.nativePath(folder + QStringLiteral("/startup-action-overrides.lock")).value_or(QString());
}

} // namespace

std::shared_ptr<LogicPreferenceMutator> LogicPreferenceMutator::forHost(Host& host)
{
    const qint64 pid = currentProcessID();
    return std::make_shared<LogicPreferenceMutator>(host.preferences(), pid, host.processProbe().startIdentity(pid),
                                                    lockPathOn(host));
}

LogicPreferenceMutator::LogicPreferenceMutator(PreferencesSystem& preferences, qint64 processID,
                                               std::optional<QString> processStart, QString lockPath)
    : m_preferences(preferences)
    , m_processID(processID)
    , m_processStart(std::move(processStart))
    , m_lockPath(std::move(lockPath))
{
}

qint64 LogicPreferenceMutator::currentProcessID()
{
    return QCoreApplication::applicationPid();
}

LogicPreferenceMutator::OverrideToken
LogicPreferenceMutator::beginStartupActionOverride(const QString& bundleIdentifier, int temporaryValue)
{
    std::lock_guard lock(m_lock);
    const QString key = QString::fromLatin1(startupActionKey);
    Active& active = m_active[bundleIdentifier];
    if (active.count == 0) {
        const RecordsLock between(m_lockPath);
        // Another process's override of this domain may be active (or left behind): what
        // the domain holds now is its 0, and the user's value is in the oldest record. A
        // record under this process's own id is one left by an earlier process that had
        // the same id; it is replaced.
        QList<AbandonedOverride> recorded = records();
        const auto earlier = std::find_if(recorded.cbegin(), recorded.cend(), [&](const AbandonedOverride& record) {
            return record.domain == bundleIdentifier;
        });
        std::shared_ptr<UserDefaults> store = m_preferences.suite(bundleIdentifier);
        if (!store) {
            store = m_preferences.standard();
        }
        // The record's value is the user's only while the domain still holds what that
        // override wrote; otherwise what the domain holds now is.
        if (earlier != recorded.cend() && store->integer(key) == earlier->wrote) {
            active.original = earlier->value;
        } else {
            active.original = store->value(key);
        }
        recorded.removeIf([&](const AbandonedOverride& record) { return isOwnRecordOf(record, bundleIdentifier); });
        // Recorded, and read back, before 0 is written: a crash in between loses nothing,
        // and an override that could not be put back after a crash is never made.
        recorded.append(
            AbandonedOverride{bundleIdentifier, m_processID, active.original, m_processStart, qint64(temporaryValue)});
        storeRecords(recorded);
        const QList<AbandonedOverride> kept = records();
        const bool recordKept = std::any_of(kept.cbegin(), kept.cend(), [&](const AbandonedOverride& record) {
            return isOwnRecordOf(record, bundleIdentifier);
        });
        if (!recordKept) {
            m_active.remove(bundleIdentifier);
            throw LauncherError::preferenceMutationFailed(L10n::text(L10n::Key::errorOverrideNotRecorded));
        }
    }
    ++active.count;
    put(bundleIdentifier, key, QVariant(qint64(temporaryValue)));
    if (domainDefaults(bundleIdentifier)->integer(key) != qint64(temporaryValue)) {
        // The domain did not take it (its file cannot be read, and is never rewritten with
        // less than it held): no override, and the record goes again.
        if (--active.count == 0) {
            m_active.remove(bundleIdentifier);
            const RecordsLock between(m_lockPath);
            QList<AbandonedOverride> recorded = records();
            recorded.removeIf([&](const AbandonedOverride& record) { return isOwnRecordOf(record, bundleIdentifier); });
            storeRecords(recorded);
        }
        throw LauncherError::preferenceMutationFailed(L10n::text(L10n::Key::errorLogicPreferencesUnreadable));
    }
    return OverrideToken{bundleIdentifier, key, active.original, active.original.has_value(), qint64(temporaryValue)};
}

bool LogicPreferenceMutator::isOwnRecordOf(const AbandonedOverride& record, const QString& domain) const
{
    return record.domain == domain && record.pid == m_processID;
}

std::shared_ptr<UserDefaults> LogicPreferenceMutator::domainDefaults(const QString& domain) const
{
    std::shared_ptr<UserDefaults> suite = m_preferences.suite(domain);
    return suite ? suite : m_preferences.standard();
}

LogicPreferenceMutator::EndOutcome LogicPreferenceMutator::endOverride(const OverrideToken& token)
{
    std::lock_guard lock(m_lock);
    const auto active = m_active.find(token.suiteName);
    if (active != m_active.end() && active->count > 1) {
        --active->count; // another override of this domain still needs the 0
        return EndOutcome::leftToOthers;
    }
    if (active != m_active.end()) {
        m_active.erase(active);
    }
    const RecordsLock between(m_lockPath);
    QList<AbandonedOverride> recorded = records();
    recorded.removeIf([&](const AbandonedOverride& record) { return isOwnRecordOf(record, token.suiteName); });
    // Another launcher's override of the domain still needs the 0: the last one out
    // restores (its record carries the same original).
    const bool othersOverride = std::any_of(recorded.cbegin(), recorded.cend(), [&](const AbandonedOverride& record) {
        return record.domain == token.suiteName;
    });
    EndOutcome outcome = EndOutcome::leftToOthers;
    if (!othersOverride) {
        // A value the user set while Logic started is theirs, as after a crash.
        if (domainDefaults(token.suiteName)->integer(token.key) == token.wrote) {
            put(token.suiteName, token.key, token.hadValue ? token.previousValue : std::nullopt);
            outcome = EndOutcome::restored;
        } else {
            outcome = EndOutcome::keptUsersValue;
        }
    }
    storeRecords(recorded);
    return outcome;
}

QList<LogicPreferenceMutator::AbandonedOverride>
LogicPreferenceMutator::restoreAbandonedOverrides(const IsRunning& isRunning)
{
    std::lock_guard lock(m_lock);
    // Nothing recorded, nothing to restore: the look is made without the records' lock,
    // whose file costs a synchronised write at every start. A record written after this
    // look belongs to a launch running now, never to an abandoned one.
    if (records().isEmpty()) {
        return {};
    }
    const RecordsLock between(m_lockPath);
    const QList<AbandonedOverride> recorded = records();
    QList<AbandonedOverride> kept;
    QList<AbandonedOverride> abandoned;
    for (const AbandonedOverride& record : recorded) {
        const bool live =
            record.pid == m_processID ? m_active.contains(record.domain) : isRunning(record.pid, record.started);
        (live ? kept : abandoned).append(record);
    }
    QList<AbandonedOverride> restored;
    const QString key = QString::fromLatin1(startupActionKey);
    // Newest first: of two overlapping overrides, the older one found the user's value. A
    // domain that a running launch still overrides keeps its 0; that launch restores it.
    for (auto record = abandoned.crbegin(); record != abandoned.crend(); ++record) {
        AbandonedOverride outcome = *record;
        const bool stillOverridden = std::any_of(
            kept.cbegin(), kept.cend(), [&](const AbandonedOverride& live) { return live.domain == record->domain; });
        if (!RunningInstances::isLogicProBundleID(record->domain)
            || !PreferencesSystem::isPlainDomainName(record->domain)) {
            outcome.fate = AbandonedOverride::Fate::notLogicDomain;
        } else if (stillOverridden) {
            outcome.fate = AbandonedOverride::Fate::leftToRunningLaunch;
        } else {
            if (domainDefaults(record->domain)->integer(key) == record->wrote) {
                put(record->domain, key, record->value);
                outcome.fate = AbandonedOverride::Fate::restored;
            } else {
                outcome.fate = AbandonedOverride::Fate::keptUsersValue;
            }
        }
        restored.append(outcome);
    }
    if (!restored.isEmpty()) {
        storeRecords(kept);
    }
    return restored;
}

void LogicPreferenceMutator::put(const QString& domain, const QString& key, const std::optional<QVariant>& value)
{
    const std::shared_ptr<UserDefaults> defaults = domainDefaults(domain);
    if (value) {
        defaults->setValue(key, *value);
    } else {
        defaults->removeValue(key);
    }
    defaults->synchronize();
    m_preferences.setAppValue(key, value, domain);
    m_preferences.appSynchronize(domain);
}

QList<LogicPreferenceMutator::AbandonedOverride> LogicPreferenceMutator::records() const
{
    QList<AbandonedOverride> result;
    const auto stored = m_preferences.standard()->value(QString::fromLatin1(overrideRecordsKey));
    if (!stored || stored->typeId() != QMetaType::QVariantList) {
        return result;
    }
    for (const QVariant& element : stored->toList()) {
        const QVariantMap record = element.toMap();
        const QVariant domain = record.value(domainField);
        const QVariant pid = record.value(pidField);
        const bool pidIsNumber = pid.typeId() == QMetaType::LongLong || pid.typeId() == QMetaType::Int;
        if (domain.typeId() != QMetaType::QString || !pidIsNumber) {
            continue; // not one of ours
        }
        std::optional<QVariant> value;
        if (record.contains(valueField)) {
            value = record.value(valueField);
        }
        std::optional<QString> started;
        if (record.value(startedField).typeId() == QMetaType::QString) {
            started = record.value(startedField).toString();
        }
        // Records from before "wrote" was kept wrote 0.
        const QVariant wroteValue = record.value(wroteField);
        const bool wroteIsNumber = wroteValue.typeId() == QMetaType::LongLong || wroteValue.typeId() == QMetaType::Int;
        const qint64 wrote = wroteIsNumber ? wroteValue.toLongLong() : 0;
        result.append(AbandonedOverride{domain.toString(), pid.toLongLong(), value, started, wrote});
    }
    return result;
}

void LogicPreferenceMutator::storeRecords(const QList<AbandonedOverride>& records)
{
    const std::shared_ptr<UserDefaults> standard = m_preferences.standard();
    const QString key = QString::fromLatin1(overrideRecordsKey);
    if (records.isEmpty()) {
        standard->removeValue(key);
    } else {
        QVariantList list;
        for (const AbandonedOverride& record : records) {
            QVariantMap map{{domainField, record.domain}, {pidField, record.pid}, {wroteField, record.wrote}};
            if (record.value) {
                map.insert(valueField, *record.value);
            }
            if (record.started) {
                map.insert(startedField, *record.started);
            }
            list.append(map);
        }
        standard->setValue(key, list);
    }
    standard->synchronize();
}

} // namespace vantrel
