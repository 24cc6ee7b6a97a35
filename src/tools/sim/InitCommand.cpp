// init [--demo]: creates the simulated Mac, with the demo installations on --demo.
#include "simhost/fixtures/DemoMac.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

namespace vantrel::sim::tool {

int initCommand(SimulatedMac& mac, const QString& rootArgument, const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption demo(QStringLiteral("demo"));
    // Words other than --demo have always been ignored here: no mistake is one.
    parseOptions(parser, {demo}, arguments);
    if (!mac.initialize() || (parser.isSet(demo) && !populateDemo(mac))) {
        return fail(QStringLiteral("cannot create a simulated Mac at ") + rootArgument);
    }
    out() << "Simulated Mac ready at " << mac.root() << " (user " << mac.userName() << ")" << Qt::endl;
    return 0;
}

} // namespace vantrel::sim::tool
