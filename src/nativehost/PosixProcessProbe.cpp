#include "nativehost/PosixProcessProbe.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <limits>

#if defined(__APPLE__)
#include <sys/sysctl.h>
#include <sys/types.h>
#endif

namespace vantrel::native {

namespace {

bool isZombie(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    // "pid (command) state …": the state follows the last closing parenthesis.
    const QByteArray line = stat.readAll();
    const qsizetype paren = line.lastIndexOf(')');
    return paren >= 0 && paren + 2 < line.size() && line[paren + 2] == 'Z';
}

} // namespace

ProcessProbe::Result PosixProcessProbe::probe(qint64 pid)
{
    if (::kill(pid_t(pid), 0) == 0) {
        if (isZombie(pid)) {
            return {false, ESRCH};
        }
        return {true, 0};
    }
    return {false, errno};
}

ProcessProbe::Result PosixProcessProbe::signalZero(qint32 pid) const
{
    return probe(pid);
}

std::optional<QString> PosixProcessProbe::startIdentity(qint64 pid) const
{
    if (pid < 1 || pid > std::numeric_limits<pid_t>::max()) {
        return std::nullopt;
    }
#if defined(__APPLE__)
    int request[] = {CTL_KERN, KERN_PROC, KERN_PROC_PID, int(pid)};
    struct kinfo_proc info {};
    size_t size = sizeof info;
    if (::sysctl(request, 4, &info, &size, nullptr, 0) != 0 || size == 0) {
        return std::nullopt;
    }
    const timeval started = info.kp_proc.p_starttime;
    return QStringLiteral("%1.%2").arg(qint64(started.tv_sec)).arg(qint64(started.tv_usec), 6, 10, QChar(u'0'));
#else
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QFile boot(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!stat.open(QIODevice::ReadOnly) || !boot.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // Field 22, starttime, counted from the state (field 3) after the command's ")".
    const QByteArray line = stat.read(4096);
    const qsizetype paren = line.lastIndexOf(')');
    const QList<QByteArray> fields = line.mid(paren + 2).split(' ');
    if (paren < 0 || fields.size() < 20) {
        return std::nullopt;
    }
    return QString::fromLatin1(boot.read(64).trimmed() + ':' + fields[19]);
#endif
}

bool PosixProcessProbe::isLive(qint64 pid)
{
    if (pid < 1) {
        return false;
    }
    const Result result = probe(pid);
    return result.delivered || result.errorNumber == EPERM;
}

} // namespace vantrel::native
