// vantrel-sim: the command-line face of the simulated Mac.
#include "async/QtClock.h"
#include "async/Spawner.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LaunchCardBuilder.h"
#include "installations/LogicScanner.h"
#include "launch/LaunchManager.h"
#include "log/LaunchLogger.h"
#include "model/CpuType.h"
#include "model/ModeNames.h"
#include "platform/HostPath.h"
#include "settings/PersistenceStore.h"
#include "simhost/AppLauncher.h"
#include "simhost/BundleWriter.h"
#include "simhost/DemoMac.h"
#include "simhost/EventLog.h"
#include "nativehost/PosixProcessProbe.h"
#include "simhost/ProcessRegistry.h"
#include "simhost/RootedFileSystem.h"
#include "simhost/SimulatedKeyboard.h"
#include "simhost/SimulatedLaunchServices.h"
#include "simhost/SimulatedMac.h"
#include "simhost/SimulatedScripting.h"
#include "simhost/SimulatedWorkspace.h"
#include "simhost/StandInBehavior.h"
#include "simhost/StandInLogicPro.h"
#include "text/L10n.h"

#include <QCoreApplication>

#include <QMap>
#include <QProcess>
#include <QTextStream>
#include <QTimer>
#include <qcoro/qcorotask.h>

#include <cerrno>
#include <csignal>
#include <unistd.h>

using namespace vantrel;
using namespace vantrel::sim;

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

int fail(const QString& message, int status = 1)
{
    err() << "vantrel-sim: " << message << Qt::endl;
    return status;
}

const char* usage = R"(usage: vantrel-sim [--root FOLDER] COMMAND [ARGUMENTS]

The simulated Mac that Vantrel runs on outside macOS. FOLDER defaults to
$VANTREL_SIMULATED_MAC, or ~/.local/share/vantrel/simulated-mac.

  init [--demo]                 create the simulated Mac (with demo installations)
  add-app PATH [OPTIONS]        write an application bundle:
        --id ID --version V --build B --name NAME --exe NAME
        --slices arm64,x86_64,i386,arm64e --big-endian --universal
        --wrong-arch --never-finishes --refuses-quit --refuses-documents
        --startup-delay SECONDS --crash-after SECONDS
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
  launch [--mode native|rosetta] [--action ACTION] [--project PATH] APP
                                run a whole launch with Vantrel's launch engine; ACTION is
                                launch, launchWithoutRecentProject or launchSafeMode
)";

// ---- open ------------------------------------------------------------------------------

int openCommand(SimulatedMac& mac, const QStringList& args)
{
    OpenConfiguration configuration{false, std::nullopt, true};
    QString app;
    QList<QUrl> documents;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"-n") {
            configuration.createsNewApplicationInstance = true;
        } else if (arg == u"--arch" && i + 1 < args.size()) {
            const QString& arch = args[++i];
            if (arch == u"arm64") {
                configuration.architecture = CpuType::arm64;
            } else if (arch == u"x86_64") {
                configuration.architecture = CpuType::x86_64;
            } else {
                return fail(QStringLiteral("open: unknown architecture ") + arch);
            }
        } else if (arg == u"-a" && i + 1 < args.size()) {
            app = args[++i];
        } else if (arg.startsWith(u'-')) {
            return fail(QStringLiteral("open: unknown option ") + arg);
        } else if (!mac.fileSystem()->exists(arg)) {
            return fail(QStringLiteral("The file ") + arg + QStringLiteral(" does not exist."));
        } else {
            documents.append(HostPath::fileURL(HostPath::standardized(arg)));
        }
    }
    if (app.isEmpty()) {
        return fail(QStringLiteral("open: no application given (-a APP)"));
    }
    if (mac.state().hasFault(HostFault::openFails)) {
        return fail(QStringLiteral("LSOpenURLsWithRole() failed with error -10810 for the file ") + app
                    + QStringLiteral("."));
    }
    const bool hang = mac.state().hasFault(HostFault::openHangs);
    while (hang) {
        pause(); // until a signal ends the process
    }
    // The workspace does what the real command does: hand documents to a running copy
    // (or start one with them), start a new instance with -n, in the asked architecture.
    SimulatedWorkspace& workspace = *mac.workspace();
    workspace.setServesOpenCommand(true);
    const QUrl appURL = HostPath::fileURL(HostPath::standardized(app));
    auto opening = documents.isEmpty() ? workspace.openApplication(appURL, configuration)
                                       : workspace.openDocuments(documents, appURL, configuration);
    const OpenResult result = QCoro::waitFor(opening);
    if (result.error) {
        return fail(*result.error);
    }
    return 0;
}

// ---- add-app ---------------------------------------------------------------------------

int addAppCommand(SimulatedMac& mac, const QStringList& args)
{
    if (args.isEmpty() || args[0].startsWith(u'-')) {
        return fail(QStringLiteral("add-app: give the bundle's path first"));
    }
    BundleSpec spec;
    spec.path =
        args[0].startsWith(u'/') || args[0].startsWith(u'~') ? args[0] : QStringLiteral("/Applications/") + args[0];
    spec.identifier = QStringLiteral("com.apple.logic10");
    spec.shortVersion = QStringLiteral("11.0");
    QVariantMap behavior;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&]() { return i + 1 < args.size() ? args[++i] : QString(); };
        if (arg == u"--id") {
            const QString id = value();
            spec.identifier = id.isEmpty() ? std::nullopt : std::optional<QString>(id);
        } else if (arg == u"--version") {
            spec.shortVersion = value();
        } else if (arg == u"--build") {
            spec.buildVersion = value();
        } else if (arg == u"--name") {
            spec.bundleName = value();
        } else if (arg == u"--exe") {
            spec.executableName = value();
        } else if (arg == u"--slices") {
            spec.slices.clear();
            for (const QString& slice : value().split(u',', Qt::SkipEmptyParts)) {
                if (slice == u"arm64") {
                    spec.slices.append(MachO::Slice{MachO::cpuTypeArm64});
                } else if (slice == u"arm64e") {
                    spec.slices.append(MachO::Slice{MachO::cpuTypeArm64, MachO::cpuSubtypeArm64e});
                } else if (slice == u"x86_64") {
                    spec.slices.append(MachO::Slice{MachO::cpuTypeX86_64});
                } else if (slice == u"i386") {
                    spec.slices.append(MachO::Slice{MachO::cpuTypeI386});
                } else {
                    return fail(QStringLiteral("add-app: unknown slice ") + slice);
                }
            }
        } else if (arg == u"--big-endian") {
            spec.byteOrder = MachO::ByteOrder::big;
        } else if (arg == u"--universal") {
            spec.forceUniversal = true;
        } else if (arg == u"--wrong-arch") {
            behavior.insert(QStringLiteral("wrongArchitecture"), true);
        } else if (arg == u"--never-finishes") {
            behavior.insert(QStringLiteral("neverFinishesLaunching"), true);
        } else if (arg == u"--refuses-quit") {
            behavior.insert(QStringLiteral("refusesToQuit"), true);
        } else if (arg == u"--refuses-documents") {
            behavior.insert(QStringLiteral("refusesDocuments"), true);
        } else if (arg == u"--startup-delay") {
            behavior.insert(QStringLiteral("startupDelay"), value().toDouble());
        } else if (arg == u"--crash-after") {
            behavior.insert(QStringLiteral("crashAfter"), value().toDouble());
        } else {
            return fail(QStringLiteral("add-app: unknown option ") + arg);
        }
    }
    if (!behavior.isEmpty()) {
        spec.extraInfo.insert(QString::fromLatin1(StandInBehavior::infoKey), behavior);
    }
    if (!writeBundle(*mac.fileSystem(), spec)) {
        return fail(QStringLiteral("add-app: cannot write ") + spec.path);
    }
    out() << "added " << mac.fileSystem()->expandTilde(spec.path) << Qt::endl;
    return 0;
}

// ---- entries ---------------------------------------------------------------------------

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

int psCommand(SimulatedMac& mac)
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
                                  : entry.finishedLaunching             ? QStringLiteral("ready")
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

int signalCommand(SimulatedMac& mac, const QStringList& args, int signal)
{
    bool ok = false;
    const qint64 pid = args.value(0).toLongLong(&ok);
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

// Keeps a registry entry alive for a helper-like process until SIGTERM.
int idleCommand(SimulatedMac& mac, const QStringList& args)
{
    RegistryEntry entry;
    entry.pid = QCoreApplication::applicationPid();
    entry.bundleIdentifier = args.value(0);
    entry.bundlePath = args.value(1);
    entry.activationPolicy = args.value(2).toInt();
    entry.architecture = args.value(3).toInt();
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

int addEntryCommand(SimulatedMac& mac, const QStringList& args)
{
    const QString kind = args.value(0);
    const QString logic = QStringLiteral("/Applications/Logic Pro.app");
    QString id = QStringLiteral("com.apple.logic10");
    QString path = logic;
    int policy = 0;
    if (kind == u"helper") {
        id = QStringLiteral("com.apple.logic10.AUHostingService");
        path = logic + QStringLiteral("/Contents/XPCServices/AUHostingService.xpc");
        policy = 1;
    } else if (kind == u"extension") {
        id = QStringLiteral("com.apple.logic10.extension.share");
        path = logic + QStringLiteral("/Contents/PlugIns/Share.appex");
        policy = 2;
    } else if (kind == u"quicklook") {
        id = QStringLiteral("com.apple.logic.quicklook");
        path = logic + QStringLiteral("/Contents/Library/QuickLook/Logic.qlgenerator");
        policy = 2;
    } else if (kind == u"accessory") {
        policy = 1;
    } else if (kind != u"stale") {
        return fail(QStringLiteral("add-entry: KIND is helper, extension, quicklook, accessory or stale"));
    }
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--id") {
            id = args[i + 1];
        } else if (args[i] == u"--path") {
            path = args[i + 1];
        }
    }
    if (kind == u"stale") {
        // A process that has ended: its pid is real but dead, as a killed copy leaves it.
        QProcess finished;
        finished.start(QStringLiteral("/bin/true"));
        finished.waitForStarted();
        const qint64 deadPid = finished.processId();
        finished.waitForFinished();
        RegistryEntry entry;
        entry.pid = deadPid > 0 ? deadPid : 999999;
        entry.bundleIdentifier = id;
        entry.bundlePath = path;
        entry.architecture = CpuType::arm64;
        entry.finishedLaunching = true;
        ProcessRegistry(mac.state()).add(entry);
        out() << entry.pid << Qt::endl;
        return 0;
    }
    qint64 pid = 0;
    if (!QProcess::startDetached(AppLauncher::toolPath(),
                                 {QStringLiteral("--root"), mac.root(), QStringLiteral("idle"), id, path,
                                  QString::number(policy), QString::number(CpuType::arm64)},
                                 QString(), &pid)) {
        return fail(QStringLiteral("add-entry: cannot start the helper process"));
    }
    AppLauncher(mac.fileSystem(), mac.state()).waitForRegistration(pid, 5000);
    out() << pid << Qt::endl;
    return 0;
}

// ---- cards -----------------------------------------------------------------------------

int cardsCommand(SimulatedMac& mac)
{
    CurrentHostGuard guard(mac.makeHost(std::make_shared<QtClock>()));
    auto detector = std::make_shared<ArchitectureDetector>();
    LogicScanner scanner(detector);
    const auto resolved = scanner.scan(PersistenceStore().loadApps());
    out() << "Installations:\n";
    for (const ResolvedLogicApp& entry : resolved) {
        out() << "  " << entry.app.displayName << "  " << entry.app.bundlePath;
        if (entry.isMissing) {
            out() << "  (missing)";
        } else {
            QStringList slices;
            for (BinaryArchitecture arch : allCases<BinaryArchitecture>()) {
                if (entry.metadata->executableArchitectures.contains(arch)) {
                    slices << rawValue(arch);
                }
            }
            out() << "  " << entry.metadata->shortVersion << "  [" << slices.join(QStringLiteral(", ")) << "]";
        }
        out() << '\n';
    }
    out() << "Cards:\n";
    for (const LaunchCard& card : LaunchCardBuilder::buildCards(resolved, *detector)) {
        out() << "  " << (card.isAvailable ? "●" : "○") << ' ' << card.app.displayName << " — " << card.modeText();
        if (card.unavailabilityReason) {
            out() << "  (" << *card.unavailabilityReason << ')';
        }
        out() << "  " << card.id << '\n';
    }
    out().flush();
    return 0;
}

// ---- launch ----------------------------------------------------------------------------

int launchCommand(SimulatedMac& mac, const QStringList& args)
{
    LaunchArchitecture mode = LaunchArchitecture::native;
    LaunchAction action = LaunchAction::launch;
    std::optional<QUrl> project;
    QString app;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--mode" && i + 1 < args.size()) {
            auto parsed = fromRawValue<LaunchArchitecture>(args[++i]);
            if (!parsed) {
                return fail(QStringLiteral("launch: --mode is native or rosetta"), 2);
            }
            mode = *parsed;
        } else if (arg == u"--action" && i + 1 < args.size()) {
            auto parsed = fromRawValue<LaunchAction>(args[++i]);
            if (!parsed || !isLaunchRequest(*parsed)) {
                return fail(QStringLiteral("launch: --action is launch, launchWithoutRecentProject or launchSafeMode"),
                            2);
            }
            action = *parsed;
        } else if (arg == u"--project" && i + 1 < args.size()) {
            project = HostPath::fileURL(mac.fileSystem()->expandTilde(args[++i]));
        } else if (arg.startsWith(u'-') || !app.isEmpty()) {
            return fail(QStringLiteral("launch: unexpected ") + arg, 2);
        } else {
            app = mac.fileSystem()->expandTilde(
                arg.startsWith(u'/') || arg.startsWith(u'~') ? arg : QStringLiteral("/Applications/") + arg);
        }
    }
    if (app.isEmpty()) {
        return fail(QStringLiteral("launch: give the application's path"), 2);
    }
    CurrentHostGuard guard(mac.makeHost(std::make_shared<QtClock>()));
    int status = 0;
    {
        LaunchManager manager;
        manager.restoreAbandonedStartupActions();
        auto run = [&]() -> Task<int> {
            try {
                co_await manager.launch(HostPath::fileURL(app), mode, action, false, project);
            } catch (const LauncherError& error) {
                err() << error.errorDescription() << Qt::endl;
                co_return 1;
            }
            co_return 0;
        };
        auto task = run();
        status = QCoro::waitFor(task);
        if (status == 0) {
            out() << L10n::text(L10n::Key::startedMode, HostPath::baseName(app), modeDisplayName(mode)) << Qt::endl;
        }
        // A delayed restore of Logic's startup action must run before this process ends.
        auto pending = manager.pendingWork().waitForPending();
        QCoro::waitFor(pending);
    }
    LaunchLogger::shared().flush();
    return status;
}

int toggleCommand(const QStringList& args, const std::function<void(bool)>& apply)
{
    if (args.value(0) != u"on" && args.value(0) != u"off") {
        return fail(QStringLiteral("say on or off"));
    }
    apply(args.value(0) == u"on");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-sim"));

    QStringList args = QCoreApplication::arguments().mid(1);
    QString root = SimulatedMac::defaultRoot();
    if (args.value(0) == u"--root") {
        if (args.size() < 2) {
            return fail(QStringLiteral("--root needs a folder"), 2);
        }
        root = args[1];
        args = args.mid(2);
    }
    if (args.isEmpty() || args[0] == u"--help" || args[0] == u"-h" || args[0] == u"help") {
        out() << usage;
        out().flush();
        return args.isEmpty() ? 2 : 0;
    }
    const QString command = args.takeFirst();
    SimulatedMac mac(root);

    if (command == u"init") {
        if (!mac.initialize() || (args.contains(QStringLiteral("--demo")) && !populateDemo(mac))) {
            return fail(QStringLiteral("cannot create a simulated Mac at ") + root);
        }
        out() << "Simulated Mac ready at " << mac.root() << " (user " << mac.userName() << ")" << Qt::endl;
        return 0;
    }
    if (!mac.isInitialized()) {
        return fail(QStringLiteral("no simulated Mac at ") + mac.root()
                    + QStringLiteral(" — run `vantrel-sim init` first"));
    }
    if (command == u"app") {
        // app --bundle PATH --arch ARCH [DOCUMENT…]
        if (args.size() < 4 || args[0] != u"--bundle" || args[2] != u"--arch") {
            return fail(QStringLiteral("app: --bundle PATH --arch ARCH [DOCUMENT…]"), 2);
        }
        return runStandInLogicPro(mac.root(), args[1], args[3], args.mid(4));
    }
    if (command == u"open") {
        return openCommand(mac, args);
    }
    if (command == u"add-app") {
        return addAppCommand(mac, args);
    }
    if (command == u"ps") {
        return psCommand(mac);
    }
    if (command == u"events") {
        for (const QString& line : EventLog(mac.state()).lines()) {
            out() << line << '\n';
        }
        out().flush();
        return 0;
    }
    if (command == u"quit") {
        return signalCommand(mac, args, SIGTERM);
    }
    if (command == u"kill") {
        return signalCommand(mac, args, SIGKILL);
    }
    if (command == u"rosetta") {
        return toggleCommand(args, [&](bool on) { mac.setRosettaInstalled(on); });
    }
    if (command == u"launch-services") {
        return toggleCommand(args, [&](bool on) { SimulatedLaunchServices::setAvailable(mac.state(), on); });
    }
    if (command == u"service") {
        return toggleCommand(args, [&](bool on) { SimulatedScripting::setShowInfoServiceAvailable(mac.state(), on); });
    }
    if (command == u"accessibility") {
        return toggleCommand(args, [&](bool on) { SimulatedKeyboard::setPostAccessGranted(mac.state(), on); });
    }
    if (command == u"fault") {
        static const QMap<QString, HostFault> faults{{QStringLiteral("open-fails"), HostFault::openFails},
                                                     {QStringLiteral("open-hangs"), HostFault::openHangs},
                                                     {QStringLiteral("workspace-open-fails"),
                                                      HostFault::workspaceOpenFails}};
        if (!faults.contains(args.value(0))) {
            return fail(QStringLiteral("fault: open-fails, open-hangs or workspace-open-fails"), 2);
        }
        return toggleCommand(args.mid(1), [&](bool on) { mac.state().setFault(faults.value(args[0]), on); });
    }
    if (command == u"full-disk") {
        mac.state().setFullFolders(args);
        return 0;
    }
    if (command == u"add-entry") {
        return addEntryCommand(mac, args);
    }
    if (command == u"idle") {
        return idleCommand(mac, args);
    }
    if (command == u"cards") {
        return cardsCommand(mac);
    }
    if (command == u"launch") {
        return launchCommand(mac, args);
    }
    return fail(QStringLiteral("unknown command ") + command + QStringLiteral("; see --help"), 2);
}
