// End to end: the launch engine's quitting and preference steps against real stand-in
// Logic Pro processes on a temporary simulated Mac.
#include "async/QtClock.h"
#include "async/Spawner.h"
#include "launch/LaunchManager.h"
#include "model/CpuType.h"
#include "platform/HostPath.h"
#include "simhost/BundleWriter.h"
#include "simhost/EventLog.h"
#include "simhost/StandInBehavior.h"
#include "support/LaunchLogReader.h"
#include "support/TaskTesting.h"
#include "support/TempSimulatedMac.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::testing;

namespace {

struct EngineE2ETest : ::testing::Test {
    TempSimulatedMac mac;
    const QString logicPath = QStringLiteral("/Applications/Logic Pro.app");
    const QString otherPath = QStringLiteral("/Applications/Logic Pro X.app");
    const QString stubbornPath = QStringLiteral("/Applications/Logic Pro Stubborn.app");

    void SetUp() override
    {
        mac.mac().setRosettaInstalled(true);
        mac.addLogicBundle(logicPath, {});
        mac.addLogicBundle(otherPath, {});
        mac.addLogicBundle(stubbornPath, {{QStringLiteral("refusesToQuit"), true}});
    }

    RunningApplicationPtr start(const QString& path, int cpuType)
    {
        auto result =
            QCoro::waitFor(mac.host().workspace().openApplication(HostPath::fileURL(path), {true, cpuType, false}));
        EXPECT_TRUE(result.application) << result.error.value_or(QString()).toStdString();
        return result.application;
    }

    QStringList events() { return EventLog(mac.mac().state()).events(); }
};

} // namespace

TEST_F(EngineE2ETest, OtherInstallationsAndTheOtherModeQuitGracefully)
{
    QtClock realTime;
    auto collaborators = LaunchManager::Collaborators::fromCurrentHost();
    collaborators.clock = &realTime;
    LaunchManager manager(collaborators);

    auto other = start(otherPath, CpuType::arm64);
    auto otherMode = start(logicPath, CpuType::x86_64);
    auto kept = start(logicPath, CpuType::arm64);
    ASSERT_TRUE(other && otherMode && kept);
    EXPECT_EQ(manager.parallelLaunchStatus(HostPath::fileURL(logicPath), LaunchArchitecture::native).kind,
              ParallelLaunchStatus::Case::unsupported);

    auto quitting = manager.quitOtherLogicIfNeeded(HostPath::fileURL(logicPath), LaunchArchitecture::native);
    QCoro::waitFor(quitting);
    EXPECT_TRUE(other->isTerminated());
    EXPECT_TRUE(otherMode->isTerminated());
    EXPECT_FALSE(kept->isTerminated());
    const QStringList seen = events();
    EXPECT_TRUE(seen.contains(QStringLiteral("quit pid=%1").arg(other->processIdentifier())));
    EXPECT_TRUE(seen.contains(QStringLiteral("quit pid=%1").arg(otherMode->processIdentifier())));
    const QStringList log = launchLogMessages(mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log")));
    EXPECT_TRUE(
        log.contains(QStringLiteral("graceful quit of 2 other Logic instance(s) before switching version/mode")));
    EXPECT_EQ(log.last(), QStringLiteral("other Logic instance(s) quit"));
    EXPECT_EQ(manager.runningLogicInstances().size(), 1);
}

TEST_F(EngineE2ETest, ACopyThatRefusesToQuitCancelsTheLaunchAtTheDeadline)
{
    LaunchManager manager; // the host's ManualClock: 120 s pass in no time, the process is real
    auto stubborn = start(stubbornPath, CpuType::arm64);
    ASSERT_TRUE(stubborn);
    TaskOutcome<void> outcome;
    auto observer = observe(manager.quitOtherLogicInstances(HostPath::fileURL(logicPath), CpuType::arm64), outcome);
    EXPECT_TRUE(mac.clock().runUntilDone(observer));
    ASSERT_TRUE(outcome.error);
    EXPECT_THROW(outcome.rethrow(), LauncherError);
    EXPECT_FALSE(stubborn->isTerminated());
    EXPECT_TRUE(waitUntil(
        [&] { return events().contains(QStringLiteral("quit-refused pid=%1").arg(stubborn->processIdentifier())); }));
    const QStringList log = launchLogMessages(mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log")));
    EXPECT_EQ(log.last(), QStringLiteral("Logic still running after quit request — treating as user cancel"));
}

TEST_F(EngineE2ETest, TheStandInStartsWithStartupActionZeroDuringAnOverride)
{
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), 1);
    LaunchManager manager;
    auto token =
        manager.collaborators().preferenceMutator->beginStartupActionOverride(QStringLiteral("com.apple.logic10"), 0);
    auto running = start(logicPath, CpuType::arm64);
    ASSERT_TRUE(running);
    EXPECT_TRUE(events().contains(
        QStringLiteral("launch pid=%1 arch=arm64 requested=arm64 startupAction=0 control=false bundle=%2")
            .arg(running->processIdentifier())
            .arg(logicPath)));
    manager.restoreStartupAction(token, 0);
    auto pending = manager.pendingWork().waitForPending();
    mac.clock().runUntilDone(pending);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 1);
}
