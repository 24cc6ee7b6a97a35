// End to end: whole launches through the real LaunchManager, the simulated Mac's open
// command and workspace, and real stand-in Logic Pro processes.
#include "async/Spawner.h"
#include "launch/LaunchManager.h"
#include "model/CpuType.h"
#include "platform/HostPath.h"
#include "simhost/BundleWriter.h"
#include "simhost/EventLog.h"
#include "simhost/SimulatedLaunchServices.h"
#include "simhost/StandInBehavior.h"
#include "support/HybridDriver.h"
#include "support/LaunchLogReader.h"
#include "support/TaskTesting.h"
#include "support/TempSimulatedMac.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::testing;

namespace {

struct LaunchFlowTest : ::testing::Test {
    TempSimulatedMac mac;
    const QString logicPath = QStringLiteral("/Applications/Logic Pro.app");
    const QString wrongPath = QStringLiteral("/Applications/Logic Pro Odd.app");
    std::unique_ptr<LaunchManager> manager;

    void SetUp() override
    {
        mac.mac().setRosettaInstalled(true);
        mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
        mac.addLogicBundle(logicPath, {});
        mac.addLogicBundle(wrongPath, {{QStringLiteral("wrongArchitecture"), true}});
        mac.writeFile(QStringLiteral("~/Music/Song.logicx/Alternatives/000/ProjectData"), "x");
        manager = std::make_unique<LaunchManager>();
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
}

TEST_F(LaunchFlowTest, ACopyStartingInTheWrongArchitectureFailsAfterTheFallback)
{
    auto outcome = launch(wrongPath, LaunchArchitecture::rosetta, LaunchAction::launch);
    ASSERT_TRUE(outcome.error);
    // The open command's copy fails verification; the workspace's copy reports its
    // architecture at once, so the fallback ends with the workspace's own wording.
    const QStringList lines = log();
    EXPECT_TRUE(
        lines.contains(QStringLiteral("primary open failed: Launch failed: Requested Rosetta, but Logic Pro started as "
                                      "arm64 (Native). — trying NSWorkspace")));
    EXPECT_EQ(launcherErrorText(outcome.error),
              "Launch failed: NSWorkspace returned arm64 (Native) instead of Rosetta.");
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("launch FAILED: ")));
    EXPECT_EQ(SimulatedLaunchServices::preference(mac.mac().state(), wrongPath), QStringLiteral("arm64")) << "restored";
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
