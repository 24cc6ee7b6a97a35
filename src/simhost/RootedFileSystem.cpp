#include "simhost/RootedFileSystem.h"

#include "platform/HostPath.h"
#include "simhost/HostState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vantrel::sim {

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
    return native && QFileInfo::exists(*native);
}

bool RootedFileSystem::isDirectory(const QString& path) const
{
    auto native = confined(path);
    return native && QFileInfo(*native).isDir();
}

std::optional<QByteArray> RootedFileSystem::readAll(const QString& path) const
{
    auto native = confined(path);
    if (!native) {
        return std::nullopt;
    }
    QFile file(*native);
    if (QFileInfo(*native).isDir() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return data;
}

std::optional<QByteArray> RootedFileSystem::readPrefix(const QString& path, qint64 maxBytes) const
{
    auto native = confined(path);
    if (!native || maxBytes < 0) {
        return std::nullopt;
    }
    QFile file(*native);
    // Unbuffered: a buffered QFile reads ahead (16 KiB), and a prefix read promises to
    // touch nothing past `maxBytes`.
    if (QFileInfo(*native).isDir() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return std::nullopt;
    }
    QByteArray data;
    while (data.size() < maxBytes) {
        const QByteArray chunk = file.read(maxBytes - data.size());
        if (file.error() != QFileDevice::NoError) {
            return std::nullopt;
        }
        if (chunk.isEmpty()) {
            break; // end of file
        }
        data += chunk;
    }
    return data;
}

bool RootedFileSystem::write(const QString& path, const QByteArray& data)
{
    auto native = confined(path);
    if (!native || onFullDisk(path)) {
        return false;
    }
    QFile file(*native);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return file.write(data) == data.size() && file.flush();
}

bool RootedFileSystem::append(const QString& path, const QByteArray& data)
{
    auto native = confined(path);
    if (!native || onFullDisk(path) || !QFileInfo(*native).isFile()) {
        return false;
    }
    QFile file(*native);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    return file.write(data) == data.size() && file.flush();
}

bool RootedFileSystem::writeAtomically(const QString& path, const QByteArray& data)
{
    auto native = confined(path);
    if (!native || onFullDisk(path)) {
        return false;
    }
    QSaveFile file(*native);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool RootedFileSystem::createDirectories(const QString& path)
{
    auto native = confined(path);
    if (native && onFullDisk(path) && !QFileInfo(*native).isDir()) {
        return false;
    }
    return native && QDir().mkpath(*native);
}

bool RootedFileSystem::remove(const QString& path)
{
    auto native = confined(path);
    if (!native || *native == m_root) {
        return false;
    }
    QFileInfo info(*native);
    if (info.isDir() && !info.isSymLink()) {
        return QDir(*native).removeRecursively();
    }
    return QFile::remove(*native);
}

std::optional<QStringList> RootedFileSystem::listDirectory(const QString& path) const
{
    auto native = confined(path);
    if (!native) {
        return std::nullopt;
    }
    QDir dir(*native);
    if (!QFileInfo(*native).isDir() || !dir.isReadable()) {
        return std::nullopt;
    }
    // System takes in broken links, which a Mac listing shows too.
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    const QString base = expandTilde(path);
    QStringList children;
    children.reserve(names.size());
    for (const QString& name : names) {
        children.append(base == u"/" ? QString(u'/' + name) : QString(base + u'/' + name));
    }
    return children;
}

} // namespace vantrel::sim
