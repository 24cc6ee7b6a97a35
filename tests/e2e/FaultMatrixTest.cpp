// End to end: one launch per injected fault on a fresh simulated Mac with real stand-in
// Logic Pro processes, the engine's pauses in virtual time. Every row launches the same
// copy under Rosetta in Safe Mode with a project (so Control is held and Logic's startup
// action is overridden), then checks the outcome and message and what is left behind:
// Logic's startup action with its type, Control, the Launch Services preference, the
// processes still running and the launch log. The matrix is printed as a table.
#include "async/Spawner.h"
#include "launch/LaunchManager.h"
#include "model/CpuType.h"
#include "model/LauncherError.h"
#include "platform/HostPath.h"
#include "settings/PersistenceStore.h"
#include "simhost/adapters/SimulatedCommandRunner.h"
#include "simhost/adapters/SimulatedKeyboard.h"
#include "simhost/adapters/SimulatedLaunchServices.h"
#include "simhost/machine/AppLauncher.h"
#include "simhost/machine/EventLog.h"
#include "simhost/machine/ProcessRegistry.h"
#include "simhost/standin/StandInBehavior.h"
#include "support/HostObjects.h"
#include "support/HybridDriver.h"
#include "support/LaunchLogReader.h"
#include "support/TaskTesting.h"
#include "support/TempSimulatedMac.h"
#include "support/Waiting.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <qcoro/qcorotask.h>

#include <csignal>
#include <functional>
#include <iostream>

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::testing;

namespace {

const QString logicPath = QStringLiteral("/Applications/Logic Pro.app");
const QString otherPath = QStringLiteral("/Applications/Logic Pro X.app");
const QString project = QStringLiteral("/Users/tester/Music/Song.logicx");
const QString listPath = QStringLiteral("~/Library/Application Support/Vantrel/logic-apps.json");
const QString logPath = QStringLiteral("~/Library/Logs/Vantrel/launch.log");
const QString logicDomain = QStringLiteral("com.apple.logic10");

// One simulated Mac for one row: Rosetta installed, English texts, Logic's startup action
// stored as the string "2" (as a script may leave it), the project on disk.
struct Scene {
    TempSimulatedMac mac;
    QVariantMap behavior; // of the launched copy's stand-in
    LaunchArchitecture mode = LaunchArchitecture::rosetta;
    std::chrono::milliseconds openLimit{60000}; // the open command's time limit
    std::function<void(Scene&)> afterManager;   // faults that need the launch manager made
    QString copyToStart;                        // a copy started before the launch
    std::optional<QByteArray> savedPreferences; // Logic's preference file before the launch

    Scene()
    {
        mac.mac().setRosettaInstalled(true);
        mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
        mac.writeFile(QStringLiteral("~/Music/Song.logicx/Alternatives/000/ProjectData"), "x");
        logic()->setValue(QStringLiteral("startupAction"), QStringLiteral("2"));
    }

    std::shared_ptr<UserDefaults> logic() { return mac.host().preferences().suite(logicDomain); }
    HostState state() { return mac.mac().state(); }
    void simTool(const QStringList& arguments)
    {
        QProcess tool;
        tool.start(AppLauncher::toolPath(), QStringList{QStringLiteral("--root"), mac.root()} + arguments);
        ASSERT_TRUE(tool.waitForFinished(10000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }
    // Processes of this Mac's own tools still running (a stuck open command, say).
    int liveTools()
    {
        int live = 0;
        for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile cmdline(QStringLiteral("/proc/") + pid + QStringLiteral("/cmdline"));
            if (cmdline.open(QIODevice::ReadOnly)) {
                const QByteArray text = cmdline.readAll();
                live += text.contains(mac.root().toUtf8()) && !text.contains("\0app\0");
            }
        }
        return live;
    }
    int liveStandIns()
    {
        int live = 0;
        for (const auto& application : mac.host().workspace().runningApplications()) {
            live += !application->isTerminated() && ::kill(pid_t(application->processIdentifier()), 0) == 0;
        }
        return live;
    }
};

struct Expected {
    QString message;        // the error's text; empty for success
    QString lastEngineLine; // the launch log's last line before the delayed restore
    QString lsPreference;   // the Launch Services preference afterwards ("" = none)
    int processes = 1;      // live stand-ins (Logic and helpers) afterwards
    std::optional<QVariant> startupAction = QVariant(QStringLiteral("2"));
    bool logKept = true;
    int controlPresses = 1; // Safe Mode holds Control once, around the whole opening
    QString alsoLogged = {};
};

struct Row {
    const char* fault;
    std::function<void(Scene&)> inject;
    Expected expected;
    std::function<void(Scene&)> alsoCheck = {};
};

struct Observed {
    QString outcome; // "launched", or the error's text
    QString lsPreference;
    QString startupAction;
    bool controlReleased = false;
    int processes = 0;
    QString restored; // when Logic's startup action came back: "at once", "after 6 s"
    QString log;
};

QString describe(const std::optional<QVariant>& value)
{
    if (!value) {
        return QStringLiteral("absent");
    }
    return value->toString() + QStringLiteral(" (") + QString::fromLatin1(value->typeName()) + u')';
}

Observed runRow(const Row& row)
{
    Scene scene;
    row.inject(scene);
    scene.mac.addLogicBundle(logicPath, scene.behavior);

    SimulatedCommandRunner runner(scene.mac.root(), scene.openLimit);
    auto collaborators = test::launchCollaborators();
    collaborators.commandRunner = &runner;
    LaunchManager manager(collaborators);
    if (scene.afterManager) {
        scene.afterManager(scene);
    }

    TaskOutcome<void> outcome;
    auto task = observe(manager.launch(HostPath::fileURL(logicPath), scene.mode, LaunchAction::launchSafeMode, false,
                                       HostPath::fileURL(project)),
                        outcome);
    EXPECT_TRUE(runHybrid(scene.mac.clock(), task, 60000)) << row.fault << ": the launch did not end";
    const QString message = outcome.error ? LauncherError::localizedDescription(outcome.error) : QString();
    // The delayed restore of Logic's startup action, in virtual time.
    const auto ended = scene.mac.clock().now();
    auto pending = manager.pendingWork().waitForPending();
    EXPECT_TRUE(runHybrid(scene.mac.clock(), pending)) << row.fault << ": the delayed restore did not end";
    const auto restoreDelay = scene.mac.clock().now() - ended;
    const QStringList log = launchLogMessages(scene.mac.native(logPath));

    Observed seen;
    seen.outcome = outcome.error ? message : QStringLiteral("launched");
    seen.lsPreference = SimulatedLaunchServices::preference(scene.state(), logicPath);
    const auto startupAction = scene.logic()->value(QStringLiteral("startupAction"));
    seen.startupAction = describe(startupAction);
    const QStringList keys = EventLog(scene.state()).events().filter(QStringLiteral("key-"));
    seen.controlReleased =
        SimulatedKeyboard::heldKeys(scene.state()).isEmpty()
        && keys.filter(QStringLiteral("key-down")).size() == keys.filter(QStringLiteral("key-up")).size();
    // A copy asked to quit in virtual time still takes real time to go.
    (void)waitUntil([&] { return scene.liveStandIns() <= row.expected.processes; }, 3000);
    seen.processes = scene.liveStandIns();
    // Safe Mode keeps Control down for 2 s after a successful opening, so a restore due 6 s
    // after the opening comes 4 s after the launch has ended.
    const bool overridden = EventLog(scene.state())
                                .events()
                                .contains(QStringLiteral("preference-write domain=") + logicDomain
                                          + QStringLiteral(" key=startupAction value=0"));
    seen.restored = !overridden                               ? QStringLiteral("untouched")
                    : restoreDelay == std::chrono::seconds(4) ? QStringLiteral("after 6 s")
                    : restoreDelay == std::chrono::seconds(0) ? QStringLiteral("at once")
                                                              : QString::number(restoreDelay.count() / 1e9) + u's';
    seen.log = log.isEmpty() ? QStringLiteral("none") : QString::number(log.size()) + QStringLiteral(" lines");

    const Expected& expected = row.expected;
    SCOPED_TRACE(row.fault);
    EXPECT_EQ(message, expected.message);
    EXPECT_EQ(seen.lsPreference, expected.lsPreference);
    EXPECT_EQ(startupAction, expected.startupAction) << "value and type";
    EXPECT_TRUE(seen.controlReleased) << keys.join(u'\n').toStdString();
    EXPECT_EQ(keys.filter(QStringLiteral("key-down")).size(), expected.controlPresses);
    EXPECT_EQ(seen.processes, expected.processes);
    EXPECT_EQ(scene.liveTools(), 0) << "no open command or other tool left running";
    // A successful opening restores the startup action 6 s after the start; every other
    // ending, at once.
    if (seen.restored != u"untouched") {
        EXPECT_EQ(seen.restored, expected.message.isEmpty() ? QStringLiteral("after 6 s") : QStringLiteral("at once"));
    }
    if (expected.logKept) {
        // The request is logged first (after what a start logged before it), and the
        // engine's last line closes the launch; only the restore of Logic's startup action,
        // a task of its own, and the running-instance probes' diagnostics may follow it.
        const QString request = QStringLiteral("launch request mode=") + rawValue(scene.mode)
                                + QStringLiteral(" action=launchSafeMode path=") + logicPath + QStringLiteral(" doc=")
                                + project;
        const QStringList launchLines = log.mid(log.indexOf(request));
        EXPECT_EQ(launchLines.value(0), request);
        QStringList closing = launchLines;
        closing.removeAll(QStringLiteral("startupAction restored after document open"));
        closing.removeIf([](const QString& line) { return line.startsWith(u"detected running Logic: "); });
        EXPECT_EQ(closing.value(closing.size() - 1), expected.lastEngineLine)
            << closing.mid(closing.size() - 4).join(QStringLiteral(" | ")).toStdString();
        EXPECT_EQ(log.count(QStringLiteral("startupAction restored after document open")), overridden ? 1 : 0);
        if (!expected.alsoLogged.isEmpty()) {
            EXPECT_TRUE(launchLines.contains(expected.alsoLogged)) << expected.alsoLogged.toStdString();
        }
    } else {
        EXPECT_TRUE(log.isEmpty()) << log.join(u'\n').toStdString();
    }
    if (row.alsoCheck) {
        row.alsoCheck(scene);
    }
    return seen;
}

QString cell(const QString& text, int width)
{
    return text.left(width).leftJustified(width);
}

} // namespace

namespace {

const QString hostileBundle = QStringLiteral("/Applications/Logic Pro Hostile.app");

void hostileInfoPlist(Scene& s, const std::function<bool(const QByteArray&)>& make)
{
    const QString contents = s.mac.native(hostileBundle + QStringLiteral("/Contents"));
    ASSERT_TRUE(QDir().mkpath(contents));
    ASSERT_TRUE(make(QFile::encodeName(contents + QStringLiteral("/Info.plist"))));
}

// What Vantrel would offer, computed by another process that must end: the real copy's
// cards, none for the hostile bundle.
void scanPassesOverHostileBundle(Scene& s)
{
    QProcess cards;
    cards.start(AppLauncher::toolPath(), {QStringLiteral("--root"), s.mac.root(), QStringLiteral("cards")});
    ASSERT_TRUE(cards.waitForFinished(20000)) << "the scan blocked on the hostile Info.plist";
    const QString listed = QString::fromUtf8(cards.readAllStandardOutput());
    EXPECT_EQ(cards.exitCode(), 0);
    EXPECT_TRUE(listed.contains(logicPath)) << listed.toStdString();
    EXPECT_FALSE(listed.section(QStringLiteral("Cards:"), 1).contains(QStringLiteral("Hostile")))
        << "unreadable, it offers no card: " << listed.toStdString();
}

} // namespace

TEST(FaultMatrix, EveryInjectedFaultEndsWithItsOutcomeAndWhatItLeavesBehind)
{
    const QString launched = QStringLiteral("launch OK as rosetta; LS pref left at x86_64 (not restored)");
    const QString viaWorkspace = QStringLiteral("NSWorkspace launch OK; LS pref left at rosetta");
    const QString x86 = QStringLiteral("x86_64");
    const QString restored = QStringLiteral("arm64");
    auto failed = [](const QString& why) -> QString {
        return QStringLiteral("launch FAILED: ") + why + QStringLiteral("; LS pref restored");
    };
    auto primaryFailed = [](int status) -> QString {
        return QStringLiteral("primary open failed: Launch failed: open --arch x86_64 exited with status %1. — trying "
                              "NSWorkspace")
            .arg(status);
    };
    const QString documentRefused = QStringLiteral("Launch failed: Could not open project in Logic Pro: ") + project;
    const QString didNotStart = QStringLiteral("Launch failed: Logic Pro did not start in Rosetta mode.");
    const QString workspaceFailed = QStringLiteral("Launch failed: The application “Logic Pro” could not be launched "
                                                   "because a miscellaneous error occurred.");
    const QString noSetter = QStringLiteral("Could not adjust Logic Pro preferences: Cannot force Rosetta: Launch "
                                            "Services architecture preference is unavailable.");
    const QString noRosetta = QStringLiteral("Rosetta 2 is not installed. Install it from System Settings or run "
                                             "`softwareupdate --install-rosetta`.");
    const QString preferencesFile = QStringLiteral("~/Library/Preferences/com.apple.logic10.plist");
    const QString notRecorded =
        QStringLiteral("Could not adjust Logic Pro preferences: Vantrel cannot save its own "
                       "settings, so it could not note Logic Pro’s startup setting to put it back.");
    const QString unreadable =
        QStringLiteral("Could not adjust Logic Pro preferences: Logic Pro’s preferences file cannot be read, so "
                       "Vantrel left it as it is and started nothing. Open Logic Pro on its own once to let it "
                       "repair the file.");
    auto startCopy = [](Scene& s, std::optional<int> cpuType) {
        auto started = QCoro::waitFor(
            s.mac.host().workspace().openApplication(HostPath::fileURL(s.copyToStart), {true, cpuType, false}));
        ASSERT_TRUE(started.application) << started.error.value_or(QString()).toStdString();
    };

    const QList<Row> rows = {
        {"none", [](Scene&) {}, {{}, launched, x86}},
        {"wrong architecture",
         [](Scene& s) { s.behavior.insert(QStringLiteral("wrongArchitecture"), true); },
         {QStringLiteral("Launch failed: NSWorkspace returned arm64 (Native) instead of Rosetta."),
          failed(QStringLiteral("Launch failed: NSWorkspace returned arm64 (Native) instead of Rosetta.")), restored,
          0}}, // both tries' copies quit: a failed launch leaves nothing of its own running
        {"never finishes launching",
         [](Scene& s) { s.behavior.insert(QStringLiteral("neverFinishesLaunching"), true); },
         {{},
          launched,
          x86,
          1,
          QVariant(QStringLiteral("2")),
          true,
          1,
          QStringLiteral("Logic ready wait timed out — proceeding with document open anyway")}},
        {"another copy refuses to quit",
         [&](Scene& s) {
             s.mac.addLogicBundle(otherPath, {{QStringLiteral("refusesToQuit"), true}});
             s.copyToStart = otherPath;
             startCopy(s, std::nullopt);
         },
         {QStringLiteral("Operation cancelled."),
          QStringLiteral("Logic still running after quit request — treating as user cancel"), QString(), 1,
          QVariant(QStringLiteral("2")), true, 0}},
        // The copy started and was verified; only the project did not arrive: one copy
        // runs, never a second one started through the workspace.
        {"refuses documents",
         [](Scene& s) { s.behavior.insert(QStringLiteral("refusesDocuments"), true); },
         {documentRefused,
          QStringLiteral("document handoff failed: ") + documentRefused
              + QStringLiteral(" — Logic runs as rosetta, not started again; LS pref left at x86_64"),
          x86, 1}},
        {"refuses documents, the copy already running",
         [&](Scene& s) {
             s.behavior.insert(QStringLiteral("refusesDocuments"), true);
             s.mac.addLogicBundle(logicPath, s.behavior);
             s.copyToStart = logicPath;
             startCopy(s, CpuType::x86_64);
         },
         {documentRefused, QStringLiteral("document open attempt 2 failed: Launch failed: timed out"), QString(), 1,
          QVariant(QStringLiteral("2")), true, 1,
          QStringLiteral("Logic already running in rosetta — opening document only")}},
        {"crashes after start",
         [](Scene& s) { s.behavior.insert(QStringLiteral("crashAfter"), 0.0); },
         {didNotStart, failed(didNotStart), restored, 0}},
        {"open exits non-zero",
         [](Scene& s) { s.state().setFault(HostFault::openFails, true); },
         {{}, viaWorkspace, x86, 1, QVariant(QStringLiteral("2")), true, 1, primaryFailed(1)}},
        {"open hangs",
         [](Scene& s) {
             s.state().setFault(HostFault::openHangs, true);
             s.openLimit = std::chrono::milliseconds(500);
         },
         {{}, viaWorkspace, x86, 1, QVariant(QStringLiteral("2")), true, 1, primaryFailed(137)}},
        {"open and the workspace open fail",
         [](Scene& s) {
             s.state().setFault(HostFault::openFails, true);
             s.state().setFault(HostFault::workspaceOpenFails, true);
         },
         {workspaceFailed, failed(workspaceFailed), restored, 0, QVariant(QStringLiteral("2")), true, 1,
          primaryFailed(1)}},
        {"Launch Services setter absent",
         [](Scene& s) { SimulatedLaunchServices::setAvailable(s.state(), false); },
         {noSetter, QStringLiteral("canLaunch failed: ") + noSetter, QString(), 0, QVariant(QStringLiteral("2")), true,
          0}},
        {"setter absent, native: override refused",
         [](Scene& s) {
             SimulatedLaunchServices::setAvailable(s.state(), false);
             s.mode = LaunchArchitecture::native;
         },
         {noSetter, QStringLiteral("LS pref before=nil → native"), QString(), 0, QVariant(QStringLiteral("2")), true,
          1}},
        {"Rosetta absent",
         [](Scene& s) { s.mac.mac().setRosettaInstalled(false); },
         {noRosetta, QStringLiteral("canLaunch failed: ") + noRosetta, QString(), 0, QVariant(QStringLiteral("2")),
          true, 0}},
        {"helper and stale entries",
         [](Scene& s) {
             s.simTool({QStringLiteral("add-entry"), QStringLiteral("helper")});
             s.simTool({QStringLiteral("add-entry"), QStringLiteral("stale")});
         },
         {{}, launched, x86, 2}},
        {"log folder replaced by a file",
         [](Scene& s) {
             QDir(s.mac.native(QStringLiteral("~/Library/Logs/Vantrel"))).removeRecursively();
             s.mac.writeFile(QStringLiteral("~/Library/Logs/Vantrel"), "not a folder");
         },
         {{}, {}, x86, 1, QVariant(QStringLiteral("2")), false}},
        {"log folder removed while running",
         [](Scene& s) {
             s.afterManager = [](Scene& scene) {
                 QDir(scene.mac.native(QStringLiteral("~/Library/Logs/Vantrel"))).removeRecursively();
             };
         },
         {{}, {}, x86, 1, QVariant(QStringLiteral("2")), false}},
        {"corrupt installation list",
         [](Scene& s) {
             s.mac.writeFile(listPath, "[{\"id\": 7, \"displayName\": \xff\xfe garbage");
             PersistenceStore store(test::host().standardDefaults(), test::host().fileSystem(), test::logger());
             store.saveApps(store.loadApps());
         },
         {{}, launched, x86},
         [](Scene& s) {
             const QStringList aside = QDir(QFileInfo(s.mac.native(listPath)).path())
                                           .entryList({QStringLiteral("logic-apps.json.unreadable-*")});
             ASSERT_EQ(aside.size(), 1);
             EXPECT_EQ(s.mac.readFile(QFileInfo(listPath).path() + u'/' + aside[0]),
                       QByteArray("[{\"id\": 7, \"displayName\": \xff\xfe garbage"));
         }},
        // Another bundle in the Applications folder whose Info.plist is no file to read: the
        // scan passes over it (never blocking, never running out of memory) and the launch
        // goes on.
        {"an Info.plist that is a named pipe",
         [](Scene& s) { hostileInfoPlist(s, [](const QByteArray& path) { return ::mkfifo(path, 0600) == 0; }); },
         {{}, launched, x86},
         scanPassesOverHostileBundle},
        {"an Info.plist linked to /dev/zero",
         [](Scene& s) {
             hostileInfoPlist(s, [](const QByteArray& path) { return ::symlink("/dev/zero", path) == 0; });
         },
         {{}, launched, x86},
         scanPassesOverHostileBundle},
        {"a sparse 100 GB Info.plist",
         [](Scene& s) {
             hostileInfoPlist(s, [](const QByteArray& path) {
                 QFile file(QFile::decodeName(path));
                 return file.open(QIODevice::WriteOnly) && file.resize(100LL * 1024 * 1024 * 1024);
             });
         },
         {{}, launched, x86},
         scanPassesOverHostileBundle},
        // What cannot be read may hold what the reader does not know: never rewritten, so
        // the launch that needs to change it changes nothing and fails.
        {"corrupt Logic preference file",
         [=](Scene& s) {
             s.mac.writeFile(preferencesFile,
                             QByteArray("bplist00\x01\x02\xff\xfe garbage garbage garbage garbage", 44));
             s.savedPreferences = s.mac.readFile(preferencesFile);
         },
         {unreadable, QStringLiteral("startupAction left alone: ") + unreadable, QString(), 0, std::nullopt},
         [=](Scene& s) { EXPECT_EQ(s.mac.readFile(preferencesFile), s.savedPreferences) << "left byte for byte"; }},
        {"full disk: the installation list",
         [](Scene& s) {
             PersistenceStore store(test::host().standardDefaults(), test::host().fileSystem(), test::logger());
             const LogicApp first = LogicApp::make(QStringLiteral("Logic Pro"), logicPath, false);
             store.saveApps({first});
             store.loadApps();
             s.state().setFullFolders({QStringLiteral("~/Library/Application Support")});
             store.saveApps({first, LogicApp::make(QStringLiteral("Logic Pro X"), otherPath, true)});
         },
         {{}, launched, x86},
         [](Scene& s) {
             EXPECT_EQ(LogicApp::decodeList(s.mac.readFile(listPath).value_or(QByteArray()))->size(), 1)
                 << "the old file stays whole";
             PersistenceStore store(test::host().standardDefaults(), test::host().fileSystem(), test::logger());
             const auto apps = store.loadApps();
             EXPECT_EQ(apps.size(), 2) << "the next start sees the last saved list";
             s.state().setFullFolders({});
             store.saveApps(apps);
             EXPECT_EQ(store.loadApps(), apps);
             EXPECT_EQ(LogicApp::decodeList(s.mac.readFile(listPath).value_or(QByteArray())), apps);
             EXPECT_EQ(s.mac.host().standardDefaults()->value(QString::fromLatin1(PersistenceStore::staleFileKey)),
                       std::nullopt)
                 << "a written file is trusted again";
         }},
        // Vantrel's own domain cannot keep the record that would put Logic's startup
        // action back after a crash: the launch changes nothing and fails.
        {"full disk: the preferences",
         [=](Scene& s) {
             s.savedPreferences = s.mac.readFile(preferencesFile);
             s.state().setFullFolders({QStringLiteral("~/Library/Preferences")});
         },
         {notRecorded, QStringLiteral("startupAction left alone: ") + notRecorded, QString(), 0},
         [=](Scene& s) {
             EXPECT_EQ(s.mac.readFile(preferencesFile), s.savedPreferences) << "no write reached the disk";
         }},
    };

    std::cout << '\n'
              << cell(QStringLiteral("fault"), 44).toStdString() << cell(QStringLiteral("LS pref"), 9).toStdString()
              << cell(QStringLiteral("startupAction"), 16).toStdString()
              << cell(QStringLiteral("restored"), 10).toStdString() << cell(QStringLiteral("Control"), 10).toStdString()
              << cell(QStringLiteral("running"), 9).toStdString() << cell(QStringLiteral("log"), 11).toStdString()
              << "outcome\n"
              << std::string(180, '-') << '\n';
    for (const Row& row : rows) {
        const Observed seen = runRow(row);
        std::cout << cell(QString::fromUtf8(row.fault), 44).toStdString()
                  << cell(seen.lsPreference.isEmpty() ? QStringLiteral("none") : seen.lsPreference, 9).toStdString()
                  << cell(seen.startupAction, 16).toStdString() << cell(seen.restored, 10).toStdString()
                  << cell(seen.controlReleased ? QStringLiteral("released") : QStringLiteral("HELD"), 10).toStdString()
                  << cell(QString::number(seen.processes), 9).toStdString() << cell(seen.log, 11).toStdString()
                  << seen.outcome.toStdString() << '\n';
    }
}
