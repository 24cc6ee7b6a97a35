// The settings window offscreen, opened from a running launcher over a temporary
// simulated Mac. With VANTREL_SCREENSHOT_DIR set, its states are also kept as pictures.
#include "Services.h"
#include "app/AppDelegate.h"
#include "app/LauncherPanelController.h"
#include "app/QuickTesting.h"
#include "app/SettingsWindowController.h"
#include "plugins/PluginInventory.h"
#include "settings/ProjectMemory.h"
#include "settings/SettingsManager.h"
#include "simhost/fixtures/BundleWriter.h"
#include "simhost/fixtures/DemoMac.h"
#include "simhost/machine/EventLog.h"
#include "support/HostObjects.h"
#include "support/TempSimulatedMac.h"
#include "text/LocalizationStore.h"
#include "viewmodels/LauncherViewModel.h"
#include "viewmodels/SettingsViewModel.h"

#include <QDir>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

struct SettingsWindowTest : ::testing::Test {
    TempSimulatedMac mac;
    std::unique_ptr<Services> services;
    std::unique_ptr<AppDelegate> delegate;
    std::shared_ptr<RecordingWindowing> windowing = std::make_shared<RecordingWindowing>();
    const QString universal = QStringLiteral("/Applications/Logic Pro.app");
    const QString gone = QStringLiteral("/Applications/Logic Pro Old.app");
    const QString beta = QStringLiteral("/Applications/Logic Pro Beta.app");

    void SetUp() override
    {
        mac.mac().setRosettaInstalled(true);
        test::localization().setLanguageCode(QStringLiteral("ru"));
    }

    void TearDown() override { mac.clock().advance(std::chrono::seconds(1)); } // the waits after a close

    // Three installations: a universal copy, one deleted from disk since it was listed, and
    // one for Apple silicon only.
    void threeInstallations()
    {
        mac.addLogicBundle(universal);
        mac.addLogicBundle(gone);
        mac.addLogicBundle(beta, {}, {{sim::MachO::cpuTypeArm64}});
    }

    void open()
    {
        if (!delegate) {
            services = std::make_unique<Services>(mac.host());
            delegate = std::make_unique<AppDelegate>(
                *services, AppDelegate::Options{.animate = false, .exit = [] {}, .windowing = windowing});
            delegate->start();
        }
        delegate->openSettings();
        settle();
    }

    SettingsWindowController& settings() { return *delegate->settingsWindow(); }
    QQuickWindow& window() { return settings().window(); }
    QQuickItem* item(const QString& name, QQuickItem* under = nullptr) { return requireItem(window(), name, under); }
    // The settings row of the installation at that path.
    QQuickItem* row(const QString& path)
    {
        for (int i = 0; i < 10; ++i) {
            QQuickItem* candidate = findItem(window().contentItem(), QStringLiteral("row-%1").arg(i));
            if (candidate && candidate->property("bundlePath").toString() == path) {
                return candidate;
            }
        }
        ADD_FAILURE() << "no row for " << path.toStdString();
        static QQuickItem none;
        return &none;
    }
    QStringList texts() { return visibleTexts(window()); }
    LauncherViewModel& launcher() { return *delegate->viewModel(); }

    void click(QQuickItem* target)
    {
        QTest::qWait(20); // laid out as drawn
        const QPoint centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
        QTest::mouseClick(&window(), Qt::LeftButton, Qt::NoModifier, centre);
        settle();
    }

    void shot(const QString& name, const std::function<void()>& prepare = {})
    {
        shotInBothLanguages(window(), QStringLiteral("settings-") + name, prepare);
    }
};

} // namespace

TEST_F(SettingsWindowTest, ALanguageSwitchRewordsBothWindowsAtOnce)
{
    mac.addLogicBundle(universal);
    open();
    EXPECT_TRUE(settings().isVisible());
    EXPECT_EQ(window().title(), L10n::text(AppLanguage::russian, L10n::Key::settingsWindowTitle));
    EXPECT_TRUE(texts().contains(QStringLiteral("Готово")));
    EXPECT_EQ(windowing->journal.filter(QStringLiteral("level")), QStringList{QStringLiteral("level 0")})
        << "the panel steps down to the normal level";
    EXPECT_FALSE(delegate->panel()->window().flags().testFlag(Qt::WindowStaysOnTopHint));

    click(item(QStringLiteral("language-en")));
    EXPECT_EQ(test::localization().languageCode(), QStringLiteral("en"));
    EXPECT_EQ(window().title(), L10n::text(AppLanguage::english, L10n::Key::settingsWindowTitle));
    const QStringList shown = texts();
    for (L10n::Key key : {L10n::Key::done, L10n::Key::behavior, L10n::Key::logicInstallations, L10n::Key::addLogicPro,
                          L10n::Key::dropLogicHere, L10n::Key::about, L10n::Key::closeOnFocusLoss}) {
        EXPECT_TRUE(shown.contains(L10n::text(AppLanguage::english, key))) << rawValue(key).toStdString();
    }
    EXPECT_FALSE(shown.contains(QStringLiteral("Готово")));
    EXPECT_TRUE(visibleTexts(delegate->panel()->window()).contains(QStringLiteral("Version 11.0")))
        << "the launcher switches too";
}

TEST_F(SettingsWindowTest, RowsShowWhatIsMissingAndWhichModesExist)
{
    threeInstallations();
    open();
    mac.fs().remove(gone + QStringLiteral("/Contents/Info.plist"));
    mac.fs().remove(gone + QStringLiteral("/Contents/MacOS/Logic Pro X"));
    QDir(mac.native(gone)).removeRecursively();
    launcher().settingsManager().reload(); // the list as the store has it, the bundle now gone
    QTest::qWait(10);
    settle();
    ASSERT_EQ(launcher().settingsManager().apps().size(), 3);

    QQuickItem* missing = row(gone);
    EXPECT_EQ(item(QStringLiteral("rowNote"), missing)->property("text").toString(),
              L10n::text(AppLanguage::russian, L10n::Key::missingOnDisk));
    EXPECT_TRUE(item(QStringLiteral("nativeToggle"), missing)->isVisible());
    EXPECT_TRUE(item(QStringLiteral("rosettaToggle"), missing)->isVisible()) << "unknown slices: both offered";

    QQuickItem* armOnly = row(beta);
    EXPECT_TRUE(item(QStringLiteral("nativeToggle"), armOnly)->isVisible());
    EXPECT_FALSE(item(QStringLiteral("rosettaToggle"), armOnly)->isVisible());
    EXPECT_TRUE(item(QStringLiteral("arm64Only"), armOnly)->isVisible());
    EXPECT_FALSE(item(QStringLiteral("rowNote"), row(universal))->isVisible());
    // Every row's buttons end at the row's edge, and the second mode column lines up.
    for (QQuickItem* each : {missing, armOnly, row(universal)}) {
        QQuickItem* remove = item(QStringLiteral("remove"), each);
        EXPECT_LE(remove->mapToItem(each, QPointF(remove->width(), 0)).x(), each->width() - 8 + 0.5);
    }
    auto left = [&](QQuickItem* rowItem, const QString& name) {
        return item(name, rowItem)->mapToItem(rowItem, QPointF(0, 0)).x();
    };
    EXPECT_EQ(left(missing, QStringLiteral("edit")), left(armOnly, QStringLiteral("edit")));
    shot(QStringLiteral("installations"));

    // A row dragged down past the next one: that one steps aside before the drop, then the
    // order changes.
    QQuickItem* first = item(QStringLiteral("row-0"));
    QQuickItem* second = item(QStringLiteral("row-1"));
    const QString secondPath = second->property("bundlePath").toString();
    const QPoint grab = first->mapToScene(QPointF(first->width() / 2 - 40, first->height() / 2)).toPoint();
    const double secondY = second->mapToScene(QPointF(0, 0)).y();
    QTest::mousePress(&window(), Qt::LeftButton, Qt::NoModifier, grab);
    for (int dy = 5; dy <= 60; dy += 5) {
        QTest::mouseMove(&window(), grab + QPoint(0, dy));
    }
    QTest::qWait(200);
    EXPECT_LT(second->mapToScene(QPointF(0, 0)).y(), secondY - 40) << "a gap opens where the row will land";
    QTest::mouseRelease(&window(), Qt::LeftButton, Qt::NoModifier, grab + QPoint(0, 60));
    settle();
    EXPECT_EQ(launcher().settingsManager().apps()[0].bundlePath, secondPath);
}

TEST_F(SettingsWindowTest, TheEditorAddsEditsAndShowsItsErrors)
{
    open();
    EXPECT_EQ(window().activeFocusItem()->objectName(), QStringLiteral("draftName")) << "ready for typing";
    EXPECT_TRUE(item(QStringLiteral("noSavedInstallations"))->isVisible());
    shot(QStringLiteral("empty"));
    // (Items are looked up anew each time: a language switch for a picture rebuilds them.)
    auto save = [this] { return item(QStringLiteral("saveDraft")); };
    EXPECT_FALSE(save()->isEnabled()) << "nothing to add without a path";
    EXPECT_FALSE(item(QStringLiteral("cancelEdit"))->isVisible());

    mac.addLogicBundle(QStringLiteral("/Volumes/Studio/Logic Pro.app"));
    click(item(QStringLiteral("draftPath")));
    for (const QChar c : QStringLiteral("/Volumes/Studio/Logic Pro.ap")) {
        QTest::keyClick(&window(), c.toLatin1());
    }
    EXPECT_TRUE(save()->isEnabled());
    click(save());
    EXPECT_EQ(item(QStringLiteral("editorError"))->property("text").toString(),
              L10n::text(AppLanguage::russian, L10n::Key::errorInvalidBundle));
    shot(QStringLiteral("editing-error"), [this] { settings().viewModel().saveDraft(); });

    click(item(QStringLiteral("draftPath")));
    QTest::keyClick(&window(), Qt::Key_P);
    click(save());
    ASSERT_EQ(launcher().settingsManager().apps().size(), 1);
    EXPECT_EQ(launcher().settingsManager().apps()[0].bundlePath, QStringLiteral("/Volumes/Studio/Logic Pro.app"));

    // Edit marks its row and brings the editor into view, the name ready for typing.
    click(item(QStringLiteral("edit"), item(QStringLiteral("row-0"))));
    EXPECT_EQ(item(QStringLiteral("row-0"))->property("isEdited"), true);
    EXPECT_EQ(window().activeFocusItem()->objectName(), QStringLiteral("draftName"));
    EXPECT_EQ(item(QStringLiteral("editorHeader"))->property("text").toString(),
              L10n::text(AppLanguage::russian, L10n::Key::editLogicPro));
    EXPECT_EQ(save()->property("text").toString(), L10n::text(AppLanguage::russian, L10n::Key::save));
    EXPECT_TRUE(item(QStringLiteral("cancelEdit"))->isVisible());
    click(item(QStringLiteral("cancelEdit")));
    EXPECT_EQ(save()->property("text").toString(), L10n::text(AppLanguage::russian, L10n::Key::add));

    // Return in a field is Done: the window closes, whatever the field holds.
    click(item(QStringLiteral("draftPath")));
    QTest::keyClick(&window(), Qt::Key_X);
    QTest::keyClick(&window(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(settings().isVisible());
    EXPECT_EQ(launcher().settingsManager().apps().size(), 1) << "nothing was added";
}

TEST_F(SettingsWindowTest, BrowseChoosesABundleInTheOpenPanel)
{
    mac.addLogicBundle(QStringLiteral("/Applications/Logic Pro Studio.app"));
    open();
    // The panel is modal: what it shows is read, and it is answered, from inside its wait
    // (which a hidden window ends, should the answer fail).
    auto answer = [this](const QString& chosenHostPath) {
        QTimer::singleShot(5000, &window(), [this] { window().hide(); });
        QTimer::singleShot(100, [this, chosenHostPath] {
            QObject* panel = findItem(window().contentItem(), QStringLiteral("openPanel"));
            ASSERT_TRUE(panel);
            QObject* dialog = nullptr;
            for (QObject* child : panel->children()) {
                if (QByteArray(child->metaObject()->className()).contains("FolderDialog")) {
                    dialog = child;
                }
            }
            ASSERT_TRUE(dialog) << "bundles are folders on the simulated Mac";
            EXPECT_EQ(dialog->property("currentFolder").toUrl(),
                      QUrl::fromLocalFile(mac.mac().root() + QStringLiteral("/Applications")));
            EXPECT_EQ(dialog->property("title").toString(),
                      L10n::text(AppLanguage::russian, L10n::Key::selectLogicPanelMessage));
            EXPECT_TRUE(dialog->property("visible").toBool());
            if (chosenHostPath.isEmpty()) {
                QMetaObject::invokeMethod(dialog, "reject");
            } else {
                // Qt's own chooser takes the folder it shows.
                dialog->setProperty("currentFolder", QUrl::fromLocalFile(mac.mac().root() + chosenHostPath));
                QMetaObject::invokeMethod(dialog, "accept");
            }
        });
    };
    answer(QStringLiteral("/Applications/Logic Pro Studio.app"));
    click(item(QStringLiteral("browse")));
    EXPECT_EQ(settings().viewModel().draftPath(), QStringLiteral("/Applications/Logic Pro Studio.app"));
    EXPECT_EQ(settings().viewModel().draftName(), QStringLiteral("Logic Pro Studio"));
    answer({});
    click(item(QStringLiteral("browse")));
    EXPECT_EQ(settings().viewModel().draftPath(), QStringLiteral("/Applications/Logic Pro Studio.app"))
        << "cancelled: nothing chosen";
}

TEST_F(SettingsWindowTest, DroppedBundlesAreAddedAndReturnWithNothingToSaveIsDone)
{
    open();
    mac.addLogicBundle(QStringLiteral("/Volumes/Studio/Logic Pro.app"));
    // Dropped from the machine's file manager: a Logic Pro bundle and a text file.
    QQuickItem* zone = item(QStringLiteral("dropZone"));
    QTest::qWait(20);
    dropOn(window(), zone->mapToScene(QPointF(zone->width() / 2, zone->height() / 2)).toPoint(),
           {QUrl::fromLocalFile(mac.native(QStringLiteral("/Volumes/Studio/Logic Pro.app"))),
            QUrl::fromLocalFile(mac.native(QStringLiteral("/Users/tester/notes.txt")))});
    EXPECT_FALSE(settings().viewModel().dropTargetHighlighted());
    ASSERT_EQ(launcher().settingsManager().apps().size(), 1);
    EXPECT_EQ(launcher().settingsManager().apps()[0].bundlePath, QStringLiteral("/Volumes/Studio/Logic Pro.app"));
    EXPECT_EQ(item(QStringLiteral("editorError"))->property("text").toString(),
              L10n::text(AppLanguage::russian, L10n::Key::errorInvalidBundle));

    // The name field has the keyboard; with no path, Return is Done.
    QTest::keyClick(&window(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(settings().isVisible());
}

TEST_F(SettingsWindowTest, ClosingAppliesHiddenModesAndTheNewOrderToTheLauncher)
{
    threeInstallations();
    open();
    const QStringList before = [&] {
        QStringList ids;
        for (const LaunchCard& card : launcher().cards()) {
            ids << card.id;
        }
        return ids;
    }();
    ASSERT_EQ(launcher().cards().size(), 5);
    ASSERT_EQ(launcher().settingsManager().apps()[0].bundlePath, universal); // then Beta, then Old
    click(item(QStringLiteral("rosettaToggle"), row(universal)));
    click(item(QStringLiteral("moveDown"), row(universal)));
    ASSERT_EQ(launcher().settingsManager().apps()[1].bundlePath, universal);

    QTest::keyClick(&window(), Qt::Key_Return); // Done
    settle();
    EXPECT_FALSE(settings().isVisible());
    ASSERT_EQ(launcher().cards().size(), 4) << "the universal copy's Rosetta card is hidden";
    EXPECT_EQ(launcher().cards()[0].app.bundlePath, beta) << "the universal copy moved down";
    EXPECT_EQ(launcher().cards()[1].app.bundlePath, universal);
    EXPECT_EQ(launcher().cards()[1].architecture, LaunchArchitecture::native);
    EXPECT_NE(launcher().cards()[0].id, before[0]);
    EXPECT_EQ(windowing->journal.filter(QStringLiteral("level")),
              (QStringList{QStringLiteral("level 0"), QStringLiteral("level 3")}))
        << "the panel floats again";
    EXPECT_TRUE(delegate->panel()->window().flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(delegate->panel()->window().isVisible());

    open();
    EXPECT_TRUE(settings().isVisible()) << "the same window again";
}

TEST_F(SettingsWindowTest, ProjectHistoryCanBeTurnedOffAndForgotten)
{
    threeInstallations();
    mac.writeFile(QStringLiteral("/Users/tester/Song.logicx/Alternatives/000/ProjectData"), "x");
    open();
    ProjectMemory& memory = *services->projectMemory;
    const LaunchCard card = launcher().cards().first();
    memory.remember(QStringLiteral("/Users/tester/Song.logicx"), card, QDateTime::currentDateTimeUtc());
    delegate->openSettings(); // opened again: the history is read anew
    settle();
    QQuickItem* remember = item(QStringLiteral("rememberProjectCopies"));
    QQuickItem* forget = item(QStringLiteral("forgetProjectHistory"));
    EXPECT_TRUE(remember->property("checked").toBool()) << "on by default";
    EXPECT_TRUE(texts().contains(QStringLiteral("Запоминать, какая копия открывала каждый проект")));
    ASSERT_TRUE(forget->property("enabled").toBool());

    click(forget);
    EXPECT_TRUE(memory.entries().isEmpty());
    EXPECT_FALSE(forget->property("enabled").toBool()) << "nothing left to forget";

    memory.remember(QStringLiteral("/Users/tester/Song.logicx"), card, QDateTime::currentDateTimeUtc());
    click(remember);
    EXPECT_FALSE(memory.isEnabled());
    EXPECT_TRUE(memory.entries().isEmpty()) << "turned off, it forgets";
    memory.remember(QStringLiteral("/Users/tester/Song.logicx"), card, QDateTime::currentDateTimeUtc());
    EXPECT_TRUE(memory.entries().isEmpty()) << "and records nothing";
    click(remember);
    EXPECT_TRUE(memory.isEnabled());
}

TEST_F(SettingsWindowTest, ThePlugInSectionListsWhatLoadsInOneModeOnlyAndShowsItInTheFinder)
{
    mac.addLogicBundle(universal);
    ASSERT_TRUE(sim::populateDemo(mac.mac()));
    open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return services->plugins->report().has_value(); }, 5000));
    settle();
    const QStringList shown = texts();
    for (const char* text :
         {"Плагины", "В обоих режимах: 4", "Только под Rosetta: 2", "Только нативно: 1", "Не читаются: 1",
          "Загружаются только под Rosetta", "Old Mill: Vintage Strings 2", "2.0.3", "Redline: Amp Sim Classic",
          "Загружаются только нативно", "Quanta: Neural EQ", "Не удалось прочитать", "Half Installed"}) {
        EXPECT_TRUE(shown.contains(QString::fromUtf8(text))) << text;
    }
    // Scrolled to the end, where the section is.
    const auto scrollToEnd = [&] {
        auto* flick = item(QStringLiteral("settingsScroll"))->property("contentItem").value<QQuickItem*>();
        ASSERT_NE(flick, nullptr);
        flick->setProperty("contentY", flick->property("contentHeight").toReal() - flick->height());
        settle();
    };
    scrollToEnd();
    click(item(QStringLiteral("showPluginInFinder")));
    EXPECT_TRUE(sim::EventLog(mac.mac().state())
                    .events()
                    .contains(u"reveal path=/Library/Audio/Plug-Ins/Components/Vintage Strings 2.component"_qs))
        << sim::EventLog(mac.mac().state()).events().join(u'\n').toStdString();
    shot(QStringLiteral("plugins"), scrollToEnd);
}
