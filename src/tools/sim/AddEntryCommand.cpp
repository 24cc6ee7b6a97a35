// add-entry KIND [--id ID] [--path PATH]: puts a process that is not a Logic Pro copy in the
// running-application list: a helper, an extension, a Quick Look generator or an
// accessory (a live `idle` process each), or a stale entry (a process that has ended).
// Prints the entry's process identifier.
#include "model/CpuType.h"
#include "simhost/machine/AppLauncher.h"
#include "simhost/machine/ProcessRegistry.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

#include <QProcess>

namespace vantrel::sim::tool {

int addEntryCommand(SimulatedMac& mac, const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption idOption(QStringLiteral("id"), QString(), QStringLiteral("ID"));
    const QCommandLineOption pathOption(QStringLiteral("path"), QString(), QStringLiteral("PATH"));
    // Words it does not know have always been ignored here: no mistake is one.
    parseOptions(parser, {idOption, pathOption}, arguments);

    const QString kind = parser.positionalArguments().value(0);
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
    // An option without its value changes nothing.
    if (const QStringList given = parser.values(idOption); !given.isEmpty()) {
        id = given.last();
    }
    if (const QStringList given = parser.values(pathOption); !given.isEmpty()) {
        path = given.last();
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
    AppLauncher(mac.fileSystem(), mac.state()).waitForRegistration(pid, std::chrono::seconds(5));
    out() << pid << Qt::endl;
    return 0;
}

} // namespace vantrel::sim::tool
