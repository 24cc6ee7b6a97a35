// vantrel-sim: the command-line face of the simulated Mac. The tool's own options come
// before the command; the command, in tools/sim/, reads the words after its name.
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

#include <QCoreApplication>

using namespace vantrel::sim;
using namespace vantrel::sim::tool;

namespace {

const char* usage = R"(usage: vantrel-sim [--root FOLDER] COMMAND [ARGUMENTS]

The simulated Mac that Vantrel runs on outside macOS. FOLDER defaults to
$VANTREL_SIMULATED_MAC, or ~/.local/share/vantrel/simulated-mac.

  init [--demo]                 create the simulated Mac (with demo installations)
  add-app PATH [OPTIONS]        write an application bundle:
        --id ID --version V --build B --name NAME --exe NAME
        --slices arm64,x86_64,i386,arm64e --big-endian --universal
        --wrong-arch --never-finishes --refuses-quit --refuses-documents
        --startup-delay SECONDS --crash-after SECONDS
  add-plugin NAME [OPTIONS]     write an Audio Unit (NAME.component) in /Library's
                                Components folder, or the user's with --user:
        --manufacturer M --slices arm64,x86_64 --version V --user --no-executable
  plugins [--json]              the Audio Units and which mode loads each
  open [-n] [--arch ARCH] -a APP [DOCUMENT…]
                                the open command: start APP (a new instance with -n)
                                in ARCH, or hand it documents
  ps                            the running-application list, stale entries included
  events                        the host's event log
  quit PID | kill PID           graceful quit request (SIGTERM) | SIGKILL
  rosetta on|off                install or remove Rosetta 2
  launch-services on|off        make the architecture preference setter present or absent
  service on|off                make the "Finder/Show Info" service succeed or fail
  accessibility on|off          grant or refuse the permission to post keyboard events
                                (refused: Control presses are dropped silently)
  fault open-fails|open-hangs|workspace-open-fails on|off
                                make the open command fail or hang, or the workspace's
                                open calls fail
  full-disk [FOLDER…]           make every write in the folders fail; none: writes work
  add-entry KIND                add a helper, extension, quicklook, accessory or stale entry
  cards                         the installations and launch cards Vantrel would show
)";

// Every command but init, which runs before the Mac exists.
const struct {
    const char16_t* name;
    CommandFunction run;
} commands[] = {
    {u"app", appCommand},
    {u"open", openCommand},
    {u"add-app", addAppCommand},
    {u"add-plugin", addPluginCommand},
    {u"plugins", pluginsCommand},
    {u"ps", psCommand},
    {u"events", eventsCommand},
    {u"quit", quitCommand},
    {u"kill", killCommand},
    {u"rosetta", rosettaCommand},
    {u"launch-services", launchServicesCommand},
    {u"service", serviceCommand},
    {u"accessibility", accessibilityCommand},
    {u"fault", faultCommand},
    {u"full-disk", fullDiskCommand},
    {u"add-entry", addEntryCommand},
    {u"idle", idleCommand},
    {u"cards", cardsCommand},
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-sim"));

    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption rootOption(QStringLiteral("root"), QString(), QStringLiteral("FOLDER"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    QString mistake;
    QStringList args;
    if (parseOptions(parser, {rootOption, helpOption}, QCoreApplication::arguments().mid(1), &mistake)) {
        args = parser.positionalArguments();
    } else if (mistake == u"--root") {
        return fail(QStringLiteral("--root needs a folder"), 2);
    } else {
        args = {mistake}; // read where the command goes, and no command: said so below
    }
    const QString root = parser.isSet(rootOption) ? parser.value(rootOption) : SimulatedMac::defaultRoot();
    if (parser.isSet(helpOption) || args.isEmpty() || args.first() == u"help") {
        out() << usage;
        out().flush();
        return args.isEmpty() && !parser.isSet(helpOption) ? 2 : 0;
    }
    const QString command = args.takeFirst();
    SimulatedMac mac(root);

    if (command == u"init") {
        return initCommand(mac, root, args);
    }
    if (!mac.isInitialized()) {
        return fail(QStringLiteral("no simulated Mac at ") + mac.root()
                    + QStringLiteral(" — run `vantrel-sim init` first"));
    }
    for (const auto& entry : commands) {
        if (command == QStringView(entry.name)) {
            return entry.run(mac, args);
        }
    }
    return fail(QStringLiteral("unknown command ") + command + QStringLiteral("; see --help"), 2);
}
