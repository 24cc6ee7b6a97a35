#include "nativehost/InstanceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantrel::InstanceLock {

QString defaultFolder()
{
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

QString basePath(const QString& folder, const QString& key)
{
    return folder + QStringLiteral("/vantrel-")
           + QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

bool isHeld(const QString& folder, const QString& key)
{
    const QByteArray path = QFile::encodeName(basePath(folder, key) + QStringLiteral(".lock"));
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    // A shared lock is refused while the launcher holds its exclusive one.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // any lock taken here goes with it
    return held;
}

} // namespace vantrel::InstanceLock
