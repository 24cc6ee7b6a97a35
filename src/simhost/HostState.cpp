#include "simhost/HostState.h"

#include <QDir>
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

} // namespace vantrel::sim
