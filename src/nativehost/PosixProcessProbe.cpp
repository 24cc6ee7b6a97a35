#include "nativehost/PosixProcessProbe.h"

#include <QFile>

#include <cerrno>
#include <csignal>

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

bool PosixProcessProbe::isLive(qint64 pid)
{
    if (pid < 1) {
        return false;
    }
    const Result result = probe(pid);
    return result.delivered || result.errorNumber == EPERM;
}

} // namespace vantrel::native
