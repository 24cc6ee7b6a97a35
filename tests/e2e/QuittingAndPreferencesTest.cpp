// End to end: the launch engine's quitting and preference steps against real stand-in
// Logic Pro processes on a temporary simulated Mac.
#include "async/QtClock.h"
#include "async/Spawner.h"
#include "launch/LaunchManager.h"
#include "model/CpuType.h"
#include "platform/HostPath.h"
#include "simhost/fixtures/BundleWriter.h"
#include "simhost/machine/EventLog.h"
#include "simhost/standin/StandInBehavior.h"
#include "support/HostObjects.h"
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

    void SetUp() override
    {
        mac.mac().setRosettaInstalled(true);
        mac.addLogicBundle(logicPath, {});
        mac.addLogicBundle(otherPath, {});
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
    auto collaborators = test::launchCollaborators();
    collaborators.clock = &realTime;
    LaunchManager manager(collaborators);

    auto other = start(otherPath, CpuType::arm64);
    auto otherMode = start(logicPath, CpuType::x86_64);
    auto kept = start(logicPath, CpuType::arm64);
    ASSERT_TRUE(other && otherMode && kept);
    EXPECT_EQ(
        manager.runningInstances().parallelLaunchStatus(HostPath::fileURL(logicPath), LaunchArchitecture::native).kind,
        ParallelLaunchStatus::Case::unsupported);

    auto quitting =
        manager.otherCopiesQuitter().quitOtherLogicIfNeeded(HostPath::fileURL(logicPath), LaunchArchitecture::native);
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
    EXPECT_EQ(manager.runningInstances().runningLogicInstances().size(), 1);
}
