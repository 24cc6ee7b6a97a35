// idle IDENTIFIER PATH POLICY ARCH: keeps a registry entry alive for a helper-like process
// until SIGTERM; started by add-entry (not in the usage). Every word is a value, even one
// that starts with a dash.
#include "platform/HostPath.h"
#include "simhost/machine/ProcessRegistry.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>

namespace vantrel::sim::tool {

int idleCommand(SimulatedMac& mac, const QStringList& arguments)
{
    QCommandLineParser parser;
    parseValues(parser, arguments);
    const QStringList values = parser.positionalArguments();
    RegistryEntry entry;
    entry.pid = QCoreApplication::applicationPid();
    entry.bundleIdentifier = values.value(0);
    entry.bundlePath = values.value(1);
    entry.activationPolicy = values.value(2).toInt();
    entry.architecture = values.value(3).toInt();
    entry.processName = HostPath::baseName(entry.bundlePath);
    entry.finishedLaunching = true;
    // The handler comes first: a quit request may come as soon as the entry is listed.
    static volatile std::sig_atomic_t stop = 0;
    std::signal(SIGTERM, [](int) { stop = 1; });
    const ProcessRegistry registry(mac.state());
    registry.add(entry);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (stop) {
            registry.remove(entry.pid);
            QCoreApplication::exit(0);
        }
    });
    poll.start(50);
    return QCoreApplication::exec();
}

} // namespace vantrel::sim::tool
