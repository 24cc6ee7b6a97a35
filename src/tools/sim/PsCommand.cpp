// ps: the running-application list, stale entries included. Takes no arguments (any given
// are ignored).
#include "model/CpuType.h"
#include "nativehost/PosixProcessProbe.h"
#include "simhost/machine/ProcessRegistry.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

namespace vantrel::sim::tool {

namespace {

QString archText(int cpuType)
{
    if (cpuType == CpuType::arm64) {
        return QStringLiteral("arm64");
    }
    if (cpuType == CpuType::x86_64) {
        return QStringLiteral("x86_64");
    }
    return QString::number(cpuType);
}

} // namespace

int psCommand(SimulatedMac& mac, const QStringList&)
{
    out() << QStringLiteral("%1  %2  %3  %4  %5  %6\n")
                 .arg(QStringLiteral("PID"), -8)
                 .arg(QStringLiteral("STATE"), -6)
                 .arg(QStringLiteral("ARCH"), -7)
                 .arg(QStringLiteral("POLICY"), -6)
                 .arg(QStringLiteral("IDENTIFIER"), -30)
                 .arg(QStringLiteral("BUNDLE"));
    for (const RegistryEntry& entry : ProcessRegistry(mac.state()).entries()) {
        const QString stateText = !native::PosixProcessProbe::isLive(entry.pid) ? QStringLiteral("stale")
                                  : entry.finishedLaunching                     ? QStringLiteral("ready")
                                                                                : QStringLiteral("start");
        out() << QStringLiteral("%1  %2  %3  %4  %5  %6\n")
                     .arg(entry.pid, -8)
                     .arg(stateText, -6)
                     .arg(archText(entry.architecture), -7)
                     .arg(entry.activationPolicy, -6)
                     .arg(entry.bundleIdentifier.isEmpty() ? QStringLiteral("-") : entry.bundleIdentifier, -30)
                     .arg(entry.bundlePath.isEmpty() ? QStringLiteral("-") : entry.bundlePath);
    }
    out().flush();
    return 0;
}

} // namespace vantrel::sim::tool
