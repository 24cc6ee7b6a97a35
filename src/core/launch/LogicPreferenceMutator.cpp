#include "launch/LogicPreferenceMutator.h"

#include "platform/Host.h"
#include "platform/PreferencesSystem.h"

#include <QCoreApplication>

#include <algorithm>

namespace vantrel {

namespace {

const QString domainField = QStringLiteral("domain");
const QString pidField = QStringLiteral("pid");
const QString valueField = QStringLiteral("value");

} // namespace

LogicPreferenceMutator::LogicPreferenceMutator()
    : LogicPreferenceMutator(Host::current().preferences())
{
}

LogicPreferenceMutator::LogicPreferenceMutator(PreferencesSystem& preferences, qint64 processID)
    : m_preferences(preferences)
    , m_processID(processID)
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
        // Another process's override of this domain may be active (or left behind): what
        // the domain holds now is its 0, and the user's value is in the oldest record. A
        // record under this process's own id is one left by an earlier process that had
        // the same id; it is replaced.
        QList<AbandonedOverride> recorded = records();
        const auto earlier = std::find_if(recorded.cbegin(), recorded.cend(), [&](const AbandonedOverride& record) {
            return record.domain == bundleIdentifier;
        });
        if (earlier != recorded.cend()) {
            active.original = earlier->value;
        } else {
            std::shared_ptr<UserDefaults> store = m_preferences.suite(bundleIdentifier);
            active.original = (store ? store : m_preferences.standard())->value(key);
        }
        recorded.removeIf([&](const AbandonedOverride& record) {
            return record.domain == bundleIdentifier && record.pid == m_processID;
        });
        // Recorded before 0 is written, so a crash in between loses nothing.
        recorded.append(AbandonedOverride{bundleIdentifier, m_processID, active.original});
        storeRecords(recorded);
    }
    ++active.count;
    put(bundleIdentifier, key, QVariant(qint64(temporaryValue)));
    return OverrideToken{bundleIdentifier, key, active.original, active.original.has_value()};
}

void LogicPreferenceMutator::endOverride(const OverrideToken& token)
{
    std::lock_guard lock(m_lock);
    const auto active = m_active.find(token.suiteName);
    if (active != m_active.end() && active->count > 1) {
        --active->count; // another override of this domain still needs the 0
        return;
    }
    if (active != m_active.end()) {
        m_active.erase(active);
    }
    put(token.suiteName, token.key, token.hadValue ? token.previousValue : std::nullopt);
    QList<AbandonedOverride> recorded = records();
    recorded.removeIf([&](const AbandonedOverride& record) {
        return record.domain == token.suiteName && record.pid == m_processID;
    });
    storeRecords(recorded);
}

QList<LogicPreferenceMutator::AbandonedOverride>
LogicPreferenceMutator::restoreAbandonedOverrides(const std::function<bool(qint64)>& isRunning)
{
    std::lock_guard lock(m_lock);
    const QList<AbandonedOverride> recorded = records();
    QList<AbandonedOverride> kept;
    QList<AbandonedOverride> abandoned;
    for (const AbandonedOverride& record : recorded) {
        const bool live = record.pid == m_processID ? m_active.contains(record.domain) : isRunning(record.pid);
        (live ? kept : abandoned).append(record);
    }
    QList<AbandonedOverride> restored;
    // Newest first: of two overlapping overrides, the older one found the user's value. A
    // domain that a running launch still overrides keeps its 0; that launch restores it.
    for (auto record = abandoned.crbegin(); record != abandoned.crend(); ++record) {
        const bool stillOverridden = std::any_of(kept.cbegin(), kept.cend(), [&](const AbandonedOverride& live) {
            return live.domain == record->domain;
        });
        if (!stillOverridden) {
            put(record->domain, QString::fromLatin1(startupActionKey), record->value);
        }
        restored.append(*record);
        restored.last().putBack = !stillOverridden;
    }
    if (!restored.isEmpty()) {
        storeRecords(kept);
    }
    return restored;
}

void LogicPreferenceMutator::put(const QString& domain, const QString& key, const std::optional<QVariant>& value)
{
    std::shared_ptr<UserDefaults> store = m_preferences.suite(domain);
    if (!store) {
        store = m_preferences.standard();
    }
    if (value) {
        store->setValue(key, *value);
    } else {
        store->removeValue(key);
    }
    store->synchronize();
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
        result.append(AbandonedOverride{domain.toString(), pid.toLongLong(), value});
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
            QVariantMap map{{domainField, record.domain}, {pidField, record.pid}};
            if (record.value) {
                map.insert(valueField, *record.value);
            }
            list.append(map);
        }
        standard->setValue(key, list);
    }
    standard->synchronize();
}

} // namespace vantrel
