// open [-n] [--arch ARCH] -a APP [DOCUMENT…]: the simulated Mac's open command, which the
// launch engine runs as /usr/bin/open (SimulatedCommandRunner).
#include "model/CpuType.h"
#include "platform/HostPath.h"
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/adapters/SimulatedWorkspace.h"
#include "simhost/machine/HostState.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

#include <qcoro/qcorotask.h>

#include <unistd.h>

namespace vantrel::sim::tool {

int openCommand(SimulatedMac& mac, const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption newInstance(QStringLiteral("n"));
    const QCommandLineOption arch(QStringLiteral("arch"), QString(), QStringLiteral("ARCH"));
    const QCommandLineOption application(QStringLiteral("a"), QString(), QStringLiteral("APP"));
    QString mistake;
    if (!parseOptions(parser, {newInstance, arch, application}, arguments, &mistake)) {
        return fail(QStringLiteral("open: unknown option ") + mistake);
    }
    OpenConfiguration configuration{parser.isSet(newInstance), std::nullopt, true};
    for (const QString& name : parser.values(arch)) {
        if (name == u"arm64") {
            configuration.architecture = CpuType::arm64;
        } else if (name == u"x86_64") {
            configuration.architecture = CpuType::x86_64;
        } else {
            return fail(QStringLiteral("open: unknown architecture ") + name);
        }
    }
    QList<QUrl> documents;
    for (const QString& path : parser.positionalArguments()) {
        if (!mac.fileSystem()->exists(path)) {
            return fail(QStringLiteral("The file ") + path + QStringLiteral(" does not exist."));
        }
        documents.append(HostPath::fileURL(HostPath::standardized(path)));
    }
    const QString app = parser.value(application);
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

} // namespace vantrel::sim::tool
