#include "launch/LaunchTesting.h"
#include "launch/WithTimeout.h"

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

struct VerificationTest : LaunchTest {
    const QString songPath = QStringLiteral("/Users/tester/Music/Song.logicx");
    const QUrl songURL = HostPath::fileURL(songPath);
    int documentOpens = 0;

    LaunchVerifier& verifier() { return manager->launchVerifier(); }
    DocumentHandoff& documents() { return manager->documentHandoff(); }
};

} // namespace

TEST_F(VerificationTest, ChoosesTheNewProcessOverAnOldOne)
{
    workspace.add(2001, logicPath, CpuType::x86_64);
    workspace.add(2002, logicPath, CpuType::x86_64);
    auto start = mac.clock().now();
    auto outcome = run(verifier().verifyArchitecture(logicURL, LaunchArchitecture::rosetta, {2001}, false));
    ASSERT_FALSE(outcome.error);
    EXPECT_EQ(mac.clock().now() - start, 500ms) << "the first probe at least 0.45 s after the first match";
    EXPECT_EQ(steps().last(), QStringLiteral("verified stable rosetta pid=2002"));
    EXPECT_EQ(workspace.journal.last(), QStringLiteral("activate 2002 options=1"));

    start = mac.clock().now();
    auto old = run(verifier().verifyArchitecture(logicURL, LaunchArchitecture::rosetta, {2001, 2002}, true));
    ASSERT_FALSE(old.error);
    EXPECT_EQ(mac.clock().now() - start, 1250ms) << "the longer settle time";
    EXPECT_EQ(steps().last(), QStringLiteral("verified stable rosetta pid=2001")) << "all old: the first";
}

TEST_F(VerificationTest, AnInstanceThatRanBeforeTheLaunchIsNeverWrong)
{
    // The same copy left running under Rosetta while a native instance is asked for.
    workspace.add(2011, logicPath, CpuType::x86_64);
    workspace.add(2012, logicPath, CpuType::arm64);
    auto outcome = run(verifier().verifyArchitecture(logicURL, LaunchArchitecture::native, {2011}, false));
    ASSERT_FALSE(outcome.error) << launcherErrorText(outcome.error);
    EXPECT_TRUE(steps().contains(QStringLiteral("verify matches=[2012] wrong=[]")));
    EXPECT_EQ(steps().last(), QStringLiteral("verified stable native pid=2012"));

    // The new instance never appears: the old one is not named as what started.
    workspace.applications.removeLast();
    auto none = run(verifier().verifyArchitecture(logicURL, LaunchArchitecture::native, {2011}, false));
    EXPECT_EQ(launcherError(none.error),
              LauncherError::launchFailed(QStringLiteral("Logic Pro did not start in Native mode.")));
}

TEST_F(VerificationTest, AMatchThatVanishesForOneProbeRestartsTheSettleTime)
{
    auto app = workspace.add(2101, logicPath, CpuType::arm64);
    // Gone during the second probe (0.25 s) only.
    auto flicker = [](ManualClock& clock, std::shared_ptr<FakeRunningApplication> app) -> Task<> {
        co_await clock.sleep(200ms);
        app->policy = RunningApplication::accessory;
        co_await clock.sleep(100ms);
        app->policy = RunningApplication::regular;
    };
    auto flickering = flicker(mac.clock(), app);
    const auto start = mac.clock().now();
    auto outcome = run(verifier().verifyArchitecture(logicURL, LaunchArchitecture::native, {}, false));
    ASSERT_FALSE(outcome.error);
    // Matches at 0, none at 0.25, matches again from 0.5: stable from 0.5, verified at 1.0.
    EXPECT_EQ(mac.clock().now() - start, 1s);
    EXPECT_TRUE(steps().contains(QStringLiteral("verify matches=[] wrong=[]")));
}

TEST_F(VerificationTest, AWrongArchitectureBesideAGoodOneFailsAtTheDeadline)
{
    workspace.add(2201, logicPath, CpuType::x86_64);
    workspace.add(2202, logicPath, CpuType::arm64);
    workspace.add(2203, otherPath, CpuType::arm64); // another copy never counts as wrong
    const auto start = mac.clock().now();
    auto outcome = run(verifier().verifyArchitecture(logicURL, LaunchArchitecture::rosetta, {}, true));
    EXPECT_EQ(launcherError(outcome.error), LauncherError::launchFailed(QStringLiteral(
                                                "Requested Rosetta, but Logic Pro started as arm64 (Native).")));
    EXPECT_EQ(mac.clock().now() - start, 18s);
    EXPECT_TRUE(steps().contains(QStringLiteral("verify matches=[2201] wrong=[\"2202:16777228\"]")));

    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    workspace.applications.clear();
    auto nothing = run(verifier().verifyArchitecture(logicURL, LaunchArchitecture::native, {}, false));
    EXPECT_EQ(launcherError(nothing.error),
              LauncherError::launchFailed(QStringLiteral("Logic Pro не запустился в режиме Нативный.")));
}

TEST_F(VerificationTest, ReadinessWaitsForFinishedLaunchingAndNeverFails)
{
    auto app = workspace.add(2301, logicPath, CpuType::arm64);
    app->finishedLaunching = false;
    const auto start = mac.clock().now();
    auto outcome = run(verifier().waitUntilLogicReady(logicURL, LaunchArchitecture::native, true));
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(mac.clock().now() - start, 25s);
    EXPECT_EQ(steps().last(), QStringLiteral("Logic ready wait timed out — proceeding with document open anyway"));

    app->finishedLaunching = true;
    const auto warm = mac.clock().now();
    run(verifier().waitUntilLogicReady(logicURL, LaunchArchitecture::native, false));
    EXPECT_EQ(mac.clock().now() - warm, 500ms) << "first probe at least 0.35 s after it was first seen";
    EXPECT_EQ(steps().last(), QStringLiteral("Logic ready pid=2301 finishedLaunching=true"));
}

TEST_F(VerificationTest, TimeoutsReportOnlyOnceTheOperationHasEnded)
{
    auto quick = run(withTimeout(mac.clock(), 4s, [&]() -> Task<int> {
        co_await mac.clock().sleep(1s);
        co_return 7;
    }));
    EXPECT_EQ(quick.value, 7);
    EXPECT_EQ(mac.clock().sleeperCount(), 0u) << "the operation won: its timer is cancelled, not left pending";

    auto failing = run(withTimeout(mac.clock(), 4s, []() -> Task<int> {
        throw LauncherError::notLogicPro();
        co_return 0;
    }));
    EXPECT_EQ(launcherError(failing.error), LauncherError::notLogicPro());

    const auto start = mac.clock().now();
    auto slow = run(withTimeout(mac.clock(), 4s, [&]() -> Task<> { co_await mac.clock().sleep(6s); }));
    EXPECT_EQ(launcherError(slow.error), LauncherError::launchFailed(QStringLiteral("timed out")));
    EXPECT_EQ(mac.clock().now() - start, 6s) << "not after 4 s: the operation ignores the timeout";
}

TEST_F(VerificationTest, HandoffMakesEveryAttemptAndSucceedsIfAnyDid)
{
    mac.writeFile(QStringLiteral("~/Music/Song.logicx"), "project");
    workspace.add(2401, logicPath, CpuType::arm64);
    workspace.onOpenDocuments = [](const QList<QUrl>&, const QUrl&, const OpenConfiguration&) -> Task<OpenResult> {
        co_return OpenResult{nullptr, QStringLiteral("busy")};
    };
    // open -a fails for every attempt but the last.
    int fallbacks = 0;
    commands.handler = [&](const QString&, const QStringList&) -> Task<CommandRunner::Result> {
        ++fallbacks;
        co_return CommandRunner::Result{fallbacks == 4 ? 0 : 1, {}};
    };
    auto outcome = run(documents().openDocumentReliably(songURL, logicURL, LaunchArchitecture::native, true));
    ASSERT_FALSE(outcome.error);
    const QStringList lines = steps();
    EXPECT_EQ(lines
                  .filter(QStringLiteral(
                      "NSWorkspace document open failed: Launch failed: busy — falling back to /usr/bin/open"))
                  .size(),
              4);
    EXPECT_TRUE(lines.contains(
        QStringLiteral("document open attempt 1 failed: Launch failed: open document exited with status 1")));
    EXPECT_EQ(lines.last(), QStringLiteral("document handoff sequence finished: ") + songPath);
    EXPECT_EQ(workspace.journal.filter(QStringLiteral("activate 2401")).size(), 4);
    EXPECT_EQ(
        workspace.journal.filter(QStringLiteral("run /usr/bin/open -a /Applications/Logic Pro.app ") + songPath).size(),
        4);
    // Access to the project is held from before the first attempt to after the last.
    const QStringList scoped = workspace.journal.filter(QStringLiteral("scope "));
    ASSERT_EQ(scoped,
              (QStringList{QStringLiteral("scope start ") + songPath, QStringLiteral("scope stop ") + songPath}));
    EXPECT_LT(workspace.journal.indexOf(scoped.first()),
              workspace.journal.indexOf(QStringLiteral("activate 2401 options=1")));
    EXPECT_EQ(workspace.journal.last(), scoped.last());

    // A failed handoff gives access back too; access that was not granted is not.
    workspace.journal.clear();
    fallbacks = -100;
    auto none = run(documents().openDocumentReliably(songURL, logicURL, LaunchArchitecture::native, false));
    EXPECT_EQ(launcherError(none.error),
              LauncherError::launchFailed(QStringLiteral("Could not open project in Logic Pro: ") + songPath));
    scope.grants = false;
    run(documents().openDocumentReliably(songURL, logicURL, LaunchArchitecture::native, false));
    EXPECT_EQ(workspace.journal.filter(QStringLiteral("scope ")),
              (QStringList{QStringLiteral("scope start ") + songPath, QStringLiteral("scope stop ") + songPath,
                           QStringLiteral("scope start ") + songPath}));

    auto missing = run(documents().openDocumentReliably(HostPath::fileURL(QStringLiteral("/nowhere/X.logicx")),
                                                        logicURL, LaunchArchitecture::native, true));
    EXPECT_EQ(launcherError(missing.error),
              LauncherError::launchFailed(QStringLiteral("Project not found: /nowhere/X.logicx")));
    EXPECT_EQ(workspace.journal.filter(QStringLiteral("scope ")).size(), 3) << "no access asked for a missing file";
}

TEST_F(VerificationTest, AnAttemptThatHangsTimesOutAndTheNextOneFollows)
{
    mac.writeFile(QStringLiteral("~/Music/Song.logicx"), "project");
    workspace.add(2501, logicPath, CpuType::arm64);
    int calls = 0;
    workspace.onOpenDocuments = [&](const QList<QUrl>&, const QUrl&, const OpenConfiguration&) -> Task<OpenResult> {
        if (++calls == 1) {
            co_await mac.clock().sleep(6s);
        }
        co_return OpenResult{nullptr, std::nullopt};
    };
    auto outcome = run(documents().openDocumentReliably(songURL, logicURL, LaunchArchitecture::native, false));
    ASSERT_FALSE(outcome.error);
    EXPECT_TRUE(steps().contains(QStringLiteral("document open attempt 1 failed: Launch failed: timed out")));
    EXPECT_EQ(calls, 2);
}
