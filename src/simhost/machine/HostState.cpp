#include "simhost/machine/HostState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <chrono>

namespace vantrel::sim {

HostState::HostState(QString root)
    : m_root(std::move(root))
{
}

QString HostState::folder() const
{
    return m_root + QStringLiteral("/.simhost");
}
QString HostState::registryFolder() const
{
    return folder() + QStringLiteral("/running");
}
QString HostState::inboxFolder(qint64 pid) const
{
    return folder() + QStringLiteral("/inbox/") + QString::number(pid);
}
QString HostState::eventLogFile() const
{
    return folder() + QStringLiteral("/events.log");
}
QString HostState::launchServicesFile() const
{
    return folder() + QStringLiteral("/launch-services.json");
}
QString HostState::launchServicesOffFile() const
{
    return folder() + QStringLiteral("/launch-services-off");
}
QString HostState::keyboardFile() const
{
    return folder() + QStringLiteral("/keyboard.json");
}
QString HostState::accessibilityOffFile() const
{
    return folder() + QStringLiteral("/accessibility-off");
}

QString HostState::showInfoServiceOffFile() const
{
    return folder() + QStringLiteral("/show-info-service-off");
}
QString HostState::sequenceFile() const
{
    return folder() + QStringLiteral("/sequence");
}
QString HostState::lockFile(const QString& name) const
{
    return folder() + QStringLiteral("/locks/") + name + QStringLiteral(".lock");
}
QString HostState::fullDiskFile() const
{
    return folder() + QStringLiteral("/full-disk");
}

QString HostState::writeCounterFile() const
{
    return folder() + QStringLiteral("/disk-writes");
}

namespace {

QString faultName(HostFault fault)
{
    switch (fault) {
    case HostFault::openFails:
        return QStringLiteral("open-fails");
    case HostFault::openHangs:
        return QStringLiteral("open-hangs");
    case HostFault::workspaceOpenFails:
        return QStringLiteral("workspace-open-fails");
    }
    return {};
}

} // namespace

bool HostState::hasFault(HostFault fault) const
{
    return QFileInfo::exists(folder() + QStringLiteral("/faults/") + faultName(fault));
}

void HostState::setFault(HostFault fault, bool on) const
{
    const QString path = folder() + QStringLiteral("/faults/") + faultName(fault);
    if (on) {
        QDir().mkpath(folder() + QStringLiteral("/faults"));
        writeStateFile(path, {});
    } else {
        QFile::remove(path);
    }
}

QStringList HostState::fullFolders() const
{
    QFile file(fullDiskFile());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

void HostState::setFullFolders(const QStringList& folders) const
{
    if (folders.isEmpty()) {
        QFile::remove(fullDiskFile());
    } else {
        writeStateFile(fullDiskFile(), folders.join(u'\n').toUtf8() + '\n');
    }
}

bool writeStateFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

StateLock::StateLock(const QString& lockPath)
    : m_lock((QDir().mkpath(QFileInfo(lockPath).path()), lockPath))
{
    m_lock.setStaleLockTime(std::chrono::seconds(10));
    m_lock.tryLock(std::chrono::seconds(2));
}

void setSwitchFile(const QString& path, bool present)
{
    if (!present) {
        QFile::remove(path);
        return;
    }
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}

} // namespace vantrel::sim
