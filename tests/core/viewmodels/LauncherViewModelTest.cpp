#include "viewmodels/LauncherViewModel.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LogicScanner.h"
#include "installations/VersionReader.h"
#include "launch/LaunchTesting.h"
#include "plugins/PluginInventory.h"
#include "settings/SettingsManager.h"
#include "support/HostObjects.h"
#include "viewmodels/LogicSupportActions.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

class RecordingMenus final : public MenuPresenter {
public:
    QList<Menu> shown;
    std::function<void(const QVariant&)> choose;
    void popUp(const Menu& menu, QObject*, std::function<void(const QVariant&)> onChoose) override
    {
        shown.append(menu);
        choose = std::move(onChoose);
    }
};

struct LauncherModelTest : LaunchTest {
    RecordingMenus menus;
    QStringList shell; // the shell callbacks, in the order they were called
    std::unique_ptr<LauncherViewModel> model;
    std::unique_ptr<QAbstractItemModelTester> cardModelTester;
    std::shared_ptr<ArchitectureDetector> detector;
    std::shared_ptr<PluginInventory> plugins;

    void SetUp() override
    {
        LaunchTest::SetUp();
        sim::writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/Logic Pro Intel.app"),
                                    .identifier = QStringLiteral("com.apple.logic10"),
                                    .shortVersion = QStringLiteral("10.4"),
                                    .slices = {{sim::MachO::cpuTypeX86_64}}});
        detector = test::detector();
        auto manager = std::shared_ptr<LaunchManager>(this->manager.release());
        LauncherViewModel::Collaborators c;
        c.scanner = test::scanner(detector);
        c.architectureDetector = detector;
        c.versionReader = std::make_shared<VersionReader>(test::versionReader());
        c.launchManager = manager;
        c.supportActions = std::make_shared<LogicSupportActions>(workspace, mac.fs(), mac.host().scripting());
        c.settingsManager = std::make_shared<SettingsManager>(test::store(), c.scanner);
        c.workspace = &workspace;
        c.securityScope = &scope;
        c.fileSystem = &mac.fs();
        c.logger = &test::logger();
        c.menus = &menus;
        plugins = Services::makePluginInventory(mac.host());
        c.plugins = plugins;
        model = std::make_unique<LauncherViewModel>(c);
        // Every change of the cards' list model, in every test, checked against the
        // item-model contract.
        cardModelTester = std::make_unique<QAbstractItemModelTester>(
            model->cardModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        model->onBusyLaunchingChanged = [this](bool busy) {
            shell << (busy ? QStringLiteral("busy") : QStringLiteral("idle"));
        };
        model->onHideForLaunch = [this](std::function<void()> done) {
            shell << QStringLiteral("hide");
            done();
        };
        model->onTerminateAfterLaunch = [this] { shell << QStringLiteral("terminate"); };
        model->onRevealAfterFailedLaunch = [this] { shell << QStringLiteral("reveal"); };
        model->onCloseRequested = [this] { shell << QStringLiteral("close"); };
        model->onSuppressFocusLossClose = [this](Duration d) {
            shell << QStringLiteral("suppress %1").arg(inSeconds(d));
        };
        model->refresh();
    }

    const LaunchCard& card(const QString& name, LaunchArchitecture mode)
    {
        for (const LaunchCard& c : model->cards()) {
            if (c.app.displayName == name && c.architecture == mode) {
                return c;
            }
        }
        static LaunchCard none;
        ADD_FAILURE() << "no card " << name.toStdString();
        return none;
    }

    void finishTasks()
    {
        auto pending = model->tasks().waitForPending();
        mac.clock().runUntilDone(pending, std::chrono::hours(1));
    }

    // `open -n` starts the bundle in the asked architecture.
    void openStarts(qint32 pid)
    {
        commands.handler = [this, pid](const QString&, const QStringList& arguments) -> Task<CommandRunner::Result> {
            if (arguments.value(0) == u"-n") {
                workspace.add(pid, arguments.value(4),
                              arguments.value(2) == u"x86_64" ? CpuType::x86_64 : CpuType::arm64);
            }
            co_return CommandRunner::Result{0, {}};
        };
    }
};

} // namespace

TEST_F(LauncherModelTest, RefreshSeedsTheListAndBuildsTheCards)
{
    EXPECT_EQ(model->settingsManager().apps().size(), 3) << "the first refresh persists what the scan found";
    EXPECT_EQ(model->cards().size(), 6);
    EXPECT_EQ(model->cardModel()->rowCount(), 6);
    EXPECT_EQ(model->cards()[0].id, model->settingsManager().apps()[0].idText() + QStringLiteral("-native"));
    const QUuid firstID = model->settingsManager().apps()[0].id;
    model->refresh();
    EXPECT_EQ(model->settingsManager().apps()[0].id, firstID) << "stored identities are kept";
}

TEST_F(LauncherModelTest, AnUnavailableCardOnlySelects)
{
    const LaunchCard intelNative = card(QStringLiteral("Logic Pro Intel"), LaunchArchitecture::native);
    ASSERT_FALSE(intelNative.isAvailable);
    model->handleCardClick(intelNative);
    EXPECT_EQ(model->selectedCardID(), intelNative.id);
    EXPECT_TRUE(shell.isEmpty());
    EXPECT_EQ(model->tasks().pendingCount(), 0u);
}

TEST_F(LauncherModelTest, SelectionMovesWithoutWrappingAndSurvivesRebuilds)
{
    const auto& cards = model->cards();
    EXPECT_TRUE(model->handleKeyDown(Qt::Key_Right));
    EXPECT_EQ(model->selectedCardID(), cards.first().id);
    EXPECT_TRUE(model->handleKeyDown(Qt::Key_Left));
    EXPECT_EQ(model->selectedCardID(), cards.first().id) << "no wrap at the first card";
    for (int i = 0; i < 10; ++i) {
        model->selectNext();
    }
    EXPECT_EQ(model->selectedCardID(), cards.last().id) << "no wrap at the last card";

    // The selected card disappears in a rebuild: nothing is selected; Left selects the last.
    const QUuid intel = model->cards().last().app.id;
    model->settingsManager().setModeHidden(intel, LaunchArchitecture::rosetta, true);
    model->refresh();
    EXPECT_EQ(model->selectedCardID(), std::nullopt);
    model->selectPrevious();
    EXPECT_EQ(model->selectedCardID(), model->cards().last().id);
    EXPECT_FALSE(model->handleKeyDown(Qt::Key_A));
    EXPECT_FALSE(model->handleKeyDown(Qt::Key_Tab));
}

TEST_F(LauncherModelTest, SpaceThenEscapeTwice)
{
    EXPECT_TRUE(model->handleKeyDown(Qt::Key_Space));
    EXPECT_EQ(model->selectedCardID(), model->cards().first().id);
    EXPECT_TRUE(model->showInfoPopover());
    EXPECT_TRUE(model->handleKeyDown(Qt::Key_Escape));
    EXPECT_FALSE(model->showInfoPopover());
    EXPECT_TRUE(shell.isEmpty());
    EXPECT_TRUE(model->handleKeyDown(Qt::Key_Escape));
    EXPECT_EQ(shell, QStringList{QStringLiteral("close")});
}

TEST_F(LauncherModelTest, TheOverlayNamesThePlugInsThatDoNotLoadInTheCardsMode)
{
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
    const sim::MachO::Slice arm{sim::MachO::cpuTypeArm64}, intel{sim::MachO::cpuTypeX86_64};
    for (const char* name : {"Echo", "Verb"}) {
        ASSERT_TRUE(sim::writeComponent(mac.fs(), {.name = QString::fromLatin1(name)}));
    }
    ASSERT_TRUE(sim::writeComponent(mac.fs(), {.name = QStringLiteral("Amp"), .slices = {intel}}));
    ASSERT_TRUE(sim::writeComponent(mac.fs(), {.name = QStringLiteral("EQ"), .slices = {arm}}));
    const auto lineOf = [&](LaunchArchitecture mode) {
        const auto it = std::find_if(model->cards().cbegin(), model->cards().cend(),
                                     [&](const LaunchCard& c) { return c.architecture == mode && c.isAvailable; });
        EXPECT_NE(it, model->cards().cend());
        model->setProperty("selectedCardID", it->id);
        return model->property("selectedCard").toMap().value(QStringLiteral("pluginsText")).toString();
    };
    EXPECT_EQ(lineOf(LaunchArchitecture::native), QString()) << "no line before the report";

    QSignalSpy changed(model.get(), &LauncherViewModel::selectedCardChanged);
    plugins->start();
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(lineOf(LaunchArchitecture::native),
              QStringLiteral("3\u00A0load\u00A0here · 1\u00A0only\u00A0under\u00A0Rosetta"));
    EXPECT_EQ(lineOf(LaunchArchitecture::rosetta), QStringLiteral("3\u00A0load\u00A0here · 1\u00A0only\u00A0natively"));
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    EXPECT_EQ(lineOf(LaunchArchitecture::rosetta),
              QStringLiteral("загружаются\u00A0здесь\u00A0—\u00A03 · только\u00A0нативно\u00A0—\u00A01"));
}

TEST_F(LauncherModelTest, OptionClickOpensTheMenuAndAChoiceRunsIt)
{
    const LaunchCard logic = card(QStringLiteral("Logic Pro"), LaunchArchitecture::rosetta);
    model->handleCardClick(logic, Qt::AltModifier);
    EXPECT_TRUE(menus.shown.isEmpty()) << "shown on the next turn, never inside the click";
    QCoreApplication::processEvents();
    ASSERT_EQ(menus.shown.size(), 1);
    EXPECT_EQ(shell, QStringList{QStringLiteral("suppress 0.35")});
    EXPECT_EQ(model->tasks().pendingCount(), 0u) << "no launch from an Option-click";

    menus.choose(QStringLiteral("revealInFinder"));
    finishTasks();
    EXPECT_EQ(shell, (QStringList{QStringLiteral("suppress 0.35"), QStringLiteral("busy"), QStringLiteral("busy"),
                                  QStringLiteral("suppress 1.5"), QStringLiteral("idle")}));
    EXPECT_TRUE(workspace.journal.contains(QStringLiteral("reveal /Applications/Logic Pro.app")));
    EXPECT_FALSE(model->isLaunching());

    // Return with Option on the selected card opens the menu too.
    EXPECT_TRUE(model->handleKeyDown(Qt::Key_Return, Qt::AltModifier));
    QCoreApplication::processEvents();
    EXPECT_EQ(menus.shown.size(), 2);

    // Once the model is gone, a late choice, or a menu still to be shown, does nothing.
    EXPECT_TRUE(model->handleKeyDown(Qt::Key_Return, Qt::AltModifier));
    auto choose = menus.choose;
    model.reset();
    shell.clear();
    QCoreApplication::processEvents();
    EXPECT_EQ(menus.shown.size(), 2);
    choose(QStringLiteral("launch"));
    EXPECT_TRUE(shell.isEmpty());
}

TEST_F(LauncherModelTest, EverySupportActionHoldsTheLauncherOpenAndNeverHidesIt)
{
    const LaunchCard logic = card(QStringLiteral("Logic Pro"), LaunchArchitecture::native);
    for (const char* action : {"openPluginsFolder", "openPreferences", "showInfo"}) {
        model->handleCardClick(logic, Qt::AltModifier);
        QCoreApplication::processEvents();
        shell.clear();
        menus.choose(QString::fromLatin1(action));
        finishTasks();
        EXPECT_EQ(shell, (QStringList{QStringLiteral("busy"), QStringLiteral("busy"), QStringLiteral("suppress 1.5"),
                                      QStringLiteral("idle")}))
            << action;
        EXPECT_FALSE(model->isLaunching());
    }
    EXPECT_TRUE(workspace.journal.filter(QStringLiteral("run ")).isEmpty()) << "nothing launched";
}

TEST_F(LauncherModelTest, ReturnAndEnterOnAnUnavailableCardDoNothing)
{
    model->handleCardClick(card(QStringLiteral("Logic Pro Intel"), LaunchArchitecture::native));
    EXPECT_TRUE(model->handleKeyDown(Qt::Key_Return));
    EXPECT_TRUE(model->handleKeyDown(Qt::Key_Enter));
    EXPECT_TRUE(model->handleKeyDown(Qt::Key_Enter, Qt::AltModifier));
    QCoreApplication::processEvents();
    EXPECT_TRUE(shell.isEmpty());
    EXPECT_TRUE(menus.shown.isEmpty());
    EXPECT_EQ(model->tasks().pendingCount(), 0u);
}

TEST_F(LauncherModelTest, TheSelectedCardFollowsItsContentAndNeverPointsAtAVanishedCard)
{
    const LaunchCard logic = card(QStringLiteral("Logic Pro"), LaunchArchitecture::rosetta);
    model->handleCardClick(logic);
    finishTasks();
    int selectedChanges = 0;
    QObject::connect(model.get(), &LauncherViewModel::selectedCardChanged, [&] { ++selectedChanges; });
    QStringList seenOnCardsChanged;
    QObject::connect(model.get(), &LauncherViewModel::cardsChanged, [&] {
        seenOnCardsChanged << model->property("selectedCard").toMap().value(QStringLiteral("id")).toString();
    });

    model->refresh();
    EXPECT_EQ(selectedChanges, 0) << "nothing about the card changed";

    // The copy is updated in place: same card, new version.
    ASSERT_TRUE(sim::writeBundle(mac.fs(), {.path = logicPath,
                                            .identifier = QStringLiteral("com.apple.logic10"),
                                            .shortVersion = QStringLiteral("11.1")}));
    model->refresh();
    EXPECT_EQ(selectedChanges, 1);
    EXPECT_EQ(model->property("selectedCard").toMap().value(QStringLiteral("shortVersion")), QStringLiteral("11.1"));

    // The card vanishes: by the time observers hear of the new cards, nothing is selected.
    model->settingsManager().setModeHidden(logic.app.id, LaunchArchitecture::rosetta, true);
    model->refresh();
    EXPECT_EQ(seenOnCardsChanged.last(), QString());
    EXPECT_EQ(selectedChanges, 2);
}

TEST_F(LauncherModelTest, ALaunchPassesThePendingProjectAndEachActionClearsTheStatusLine)
{
    mac.writeFile(QStringLiteral("~/Music/Song.logicx"), "project");
    const QString song = QStringLiteral("/Users/tester/Music/Song.logicx");
    model->setPendingProject(HostPath::fileURL(song));
    workspace.add(3301, logicPath, CpuType::x86_64);
    mac.host().standardDefaults()->setValue(QStringLiteral("closeOtherLogicOnLaunch"), false);
    model->onTerminateAfterLaunch = nullptr;
    openStarts(3302);
    model->handleCardClick(card(QStringLiteral("Logic Pro"), LaunchArchitecture::native));
    finishTasks();
    EXPECT_TRUE(steps().contains(QStringLiteral("launch request mode=native action=launch path=") + logicPath
                                 + QStringLiteral(" doc=") + song));
    EXPECT_EQ(model->statusMessage(),
              QStringLiteral("Another architecture of this Logic Pro is already running. A second instance will be "
                             "requested; Logic Pro may refuse due to shared resources."));

    model->handleCardClick(card(QStringLiteral("Logic Pro"), LaunchArchitecture::native), Qt::AltModifier);
    QCoreApplication::processEvents();
    menus.choose(QStringLiteral("revealInFinder"));
    finishTasks();
    EXPECT_EQ(model->statusMessage(), std::nullopt) << "the next action starts with a clear status line";
}

TEST_F(LauncherModelTest, ASuccessfulLaunchTerminatesAfterwards)
{
    openStarts(3001);
    const LaunchCard logic = card(QStringLiteral("Logic Pro"), LaunchArchitecture::rosetta);
    model->handleCardClick(logic);
    finishTasks();
    EXPECT_EQ(shell, (QStringList{QStringLiteral("busy"), QStringLiteral("busy"), QStringLiteral("hide"),
                                  QStringLiteral("terminate"), QStringLiteral("idle")}));
    EXPECT_EQ(model->errorMessage(), std::nullopt);
    EXPECT_TRUE(workspace.journal.contains(
        QStringLiteral("run /usr/bin/open -n --arch x86_64 -a /Applications/Logic Pro.app")));
}

TEST_F(LauncherModelTest, AFailedLaunchShowsItsErrorAndRevealsThePanel)
{
    commands.handler = [](const QString&, const QStringList&) -> Task<CommandRunner::Result> {
        co_return CommandRunner::Result{1, {}};
    };
    model->handleCardClick(card(QStringLiteral("Logic Pro"), LaunchArchitecture::native));
    finishTasks();
    EXPECT_EQ(shell, (QStringList{QStringLiteral("busy"), QStringLiteral("busy"), QStringLiteral("hide"),
                                  QStringLiteral("idle"), QStringLiteral("reveal")}));
    EXPECT_EQ(model->errorMessage(), QStringLiteral("Launch failed: no handler"));
    EXPECT_FALSE(model->isLaunching());
    EXPECT_EQ(model->cards().size(), 6) << "cards and selection survive for another try";
    // The line follows the interface language; the platform's own detail keeps its words.
    QStringList changed;
    QObject::connect(model.get(), &LauncherViewModel::messageChanged, [&] { changed << model->messageText(); });
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    model->retranslate();
    EXPECT_EQ(changed, QStringList{QStringLiteral("Ошибка запуска: no handler")});
}

TEST_F(LauncherModelTest, AFailedQuitNeverHidesThePanelButStillRevealsIt)
{
    auto stubborn = workspace.add(3101, QStringLiteral("/Applications/Logic Pro X Old.app"));
    stubborn->quitsAfter.reset();
    model->handleCardClick(card(QStringLiteral("Logic Pro"), LaunchArchitecture::native));
    finishTasks();
    EXPECT_EQ(shell, (QStringList{QStringLiteral("busy"), QStringLiteral("busy"), QStringLiteral("idle"),
                                  QStringLiteral("reveal")}));
    EXPECT_EQ(model->errorMessage(), QStringLiteral("Operation cancelled."));
}

TEST_F(LauncherModelTest, SafeModeWithoutThePermissionToPostKeysIsRefusedBeforeAnythingQuits)
{
    workspace.add(3102, QStringLiteral("/Applications/Logic Pro X Old.app"));
    keyboard.postAccess = false;
    model->handleCardClick(card(QStringLiteral("Logic Pro"), LaunchArchitecture::native), Qt::AltModifier);
    QCoreApplication::processEvents();
    ASSERT_EQ(menus.shown.size(), 1);
    shell.clear();
    menus.choose(QStringLiteral("launchSafeMode"));
    finishTasks();
    EXPECT_EQ(shell, (QStringList{QStringLiteral("busy"), QStringLiteral("busy"), QStringLiteral("idle"),
                                  QStringLiteral("reveal")}));
    EXPECT_EQ(model->errorMessage(),
              QStringLiteral("Launch failed: Safe Mode needs Vantrel to hold the Control key. Allow Vantrel in System "
                             "Settings › Privacy & Security › Accessibility, then try again."));
    EXPECT_TRUE(workspace.journal.filter(QStringLiteral("terminate")).isEmpty());
    EXPECT_TRUE(workspace.journal.filter(QStringLiteral("run ")).isEmpty());
    EXPECT_TRUE(workspace.journal.filter(QStringLiteral("key-")).isEmpty());
}

TEST_F(LauncherModelTest, NoSelectionMeansIdle)
{
    auto outcome = run(model->perform(LaunchAction::launch));
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(shell, QStringList{QStringLiteral("idle")});
}

TEST_F(LauncherModelTest, PendingProjectsAndTheirAccess)
{
    const QString big = QStringLiteral("/Users/tester/Music/Big Song.LOGICX");
    const QString old = QStringLiteral("/Users/tester/Old.lso");
    // A project that is not there is refused with its own message, before anything else.
    model->setPendingProject(HostPath::fileURL(big));
    EXPECT_EQ(model->pendingProjectURL(), std::nullopt);
    EXPECT_EQ(model->errorMessage(), QStringLiteral("Project not found: “") + big + QStringLiteral("”."));
    mac.writeFile(big + QStringLiteral("/Alternatives/000/ProjectData"), "x");
    mac.writeFile(old, "x");
    model->setPendingProject(HostPath::fileURL(QStringLiteral("/Users/tester/Music/./Big Song.LOGICX")));
    EXPECT_EQ(model->pendingProjectURL(), HostPath::fileURL(big));
    EXPECT_EQ(model->pendingProjectDisplayName(), QStringLiteral("Big Song"));
    model->setPendingProject(HostPath::fileURL(QStringLiteral("/Users/tester/notes.txt")));
    EXPECT_EQ(model->pendingProjectDisplayName(), QStringLiteral("Big Song")) << "the earlier project stays";
    EXPECT_EQ(model->errorMessage(), QStringLiteral("The selected item is not a valid macOS application bundle."));
    EXPECT_EQ(workspace.journal.filter(QStringLiteral("scope stop")), QStringList{})
        << "the refused drop leaves the earlier project's access alone";
    model->setPendingProject(HostPath::fileURL(old));
    EXPECT_EQ(model->errorMessage(), std::nullopt);
    model->clearPendingProject();
    EXPECT_EQ(model->pendingProjectURL(), std::nullopt);
    EXPECT_EQ(model->pendingProjectDisplayName(), std::nullopt);
    model->clearPendingProject();

    // Access is held for exactly as long as a project is pending.
    EXPECT_EQ(workspace.journal.filter(QStringLiteral("scope ")),
              (QStringList{QStringLiteral("scope start ") + big, QStringLiteral("scope stop ") + big,
                           QStringLiteral("scope start ") + old, QStringLiteral("scope stop ") + old}));
}

TEST_F(LauncherModelTest, AHideCompletedAfterTheModelIsGoneDoesNothing)
{
    std::function<void()> completeHide;
    model->onHideForLaunch = [&](std::function<void()> done) { completeHide = std::move(done); };
    openStarts(3401);
    model->handleCardClick(card(QStringLiteral("Logic Pro"), LaunchArchitecture::native));
    mac.clock().runUntilIdle();
    ASSERT_TRUE(completeHide) << "the launch waits for the hide";
    model.reset();
    shell.clear();
    completeHide();
    mac.clock().runUntilIdle();
    EXPECT_TRUE(shell.isEmpty());
    EXPECT_FALSE(workspace.journal.contains(QStringLiteral("run /usr/bin/open -n --arch arm64 -a ") + logicPath));
}

TEST(LauncherWindowLayout, SizeFollowsCardsOverlayAndProject)
{
    EXPECT_EQ(LauncherViewModel::windowSize(1, false, false), QSize(360, 204));
    EXPECT_EQ(LauncherViewModel::windowSize(2, false, false), QSize(372, 204));
    EXPECT_EQ(LauncherViewModel::windowSize(4, false, false), QSize(708, 204));
    EXPECT_EQ(LauncherViewModel::windowSize(5, false, false), QSize(720, 204)) << "876 clamped";
    EXPECT_EQ(LauncherViewModel::windowSize(0, false, false), QSize(360, 200));
    EXPECT_EQ(LauncherViewModel::windowSize(3, true, false), QSize(540, 360));
    EXPECT_EQ(LauncherViewModel::windowSize(0, true, true), QSize(360, 394));
    EXPECT_EQ(LauncherViewModel::windowSize(1, false, true), QSize(360, 238));
    EXPECT_FALSE(LauncherViewModel::stripScrolls(4));
    EXPECT_TRUE(LauncherViewModel::stripScrolls(5));
}

TEST_F(LauncherModelTest, TheMessageLineShowsTheErrorOverTheStatus)
{
    openStarts(3501);
    workspace.add(3502, logicPath, CpuType::x86_64);
    mac.host().standardDefaults()->setValue(QStringLiteral("closeOtherLogicOnLaunch"), false);
    model->onTerminateAfterLaunch = nullptr;
    model->handleCardClick(card(QStringLiteral("Logic Pro"), LaunchArchitecture::native));
    finishTasks();
    ASSERT_TRUE(model->statusMessage());
    EXPECT_EQ(model->messageText(), *model->statusMessage());
    EXPECT_FALSE(model->messageIsError());
    model->setPendingProject(HostPath::fileURL(QStringLiteral("/Users/tester/notes.txt")));
    EXPECT_TRUE(model->statusMessage()) << "both are set";
    EXPECT_EQ(model->messageText(), *model->errorMessage());
    EXPECT_TRUE(model->messageIsError());
}
