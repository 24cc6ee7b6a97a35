#include "launch/LaunchTesting.h"
#include "simhost/adapters/SimulatedLaunchServices.h"

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

struct OpeningTest : LaunchTest {
    const QString songPath = QStringLiteral("/Users/tester/Music/Song.logicx");
    const QUrl songURL = HostPath::fileURL(songPath);

    void SetUp() override
    {
        LaunchTest::SetUp();
        mac.writeFile(QStringLiteral("~/Music/Song.logicx"), "project");
        workspace.onOpenDocuments = [](const QList<QUrl>&, const QUrl&, const OpenConfiguration&) -> Task<OpenResult> {
            co_return OpenResult{nullptr, std::nullopt};
        };
    }

    // `/usr/bin/open -n` starts a process of the bundle in the given architecture; other
    // open commands succeed without effect.
    void openStarts(qint32 pid, int cpuType, int status = 0)
    {
        commands.handler = [this, pid, cpuType, status](const QString&,
                                                        const QStringList& arguments) -> Task<CommandRunner::Result> {
            if (arguments.value(0) == u"-n" && status == 0) {
                workspace.add(pid, arguments.value(4), cpuType);
            }
            co_return CommandRunner::Result{arguments.value(0) == u"-n" ? status : 0, {}};
        };
    }

    void workspaceStarts(qint32 pid, int cpuType)
    {
        workspace.onOpenApplication = [this, pid, cpuType](const QUrl& url,
                                                           const OpenConfiguration&) -> Task<OpenResult> {
            auto application = workspace.add(pid, url.toLocalFile(), cpuType);
            co_return OpenResult{application, std::nullopt};
        };
    }

    ApplicationOpener& opener() { return manager->applicationOpener(); }

    QString lsPreference() { return sim::SimulatedLaunchServices::preference(mac.mac().state(), logicPath); }
};

} // namespace

TEST_F(OpeningTest, PrimaryWaySucceedsAndLeavesThePreferenceForced)
{
    openStarts(1001, CpuType::x86_64);
    const auto start = mac.clock().now();
    auto outcome = run(opener().openApplication(logicURL, LaunchArchitecture::rosetta, std::nullopt));
    ASSERT_FALSE(outcome.error);
    EXPECT_EQ(steps(),
              (QStringList{
                  QStringLiteral("LS pref before=nil → rosetta"), QStringLiteral("LS pref now=x86_64"),
                  QStringLiteral("open -n --arch x86_64 -a /Applications/Logic Pro.app"),
                  QStringLiteral("verify matches=[1001] wrong=[]"), QStringLiteral("verify matches=[1001] wrong=[]"),
                  QStringLiteral("verify matches=[1001] wrong=[]"), QStringLiteral("verified stable rosetta pid=1001"),
                  QStringLiteral("launch OK as rosetta; LS pref left at x86_64 (not restored)")}));
    EXPECT_EQ(mac.clock().now() - start, 500ms) << "settled at the first probe 0.45 s after the first match";
    EXPECT_EQ(lsPreference(), QStringLiteral("x86_64"));
    EXPECT_TRUE(workspace.journal.contains(QStringLiteral("activate 1001 options=1")));
    EXPECT_FALSE(steps().join(u'\n').contains(QStringLiteral("startupAction")));
}

TEST_F(OpeningTest, AFailingOpenCommandFallsBackToTheWorkspace)
{
    openStarts(0, CpuType::x86_64, 1);
    workspaceStarts(1101, CpuType::x86_64);
    auto outcome = run(opener().openApplication(logicURL, LaunchArchitecture::rosetta, std::nullopt));
    ASSERT_FALSE(outcome.error);
    const QStringList lines = steps();
    EXPECT_TRUE(lines.contains(QStringLiteral(
        "primary open failed: Launch failed: open --arch x86_64 exited with status 1. — trying NSWorkspace")));
    EXPECT_EQ(lines.last(), QStringLiteral("NSWorkspace launch OK; LS pref left at rosetta"));
    EXPECT_TRUE(workspace.journal.contains(
        QStringLiteral("openApplication /Applications/Logic Pro.app new=1 arch=16777223 activates=1")));
}

TEST_F(OpeningTest, TheWorkspaceStartingTheWrongArchitectureFailsTheLaunchAndRestoresThePreference)
{
    openStarts(0, CpuType::x86_64, 1);
    workspaceStarts(1201, CpuType::arm64);
    auto outcome = run(opener().openApplication(logicURL, LaunchArchitecture::rosetta, std::nullopt));
    const auto error = launcherError(outcome.error);
    EXPECT_EQ(error,
              LauncherError::launchFailed(QStringLiteral("NSWorkspace returned arm64 (Native) instead of Rosetta.")));
    EXPECT_EQ(
        steps().last(),
        QStringLiteral(
            "launch FAILED: Launch failed: NSWorkspace returned arm64 (Native) instead of Rosetta.; LS pref restored"));
    EXPECT_EQ(lsPreference(), QStringLiteral("arm64")) << "nothing was recorded before, so arm64";
}

TEST_F(OpeningTest, VerificationFailureAfterTheOpenCommandAlsoFallsBack)
{
    openStarts(1301, CpuType::arm64); // open "succeeds" but the copy runs natively
    workspace.onOpenApplication = [](const QUrl&, const OpenConfiguration&) -> Task<OpenResult> {
        co_return OpenResult{nullptr, QStringLiteral("The application cannot be opened.")};
    };
    const auto start = mac.clock().now();
    auto outcome = run(opener().openApplication(logicURL, LaunchArchitecture::rosetta, std::nullopt));
    EXPECT_EQ(launcherError(outcome.error),
              LauncherError::launchFailed(QStringLiteral("The application cannot be opened.")));
    const QStringList lines = steps();
    EXPECT_TRUE(lines.contains(QStringLiteral("verify matches=[] wrong=[\"1301:16777228\"]")));
    EXPECT_TRUE(lines.contains(QStringLiteral("primary open failed: Launch failed: Requested Rosetta, but Logic Pro "
                                              "started as arm64 (Native). — trying NSWorkspace")));
    EXPECT_EQ(mac.clock().now() - start, 12s);
}

TEST_F(OpeningTest, ADocumentForACopyAlreadyRunningInTheModeIsOnlyHandedOver)
{
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), 1);
    workspace.add(1401, logicPath, CpuType::arm64);
    workspace.add(1402, logicPath, CpuType::x86_64);
    auto outcome = run(opener().openApplication(logicURL, LaunchArchitecture::native, songURL));
    ASSERT_FALSE(outcome.error);
    const QStringList lines = steps();
    EXPECT_EQ(lines.first(), QStringLiteral("startupAction → doNothing for document open"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Logic already running in native — opening document only")));
    EXPECT_TRUE(lines.contains(QStringLiteral("waiting for Logic ready (coldStart=false)")));
    EXPECT_EQ(lines.filter(QStringLiteral("document open attempt ")).size(), 2);
    EXPECT_TRUE(lines.filter(QStringLiteral("LS pref")).isEmpty());
    EXPECT_TRUE(commands.handler == nullptr && workspace.journal.filter(QStringLiteral("run ")).isEmpty());
    mac.clock().advance(0ms); // restored at once, in its own task
    EXPECT_EQ(steps().last(), QStringLiteral("startupAction restored after document open"));
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 1);
}

TEST_F(OpeningTest, AColdStartWithADocumentSettlesLongerAndRestoresLater)
{
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    openStarts(1501, CpuType::arm64);
    auto outcome = run(opener().openApplication(logicURL, LaunchArchitecture::native, songURL));
    ASSERT_FALSE(outcome.error);
    const QStringList lines = steps();
    EXPECT_EQ(lines.filter(QStringLiteral("verify matches=[1501]")).size(), 6) << "1.25 s of settling";
    EXPECT_TRUE(lines.contains(QStringLiteral("waiting for Logic ready (coldStart=true)")));
    EXPECT_EQ(lines.filter(QStringLiteral("document open attempt ")).size(), 4);
    EXPECT_EQ(lines.last(), QStringLiteral("launch OK as native; LS pref left at arm64 (not restored)"));
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 0) << "restored 6 s later, not yet";
    mac.clock().advance(6s);
    EXPECT_EQ(logic->value(QStringLiteral("startupAction")), std::nullopt);
    EXPECT_EQ(steps().last(), QStringLiteral("startupAction restored after document open"));
}

TEST_F(OpeningTest, AMissingLaunchServicesSetterUndoesTheDocumentsOverride)
{
    sim::SimulatedLaunchServices::setAvailable(mac.mac().state(), false);
    rebuildManager();
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), 1);
    auto outcome = run(opener().openApplication(logicURL, LaunchArchitecture::rosetta, songURL));
    EXPECT_EQ(launcherError(outcome.error),
              LauncherError::preferenceMutationFailed(
                  QStringLiteral("Cannot force Rosetta: Launch Services architecture preference is unavailable.")));
    EXPECT_TRUE(workspace.journal.filter(QStringLiteral("run ")).isEmpty()) << "no process started";
    mac.clock().advance(0ms);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 1);
}

TEST_F(OpeningTest, ABundleWithoutIdentifierOverridesLogicsDefaultDomain)
{
    ASSERT_TRUE(sim::writeBundle(
        mac.fs(), {.path = QStringLiteral("/Applications/Logic Pro Anon.app"), .shortVersion = QStringLiteral("1")}));
    openStarts(1601, CpuType::arm64);
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    auto outcome = run(opener().openApplication(HostPath::fileURL(QStringLiteral("/Applications/Logic Pro Anon.app")),
                                                LaunchArchitecture::native, songURL));
    ASSERT_FALSE(outcome.error);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 0);
    mac.clock().runUntilIdle();
    EXPECT_EQ(logic->value(QStringLiteral("startupAction")), std::nullopt);
}

TEST_F(OpeningTest, TheRequestFlow)
{
    // Nothing on disk: refused before anything happens.
    auto missing = run(manager->launch(HostPath::fileURL(QStringLiteral("/Applications/Gone.app")),
                                       LaunchArchitecture::native, LaunchAction::launch, false, std::nullopt));
    EXPECT_EQ(launcherError(missing.error), LauncherError::appNotFound(QStringLiteral("/Applications/Gone.app")));
    EXPECT_EQ(
        steps(),
        (QStringList{QStringLiteral("launch request mode=native action=launch path=/Applications/Gone.app doc=nil"),
                     QStringLiteral("canLaunch failed: Logic Pro was not found at “/Applications/Gone.app”.")}));

    // A project that is not there: refused before anything starts.
    const QString gone = QStringLiteral("/Users/tester/Gone.logicx");
    auto noProject = run(
        manager->launch(logicURL, LaunchArchitecture::native, LaunchAction::launch, false, HostPath::fileURL(gone)));
    EXPECT_EQ(launcherError(noProject.error), LauncherError::projectNotFound(gone));
    EXPECT_TRUE(workspace.journal.filter(QStringLiteral("run ")).isEmpty());
    EXPECT_EQ(steps().last(), QStringLiteral("canLaunch failed: Project not found: “") + gone + QStringLiteral("”."));

    // The same copy already in the mode and no project: activated, nothing launched.
    workspace.add(1701, logicPath, CpuType::arm64);
    auto activated =
        run(manager->launch(logicURL, LaunchArchitecture::native, LaunchAction::launchSafeMode, true, std::nullopt));
    ASSERT_FALSE(activated.error);
    EXPECT_EQ(steps().last(), QStringLiteral("activated existing native instance"));
    EXPECT_TRUE(steps().contains(QStringLiteral("parallel=This Logic Pro is already running in Native mode.")));
    EXPECT_TRUE(workspace.journal.filter(QStringLiteral("key-")).isEmpty());

    // A support action is no launch request.
    auto support =
        run(manager->launch(logicURL, LaunchArchitecture::rosetta, LaunchAction::openPreferences, false, std::nullopt));
    EXPECT_EQ(launcherError(support.error), LauncherError::operationCancelled());

    // A refusal quits nothing, even with another copy running and quitting on.
    workspace.journal.clear();
    workspace.add(1702, otherPath, CpuType::arm64);
    mac.mac().setRosettaInstalled(false);
    rebuildManager();
    auto refused =
        run(manager->launch(logicURL, LaunchArchitecture::rosetta, LaunchAction::launch, false, std::nullopt));
    EXPECT_EQ(launcherError(refused.error), LauncherError::rosettaNotInstalled());
    EXPECT_TRUE(workspace.journal.filter(QStringLiteral("terminate")).isEmpty());

    // The parallel status is the state before the other copy is quit.
    workspace.probe.setDead(1701);
    openStarts(1703, CpuType::arm64);
    auto quitting =
        run(manager->launch(logicURL, LaunchArchitecture::native, LaunchAction::launch, false, std::nullopt));
    ASSERT_FALSE(quitting.error) << launcherErrorText(quitting.error);
    EXPECT_TRUE(workspace.journal.contains(QStringLiteral("terminate 1702")));
    EXPECT_TRUE(steps().contains(QStringLiteral("parallel=Different Logic installations can run side by side.")));
}

TEST_F(OpeningTest, SafeModeReleasesControlExactlyOnceEvenWhenTheLaunchFails)
{
    openStarts(0, CpuType::arm64, 1);
    auto outcome = run(opener().launchSafeMode(logicURL, LaunchArchitecture::native, std::nullopt));
    EXPECT_TRUE(outcome.error);
    EXPECT_EQ(workspace.journal.filter(QStringLiteral("key-")),
              (QStringList{QStringLiteral("key-down 59 flags=262144"), QStringLiteral("key-up 59 flags=0")}));

    workspace.journal.clear();
    openStarts(1801, CpuType::arm64);
    const auto start = mac.clock().now();
    auto good = run(opener().launchSafeMode(logicURL, LaunchArchitecture::native, std::nullopt));
    ASSERT_FALSE(good.error);
    const QStringList keys = workspace.journal.filter(QStringLiteral("key-"));
    EXPECT_EQ(keys, (QStringList{QStringLiteral("key-down 59 flags=262144"), QStringLiteral("key-up 59 flags=0")}));
    EXPECT_EQ(workspace.journal.first(), QStringLiteral("key-down 59 flags=262144"))
        << "Control is down before the start";
    EXPECT_EQ(mac.clock().now() - start, 150ms + 500ms + 2s);
}

TEST_F(OpeningTest, WithoutRecentProjectRestoresBeforeAFailureReturns)
{
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), 1);
    openStarts(0, CpuType::arm64, 1);
    auto failed = run(opener().launchWithoutRecentProject(logicURL, LaunchArchitecture::native));
    EXPECT_TRUE(failed.error);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 1) << "restored at once, before the error";

    openStarts(1901, CpuType::arm64);
    TaskOutcome<void> outcome;
    auto observer = observe(opener().launchWithoutRecentProject(logicURL, LaunchArchitecture::native), outcome);
    mac.clock().advance(1s); // verified at 0.5 s, then the 1.5 s wait
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 0);
    mac.clock().advance(1s);
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 1);

    // With a project the request goes through the ordinary opening instead.
    workspace.probe.setDead(1901);
    openStarts(1902, CpuType::arm64);
    auto withProject = run(manager->launch(logicURL, LaunchArchitecture::native,
                                           LaunchAction::launchWithoutRecentProject, false, songURL));
    ASSERT_FALSE(withProject.error);
    EXPECT_TRUE(steps().contains(QStringLiteral("startupAction → doNothing for document open")));
}

TEST_F(OpeningTest, ADocumentLaunchThatFailsBothWaysRestoresTheStartupAction)
{
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), 1);
    openStarts(0, CpuType::arm64, 1); // the open command fails, and the workspace has no handler
    auto outcome = run(manager->launch(logicURL, LaunchArchitecture::native, LaunchAction::launch, false, songURL));
    EXPECT_EQ(launcherError(outcome.error), LauncherError::launchFailed(QStringLiteral("no handler")));
    mac.clock().runUntilIdle();
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 1);
    EXPECT_EQ(steps().last(), QStringLiteral("startupAction restored after document open"));
}
