// launch [--mode native|rosetta] [--action ACTION] [--project PATH] APP: a whole launch by
// Vantrel's launch engine, as the launcher would run it. Usage mistakes exit with 2, a
// failed launch with 1 and the engine's message.
#include "Services.h"
#include "async/QtClock.h"
#include "async/Spawner.h"
#include "launch/LaunchManager.h"
#include "log/LaunchLogger.h"
#include "model/ModeNames.h"
#include "platform/HostPath.h"
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/machine/SimulatedMac.h"
#include "text/L10n.h"
#include "tools/sim/Command.h"

#include <qcoro/qcorotask.h>

namespace vantrel::sim::tool {

int launchCommand(SimulatedMac& mac, const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption modeOption(QStringLiteral("mode"), QString(), QStringLiteral("MODE"));
    const QCommandLineOption actionOption(QStringLiteral("action"), QString(), QStringLiteral("ACTION"));
    const QCommandLineOption projectOption(QStringLiteral("project"), QString(), QStringLiteral("PATH"));
    QString mistake;
    if (!parseOptions(parser, {modeOption, actionOption, projectOption}, arguments, &mistake)) {
        return fail(QStringLiteral("launch: unexpected ") + mistake, 2);
    }
    LaunchArchitecture mode = LaunchArchitecture::native;
    for (const QString& value : parser.values(modeOption)) {
        auto parsed = fromRawValue<LaunchArchitecture>(value);
        if (!parsed) {
            return fail(QStringLiteral("launch: --mode is native or rosetta"), 2);
        }
        mode = *parsed;
    }
    LaunchAction action = LaunchAction::launch;
    for (const QString& value : parser.values(actionOption)) {
        auto parsed = fromRawValue<LaunchAction>(value);
        if (!parsed || !isLaunchRequest(*parsed)) {
            return fail(QStringLiteral("launch: --action is launch, launchWithoutRecentProject or launchSafeMode"), 2);
        }
        action = *parsed;
    }
    std::optional<QUrl> project;
    if (parser.isSet(projectOption)) {
        project = HostPath::fileURL(mac.fileSystem()->expandTilde(parser.value(projectOption)));
    }
    const QStringList values = parser.positionalArguments();
    if (values.size() > 1) {
        return fail(QStringLiteral("launch: unexpected ") + values[1], 2);
    }
    if (values.isEmpty()) {
        return fail(QStringLiteral("launch: give the application's path"), 2);
    }
    const QString& given = values.first();
    const QString app = mac.fileSystem()->expandTilde(
        given.startsWith(u'/') || given.startsWith(u'~') ? given : QStringLiteral("/Applications/") + given);

    CurrentHostGuard guard(mac.makeHost(std::make_shared<QtClock>()));
    int status = 0;
    {
        // The launch engine as the launcher builds it, over this Mac.
        Services services(guard.host());
        LaunchManager& manager = *services.launchManager;
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
    LaunchLogger::of(guard.host()).flush();
    return status;
}

} // namespace vantrel::sim::tool
