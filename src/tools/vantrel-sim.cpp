// vantrel-sim: the command-line face of the simulated Mac.
#include "simhost/SimulatedMac.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

using vantrel::sim::SimulatedMac;

namespace {

int init(const QString& root)
{
    SimulatedMac mac(root);
    if (!mac.initialize()) {
        QTextStream(stderr) << "vantrel-sim: cannot create a simulated Mac at " << root << '\n';
        return 1;
    }
    QTextStream(stdout) << "Simulated Mac ready at " << mac.root() << " (user " << mac.userName() << ")\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The simulated Mac that Vantrel runs on outside macOS."));
    parser.addHelpOption();
    QCommandLineOption rootOption(QStringLiteral("root"),
                                  QStringLiteral("The simulated Mac's folder (default: $%1 or %2).")
                                      .arg(QString::fromLatin1(SimulatedMac::rootVariable), SimulatedMac::defaultRoot()),
                                  QStringLiteral("folder"));
    parser.addOption(rootOption);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("init: create the simulated Mac."));
    parser.process(app);

    const QString root = parser.isSet(rootOption) ? parser.value(rootOption) : SimulatedMac::defaultRoot();
    const QStringList args = parser.positionalArguments();
    if (args.value(0) == u"init") {
        return init(root);
    }
    QTextStream(stderr) << "vantrel-sim: unknown command; see --help\n";
    return 2;
}
