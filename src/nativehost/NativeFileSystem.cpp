#include "nativehost/NativeFileSystem.h"

#include "nativehost/NativeFiles.h"
#include "platform/HostPath.h"

#include <QFile>

namespace vantrel::native {

NativeFileSystem::NativeFileSystem(QString homeDirectory)
    : m_home(HostPath::standardized(homeDirectory))
{
}

std::optional<QString> NativeFileSystem::nativePath(const QString& path) const
{
    return absoluteHostPath(path);
}

std::optional<QByteArray> NativeFileSystem::encoded(const QString& path) const
{
    const auto native = nativePath(path);
    return native ? std::optional(QFile::encodeName(*native)) : std::nullopt;
}

bool NativeFileSystem::exists(const QString& path) const
{
    const auto native = encoded(path);
    return native && NativeFiles::exists(m_base, *native);
}

bool NativeFileSystem::isDirectory(const QString& path) const
{
    const auto native = encoded(path);
    return native && NativeFiles::isDirectory(m_base, *native);
}

std::optional<QByteArray> NativeFileSystem::readAll(const QString& path, qint64 maxBytes) const
{
    const auto native = encoded(path);
    return native ? NativeFiles::readAll(m_base, *native, nullptr, maxBytes) : std::nullopt;
}

std::optional<QByteArray> NativeFileSystem::readPrefix(const QString& path, qint64 maxBytes, FileStamp* stamp) const
{
    const auto native = encoded(path);
    return native ? NativeFiles::readPrefix(m_base, *native, maxBytes, stamp) : std::nullopt;
}

std::optional<FileStamp> NativeFileSystem::stamp(const QString& path) const
{
    const auto native = encoded(path);
    return native ? NativeFiles::signature(m_base, *native) : std::nullopt;
}

bool NativeFileSystem::write(const QString& path, const QByteArray& data)
{
    const auto native = encoded(path);
    return native && NativeFiles::write(m_base, *native, data);
}

bool NativeFileSystem::append(const QString& path, const QByteArray& data)
{
    const auto native = encoded(path);
    return native && NativeFiles::append(m_base, *native, data);
}

bool NativeFileSystem::writeAtomically(const QString& path, const QByteArray& data)
{
    const auto native = encoded(path);
    return native && NativeFiles::writeAtomically(m_base, *native, data);
}

bool NativeFileSystem::createDirectories(const QString& path)
{
    const auto native = encoded(path);
    return native && NativeFiles::createDirectories(m_base, *native);
}

bool NativeFileSystem::remove(const QString& path)
{
    const auto native = encoded(path);
    return native && NativeFiles::remove(m_base, *native);
}

std::optional<QStringList> NativeFileSystem::listDirectory(const QString& path) const
{
    const auto native = nativePath(path);
    auto names = native ? NativeFiles::listNames(m_base, QFile::encodeName(*native)) : std::nullopt;
    if (!names) {
        return std::nullopt;
    }
    for (QString& name : *names) {
        name = (*native == u"/" ? QString() : *native) + u'/' + name;
    }
    return names;
}

} // namespace vantrel::native
