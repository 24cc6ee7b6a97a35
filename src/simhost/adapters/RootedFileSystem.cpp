#include "simhost/adapters/RootedFileSystem.h"

#include "platform/HostPath.h"
#include "simhost/machine/HostState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::sim {

namespace NativeFiles = native::NativeFiles;
using native::FileSignature;

RootedFileSystem::RootedFileSystem(QString rootFolder, QString userName)
    : m_root(QDir::cleanPath(QDir(rootFolder).absolutePath()))
    , m_userName(std::move(userName))
{
    m_canonicalRoot = QFileInfo(m_root).canonicalFilePath();
    if (m_canonicalRoot.isEmpty()) {
        m_canonicalRoot = m_root;
    }
}

RootedFileSystem::~RootedFileSystem()
{
    if (const int fd = m_rootDescriptor.load(); fd >= 0) {
        ::close(fd);
    }
    if (std::uint64_t* counter = m_writeCounter.load()) {
        ::munmap(counter, sizeof(std::uint64_t));
    }
}

QString RootedFileSystem::homeDirectory() const
{
    return QStringLiteral("/Users/") + m_userName;
}

native::PathBase RootedFileSystem::base() const
{
    int fd = m_rootDescriptor.load(std::memory_order_acquire);
    if (fd < 0) {
        // Opened once, when the root first exists (a Mac may be made after this object).
        std::lock_guard lock(m_openLock);
        fd = m_rootDescriptor.load(std::memory_order_relaxed);
        if (fd < 0) {
            fd = ::open(QFile::encodeName(m_root).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            m_rootDescriptor.store(fd, std::memory_order_release);
        }
    }
    return native::PathBase::confinedTo(fd);
}

std::uint64_t* RootedFileSystem::writeCounter() const
{
    std::uint64_t* counter = m_writeCounter.load(std::memory_order_acquire);
    if (counter) {
        return counter;
    }
    std::lock_guard lock(m_openLock);
    counter = m_writeCounter.load(std::memory_order_relaxed);
    const HostState state(m_root);
    // Only in a Mac that exists: the state folder is never made here.
    if (!counter && QFileInfo(state.folder()).isDir()) {
        const int fd = ::open(QFile::encodeName(state.writeCounterFile()).constData(),
                              O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        struct stat info {};
        if (fd >= 0 && ::fstat(fd, &info) == 0
            && (info.st_size >= off_t(sizeof(std::uint64_t)) || ::ftruncate(fd, sizeof(std::uint64_t)) == 0)) {
            void* mapped = ::mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (mapped != MAP_FAILED) {
                counter = static_cast<std::uint64_t*>(mapped);
                m_writeCounter.store(counter, std::memory_order_release);
            }
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }
    return counter;
}

std::optional<quint64> RootedFileSystem::writeCount() const
{
    std::uint64_t* counter = writeCounter();
    if (!counter) {
        return std::nullopt;
    }
    return std::atomic_ref(*counter).load(std::memory_order_acquire);
}

void RootedFileSystem::countWrite()
{
    if (std::uint64_t* counter = writeCounter()) {
        std::atomic_ref(*counter).fetch_add(1, std::memory_order_release);
    }
}

std::optional<QByteArray> RootedFileSystem::resolvable(const QString& path) const
{
    // A path that tried to climb above "/" stops there, which is the root folder.
    const auto host = absoluteHostPath(path);
    if (!host) {
        return std::nullopt;
    }
    // The host's own state is not on its disk: the shared write count above all must not
    // be truncated or replaced under the processes that map it.
    if (*host == u"/.simhost" || host->startsWith(u"/.simhost/")) {
        return std::nullopt;
    }
    return QFile::encodeName(*host);
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
    const auto host = resolvable(path);
    if (!host) {
        return std::nullopt;
    }
    const native::PathBase root = base();
    // Up to the nearest entry that exists; what is below it is added as it stands.
    QByteArray probe = *host;
    QByteArray rest;
    for (;;) {
        const int fd = root.open(probe, O_PATH);
        if (fd >= 0) {
            char target[4096];
            const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
            const ssize_t length = ::readlink(link.constData(), target, sizeof target);
            struct stat info {};
            // Gone since it was opened: the name read back would be no path.
            const bool removed = ::fstat(fd, &info) == 0 && info.st_nlink == 0;
            // An entry below that exists without leading anywhere is a dangling link.
            const bool dangling =
                !rest.isEmpty()
                && ::fstatat(fd, rest.mid(1).split('/').first().constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
            ::close(fd);
            if (length <= 0 || length == ssize_t(sizeof target) || dangling || removed) {
                return std::nullopt;
            }
            const QString real = QFile::decodeName(QByteArray(target, length));
            if (real != m_canonicalRoot && !real.startsWith(m_canonicalRoot + u'/')) {
                return std::nullopt;
            }
            return m_root + real.mid(m_canonicalRoot.size()) + QFile::decodeName(rest);
        }
        if (errno != ENOENT || probe == "/") {
            return std::nullopt;
        }
        const qsizetype slash = probe.lastIndexOf('/');
        rest.prepend(probe.mid(slash));
        probe = slash == 0 ? QByteArrayLiteral("/") : probe.left(slash);
    }
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
    const auto host = resolvable(path);
    return host && NativeFiles::exists(base(), *host);
}

bool RootedFileSystem::isDirectory(const QString& path) const
{
    const auto host = resolvable(path);
    return host && NativeFiles::isDirectory(base(), *host);
}

std::optional<FileSignature> RootedFileSystem::signature(const QString& path) const
{
    const auto host = resolvable(path);
    return host ? NativeFiles::signature(base(), *host) : std::nullopt;
}

std::optional<FileStamp> RootedFileSystem::stamp(const QString& path) const
{
    return signature(path);
}

std::optional<QByteArray> RootedFileSystem::readAll(const QString& path, qint64 maxBytes) const
{
    const auto host = resolvable(path);
    return host ? NativeFiles::readAll(base(), *host, nullptr, maxBytes) : std::nullopt;
}

std::optional<QByteArray> RootedFileSystem::readAll(const QString& path, FileSignature& signature) const
{
    const auto host = resolvable(path);
    return host ? NativeFiles::readAll(base(), *host, &signature) : std::nullopt;
}

std::optional<QByteArray> RootedFileSystem::readPrefix(const QString& path, qint64 maxBytes, FileStamp* stamp) const
{
    const auto host = resolvable(path);
    return host ? NativeFiles::readPrefix(base(), *host, maxBytes, stamp) : std::nullopt;
}

bool RootedFileSystem::write(const QString& path, const QByteArray& data)
{
    const auto host = resolvable(path);
    const bool written = host && !onFullDisk(path) && NativeFiles::write(base(), *host, data);
    countWrite(); // even a failed write may have truncated the file
    return written;
}

bool RootedFileSystem::append(const QString& path, const QByteArray& data)
{
    const auto host = resolvable(path);
    const bool written = host && !onFullDisk(path) && NativeFiles::append(base(), *host, data);
    countWrite(); // a failed append may have written part of the data
    return written;
}

bool RootedFileSystem::writeAtomically(const QString& path, const QByteArray& data)
{
    FileSignature ignored;
    return writeAtomically(path, data, ignored);
}

bool RootedFileSystem::writeAtomically(const QString& path, const QByteArray& data, FileSignature& signature)
{
    const auto host = resolvable(path);
    const bool written = host && !onFullDisk(path) && NativeFiles::writeAtomically(base(), *host, data, &signature);
    if (written) {
        countWrite();
    }
    return written;
}

bool RootedFileSystem::createDirectories(const QString& path)
{
    const auto host = resolvable(path);
    if (!host) {
        return false;
    }
    if (NativeFiles::isDirectory(base(), *host)) {
        return true;
    }
    if (onFullDisk(path)) {
        return false;
    }
    const bool made = NativeFiles::createDirectories(base(), *host);
    countWrite(); // a failure may have made some of the folders
    return made;
}

bool RootedFileSystem::remove(const QString& path)
{
    const auto host = resolvable(path);
    const bool removed = host && NativeFiles::remove(base(), *host);
    countWrite(); // a removal that fails half-way has removed something
    return removed;
}

std::optional<QStringList> RootedFileSystem::listDirectory(const QString& path) const
{
    const auto host = resolvable(path);
    auto names = host ? NativeFiles::listNames(base(), *host) : std::nullopt;
    if (!names) {
        return std::nullopt;
    }
    const QString folder = expandTilde(path);
    for (QString& name : *names) {
        name = (folder == u"/" ? QString() : folder) + u'/' + name;
    }
    return names;
}

} // namespace vantrel::sim
