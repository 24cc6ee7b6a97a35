// app --bundle PATH --arch ARCH [DOCUMENT…]: the process that stands in for a running
// Logic Pro copy, started by AppLauncher (not in the usage).
#include "simhost/machine/SimulatedMac.h"
#include "simhost/standin/StandInLogicPro.h"
#include "tools/sim/Command.h"

namespace vantrel::sim::tool {

int appCommand(SimulatedMac& mac, const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption bundle(QStringLiteral("bundle"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption arch(QStringLiteral("arch"), QString(), QStringLiteral("ARCH"));
    if (!parseOptions(parser, {bundle, arch}, arguments) || !parser.isSet(bundle) || !parser.isSet(arch)) {
        return fail(QStringLiteral("app: --bundle PATH --arch ARCH [DOCUMENT…]"), 2);
    }
    return runStandInLogicPro(mac.root(), parser.value(bundle), parser.value(arch), parser.positionalArguments());
}

} // namespace vantrel::sim::tool
