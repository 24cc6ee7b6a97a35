// events: the host's event log, line by line. Takes no arguments (any given are ignored).
#include "simhost/machine/EventLog.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

namespace vantrel::sim::tool {

int eventsCommand(SimulatedMac& mac, const QStringList&)
{
    for (const QString& line : EventLog(mac.state()).lines()) {
        out() << line << '\n';
    }
    out().flush();
    return 0;
}

} // namespace vantrel::sim::tool
