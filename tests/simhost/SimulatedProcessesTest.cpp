// End to end: real stand-in processes on a temporary simulated Mac.
#include "model/CpuType.h"
#include "platform/HostPath.h"
#include "simhost/adapters/SimulatedLaunchServices.h"
#include "simhost/adapters/SimulatedScripting.h"
#include "simhost/adapters/SimulatedWorkspace.h"
#include "simhost/fixtures/BundleWriter.h"
#include "simhost/machine/EventLog.h"
#include "simhost/machine/ProcessRegistry.h"
#include "simhost/standin/StandInBehavior.h"
#include "support/TempSimulatedMac.h"
#include "support/Waiting.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

#include <cerrno>
#include <csignal>
#include <vector>

using namespace vantrel;
using namespace vantrel::sim;
using vantrel::testing::TempSimulatedMac;
using vantrel::testing::waitUntil;

namespace {

const QString logicPath = QStringLiteral("/Applications/Logic Pro.app");
const QString armOnlyPath = QStringLiteral("/Applications/Logic Pro Beta.app");

struct ProcessesTest : ::testing::Test {
    TempSimulatedMac mac;

    void SetUp() override
    {
        mac.addLogicBundle(logicPath, {}, {{MachO::cpuTypeArm64}, {MachO::cpuTypeX86_64}});
        mac.addLogicBundle(armOnlyPath, {}, {{MachO::cpuTypeArm64}});
        mac.mac().setRosettaInstalled(true);
    }

    Workspace& workspace() { return mac.host().workspace(); }
    QStringList events() { return EventLog(mac.mac().state()).events(); }
    bool sawEvent(const QString& prefix)
    {
        const QStringList all = events();
        return std::any_of(all.cbegin(), all.cend(), [&](const QString& e) { return e.startsWith(prefix); });
    }

    OpenResult openNew(const QString& path, std::optional<int> cpuType)
    {
        auto task = workspace().openApplication(HostPath::fileURL(path), {true, cpuType, true});
        return QCoro::waitFor(task);
    }

    CommandRunner::Result openCommand(const QStringList& arguments)
    {
        auto task = mac.host().commandRunner().run(QStringLiteral("/usr/bin/open"), arguments);
        return QCoro::waitFor(task);
    }

    QString pidField(const RunningApplicationPtr& app)
    {
        return QStringLiteral("pid=") + QString::number(app->processIdentifier());
    }
};

} // namespace

TEST_F(ProcessesTest, OpensInEachArchitectureAndRefusesWhatCannotRun)
{
    auto rosetta = openNew(logicPath, CpuType::x86_64);
    ASSERT_TRUE(rosetta.application) << rosetta.error.value_or(QString()).toStdString();
    EXPECT_EQ(rosetta.application->executableArchitecture(), CpuType::x86_64);
    EXPECT_EQ(rosetta.application->bundleURL(), HostPath::fileURL(logicPath));
    EXPECT_EQ(rosetta.application->bundleIdentifier(), QStringLiteral("com.apple.logic10"));
    EXPECT_EQ(rosetta.application->activationPolicy(), 0);
    EXPECT_FALSE(rosetta.application->isTerminated());
    EXPECT_TRUE(waitUntil([&] { return rosetta.application->isFinishedLaunching(); }));

    auto native = openCommand(
        {QStringLiteral("-n"), QStringLiteral("--arch"), QStringLiteral("arm64"), QStringLiteral("-a"), logicPath});
    EXPECT_EQ(native.exitStatus, 0);
    const auto running = workspace().runningApplications();
    ASSERT_EQ(running.size(), 2) << "-n starts a second instance";
    EXPECT_EQ(running[1]->executableArchitecture(), CpuType::arm64);

    // Refusals: no such slice, Rosetta missing, no such application.
    EXPECT_EQ(openCommand({QStringLiteral("-n"), QStringLiteral("--arch"), QStringLiteral("x86_64"),
                           QStringLiteral("-a"), armOnlyPath})
                  .exitStatus,
              1);
    auto refused = openNew(armOnlyPath, CpuType::x86_64);
    EXPECT_FALSE(refused.application);
    EXPECT_TRUE(refused.error && refused.error->contains(QStringLiteral("Bad CPU type")));
    mac.mac().setRosettaInstalled(false);
    EXPECT_EQ(openCommand({QStringLiteral("-n"), QStringLiteral("--arch"), QStringLiteral("x86_64"),
                           QStringLiteral("-a"), logicPath})
                  .exitStatus,
              1);
    EXPECT_EQ(openCommand({QStringLiteral("-a"), QStringLiteral("/Applications/Nothing.app")}).exitStatus, 1);
    EXPECT_EQ(workspace().runningApplications().size(), 2);

    // A command that cannot start at all reports why.
    auto missing = QCoro::waitFor(mac.host().commandRunner().run(QStringLiteral("/no/such/tool"), {}));
    EXPECT_FALSE(missing.exitStatus.has_value());
    EXPECT_FALSE(missing.startError.isEmpty());
}

TEST_F(ProcessesTest, TerminateQuitsAndKillLeavesAStaleEntry)
{
    mac.addLogicBundle(QStringLiteral("/Applications/Stubborn.app"), {{QStringLiteral("refusesToQuit"), true}},
                       {{MachO::cpuTypeArm64}});
    auto logic = openNew(logicPath, CpuType::arm64).application;
    auto stubborn = openNew(QStringLiteral("/Applications/Stubborn.app"), CpuType::arm64).application;
    ASSERT_TRUE(logic && stubborn);

    EXPECT_TRUE(logic->terminate());
    EXPECT_TRUE(waitUntil([&] { return logic->isTerminated(); }));
    EXPECT_TRUE(waitUntil([&] { return workspace().runningApplications().size() == 1; }))
        << "a graceful quit deregisters";

    EXPECT_TRUE(stubborn->terminate());
    EXPECT_TRUE(waitUntil([&] { return sawEvent(QStringLiteral("quit-refused ") + pidField(stubborn)); }));
    EXPECT_FALSE(stubborn->isTerminated()) << "a copy that refuses to quit keeps running";

    ::kill(stubborn->processIdentifier(), SIGKILL);
    EXPECT_TRUE(waitUntil([&] { return stubborn->isTerminated(); }));
    const auto listed = workspace().runningApplications();
    ASSERT_EQ(listed.size(), 1) << "SIGKILL leaves the entry behind";
    EXPECT_TRUE(listed[0]->isTerminated());
    const auto probe = mac.host().processProbe().signalZero(listed[0]->processIdentifier());
    EXPECT_FALSE(probe.delivered);
    EXPECT_EQ(probe.errorNumber, ESRCH);
    EXPECT_FALSE(stubborn->terminate()) << "nothing to send a quit request to";
}

TEST_F(ProcessesTest, DocumentsReachTheRunningCopyUnlessItRefusesThem)
{
    mac.writeFile(QStringLiteral("~/Music/Song.logicx/Alternatives/000/ProjectData"), "x");
    const QUrl song = HostPath::fileURL(QStringLiteral("/Users/tester/Music/Song.logicx"));
    auto logic = openNew(logicPath, CpuType::arm64).application;
    ASSERT_TRUE(logic);
    auto handed =
        QCoro::waitFor(workspace().openDocuments({song}, HostPath::fileURL(logicPath), {false, std::nullopt, true}));
    EXPECT_FALSE(handed.error);
    EXPECT_EQ(handed.application->processIdentifier(), logic->processIdentifier());
    EXPECT_TRUE(waitUntil([&] {
        return sawEvent(QStringLiteral("document-open ") + pidField(logic)
                        + QStringLiteral(" path=/Users/tester/Music/Song.logicx"));
    }));

    // The open -a fallback reaches it the same way.
    EXPECT_EQ(
        openCommand({QStringLiteral("-a"), logicPath, QStringLiteral("/Users/tester/Music/Song.logicx")}).exitStatus,
        0);
    EXPECT_TRUE(waitUntil([&] { return events().filter(QStringLiteral("document-open ")).size() == 2; }));

    mac.addLogicBundle(QStringLiteral("/Applications/Picky.app"), {{QStringLiteral("refusesDocuments"), true}},
                       {{MachO::cpuTypeArm64}});
    auto refused = QCoro::waitFor(
        workspace().openDocuments({song}, HostPath::fileURL(QStringLiteral("/Applications/Picky.app")), {}));
    EXPECT_TRUE(refused.error.has_value());
    EXPECT_NE(openCommand({QStringLiteral("-a"), QStringLiteral("/Applications/Picky.app"),
                           QStringLiteral("/Users/tester/Music/Song.logicx")})
                  .exitStatus,
              0);
    EXPECT_TRUE(sawEvent(QStringLiteral("document-refused path=/Users/tester/Music/Song.logicx")));
}

TEST_F(ProcessesTest, AStartingCopySeesStartupActionAndControl)
{
    auto logicPrefs = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logicPrefs->setValue(QStringLiteral("startupAction"), 0);
    mac.host().keyboard().post(59, true, KeyboardEvents::controlFlag);
    auto first = openNew(logicPath, CpuType::arm64).application;
    ASSERT_TRUE(first);
    EXPECT_TRUE(sawEvent(QStringLiteral("launch ") + pidField(first)
                         + QStringLiteral(" arch=arm64 requested=arm64 startupAction=0 control=true")));
    EXPECT_TRUE(sawEvent(QStringLiteral("safe-mode-offered ") + pidField(first)));
    EXPECT_FALSE(sawEvent(QStringLiteral("startup-reopen ") + pidField(first))) << "startupAction 0 opens nothing";

    mac.host().keyboard().post(59, false, 0);
    logicPrefs->setValue(QStringLiteral("startupAction"), 1);
    auto second = openNew(logicPath, CpuType::arm64).application;
    ASSERT_TRUE(second);
    EXPECT_TRUE(sawEvent(QStringLiteral("launch ") + pidField(second)
                         + QStringLiteral(" arch=arm64 requested=arm64 startupAction=1 control=false")));
    EXPECT_TRUE(sawEvent(QStringLiteral("startup-reopen ") + pidField(second)));
    EXPECT_TRUE(sawEvent(QStringLiteral("key-down code=59 flags=262144")));
    EXPECT_TRUE(sawEvent(QStringLiteral("key-up code=59 flags=0")));
    EXPECT_TRUE(sawEvent(QStringLiteral("preference-write domain=com.apple.logic10 key=startupAction value=0")));
}

TEST_F(ProcessesTest, LaunchServicesPreferenceDecidesWhenNoArchitectureIsAsked)
{
    auto setter = mac.host().launchServices().lookUpArchitecturePreferenceSetter();
    ASSERT_TRUE(setter);
    EXPECT_TRUE(setter->canMakeBundleURL(logicPath));
    setter->setPreference(logicPath, QStringLiteral("x86_64"));
    EXPECT_EQ(SimulatedLaunchServices::preference(mac.mac().state(), logicPath), QStringLiteral("x86_64"));
    EXPECT_EQ(openCommand({QStringLiteral("-n"), QStringLiteral("-a"), logicPath}).exitStatus, 0);
    auto running = workspace().runningApplications();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0]->executableArchitecture(), CpuType::x86_64);

    SimulatedLaunchServices::setAvailable(mac.mac().state(), false);
    EXPECT_EQ(mac.host().launchServices().lookUpArchitecturePreferenceSetter(), nullptr);
    SimulatedLaunchServices::setAvailable(mac.mac().state(), true);
    EXPECT_NE(mac.host().launchServices().lookUpArchitecturePreferenceSetter(), nullptr);
}

TEST_F(ProcessesTest, WrongArchitectureCrashAndNeverFinishing)
{
    mac.addLogicBundle(QStringLiteral("/Applications/Wrong.app"), {{QStringLiteral("wrongArchitecture"), true}},
                       {{MachO::cpuTypeArm64}, {MachO::cpuTypeX86_64}});
    mac.addLogicBundle(QStringLiteral("/Applications/Crashy.app"), {{QStringLiteral("crashAfter"), 0.2}},
                       {{MachO::cpuTypeArm64}});
    mac.addLogicBundle(QStringLiteral("/Applications/Slow.app"), {{QStringLiteral("neverFinishesLaunching"), true}},
                       {{MachO::cpuTypeArm64}});
    auto wrong = openNew(QStringLiteral("/Applications/Wrong.app"), CpuType::x86_64).application;
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->executableArchitecture(), CpuType::arm64);

    auto crashy = openNew(QStringLiteral("/Applications/Crashy.app"), CpuType::arm64).application;
    ASSERT_TRUE(crashy);
    EXPECT_TRUE(waitUntil([&] { return crashy->isTerminated(); }));
    EXPECT_TRUE(sawEvent(QStringLiteral("crash ") + pidField(crashy)));
    EXPECT_TRUE(ProcessRegistry(mac.mac().state()).entry(crashy->processIdentifier()).has_value())
        << "a crash leaves a stale entry";

    auto slow = openNew(QStringLiteral("/Applications/Slow.app"), CpuType::arm64).application;
    ASSERT_TRUE(slow);
    QThread::msleep(200);
    EXPECT_FALSE(slow->isFinishedLaunching());
}

TEST_F(ProcessesTest, RegistrySkipsCorruptEntriesAndKeepsConcurrentLaunches)
{
    QDir().mkpath(mac.mac().state().registryFolder());
    QFile corrupt(mac.mac().state().registryFolder() + QStringLiteral("/123.json"));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write("{\"pid\": 123, \"bundlePa");
    corrupt.close();

    std::vector<Task<CommandRunner::Result>> launches;
    for (int i = 0; i < 4; ++i) {
        launches.push_back(mac.host().commandRunner().run(QStringLiteral("/usr/bin/open"),
                                                          {QStringLiteral("-n"), QStringLiteral("--arch"),
                                                           QStringLiteral("arm64"), QStringLiteral("-a"), logicPath}));
    }
    for (auto& launch : launches) {
        EXPECT_EQ(QCoro::waitFor(launch).exitStatus, 0);
    }
    const auto running = workspace().runningApplications();
    EXPECT_EQ(running.size(), 4);
    for (qsizetype i = 1; i < running.size(); ++i) {
        EXPECT_NE(running[i]->processIdentifier(), running[i - 1]->processIdentifier());
    }
}

TEST_F(ProcessesTest, ScriptsServicesAndTheFileViewer)
{
    auto& scripting = mac.host().scripting();
    const QString preferencesScript = QStringLiteral("tell application \"System Events\"\n    if not (exists process "
                                                     "\"Logic Pro\") then\n        return \"not-running\"\n"
                                                     "    end if\nend tell\ntell application \"Logic Pro\" to "
                                                     "activate\ndelay 0.35\ntell application \"System Events\"\n"
                                                     "    keystroke \",\" using command down\nend tell\nreturn \"ok\"");
    EXPECT_EQ(scripting.runScript(preferencesScript), QStringLiteral("not-running"));
    auto logic = openNew(logicPath, CpuType::arm64).application;
    ASSERT_TRUE(logic);
    EXPECT_EQ(scripting.runScript(preferencesScript), QStringLiteral("ok"));
    EXPECT_TRUE(waitUntil([&] { return sawEvent(QStringLiteral("open-preferences ") + pidField(logic)); }));

    const QString info = QStringLiteral("tell application \"Finder\"\n    activate\n    set theItem to (POSIX file "
                                        "\"/Applications/A \\\\ \\\"B\\\".app\") as alias\n"
                                        "    open information window of theItem\nend tell");
    EXPECT_EQ(scripting.runScript(info), QString());
    EXPECT_TRUE(sawEvent(QStringLiteral("script kind=info-window path=/Applications/A \\ \"B\".app")));
    EXPECT_EQ(scripting.runScript(QStringLiteral("display dialog \"hi\"")), std::nullopt);

    const QList<QUrl> items{HostPath::fileURL(logicPath)};
    EXPECT_TRUE(
        scripting.performService(QStringLiteral("Finder/Show Info"), QStringLiteral("Vantrel.ShowInfo.x"), items));
    SimulatedScripting::setShowInfoServiceAvailable(mac.mac().state(), false);
    EXPECT_FALSE(
        scripting.performService(QStringLiteral("Finder/Show Info"), QStringLiteral("Vantrel.ShowInfo.y"), items));

    QStringList shown;
    mac.mac().workspace()->setDesktopHook(
        [&](const QString& native, bool reveal) { shown << (reveal ? u"reveal " : u"open ") + native; });
    EXPECT_TRUE(workspace().open(HostPath::fileURL(QStringLiteral("/Library/Audio/Plug-Ins"))));
    workspace().activateFileViewerSelecting(items);
    EXPECT_TRUE(sawEvent(QStringLiteral("open-url url=/Library/Audio/Plug-Ins")));
    EXPECT_TRUE(sawEvent(QStringLiteral("reveal path=") + logicPath));
    EXPECT_EQ(shown, (QStringList{QStringLiteral("open ") + mac.root() + QStringLiteral("/Library/Audio/Plug-Ins"),
                                  QStringLiteral("reveal ") + mac.root() + logicPath}));
}
