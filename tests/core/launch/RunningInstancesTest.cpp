#include "launch/LaunchTesting.h"

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

struct RunningInstancesTest : LaunchTest {
    RunningInstances& instances() { return manager->runningInstances(); }
    OtherCopiesQuitter& quitter() { return manager->otherCopiesQuitter(); }
};

} // namespace

TEST_F(RunningInstancesTest, OnlyLiveLogicProcessesCountAndEachEntryIsLogged)
{
    auto live = workspace.add(501, logicPath);
    auto stale = workspace.add(502, logicPath);
    workspace.probe.setDead(502);
    auto foreign = workspace.add(503, otherPath, CpuType::x86_64);
    workspace.probe.setForeign(503);
    auto extension = workspace.add(504, logicPath + QStringLiteral("/Contents/PlugIns/Share.appex"));
    extension->identifier = QStringLiteral("com.apple.logic10.share");
    auto quickLook = workspace.add(505, logicPath);
    quickLook->identifier = QStringLiteral("com.apple.logic.QuickLook");
    auto accessory = workspace.add(506, logicPath);
    accessory->policy = RunningApplication::accessory;
    auto notApple = workspace.add(507, logicPath);
    notApple->identifier = QStringLiteral("com.example.logic");
    auto garageBand = workspace.add(508, QStringLiteral("/Applications/GarageBand.app"));
    garageBand->identifier = QStringLiteral("com.apple.garageband10");
    auto anyLogic = workspace.add(509, QStringLiteral("/Applications/Logic Remote.app"));
    anyLogic->identifier = QStringLiteral("com.apple.logicremote");
    auto extensionID = workspace.add(510, logicPath);
    extensionID->identifier = QStringLiteral("com.apple.logic10.extension");
    auto noURL = workspace.add(511, logicPath);
    noURL->url.reset();

    const auto running = instances().runningLogicInstances();
    QList<qint32> pids;
    for (const auto& application : running) {
        pids << application->processIdentifier();
    }
    EXPECT_EQ(pids, (QList<qint32>{501, 503, 509, 511}));
    EXPECT_EQ(
        log(),
        (QStringList{
            QStringLiteral("detected running Logic: pid=501 path=/Applications/Logic Pro.app id=com.apple.logic10"),
            QStringLiteral("ignoring stale/helper Logic entry: pid=502 policy=0 alive=false id=com.apple.logic10 "
                           "path=/Applications/Logic Pro.app"),
            QStringLiteral("detected running Logic: pid=503 path=/Applications/Logic Pro X.app id=com.apple.logic10"),
            QStringLiteral("ignoring stale/helper Logic entry: pid=504 policy=0 alive=true id=com.apple.logic10.share "
                           "path=/Applications/Logic Pro.app/Contents/PlugIns/Share.appex"),
            QStringLiteral("ignoring stale/helper Logic entry: pid=505 policy=0 alive=true "
                           "id=com.apple.logic.QuickLook path=/Applications/Logic Pro.app"),
            QStringLiteral("ignoring stale/helper Logic entry: pid=506 policy=1 alive=true id=com.apple.logic10 "
                           "path=/Applications/Logic Pro.app"),
            QStringLiteral(
                "detected running Logic: pid=509 path=/Applications/Logic Remote.app id=com.apple.logicremote"),
            QStringLiteral("ignoring stale/helper Logic entry: pid=510 policy=0 alive=true "
                           "id=com.apple.logic10.extension path=/Applications/Logic Pro.app"),
            QStringLiteral("detected running Logic: pid=511 path=? id=com.apple.logic10"),
        }));
    EXPECT_FALSE(instances().isLive(0));
    EXPECT_FALSE(instances().isLive(-4));
    EXPECT_TRUE(RunningInstances::isLogicProBundleID(QStringLiteral("com.apple.logicpro.beta")));
    EXPECT_FALSE(RunningInstances::isLogicProBundleID(QStringLiteral("com.apple.logic10.extensionkit")));
    EXPECT_FALSE(RunningInstances::isLogicProBundleID(QStringLiteral("com.apple.mainstage3")));
}

TEST_F(RunningInstancesTest, ParallelStatusForEachSituation)
{
    EXPECT_EQ(instances().parallelLaunchStatus(logicURL, LaunchArchitecture::native),
              ParallelLaunchStatus::allowed(QStringLiteral("No other Logic Pro instances are running.")));
    workspace.add(601, otherPath);
    EXPECT_EQ(instances().parallelLaunchStatus(logicURL, LaunchArchitecture::native),
              ParallelLaunchStatus::allowed(QStringLiteral("Different Logic installations can run side by side.")));
    workspace.add(602, logicPath + QStringLiteral("/"), CpuType::arm64);
    EXPECT_EQ(instances().parallelLaunchStatus(logicURL, LaunchArchitecture::rosetta).kind,
              ParallelLaunchStatus::Case::tentative);
    EXPECT_EQ(instances().parallelLaunchStatus(HostPath::fileURL(QStringLiteral("/Applications/./Logic Pro.app")),
                                               LaunchArchitecture::native),
              ParallelLaunchStatus::unsupported(QStringLiteral("This Logic Pro is already running in Native mode.")));
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    EXPECT_EQ(instances().parallelLaunchStatus(logicURL, LaunchArchitecture::rosetta).message,
              QStringLiteral(
                  "Уже запущена другая архитектура этой копии Logic Pro. Будет запрошен второй экземпляр; Logic может "
                  "отказать из\u2011за общих ресурсов."));

    instances().activateExisting(logicURL, LaunchArchitecture::rosetta);
    EXPECT_TRUE(workspace.journal.isEmpty()) << "no instance in that mode";
    instances().activateExisting(logicURL, LaunchArchitecture::native);
    EXPECT_EQ(workspace.journal, QStringList{QStringLiteral("activate 602 options=1")});
}

TEST_F(RunningInstancesTest, QuitsOtherInstallationsAndTheOtherModeButNeverTheKeptOne)
{
    workspace.add(701, otherPath, CpuType::x86_64);            // another installation
    workspace.add(702, logicPath, CpuType::x86_64);            // this one, other mode
    workspace.add(703, logicPath, CpuType::arm64);             // this one, requested mode
    workspace.add(704, logicPath, CpuType::unknown);           // this one, unknown mode
    auto gone = workspace.add(705, otherPath, CpuType::arm64); // already terminated
    workspace.probe.setDead(705);
    (void)gone;
    const auto start = mac.clock().now();
    auto outcome = run(quitter().quitOtherLogicIfNeeded(logicURL, LaunchArchitecture::native));
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(workspace.journal,
              (QStringList{QStringLiteral("activate 701 options=1"), QStringLiteral("terminate 701"),
                           QStringLiteral("activate 702 options=1"), QStringLiteral("terminate 702")}));
    const QStringList lines = log();
    EXPECT_TRUE(
        lines.contains(QStringLiteral("graceful quit of 2 other Logic instance(s) before switching version/mode")));
    EXPECT_EQ(lines.filter(QStringLiteral("other Logic instance(s) quit")).size(), 1);
    EXPECT_EQ(lines.last(), QStringLiteral("other Logic instance(s) quit"));
    // Two 0.2 s pauses before the requests, the first poll finds them gone, then 0.3 s.
    EXPECT_EQ(mac.clock().now() - start, 700ms);
}

TEST_F(RunningInstancesTest, NothingToQuitOrPreferenceOff)
{
    workspace.add(801, logicPath, CpuType::arm64);
    auto outcome = run(quitter().quitOtherLogicIfNeeded(logicURL, LaunchArchitecture::native));
    EXPECT_FALSE(outcome.error);
    EXPECT_TRUE(workspace.journal.isEmpty());
    EXPECT_TRUE(log().filter(QStringLiteral("graceful quit")).isEmpty());

    workspace.add(802, otherPath);
    mac.host().standardDefaults()->setValue(QStringLiteral("closeOtherLogicOnLaunch"), false);
    EXPECT_FALSE(quitter().shouldCloseOtherLogicOnLaunch());
    run(quitter().quitOtherLogicIfNeeded(logicURL, LaunchArchitecture::native));
    EXPECT_TRUE(workspace.journal.isEmpty());
    EXPECT_EQ(log().last(), QStringLiteral("skipping quit of other Logic (preference off)"));
}

TEST_F(RunningInstancesTest, ARefusalBecomesACancelAtExactlyTheDeadline)
{
    auto stubborn = workspace.add(901, otherPath);
    stubborn->quitsAfter.reset();
    auto slow = workspace.add(902, QStringLiteral("/Applications/Logic Pro 9.app"));
    slow->quitsAfter = 30s;
    slow->terminateResult = false; // the request could not be sent, yet the poll decides
    const auto start = mac.clock().now();
    auto outcome = run(quitter().quitOtherLogicInstances(logicURL, LaunchArchitecture::native));
    EXPECT_EQ(launcherError(outcome.error), LauncherError::operationCancelled());
    // 0.4 s of pauses before the requests, then the 120 s deadline.
    EXPECT_EQ(mac.clock().now() - start, 120s + 400ms);
    const QStringList lines = log();
    EXPECT_TRUE(lines.contains(QStringLiteral("terminate() returned false for pid=902")));
    EXPECT_EQ(lines.last(), QStringLiteral("Logic still running after quit request — treating as user cancel"));
}

TEST_F(RunningInstancesTest, AQuitThatEndsDuringTheWaitIsNoticedAtTheNextPoll)
{
    auto slow = workspace.add(951, otherPath);
    slow->quitsAfter = 1s;
    const auto start = mac.clock().now();
    auto outcome = run(quitter().quitOtherLogicInstances(logicURL, LaunchArchitecture::native));
    EXPECT_FALSE(outcome.error);
    // Requested at 0.2 s, gone at 1.2 s, seen at the poll of 1.4 s, then 0.3 s.
    EXPECT_EQ(mac.clock().now() - start, 1700ms);
}
