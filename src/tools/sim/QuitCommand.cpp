// quit PID | kill PID: a graceful quit request (SIGTERM, recorded as "quit-request") or
// SIGKILL, which leaves the process's entry stale.
#include "simhost/machine/EventLog.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

#include <csignal>

namespace vantrel::sim::tool {

namespace {

int signalCommand(SimulatedMac& mac, const QStringList& arguments, int signal)
{
    QCommandLineParser parser;
    parseValues(parser, arguments);
    bool ok = false;
    const qint64 pid = parser.positionalArguments().value(0).toLongLong(&ok);
    if (!ok || pid < 1) {
        return fail(QStringLiteral("give a process identifier"));
    }
    if (signal == SIGTERM) {
        EventLog(mac.state()).record(QStringLiteral("quit-request"), {QStringLiteral("pid=") + QString::number(pid)});
    }
    if (::kill(pid_t(pid), signal) != 0) {
        return fail(QStringLiteral("no such process: ") + QString::number(pid));
    }
    return 0;
}

} // namespace

int quitCommand(SimulatedMac& mac, const QStringList& arguments)
{
    return signalCommand(mac, arguments, SIGTERM);
}

int killCommand(SimulatedMac& mac, const QStringList& arguments)
{
    return signalCommand(mac, arguments, SIGKILL);
}

} // namespace vantrel::sim::tool
