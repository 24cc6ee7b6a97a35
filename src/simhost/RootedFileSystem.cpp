#include "simhost/RootedFileSystem.h"

#include "nativehost/NativeFiles.h"
#include "platform/HostPath.h"
#include "simhost/HostState.h"

#include <QDir>
#include <QFileInfo>

namespace vantrel::sim {

namespace NativeFiles = native::NativeFiles;

RootedFileSystem::RootedFileSystem(QString rootFolder, QString userName)
    : m_root(QDir::cleanPath(QDir(rootFolder).absolutePath()))
    , m_userName(std::move(userName))
{
    m_canonicalRoot = QFileInfo(m_root).canonicalFilePath();
    if (m_canonicalRoot.isEmpty()) {
        m_canonicalRoot = m_root;
    }
}

QString RootedFileSystem::homeDirectory() const
{
    return QStringLiteral("/Users/") + m_userName;
}

std::optional<QString> RootedFileSystem::mapped(const QString& path) const
{
    if (path.contains(QChar(u'\0'))) {
        return std::nullopt;
    }
    const QString host = expandTilde(path);
    if (!host.startsWith(u'/')) {
        return std::nullopt;
    }
    // Standardizing has resolved every "..": a path that tried to climb above "/" stops
    // at "/", which is the root folder.
    return host == u"/" ? m_root : m_root + host;
}

bool RootedFileSystem::insideRoot(const QString& canonical) const
{
    return canonical == m_canonicalRoot || canonical.startsWith(m_canonicalRoot + u'/');
}

std::optional<QString> RootedFileSystem::confined(const QString& path) const
{
    auto native = mapped(path);
    if (!native) {
        return std::nullopt;
    }
    // Walk up to the nearest entry that exists (a link counts, even a dangling one) and
    // check where it really leads.
    QString probe = *native;
    for (;;) {
        QFileInfo info(probe);
        if (info.exists() || info.isSymLink()) {
            const QString canonical = info.canonicalFilePath();
            if (canonical.isEmpty() || !insideRoot(canonical)) {
                return std::nullopt;
            }
            return native;
        }
        const QString parent = QFileInfo(probe).path();
        if (parent == probe || parent.size() < m_root.size()) {
            return native;
        }
        probe = parent;
    }
}

bool RootedFileSystem::onFullDisk(const QString& path) const
{
    const QStringList folders = HostState(m_root).fullFolders();
    if (folders.isEmpty()) {
        return false;
    }
    const QString host = HostPath::standardized(expandTilde(path));
    for (const QString& folder : folders) {
        const QString full = HostPath::standardized(expandTilde(folder));
        if (host == full || host.startsWith(full == u"/" ? full : full + u'/')) {
            return true;
        }
    }
    return false;
}

std::optional<QString> RootedFileSystem::nativePath(const QString& path) const
{
    return confined(path);
}

std::optional<QString> RootedFileSystem::hostPath(const QString& nativePath) const
{
    const QString clean = HostPath::standardized(QDir(nativePath).absolutePath());
    if (clean == m_root) {
        return QStringLiteral("/");
    }
    if (!clean.startsWith(m_root + u'/')) {
        return std::nullopt;
    }
    return clean.mid(m_root.size());
}

bool RootedFileSystem::exists(const QString& path) const
{
    auto native = confined(path);
    return native && NativeFiles::exists(*native);
}

bool RootedFileSystem::isDirectory(const QString& path) const
{
    auto native = confined(path);
    return native && NativeFiles::isDirectory(*native);
}

std::optional<QByteArray> RootedFileSystem::readAll(const QString& path) const
{
    auto native = confined(path);
    return native ? NativeFiles::readAll(*native) : std::nullopt;
}

std::optional<QByteArray> RootedFileSystem::readPrefix(const QString& path, qint64 maxBytes) const
{
    auto native = confined(path);
    return native ? NativeFiles::readPrefix(*native, maxBytes) : std::nullopt;
}

bool RootedFileSystem::write(const QString& path, const QByteArray& data)
{
    auto native = confined(path);
    return native && !onFullDisk(path) && NativeFiles::write(*native, data);
}

bool RootedFileSystem::append(const QString& path, const QByteArray& data)
{
    auto native = confined(path);
    return native && !onFullDisk(path) && NativeFiles::append(*native, data);
}

bool RootedFileSystem::writeAtomically(const QString& path, const QByteArray& data)
{
    auto native = confined(path);
    return native && !onFullDisk(path) && NativeFiles::writeAtomically(*native, data);
}

bool RootedFileSystem::createDirectories(const QString& path)
{
    auto native = confined(path);
    if (native && onFullDisk(path) && !NativeFiles::isDirectory(*native)) {
        return false;
    }
    return native && NativeFiles::createDirectories(*native);
}

bool RootedFileSystem::remove(const QString& path)
{
    auto native = confined(path);
    return native && *native != m_root && NativeFiles::remove(*native);
}

std::optional<QStringList> RootedFileSystem::listDirectory(const QString& path) const
{
    auto native = confined(path);
    auto names = native ? NativeFiles::listNames(*native) : std::nullopt;
    if (!names) {
        return std::nullopt;
    }
    const QString base = expandTilde(path);
    for (QString& name : *names) {
        name = (base == u"/" ? QString() : base) + u'/' + name;
    }
    return names;
}

} // namespace vantrel::sim
