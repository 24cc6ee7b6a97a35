// End to end: the launcher's view model over the demo installations of a temporary
// simulated Mac, launching a real stand-in process.
#include "installations/ArchitectureDetector.h"
#include "installations/LogicScanner.h"
#include "installations/VersionReader.h"
#include "log/LaunchLogger.h"
#include "model/CpuType.h"
#include "platform/HostPath.h"
#include "simhost/fixtures/DemoMac.h"
#include "simhost/machine/EventLog.h"
#include "support/HostObjects.h"
#include "support/HybridDriver.h"
#include "support/LaunchLogReader.h"
#include "support/TempSimulatedMac.h"
#include "viewmodels/LauncherViewModel.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

TEST(LauncherViewModelE2E, ACardClickLaunchesThatCopyInThatModeThenTerminates)
{
    TempSimulatedMac mac;
    ASSERT_TRUE(sim::populateDemo(mac.mac()));
    Services services(test::host());
    LauncherViewModel model(services.launcherCollaborators(nullptr));
    QStringList shell;
    model.onBusyLaunchingChanged = [&](bool busy) {
        shell << (busy ? QStringLiteral("busy") : QStringLiteral("idle"));
    };
    model.onHideForLaunch = [&](std::function<void()> done) {
        shell << QStringLiteral("hide");
        // A project handed over now is not the launch's: it is not opened, and says so.
        model.setPendingProject(HostPath::fileURL(QStringLiteral("/Users/tester/Music/Late.logicx")));
        done();
    };
    model.onTerminateAfterLaunch = [&] {
        shell << QStringLiteral("terminate");
        // By now the copy runs, verified.
        EXPECT_EQ(mac.host().workspace().runningApplications().size(), 1);
    };
    model.onRevealAfterFailedLaunch = [&] { shell << QStringLiteral("reveal"); };

    model.refresh();
    QStringList names;
    for (const ResolvedLogicApp& resolved : model.resolvedApps()) {
        names << resolved.app.displayName;
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("Logic Pro"), QStringLiteral("Logic Pro Beta"),
                                  QStringLiteral("Logic Pro X"), QStringLiteral("Logic Pro X 10.4")}));
    EXPECT_EQ(model.cards().size(), 7);

    const LaunchCard* rosetta = nullptr;
    for (const LaunchCard& card : model.cards()) {
        if (card.app.displayName == u"Logic Pro X" && card.architecture == LaunchArchitecture::rosetta) {
            rosetta = &card;
        }
    }
    ASSERT_TRUE(rosetta);
    model.handleCardClick(*rosetta);
    auto pending = model.tasks().waitForPending();
    ASSERT_TRUE(runHybrid(mac.clock(), pending));

    EXPECT_EQ(shell, (QStringList{QStringLiteral("busy"), QStringLiteral("busy"), QStringLiteral("hide"),
                                  QStringLiteral("terminate"), QStringLiteral("idle")}));
    const auto running = mac.host().workspace().runningApplications();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0]->bundleURL(), HostPath::fileURL(QStringLiteral("/Applications/Logic Pro X.app")));
    EXPECT_EQ(running[0]->executableArchitecture(), CpuType::x86_64);
    EXPECT_FALSE(sim::EventLog(mac.mac().state()).events().filter(QStringLiteral("document-open")).size());
    test::logger().flush();
    EXPECT_TRUE(launchLogMessages(mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log")))
                    .contains(QStringLiteral("project handed over during the launch was not opened: "
                                             "/Users/tester/Music/Late.logicx")));
}
