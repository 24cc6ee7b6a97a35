// full-disk [FOLDER…]: every write in the folders (host paths, "~" allowed) fails, as on a
// full disk; with none, writes work again.
#include "simhost/machine/HostState.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

namespace vantrel::sim::tool {

int fullDiskCommand(SimulatedMac& mac, const QStringList& arguments)
{
    QCommandLineParser parser;
    parseValues(parser, arguments);
    mac.state().setFullFolders(parser.positionalArguments());
    return 0;
}

} // namespace vantrel::sim::tool
