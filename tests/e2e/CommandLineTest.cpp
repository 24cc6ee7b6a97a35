// End to end: vantrel-cli over a temporary simulated Mac — the cards, launches by path,
// name and id in each mode and action, what it refuses and why, in both languages.
#include "installations/ArchitectureDetector.h"
#include "installations/LaunchCardBuilder.h"
#include "installations/LogicScanner.h"
#include "model/CpuType.h"
#include "nativehost/InstanceLock.h"
#include "simhost/machine/AppLauncher.h"
#include "simhost/machine/EventLog.h"
#include "support/HostObjects.h"
#include "support/LaunchLogReader.h"
#include "support/TempSimulatedMac.h"
#include "support/Waiting.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace vantrel;
using namespace vantrel::sim;
using namespace vantrel::testing;

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

struct CommandLineTest : ::testing::Test {
    TempSimulatedMac mac;
    const QString current = QStringLiteral("/Applications/Logic Pro.app");
    const QString older = QStringLiteral("/Applications/Logic Pro X.app");

    void SetUp() override
    {
        mac.mac().setRosettaInstalled(true);
        mac.addLogicBundle(current);
        mac.addLogicBundle(older, {}, {{MachO::cpuTypeX86_64}}); // Intel only: Rosetta
        mac.writeFile(QStringLiteral("~/Music/Song.logicx/Alternatives/000/ProjectData"), "x");
    }

    // `program` on this test's Mac (or at `root`, another path to it).
    Outcome run(const QString& program, const QStringList& arguments, const QString& root = {})
    {
        QProcess process;
        process.start(program, QStringList{QStringLiteral("--root"), root.isEmpty() ? mac.root() : root} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000)) << arguments.join(u' ').toStdString();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    Outcome cli(const QStringList& arguments, const QString& root = {})
    {
        return run(QStringLiteral(VANTREL_CLI_PATH), arguments, root);
    }

    QStringList events() { return EventLog(mac.mac().state()).events(); }
    // The one stand-in running now, as "<path> <arch>"; then it is ended (the command
    // line started it, not this test).
    QList<RunningApplicationPtr> running()
    {
        QList<RunningApplicationPtr> live = mac.host().workspace().runningApplications();
        live.removeIf([](const RunningApplicationPtr& application) { return application->isTerminated(); });
        return live;
    }
    QString runningAndEnd()
    {
        const QList<RunningApplicationPtr> running = this->running();
        QString seen = QStringLiteral("%1 running").arg(running.size());
        if (running.size() == 1) {
            seen = running[0]->bundleURL().value_or(QUrl()).toLocalFile()
                   + (running[0]->executableArchitecture() == CpuType::x86_64 ? QStringLiteral(" x86_64")
                                                                              : QStringLiteral(" arm64"));
        }
        for (const auto& application : running) {
            ::kill(pid_t(application->processIdentifier()), SIGKILL);
        }
        EXPECT_TRUE(waitUntil([&] { return this->running().isEmpty(); }));
        return seen;
    }
};

} // namespace

TEST_F(CommandLineTest, ListsTheCardsOfThePanelInItsOrder)
{
    const Outcome listed =
        cli({QStringLiteral("list"), QStringLiteral("--json"), QStringLiteral("--lang"), QStringLiteral("en")});
    ASSERT_EQ(listed.status, 0) << listed.err.toStdString();
    const QJsonArray cards = QJsonDocument::fromJson(listed.out.toUtf8()).array();
    // What the panel builds over the same Mac.
    const auto panel =
        LaunchCardBuilder::buildCards(test::scanner()->scan(test::store()->loadApps()), *test::detector());
    ASSERT_EQ(cards.size(), panel.size());
    ASSERT_EQ(cards.size(), 4) << "both copies in both modes";
    for (qsizetype i = 0; i < panel.size(); ++i) {
        const QJsonObject card = cards[i].toObject();
        EXPECT_EQ(card.value(QStringLiteral("id")).toString(), panel[i].id);
        EXPECT_EQ(card.value(QStringLiteral("path")).toString(), panel[i].app.bundlePath);
        EXPECT_EQ(card.value(QStringLiteral("mode")).toString(), rawValue(panel[i].architecture));
        EXPECT_EQ(card.value(QStringLiteral("available")).toBool(), panel[i].isAvailable);
        EXPECT_EQ(card.value(QStringLiteral("version")).toString(), QStringLiteral("11.0"));
    }
    EXPECT_EQ(cards[0].toObject().value(QStringLiteral("modeText")).toString(), QStringLiteral("Native"));

    // As text, one line a card, in the Mac's language (Russian when never set).
    const Outcome text = cli({QStringLiteral("list")});
    ASSERT_EQ(text.status, 0);
    const QStringList lines = text.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("○ Logic Pro X · Нативный  11.0  ")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("-native  — В этом бинарнике нет среза arm64.")));
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("● Logic Pro · Нативный  11.0  /Applications/Logic Pro.app  ")))
        << lines[0].toStdString();
}

TEST_F(CommandLineTest, LaunchesByPathNameAndIdInEachModeAndAction)
{
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
    // By path, Rosetta asked for: the steps as they happen, then the outcome.
    Outcome launched = cli({QStringLiteral("launch"), QStringLiteral("--path"), current, QStringLiteral("--mode"),
                            QStringLiteral("rosetta")});
    ASSERT_EQ(launched.status, 0) << launched.err.toStdString();
    EXPECT_EQ(runningAndEnd(), current + QStringLiteral(" x86_64"));
    EXPECT_TRUE(
        launched.err.startsWith(QStringLiteral("Launching Logic Pro · Rosetta…\n  · launch request mode=rosetta "
                                               "action=launch path=/Applications/Logic Pro.app doc=nil\n")))
        << launched.err.toStdString();
    EXPECT_TRUE(launched.err.contains(QStringLiteral("\n  · verified stable rosetta pid=")));
    EXPECT_TRUE(launched.err.endsWith(QStringLiteral("Started Logic Pro · Rosetta\n")));
    EXPECT_TRUE(launched.out.isEmpty()) << "standard output stays free for scripts";

    // By name, no mode: native where the copy has it; without the recent project.
    launched = cli({QStringLiteral("launch"), QStringLiteral("--name"), QStringLiteral("logic pro"),
                    QStringLiteral("--without-recent-project")});
    ASSERT_EQ(launched.status, 0) << launched.err.toStdString();
    EXPECT_TRUE(events().filter(QStringLiteral(" arch=arm64 requested=arm64 startupAction=0 ")).size() == 1)
        << "started with the startup action set aside";
    EXPECT_EQ(runningAndEnd(), current + QStringLiteral(" arm64"));

    // A copy with no arm64 slice starts in Rosetta without being told.
    launched = cli({QStringLiteral("launch"), QStringLiteral("--name"), QStringLiteral("Logic Pro X")});
    ASSERT_EQ(launched.status, 0) << launched.err.toStdString();
    EXPECT_EQ(runningAndEnd(), older + QStringLiteral(" x86_64"));

    // By a card's id, in Safe Mode, with a project (a path relative to this machine's folder).
    const auto cards =
        LaunchCardBuilder::buildCards(test::scanner()->scan(test::store()->loadApps()), *test::detector());
    QDir::setCurrent(mac.native(QStringLiteral("~/Music")));
    launched = cli({QStringLiteral("launch"), QStringLiteral("--id"), cards[0].id, QStringLiteral("--safe-mode"),
                    QStringLiteral("Song.logicx")});
    ASSERT_EQ(launched.status, 0) << launched.err.toStdString();
    EXPECT_EQ(events().filter(QStringLiteral("safe-mode-offered")).size(), 1);
    EXPECT_FALSE(events()
                     .filter(QStringLiteral("document-open pid="))
                     .filter(QStringLiteral(" path=/Users/tester/Music/Song.logicx"))
                     .isEmpty());
    EXPECT_TRUE(launched.err.contains(QStringLiteral("doc=/Users/tester/Music/Song.logicx")));
    EXPECT_EQ(runningAndEnd(), current + QStringLiteral(" arm64"));

    // No copy named: the one that last opened the project, said so; none remembered: refused.
    launched = cli({QStringLiteral("launch"), QStringLiteral("Song.logicx")});
    ASSERT_EQ(launched.status, 0) << launched.err.toStdString();
    EXPECT_TRUE(launched.err.startsWith(QStringLiteral("The copy that last opened it: Logic Pro · Native\n")))
        << launched.err.toStdString();
    EXPECT_EQ(runningAndEnd(), current + QStringLiteral(" arm64"));
    mac.writeFile(QStringLiteral("~/Music/Other.logicx/Alternatives/000/ProjectData"), "x");
    launched = cli({QStringLiteral("launch"), QStringLiteral("Other.logicx")});
    EXPECT_EQ(launched.status, 2);
    EXPECT_EQ(launched.err,
              QStringLiteral("vantrel-cli: No copy has opened “Other.logicx” through Vantrel yet: name one "
                             "with --name, --path or --id.\nSee “vantrel-cli --help”.\n"));
}

TEST_F(CommandLineTest, RefusesWhatItCannotLaunchWithTheReasonInEitherLanguage)
{
    mac.addLogicBundle(QStringLiteral("~/Applications/Logic Pro.app"));
    struct Case {
        QStringList arguments;
        int status;
        QString english;
        QString russian;
    };
    const QList<Case> cases = {
        {{QStringLiteral("launch"), QStringLiteral("--name"), QStringLiteral("Logic 9")},
         1,
         QStringLiteral("No Logic Pro is named “Logic 9”. Installed: Logic Pro, Logic Pro, Logic Pro X.\n"),
         QStringLiteral("Нет Logic Pro с именем «Logic 9». Установлены: Logic Pro, Logic Pro, Logic Pro X.\n")},
        {{QStringLiteral("launch"), QStringLiteral("--name"), QStringLiteral("Logic Pro")},
         1,
         QStringLiteral("Several copies are named “Logic Pro”: Logic Pro (/Applications/Logic Pro.app), Logic Pro "
                        "(/Users/tester/Applications/Logic Pro.app). Name one by its path or id.\n"),
         QStringLiteral("Несколько копий называются «Logic Pro»: Logic Pro (/Applications/Logic Pro.app), Logic Pro "
                        "(/Users/tester/Applications/Logic Pro.app). Укажите одну по пути или id.\n")},
        {{QStringLiteral("launch"), QStringLiteral("--path"), older, QStringLiteral("--mode"),
          QStringLiteral("native")},
         1,
         QStringLiteral("Logic Pro X · Native cannot start: No arm64 slice in this binary.\n"),
         QStringLiteral("Logic Pro X · Нативный не запускается: В этом бинарнике нет среза arm64.\n")},
        {{QStringLiteral("launch"), QStringLiteral("--path"), older, QStringLiteral("~/Music/Gone.logicx")},
         1,
         QStringLiteral("Project not found: “/Users/tester/Music/Gone.logicx”.\n"),
         QStringLiteral("Проект не найден: «/Users/tester/Music/Gone.logicx».\n")},
        {{QStringLiteral("launch"), QStringLiteral("--path"), older, QStringLiteral("--mode"), QStringLiteral("arm")},
         2,
         QStringLiteral("vantrel-cli: --mode is native or rosetta\nSee “vantrel-cli --help”.\n"),
         QStringLiteral("vantrel-cli: --mode: native или rosetta\nСм. «vantrel-cli --help».\n")},
        {{QStringLiteral("launch"), QStringLiteral("--safe-mode")},
         2,
         QStringLiteral("vantrel-cli: name the copy with one of --path, --name or --id\nSee “vantrel-cli --help”.\n"),
         QStringLiteral("vantrel-cli: укажите копию одним из параметров --path, --name или --id\nСм. «vantrel-cli "
                        "--help».\n")},
        {{QStringLiteral("list"), QStringLiteral("--safe-mode")},
         2,
         QStringLiteral("vantrel-cli: “--safe-mode” is not an option here\nSee “vantrel-cli --help”.\n"),
         QStringLiteral("vantrel-cli: «--safe-mode» — здесь нет такого параметра\nСм. «vantrel-cli --help».\n")},
        {{QStringLiteral("launch"), QStringLiteral("--path"), older, QStringLiteral("--mode=native"),
          QStringLiteral("--mode"), QStringLiteral("rosetta")},
         2,
         QStringLiteral("vantrel-cli: “--mode” is given twice\nSee “vantrel-cli --help”.\n"),
         QStringLiteral("vantrel-cli: «--mode» указан дважды\nСм. «vantrel-cli --help».\n")},
        {{QStringLiteral("start")},
         2,
         QStringLiteral("vantrel-cli: “start” is not a command\nSee “vantrel-cli --help”.\n"),
         QStringLiteral("vantrel-cli: «start» — неизвестная команда\nСм. «vantrel-cli --help».\n")},
    };
    for (const Case& c : cases) {
        for (const char* language : {"en", "ru"}) {
            const Outcome refused =
                cli(QStringList{QStringLiteral("--lang"), QString::fromLatin1(language)} + c.arguments);
            EXPECT_EQ(refused.status, c.status) << c.arguments.join(u' ').toStdString();
            EXPECT_EQ(refused.err, *language == 'e' ? c.english : c.russian) << c.arguments.join(u' ').toStdString();
        }
    }
    EXPECT_TRUE(running().isEmpty()) << "nothing started";
    EXPECT_TRUE(events().filter(QStringLiteral("launch pid=")).isEmpty());
    // Each launch refused before the engine leaves its reason in the launch log (usage
    // mistakes, which never reach a launch, do not).
    const QStringList refusals = launchLogMessages(mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log")))
                                     .filter(QStringLiteral("vantrel-cli launch refused: "));
    EXPECT_EQ(refusals.size(), 2 * 4) << refusals.join(u'\n').toStdString();
    EXPECT_TRUE(refusals.contains(QStringLiteral("vantrel-cli launch refused: Project not found: "
                                                 "“/Users/tester/Music/Gone.logicx”.")));

    // No command: the help, and wrong usage.
    const Outcome bare = cli({QStringLiteral("--lang"), QStringLiteral("en")});
    EXPECT_EQ(bare.status, 2);
    EXPECT_TRUE(bare.err.startsWith(QStringLiteral("Usage: vantrel-cli [--lang ru|en] [--root DIR] COMMAND\n")));
    const Outcome help = cli({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Использование: vantrel-cli"))) << "the Mac's language: Russian";

    // Output that cannot be written is a failure, whatever the command.
    for (const QStringList& command : {QStringList{QStringLiteral("list")}, QStringList{QStringLiteral("--help")},
                                       QStringList{QStringLiteral("plugins"), QStringLiteral("--json")}}) {
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(VANTREL_CLI_PATH),
                      QStringList{QStringLiteral("--root"), mac.root(), QStringLiteral("--lang"), QStringLiteral("en")}
                          + command);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 1) << command.join(u' ').toStdString();
        EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()),
                  QStringLiteral("vantrel-cli: its output could not be written (the disk may be full)\n"));
    }
}

TEST_F(CommandLineTest, AnUnreadablePreferencesFileIsLeftWholeAndNothingStarts)
{
    // A value this reader refuses (a date past 2069, as macOS writes for "never") beside
    // the user's keys: rewriting the file from what could be read would wipe them all.
    const QString logicFile = QStringLiteral("~/Library/Preferences/com.apple.logic10.plist");
    const QByteArray held = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                            "<key>startupAction</key><integer>1</integer>"
                            "<key>RemindMeNever</key><date>4001-01-01T00:00:00Z</date>"
                            "<key>AudioBufferSize</key><integer>256</integer></dict></plist>\n";
    mac.writeFile(logicFile, held);
    const Outcome refused = cli({QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("launch"),
                                 QStringLiteral("--path"), older, QStringLiteral("--without-recent-project")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Logic Pro’s preferences file cannot be read")))
        << refused.err.toStdString();
    EXPECT_EQ(mac.readFile(logicFile), std::optional(held)) << "every key of the user's is still there";
    EXPECT_TRUE(running().isEmpty()) << "nothing started";
    EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides")), std::nullopt);
}

TEST_F(CommandLineTest, ASignalDuringALaunchPutsTheStartupActionBackAndSaysWhichSignal)
{
    // A script runner's time-out (SIGTERM), Ctrl-C (SIGINT), a closed terminal (SIGHUP),
    // each arriving while Logic's startup action is overridden.
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        logic->setValue(QStringLiteral("startupAction"), qint64(1));
        QProcess process;
        process.start(QStringLiteral(VANTREL_CLI_PATH),
                      {QStringLiteral("--root"), mac.root(), QStringLiteral("--lang"), QStringLiteral("en"),
                       QStringLiteral("launch"), QStringLiteral("--path"), current,
                       QStringLiteral("--without-recent-project")});
        ASSERT_TRUE(waitUntil([&] { return logic->integer(QStringLiteral("startupAction")) == 0; }, 20000))
            << "the override was made";
        ::kill(pid_t(process.processId()), number);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << number;
        EXPECT_EQ(process.exitCode(), 128 + number);
        EXPECT_EQ(logic->value(QStringLiteral("startupAction")), QVariant(qint64(1))) << "put back before the end";
        EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides")), std::nullopt);
        EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains(u"interrupted by a signal"));
        EXPECT_EQ(runningAndEnd(), current + QStringLiteral(" arm64"))
            << "the launch past its quit step ran to its end";
    }
}

TEST_F(CommandLineTest, WaitsForNoLauncherWindowAndReportsThePlugIns)
{
    // A launcher's window runs on this Mac: it holds the lock for its life, in this run's
    // private folder (the test main's), named after the Mac's canonical folder.
    const QString folder = InstanceLock::defaultFolder();
    ASSERT_EQ(InstanceLock::folderState(folder), InstanceLock::FolderState::usable);
    ASSERT_NE(folder, QStringLiteral("/tmp/vantrel-%1").arg(::geteuid())) << "never the user's own folder";
    const QByteArray lockPath = QFile::encodeName(InstanceLock::basePath(folder, InstanceLock::keyOfFolder(mac.root()))
                                                  + QStringLiteral(".lock"));
    const int lock = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    const QStringList launchOne{QStringLiteral("--lang"), QStringLiteral("en"), QStringLiteral("launch"),
                                QStringLiteral("--path"), older};
    const QString linkedRoot = mac.root() + QStringLiteral("-link");
    ASSERT_TRUE(QFile::link(mac.root(), linkedRoot));
    for (const QString& root : {mac.root(), linkedRoot}) {
        const Outcome refused = cli(launchOne, root);
        EXPECT_EQ(refused.status, 1) << root.toStdString();
        EXPECT_EQ(refused.err,
                  QStringLiteral("Vantrel’s window is open on this Mac. Launch from it, or close it and try again.\n"));
    }
    QFile::remove(linkedRoot);
    EXPECT_TRUE(running().isEmpty());
    EXPECT_TRUE(launchLogMessages(mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log")))
                    .contains(QStringLiteral("vantrel-cli launch refused: Vantrel’s window is open on this Mac. "
                                             "Launch from it, or close it and try again.")));
    // A lock that is not this user's own file is no window of theirs.
    if (::geteuid() == 0) {
        ASSERT_EQ(::fchown(lock, 65534, 65534), 0);
        const Outcome planted = cli(launchOne);
        EXPECT_EQ(planted.status, 0) << planted.err.toStdString();
        EXPECT_EQ(runningAndEnd(), older + QStringLiteral(" x86_64"));
        ASSERT_EQ(::fchown(lock, 0, 0), 0);
    }
    EXPECT_EQ(cli({QStringLiteral("list")}).status, 0) << "listing needs no lock";
    ::close(lock);
    EXPECT_EQ(cli(launchOne).status, 0) << "the window gone, the launch runs";
    EXPECT_EQ(runningAndEnd(), older + QStringLiteral(" x86_64"));

    // The plug-in report, as the launcher and vantrel-sim read it.
    ASSERT_EQ(run(AppLauncher::toolPath(), {QStringLiteral("add-plugin"), QStringLiteral("Reverb"),
                                            QStringLiteral("--slices"), QStringLiteral("x86_64")})
                  .status,
              0);
    const Outcome plugins = cli({QStringLiteral("plugins"), QStringLiteral("--json")});
    ASSERT_EQ(plugins.status, 0) << plugins.err.toStdString();
    const QJsonArray report = QJsonDocument::fromJson(plugins.out.toUtf8()).array();
    ASSERT_EQ(report.size(), 1);
    EXPECT_EQ(report[0].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Reverb"));
    EXPECT_EQ(plugins.out, run(AppLauncher::toolPath(), {QStringLiteral("plugins"), QStringLiteral("--json")}).out);
}
