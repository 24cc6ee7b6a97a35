#include "nativehost/InstanceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::InstanceLock {

QString defaultFolder()
{
    const QString chosen = qEnvironmentVariable(folderVariable);
    if (!chosen.isEmpty()) {
        return QDir::cleanPath(QDir(chosen).absolutePath());
    }
#if defined(__APPLE__)
    // The user's own folder under /var/folders, also when $TMPDIR is not set.
    char folder[1024] = {};
    if (::confstr(_CS_DARWIN_USER_TEMP_DIR, folder, sizeof folder) > 0) {
        const QString path = QFile::decodeName(folder);
        return path.endsWith(u'/') ? path.chopped(1) : path;
    }
    return QDir::tempPath();
#else
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return runtime;
    }
    return QStringLiteral("/tmp/vantrel-%1").arg(::geteuid());
#endif
}

FolderState folderState(const QString& folder)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0) {
        return FolderState::missing;
    }
    if (S_ISLNK(info.st_mode)) {
        return FolderState::link;
    }
    if (!S_ISDIR(info.st_mode)) {
        return FolderState::notAFolder;
    }
    if (info.st_uid != ::geteuid()) {
        return FolderState::anotherUsers;
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return FolderState::writableByOthers;
    }
    return FolderState::usable;
}

QString keyOfFolder(const QString& root)
{
    const QString canonical = QFileInfo(root).canonicalFilePath();
    return canonical.isEmpty() ? root : canonical;
}

QString basePath(const QString& folder, const QString& key)
{
    return folder + QStringLiteral("/vantrel-")
           + QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

bool isHeld(const QString& folder, const QString& key)
{
    if (folderState(folder) != FolderState::usable) {
        return false; // no launcher of this user's would have used it
    }
    const QByteArray path = QFile::encodeName(basePath(folder, key) + QStringLiteral(".lock"));
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    const bool ours = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
    // A shared lock is refused while the launcher holds its exclusive one.
    const bool held = ours && ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // any lock taken here goes with it
    return held;
}

} // namespace vantrel::InstanceLock
