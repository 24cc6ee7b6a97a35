// End to end: whole launches through the real LaunchManager, the simulated Mac's open
// command and workspace, and real stand-in Logic Pro processes.
#include "async/Spawner.h"
#include "launch/LaunchManager.h"
#include "model/CpuType.h"
#include "platform/HostPath.h"
#include "simhost/adapters/SimulatedLaunchServices.h"
#include "simhost/fixtures/BundleWriter.h"
#include "simhost/machine/AppLauncher.h"
#include "simhost/machine/EventLog.h"
#include "simhost/standin/StandInBehavior.h"
#include "support/HostObjects.h"
#include "support/HybridDriver.h"
#include "support/LaunchLogReader.h"
#include "support/TaskTesting.h"
#include "support/TempSimulatedMac.h"
#include "support/Waiting.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

#include <csignal>

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::testing;

namespace {

struct LaunchFlowTest : ::testing::Test {
    TempSimulatedMac mac;
    const QString logicPath = QStringLiteral("/Applications/Logic Pro.app");
    std::unique_ptr<LaunchManager> manager;

    void SetUp() override
    {
        mac.mac().setRosettaInstalled(true);
        mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
        mac.addLogicBundle(logicPath, {});
        mac.writeFile(QStringLiteral("~/Music/Song.logicx/Alternatives/000/ProjectData"), "x");
        manager = std::make_unique<LaunchManager>(test::launchCollaborators());
    }

    TaskOutcome<void> launch(const QString& path, LaunchArchitecture mode, LaunchAction action,
                             std::optional<QString> project = std::nullopt)
    {
        TaskOutcome<void> outcome;
        std::optional<QUrl> document;
        if (project) {
            document = HostPath::fileURL(*project);
        }
        auto task = observe(manager->launch(HostPath::fileURL(path), mode, action, false, document), outcome);
        EXPECT_TRUE(runHybrid(mac.clock(), task)) << "the launch did not end";
        return outcome;
    }

    void finishPendingWork()
    {
        auto pending = manager->pendingWork().waitForPending();
        EXPECT_TRUE(runHybrid(mac.clock(), pending));
    }

    QStringList events() { return EventLog(mac.mac().state()).events(); }
    QStringList log() { return launchLogMessages(mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log"))); }
};

} // namespace

TEST_F(LaunchFlowTest, ARosettaLaunchOfAUniversalCopyRunsAsX86_64)
{
    auto outcome = launch(logicPath, LaunchArchitecture::rosetta, LaunchAction::launch);
    ASSERT_FALSE(outcome.error) << launcherErrorText(outcome.error);
    auto running = mac.host().workspace().runningApplications();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0]->executableArchitecture(), CpuType::x86_64);
    const QString pid = QString::number(running[0]->processIdentifier());
    EXPECT_TRUE(events().contains(
        QStringLiteral("launch pid=") + pid
        + QStringLiteral(" arch=x86_64 requested=x86_64 startupAction=absent control=false bundle=") + logicPath));
    const QStringList lines = log();
    EXPECT_EQ(lines.first(),
              QStringLiteral("launch request mode=rosetta action=launch path=/Applications/Logic Pro.app doc=nil"));
    EXPECT_TRUE(lines.contains(QStringLiteral("open -n --arch x86_64 -a /Applications/Logic Pro.app")));
    EXPECT_TRUE(lines.contains(QStringLiteral("verified stable rosetta pid=") + pid));
    EXPECT_EQ(lines.last(), QStringLiteral("launch OK as rosetta; LS pref left at x86_64 (not restored)"));
    EXPECT_EQ(SimulatedLaunchServices::preference(mac.mac().state(), logicPath), QStringLiteral("x86_64"));
}

TEST_F(LaunchFlowTest, AColdLaunchWithAProjectHandsItOverAndRestoresTheStartupAction)
{
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), 1);
    const QString song = QStringLiteral("/Users/tester/Music/Song.logicx");
    auto outcome = launch(logicPath, LaunchArchitecture::native, LaunchAction::launch, song);
    ASSERT_FALSE(outcome.error) << launcherErrorText(outcome.error);
    auto running = mac.host().workspace().runningApplications();
    ASSERT_EQ(running.size(), 1);
    const QString pid = QString::number(running[0]->processIdentifier());
    EXPECT_TRUE(events().contains(QStringLiteral("launch pid=") + pid
                                  + QStringLiteral(" arch=arm64 requested=arm64 startupAction=0 control=false bundle=")
                                  + logicPath))
        << "Logic started while its startup action was 0";
    EXPECT_TRUE(waitUntil([&] {
        return events().contains(QStringLiteral("document-open pid=") + pid + QStringLiteral(" path=") + song);
    }));
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 0) << "restored 6 s after the start, not yet";
    finishPendingWork();
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 1);
    EXPECT_EQ(log().last(), QStringLiteral("startupAction restored after document open"));
    EXPECT_EQ(events().filter(QStringLiteral("security-scope")),
              (QStringList{QStringLiteral("security-scope-start path=") + song,
                           QStringLiteral("security-scope-stop path=") + song}))
        << "access to the project asked for once and given back";
}

TEST_F(LaunchFlowTest, ASecondInstanceBesideTheOtherModeIsVerifiedAtOnce)
{
    mac.host().standardDefaults()->setValue(QStringLiteral("closeOtherLogicOnLaunch"), false);
    auto rosetta = QCoro::waitFor(
        mac.host().workspace().openApplication(HostPath::fileURL(logicPath), {true, CpuType::x86_64, false}));
    ASSERT_TRUE(rosetta.application);
    const qint32 oldPid = rosetta.application->processIdentifier();

    auto outcome = launch(logicPath, LaunchArchitecture::native, LaunchAction::launch);
    ASSERT_FALSE(outcome.error) << launcherErrorText(outcome.error);
    const QStringList lines = log();
    EXPECT_TRUE(lines.contains(QStringLiteral("parallel=Another architecture of this Logic Pro is already running. A "
                                              "second instance will be requested; Logic Pro may refuse due to "
                                              "shared resources.")));
    EXPECT_TRUE(lines.filter(QStringLiteral("NSWorkspace")).isEmpty()) << "no fallback";
    EXPECT_EQ(lines.last(), QStringLiteral("launch OK as native; LS pref left at arm64 (not restored)"));
    auto running = mac.host().workspace().runningApplications();
    ASSERT_EQ(running.size(), 2) << "both instances are left running";
    EXPECT_EQ(running[0]->processIdentifier(), oldPid);
    EXPECT_EQ(running[0]->executableArchitecture(), CpuType::x86_64);
    EXPECT_EQ(running[1]->executableArchitecture(), CpuType::arm64);
    EXPECT_TRUE(lines.contains(QStringLiteral("verified stable native pid=")
                               + QString::number(running[1]->processIdentifier())));
}

TEST_F(LaunchFlowTest, AStartupActionLeftByAKilledLauncherIsRestoredAtTheNextStart)
{
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), QStringLiteral("2")); // a string, as a script may leave it
    const auto launchWithoutRecent = [&](QProcess& process) {
        process.start(QStringLiteral(VANTREL_CLI_PATH),
                      {QStringLiteral("--root"), mac.root(), QStringLiteral("launch"),
                       QStringLiteral("--without-recent-project"), QStringLiteral("--path"), logicPath});
        return process.waitForStarted();
    };
    QProcess first;
    ASSERT_TRUE(launchWithoutRecent(first));
    ASSERT_TRUE(waitUntil([&] { return logic->integer(QStringLiteral("startupAction")) == 0; }, 10000));
    const QString killedPid = QString::number(first.processId());
    ::kill(pid_t(first.processId()), SIGKILL); // in the middle of the launch: no restore
    first.waitForFinished();
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 0);

    QProcess next;
    ASSERT_TRUE(launchWithoutRecent(next));
    ASSERT_TRUE(next.waitForFinished(30000));
    EXPECT_EQ(logic->value(QStringLiteral("startupAction")), QVariant(QStringLiteral("2"))) << "value and type";
    EXPECT_TRUE(log().contains(
        QStringLiteral("startupAction restored after an interrupted launch: domain=com.apple.logic10 pid=")
        + killedPid));
    EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides")), std::nullopt);
}

TEST_F(LaunchFlowTest, ARecordWhoseProcessIdWasReusedIsRestored)
{
    // The launcher that wrote the record died; an unrelated process now has its id.
    QProcess unrelated;
    unrelated.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(unrelated.waitForStarted());
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), qint64(0));
    const auto record = [&](const QString& started) {
        return QVariantMap{{QStringLiteral("domain"), QStringLiteral("com.apple.logic10")},
                           {QStringLiteral("pid"), qint64(unrelated.processId())},
                           {QStringLiteral("started"), started},
                           {QStringLiteral("wrote"), qint64(0)},
                           {QStringLiteral("value"), qint64(2)}};
    };
    const auto identity = mac.host().processProbe().startIdentity(unrelated.processId());
    ASSERT_TRUE(identity) << "this system tells processes apart by their start";

    // Its own start: it still runs, and its override stays.
    mac.host().standardDefaults()->setValue(QStringLiteral("startupActionOverrides"), QVariantList{record(*identity)});
    manager->restoreAbandonedStartupActions();
    EXPECT_EQ(logic->value(QStringLiteral("startupAction")), QVariant(qint64(0)));

    // Another start under the same id: the record's process is gone.
    mac.host().standardDefaults()->setValue(QStringLiteral("startupActionOverrides"),
                                            QVariantList{record(*identity + QStringLiteral("0"))});
    manager->restoreAbandonedStartupActions();
    EXPECT_EQ(logic->value(QStringLiteral("startupAction")), QVariant(qint64(2)));
    EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides")), std::nullopt);
    unrelated.kill();
    unrelated.waitForFinished();
}

TEST_F(LaunchFlowTest, ASafeModeLaunchIsSeenWithControlHeld)
{
    auto outcome = launch(logicPath, LaunchArchitecture::native, LaunchAction::launchSafeMode);
    ASSERT_FALSE(outcome.error) << launcherErrorText(outcome.error);
    auto running = mac.host().workspace().runningApplications();
    ASSERT_EQ(running.size(), 1);
    const QString pid = QString::number(running[0]->processIdentifier());
    EXPECT_TRUE(events().contains(QStringLiteral("safe-mode-offered pid=") + pid));
    const QStringList keys = events().filter(QStringLiteral("key-"));
    EXPECT_EQ(keys,
              (QStringList{QStringLiteral("key-down code=59 flags=262144"), QStringLiteral("key-up code=59 flags=0")}));
}

TEST_F(LaunchFlowTest, SafeModeWithoutThePermissionToPostKeysStartsAndQuitsNothing)
{
    // Another copy runs and quitting others is on: a refusal must leave it running.
    mac.addLogicBundle(QStringLiteral("/Applications/Logic Pro X.app"), {});
    auto other = mac.host().workspace().openApplication(
        HostPath::fileURL(QStringLiteral("/Applications/Logic Pro X.app")), {true, CpuType::arm64, true});
    ASSERT_TRUE(QCoro::waitFor(other).application);
    const auto run = [&](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, QStringList{QStringLiteral("--root"), mac.root()} + arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return std::pair(process.exitCode(), QString::fromUtf8(process.readAllStandardError()));
    };
    const auto tool = [&](const QStringList& arguments) { return run(AppLauncher::toolPath(), arguments); };
    const auto safeModeLaunch = [&] {
        return run(QStringLiteral(VANTREL_CLI_PATH),
                   {QStringLiteral("launch"), QStringLiteral("--safe-mode"), QStringLiteral("--path"), logicPath});
    };
    ASSERT_EQ(tool({QStringLiteral("accessibility"), QStringLiteral("off")}).first, 0);

    const auto [status, message] = safeModeLaunch();
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(message.contains(QStringLiteral("Safe Mode needs Vantrel to hold the Control key. Allow Vantrel in "
                                                "System Settings › Privacy & Security › Accessibility")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("on behalf of the program that runs it: allow that program (Terminal")))
        << "the permission is the running program's, not Vantrel's: " << message.toStdString();
    EXPECT_EQ(mac.host().workspace().runningApplications().size(), 1) << "nothing started, nothing quit";
    EXPECT_TRUE(events().filter(QStringLiteral("key-")).isEmpty());
    EXPECT_TRUE(events().contains(QStringLiteral("post-access refused")));
    EXPECT_TRUE(log().contains(
        QStringLiteral("safe mode refused: keyboard events may not be posted (Accessibility permission missing)")));

    // Granted again, the same launch holds Control.
    ASSERT_EQ(tool({QStringLiteral("accessibility"), QStringLiteral("on")}).first, 0);
    EXPECT_EQ(safeModeLaunch().first, 0);
    EXPECT_EQ(events().filter(QStringLiteral("key-down")).size(), 1);
}
