#include "simhost/machine/ProcessRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace vantrel::sim {

namespace {

QByteArray encode(const RegistryEntry& entry)
{
    QJsonObject object{
        {QStringLiteral("pid"), entry.pid},
        {QStringLiteral("bundleIdentifier"), entry.bundleIdentifier},
        {QStringLiteral("bundlePath"), entry.bundlePath},
        {QStringLiteral("processName"), entry.processName},
        {QStringLiteral("activationPolicy"), entry.activationPolicy},
        {QStringLiteral("architecture"), entry.architecture},
        {QStringLiteral("finishedLaunching"), entry.finishedLaunching},
        {QStringLiteral("sequence"), entry.sequence},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<RegistryEntry> decode(const QByteArray& bytes)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject o = document.object();
    if (!o.value(QStringLiteral("pid")).isDouble() || !o.value(QStringLiteral("sequence")).isDouble()) {
        return std::nullopt;
    }
    RegistryEntry entry;
    entry.pid = o.value(QStringLiteral("pid")).toInteger();
    entry.bundleIdentifier = o.value(QStringLiteral("bundleIdentifier")).toString();
    entry.bundlePath = o.value(QStringLiteral("bundlePath")).toString();
    entry.processName = o.value(QStringLiteral("processName")).toString();
    entry.activationPolicy = o.value(QStringLiteral("activationPolicy")).toInt();
    entry.architecture = o.value(QStringLiteral("architecture")).toInt(-1);
    entry.finishedLaunching = o.value(QStringLiteral("finishedLaunching")).toBool();
    entry.sequence = o.value(QStringLiteral("sequence")).toInteger();
    return entry;
}

} // namespace

ProcessRegistry::ProcessRegistry(const HostState& state)
    : m_state(state)
{
}

QString ProcessRegistry::fileOf(qint64 pid) const
{
    return m_state.registryFolder() + u'/' + QString::number(pid) + QStringLiteral(".json");
}

qint64 ProcessRegistry::nextSequence() const
{
    StateLock lock(m_state.lockFile(QStringLiteral("sequence")));
    QFile file(m_state.sequenceFile());
    qint64 last = 0;
    if (file.open(QIODevice::ReadOnly)) {
        last = file.readAll().trimmed().toLongLong();
        file.close();
    }
    writeStateFile(m_state.sequenceFile(), QByteArray::number(last + 1));
    return last + 1;
}

bool ProcessRegistry::add(RegistryEntry& entry) const
{
    if (entry.sequence == 0) {
        entry.sequence = nextSequence();
    }
    return update(entry);
}

bool ProcessRegistry::update(const RegistryEntry& entry) const
{
    QDir().mkpath(m_state.registryFolder());
    return writeStateFile(fileOf(entry.pid), encode(entry));
}

void ProcessRegistry::remove(qint64 pid) const
{
    QFile::remove(fileOf(pid));
}

std::optional<RegistryEntry> ProcessRegistry::entry(qint64 pid) const
{
    QFile file(fileOf(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return decode(file.readAll());
}

QList<RegistryEntry> ProcessRegistry::entries() const
{
    QList<RegistryEntry> list;
    const QDir dir(m_state.registryFolder());
    for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        if (auto entry = decode(file.readAll())) {
            list.append(*entry);
        }
    }
    std::sort(list.begin(), list.end(), [](const RegistryEntry& a, const RegistryEntry& b) {
        return a.sequence != b.sequence ? a.sequence < b.sequence : a.pid < b.pid;
    });
    return list;
}

} // namespace vantrel::sim
