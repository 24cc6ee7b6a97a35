#include "nativehost/NativeFileSystem.h"

#include "nativehost/NativeFiles.h"
#include "platform/HostPath.h"

namespace vantrel::native {

NativeFileSystem::NativeFileSystem(QString homeDirectory)
    : m_home(HostPath::standardized(homeDirectory))
{
}

std::optional<QString> NativeFileSystem::nativePath(const QString& path) const
{
    if (path.contains(QChar(u'\0'))) {
        return std::nullopt;
    }
    const QString host = expandTilde(path);
    if (!host.startsWith(u'/')) {
        return std::nullopt;
    }
    return host;
}

bool NativeFileSystem::exists(const QString& path) const
{
    const auto native = nativePath(path);
    return native && NativeFiles::exists(*native);
}

bool NativeFileSystem::isDirectory(const QString& path) const
{
    const auto native = nativePath(path);
    return native && NativeFiles::isDirectory(*native);
}

std::optional<QByteArray> NativeFileSystem::readAll(const QString& path) const
{
    const auto native = nativePath(path);
    return native ? NativeFiles::readAll(*native) : std::nullopt;
}

std::optional<QByteArray> NativeFileSystem::readPrefix(const QString& path, qint64 maxBytes) const
{
    const auto native = nativePath(path);
    return native ? NativeFiles::readPrefix(*native, maxBytes) : std::nullopt;
}

bool NativeFileSystem::write(const QString& path, const QByteArray& data)
{
    const auto native = nativePath(path);
    return native && NativeFiles::write(*native, data);
}

bool NativeFileSystem::append(const QString& path, const QByteArray& data)
{
    const auto native = nativePath(path);
    return native && NativeFiles::append(*native, data);
}

bool NativeFileSystem::writeAtomically(const QString& path, const QByteArray& data)
{
    const auto native = nativePath(path);
    return native && NativeFiles::writeAtomically(*native, data);
}

bool NativeFileSystem::createDirectories(const QString& path)
{
    const auto native = nativePath(path);
    return native && NativeFiles::createDirectories(*native);
}

bool NativeFileSystem::remove(const QString& path)
{
    const auto native = nativePath(path);
    return native && *native != u"/" && NativeFiles::remove(*native);
}

std::optional<QStringList> NativeFileSystem::listDirectory(const QString& path) const
{
    const auto native = nativePath(path);
    if (!native) {
        return std::nullopt;
    }
    auto names = NativeFiles::listNames(*native);
    if (!names) {
        return std::nullopt;
    }
    for (QString& name : *names) {
        name = (*native == u"/" ? QString() : *native) + u'/' + name;
    }
    return names;
}

} // namespace vantrel::native
