// fault open-fails|open-hangs|workspace-open-fails on|off: trouble the host shows.
#include "simhost/machine/HostState.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

#include <QMap>

namespace vantrel::sim::tool {

int faultCommand(SimulatedMac& mac, const QStringList& arguments)
{
    static const QMap<QString, HostFault> faults{
        {QStringLiteral("open-fails"), HostFault::openFails},
        {QStringLiteral("open-hangs"), HostFault::openHangs},
        {QStringLiteral("workspace-open-fails"), HostFault::workspaceOpenFails}};
    QCommandLineParser parser;
    parseValues(parser, arguments);
    const QStringList values = parser.positionalArguments();
    if (!faults.contains(values.value(0))) {
        return fail(QStringLiteral("fault: open-fails, open-hangs or workspace-open-fails"), 2);
    }
    const HostFault fault = faults.value(values.first());
    return switchCommand(values.mid(1), [&](bool on) { mac.state().setFault(fault, on); });
}

} // namespace vantrel::sim::tool
