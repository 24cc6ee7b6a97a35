// End to end under a real X display: the `vantrel` program on a temporary simulated Mac,
// driven by real pointer and keyboard input (xdotool), launching real stand-in copies.
#include "launch/LogicPreferenceMutator.h"
#include "simhost/machine/EventLog.h"
#include "simhost/machine/ProcessRegistry.h"
#include "support/LaunchLogReader.h"
#include "support/TempSimulatedMac.h"
#include "support/Waiting.h"

#include <QCoreApplication>
#include <QDir>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

struct LauncherE2E : ::testing::Test {
    TempSimulatedMac mac;
    QProcess launcher;
    const QString logicPath = QStringLiteral("/Applications/Logic Pro.app");

    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            GTEST_SKIP() << "needs an X display (the test command gives it Xvfb)";
        }
        mac.mac().setRosettaInstalled(true);
        mac.addLogicBundle(logicPath); // a native and a Rosetta card
        auto defaults = mac.host().standardDefaults();
        defaults->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
        // A display without a window manager moves the focus oddly; this run is about clicks.
        defaults->setValue(QStringLiteral("closeOnFocusLoss"), false);
        logic()->setValue(QStringLiteral("startupAction"), qint64(2));
    }

    void TearDown() override
    {
        if (launcher.state() != QProcess::NotRunning) {
            launcher.kill();
            launcher.waitForFinished();
        }
    }

    std::shared_ptr<UserDefaults> logic()
    {
        return mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    }

    static QStringList vantrelArguments(const QString& root, const QStringList& more = {})
    {
        return QStringList{QStringLiteral("--root"), root} + more;
    }

    static QString run(const QString& program, const QStringList& arguments, int timeoutMs = 15000)
    {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(timeoutMs);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    // Starts the launcher and returns its window's top-left corner on the screen.
    QPoint startLauncher()
    {
        launcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        launcher.setProcessEnvironment(env);
        launcher.start(QStringLiteral(VANTREL_APP_PATH), vantrelArguments(mac.root()));
        EXPECT_TRUE(launcher.waitForStarted());
        const QString window = run(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--pid"), QString::number(launcher.processId())});
        m_window = window.split(u'\n').value(0);
        EXPECT_FALSE(m_window.isEmpty()) << "no launcher window appeared";
        const QString geometry =
            run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), m_window});
        const auto x = QRegularExpression(QStringLiteral("X=(-?\\d+)")).match(geometry).captured(1).toInt();
        const auto y = QRegularExpression(QStringLiteral("Y=(-?\\d+)")).match(geometry).captured(1).toInt();
        waitUntil([] { return false; }, 400); // the appear animation
        return {x, y};
    }

    void xdotool(const QStringList& arguments) { run(QStringLiteral("xdotool"), arguments); }

    bool launcherEnds(int timeoutMs = 30000)
    {
        return waitUntil([&] { return launcher.state() == QProcess::NotRunning; }, timeoutMs);
    }

    QStringList events() { return sim::EventLog(mac.mac().state()).events(); }

    // What a process's descriptors past the standard three lead to ("pipe:[123]",
    // "socket:[456]", paths).
    static QStringList descriptorTargets(qint64 pid)
    {
        QStringList targets;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
            if (fd.toInt() > 2) {
                targets << QFile::symLinkTarget(fds.filePath(fd)).section(u'/', -1);
            }
        }
        return targets;
    }
    QStringList log() { return launchLogMessages(mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log"))); }

    QString m_window;
};

} // namespace

TEST_F(LauncherE2E, AClickOnTheRosettaCardLaunchesThatCopyWithTheHandedOverProject)
{
    mac.writeFile(QStringLiteral("~/Music/Song.logicx/Resources/ProjectInformation.plist"), "x");
    const QPoint origin = startLauncher();
    // The launcher's own pipes and sockets (not those it was handed by whoever started
    // it, as this test was), which no child may inherit.
    QStringList ours;
    const QStringList inherited = descriptorTargets(QCoreApplication::applicationPid());
    for (const QString& target : descriptorTargets(launcher.processId())) {
        if ((target.startsWith(QStringLiteral("pipe:")) || target.startsWith(QStringLiteral("socket:")))
            && !inherited.contains(target)) {
            ours << target;
        }
    }
    ASSERT_FALSE(ours.isEmpty());
    // A second start with a project hands it to the running launcher and ends at once.
    QProcess second;
    second.start(QStringLiteral(VANTREL_APP_PATH),
                 vantrelArguments(mac.root(), {QStringLiteral("/Users/tester/Music/Song.logicx")}));
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    waitUntil([] { return false; }, 300);

    // Two cards of 152 points, 10 apart, the row centred (29 points in); the 34-point
    // project banner above them.
    const QPoint rosettaCard = origin + QPoint(29 + 162 + 76, 34 + 12 + 66);
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(rosettaCard.x()),
             QString::number(rosettaCard.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});

    ASSERT_TRUE(launcherEnds()) << "the launcher ends after the launch";
    EXPECT_EQ(launcher.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(launcher.exitCode(), 0);
    const QList<sim::RegistryEntry> running = sim::ProcessRegistry(mac.mac().state()).entries();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0].architecture, sim::MachO::cpuTypeX86_64);
    const QString pid = QString::number(running[0].pid);
    EXPECT_TRUE(events().contains(QStringLiteral("document-open pid=") + pid
                                  + QStringLiteral(" path=/Users/tester/Music/Song.logicx")));
    for (const QString& target : descriptorTargets(running[0].pid)) {
        EXPECT_FALSE(ours.contains(target)) << "Logic Pro inherited the launcher's " << target.toStdString();
    }
    const QStringList lines = log();
    EXPECT_TRUE(lines.contains(QStringLiteral("verified stable rosetta pid=") + pid));
    EXPECT_EQ(lines.last(), QStringLiteral("startupAction restored after document open"))
        << "the delayed restore ran before the launcher ended";
    EXPECT_EQ(logic()->value(QStringLiteral("startupAction")), QVariant(qint64(2)));
}

TEST_F(LauncherE2E, LinksFromAnArgumentAndASecondStartLaunchOrAreRefused)
{
    // A malformed link as the first start's argument: the panel shows why, nothing starts.
    launcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    launcher.setProcessEnvironment(env);
    launcher.start(QStringLiteral(VANTREL_APP_PATH),
                   vantrelArguments(mac.root(), {QStringLiteral("vantrel://launch?name=Logic%20Pro&mode=turbo")}));
    ASSERT_TRUE(launcher.waitForStarted());
    EXPECT_FALSE(run(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--pid"), QString::number(launcher.processId())})
                     .isEmpty())
        << "the panel shows the refusal";
    ASSERT_TRUE(waitUntil([&] {
        return log().contains(
            QStringLiteral("link refused: The vantrel:// link was refused: “turbo” is not a value for “mode”."));
    }));
    EXPECT_EQ(launcher.state(), QProcess::Running);

    // A second start hands a good link over: the running launcher launches it and ends.
    QProcess second;
    second.start(QStringLiteral(VANTREL_APP_PATH),
                 vantrelArguments(mac.root(), {QStringLiteral("vantrel://launch?path=/Applications/Logic%20Pro.app"
                                                              "&mode=rosetta&action=launchWithoutRecentProject")}));
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_TRUE(launcherEnds()) << "the launcher ends after the launch";
    EXPECT_EQ(launcher.exitCode(), 0);
    const QList<sim::RegistryEntry> running = sim::ProcessRegistry(mac.mac().state()).entries();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0].architecture, sim::MachO::cpuTypeX86_64);
    EXPECT_TRUE(log().contains(QStringLiteral("verified stable rosetta pid=") + QString::number(running[0].pid)));
    EXPECT_EQ(logic()->value(QStringLiteral("startupAction")), QVariant(qint64(2))) << "restored before the end";
}

TEST_F(LauncherE2E, TheMenuLaunchesWithoutTheRecentProjectAndRestoresBeforeTheEnd)
{
    startLauncher();
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), m_window});
    // Right selects the first card (native); Option-Return opens its menu; the second
    // action is "Launch without Recent Project".
    xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("120"), QStringLiteral("Right"),
             QStringLiteral("alt+Return")});
    waitUntil([] { return false; }, 500);
    xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("120"), QStringLiteral("Down"),
             QStringLiteral("Down"), QStringLiteral("Return")});

    ASSERT_TRUE(launcherEnds());
    EXPECT_EQ(launcher.exitCode(), 0);
    const QList<sim::RegistryEntry> running = sim::ProcessRegistry(mac.mac().state()).entries();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0].architecture, sim::MachO::cpuTypeArm64);
    EXPECT_TRUE(events().filter(QStringLiteral("launch pid=")).value(0).contains(QStringLiteral("startupAction=0")))
        << "Logic started with nothing to reopen";
    EXPECT_TRUE(log().contains(QStringLiteral("launch request mode=native action=launchWithoutRecentProject path=")
                               + logicPath + QStringLiteral(" doc=nil")));
    EXPECT_EQ(logic()->value(QStringLiteral("startupAction")), QVariant(qint64(2))) << "restored before the end";
}

TEST_F(LauncherE2E, AnInstallationAddedInTheSettingsBecomesCardsThatLaunch)
{
    // Nothing in the Applications folders: the launcher starts empty.
    mac.fs().remove(logicPath + QStringLiteral("/Contents/Info.plist"));
    QDir(mac.native(logicPath)).removeRecursively();
    const QString studio = QStringLiteral("/Volumes/Studio/Logic Pro.app");
    mac.addLogicBundle(studio);
    const QPoint origin = startLauncher();

    // The gear, 8 from the right and 6 from the bottom of the empty 360 × 200 panel.
    const QPoint gear = origin + QPoint(360 - 8 - 11, 200 - 6 - 11);
    xdotool(
        {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(gear.x()), QString::number(gear.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    const QString settings = run(QStringLiteral("xdotool"),
                                 {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                  QStringLiteral("--name"), QStringLiteral("^Vantrel Settings$")})
                                 .split(u'\n')
                                 .value(0);
    ASSERT_FALSE(settings.isEmpty()) << "the settings window did not open";
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), settings});
    // The name field has the focus; Tab to the path and type it, Tab past Browse to Add
    // and press it, then Return is Done.
    xdotool({QStringLiteral("key"), QStringLiteral("Tab")});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), studio});
    xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("200"), QStringLiteral("Tab"),
             QStringLiteral("Tab"), QStringLiteral("space"), QStringLiteral("Return")});

    // The settings close; the panel, two cards wide now (372 points, centred), comes back.
    int x = 0;
    int y = 0;
    const bool grew = waitUntil(
        [&] {
            const QString geometry = run(QStringLiteral("xdotool"),
                                         {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), m_window});
            x = QRegularExpression(QStringLiteral("X=(-?\\d+)")).match(geometry).captured(1).toInt();
            y = QRegularExpression(QStringLiteral("Y=(-?\\d+)")).match(geometry).captured(1).toInt();
            return QRegularExpression(QStringLiteral("WIDTH=(\\d+)")).match(geometry).captured(1).toInt() == 372;
        },
        5000);
    ASSERT_TRUE(grew) << "the panel did not grow to two cards";
    waitUntil([] { return false; }, 300); // re-centred on the next turn
    const QString geometry =
        run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), m_window});
    x = QRegularExpression(QStringLiteral("X=(-?\\d+)")).match(geometry).captured(1).toInt();
    y = QRegularExpression(QStringLiteral("Y=(-?\\d+)")).match(geometry).captured(1).toInt();
    EXPECT_TRUE(run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                QStringLiteral("--name"), QStringLiteral("^Vantrel Settings$")})
                    .isEmpty())
        << "the settings window closed";
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(x + 29 + 76),
             QString::number(y + 12 + 66)});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});

    ASSERT_TRUE(launcherEnds());
    EXPECT_EQ(launcher.exitCode(), 0);
    const QList<sim::RegistryEntry> running = sim::ProcessRegistry(mac.mac().state()).entries();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0].bundlePath, studio);
    EXPECT_EQ(running[0].architecture, sim::MachO::cpuTypeArm64);
}

namespace {

// A display of its own with a window manager that gives the focus on click (openbox), as a
// desktop has: pressing in another program's window takes the focus from the launcher.
struct DisplayWithWindowManager {
    QProcess server;
    QProcess manager;
    QString display;

    bool start()
    {
        server.start(QStringLiteral("Xvfb"),
                     {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                      QStringLiteral("1280x800x24")});
        if (!server.waitForStarted() || !waitUntil([&] { return server.canReadLine(); }, 10000)) {
            return false;
        }
        display = u':' + QString::fromLatin1(server.readLine().trimmed());
        manager.setProcessEnvironment(environment());
        manager.start(QStringLiteral("openbox"), {});
        // Ready once it has taken the root window's substructure (it sets the supporting
        // window property).
        return manager.waitForStarted()
               && waitUntil(
                   [&] {
                       QProcess probe;
                       probe.setProcessEnvironment(environment());
                       probe.start(QStringLiteral("xprop"),
                                   {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
                       probe.waitForFinished(2000);
                       return probe.readAllStandardOutput().contains("window id");
                   },
                   10000);
    }

    ~DisplayWithWindowManager()
    {
        for (QProcess* process : {&manager, &server}) {
            process->kill();
            process->waitForFinished();
        }
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("DISPLAY"), display);
        return env;
    }

    QString run(const QStringList& xdotoolArguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral("xdotool"), xdotoolArguments);
        process.waitForFinished(15000);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
};

} // namespace

TEST(LauncherUnderAWindowManager, AProjectDraggedFromAnotherProgramArrivesAndLaunchesWithIt)
{
    DisplayWithWindowManager desktop;
    if (!desktop.start()) {
        GTEST_SKIP() << "needs Xvfb, openbox and xprop";
    }
    TempSimulatedMac mac;
    mac.addLogicBundle(QStringLiteral("/Applications/Logic Pro.app"), {}, {{sim::MachO::cpuTypeArm64}});
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
    // closeOnFocusLoss stays as it comes: on.
    mac.writeFile(QStringLiteral("~/Music/Song.logicx/Resources/ProjectInformation.plist"), "x");

    QProcess source;
    source.setProcessEnvironment(desktop.environment());
    source.start(QStringLiteral(VANTREL_DRAG_SOURCE_PATH), {mac.native(QStringLiteral("~/Music/Song.logicx"))});
    QProcess launcher;
    launcher.setProcessEnvironment(desktop.environment());
    launcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    launcher.start(QStringLiteral(VANTREL_APP_PATH), {QStringLiteral("--root"), mac.root()});
    const QString sourceWindow =
        desktop.run({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--name"), QStringLiteral("^drag source$")});
    const QString panel = desktop
                              .run({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--pid"), QString::number(launcher.processId())})
                              .split(u'\n')
                              .value(0);
    ASSERT_FALSE(sourceWindow.isEmpty() || panel.isEmpty());
    waitUntil([] { return false; }, 600); // the appear animation
    const QString geometry = desktop.run({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), panel});
    const QPoint origin(QRegularExpression(QStringLiteral("X=(-?\\d+)")).match(geometry).captured(1).toInt(),
                        QRegularExpression(QStringLiteral("Y=(-?\\d+)")).match(geometry).captured(1).toInt());

    // Press in the other program (it takes the focus and starts the drag), carry the file
    // over the launcher and let go there.
    const QPoint target = origin + QPoint(180, 100);
    desktop.run({QStringLiteral("mousemove"), QStringLiteral("--sync"),    QStringLiteral("120"),
                 QStringLiteral("600"),       QStringLiteral("mousedown"), QStringLiteral("1"),
                 QStringLiteral("sleep"),     QStringLiteral("0.5"),       QStringLiteral("mousemove"),
                 QStringLiteral("300"),       QStringLiteral("500"),       QStringLiteral("sleep"),
                 QStringLiteral("0.3"),       QStringLiteral("mousemove"), QString::number(target.x()),
                 QString::number(target.y()), QStringLiteral("sleep"),     QStringLiteral("0.5"),
                 QStringLiteral("mouseup"),   QStringLiteral("1")});
    waitUntil([] { return false; }, 800);
    ASSERT_EQ(launcher.state(), QProcess::Running) << "the launcher ended before the drag reached it";

    // The one card (native), below the project banner: a click launches with the project.
    const QPoint card = origin + QPoint(180, 34 + 16 + 66);
    desktop.run({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(card.x()),
                 QString::number(card.y()), QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(waitUntil([&] { return launcher.state() == QProcess::NotRunning; }, 30000));
    const QList<sim::RegistryEntry> running = sim::ProcessRegistry(mac.mac().state()).entries();
    ASSERT_EQ(running.size(), 1);
    EXPECT_TRUE(sim::EventLog(mac.mac().state())
                    .events()
                    .contains(QStringLiteral("document-open pid=") + QString::number(running[0].pid)
                              + QStringLiteral(" path=/Users/tester/Music/Song.logicx")));
    source.kill();
    source.waitForFinished();
}
