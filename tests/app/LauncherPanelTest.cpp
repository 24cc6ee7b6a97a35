// The launcher's panel and views, drawn offscreen over a temporary simulated Mac.
// With VANTREL_SCREENSHOT_DIR set, each state is also saved there in both languages.
#include "Services.h"
#include "app/AppDelegate.h"
#include "app/FileOpenBatcher.h"
#include "app/FocusLossPolicy.h"
#include "app/LauncherPanelController.h"
#include "app/QuickMenuPresenter.h"
#include "app/QuickTesting.h"
#include "app/SingleInstance.h"
#include "model/CpuType.h"
#include "model/LauncherError.h"
#include "platform/HostPath.h"
#include "plugins/PluginInventory.h"
#include "settings/AppPreferences.h"
#include "settings/SettingsManager.h"
#include "simhost/fixtures/BundleWriter.h"
#include "simhost/machine/EventLog.h"
#include "support/HostObjects.h"
#include "support/HybridDriver.h"
#include "support/TempSimulatedMac.h"
#include "support/Waiting.h"
#include "text/L10n.h"
#include "text/LocalizationStore.h"
#include "viewmodels/LauncherViewModel.h"
#include "viewmodels/PopupMenuViewModel.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileOpenEvent>
#include <QMimeData>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <future>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

struct PanelTest : ::testing::Test {
    TempSimulatedMac mac;
    std::unique_ptr<Services> services;
    std::unique_ptr<AppDelegate> delegate;
    std::shared_ptr<RecordingWindowing> windowing = std::make_shared<RecordingWindowing>();
    int exits = 0;

    void SetUp() override
    {
        mac.mac().setRosettaInstalled(true);
        test::localization().setLanguageCode(QStringLiteral("ru"));
    }

    // A project on the simulated Mac: "/Users/tester/<name>.logicx".
    QUrl project(const QString& name)
    {
        const QString path = QStringLiteral("/Users/tester/") + name + QStringLiteral(".logicx");
        mac.writeFile(path + QStringLiteral("/Alternatives/000/ProjectData"), "x");
        return HostPath::fileURL(path);
    }

    void addCopies(int count)
    {
        for (int i = 0; i < count; ++i) {
            mac.addLogicBundle(i == 0 ? QStringLiteral("/Applications/Logic Pro.app")
                                      : QStringLiteral("/Applications/Logic Pro %1.app").arg(i + 1));
        }
    }

    void start(bool animate = false)
    {
        services = std::make_unique<Services>(mac.host());
        delegate = std::make_unique<AppDelegate>(
            *services, AppDelegate::Options{.animate = animate, .exit = [this] { ++exits; }, .windowing = windowing});
        delegate->start();
        settle();
    }

    LauncherViewModel& model() { return *delegate->viewModel(); }
    QQuickView& window() { return delegate->panel()->window(); }

    void settle() { vantrel::testing::settle(); }
    QStringList texts() { return visibleTexts(window()); }
    QQuickItem* item(const QString& name, QQuickItem* under = nullptr) { return requireItem(window(), name, under); }

    void drop(const QString& path)
    {
        dropOn(window(), QPoint(window().width() / 2, window().height() / 2), {HostPath::fileURL(path)});
    }

    void shot(const QString& name, const std::function<void()>& prepare = {})
    {
        shotInBothLanguages(window(), name, prepare);
    }
};

} // namespace

TEST_F(PanelTest, CardsShowTheirTextsInBothLanguages)
{
    addCopies(1);
    mac.addLogicBundle(QStringLiteral("/Applications/Logic Pro Old.app"), {}, {{sim::MachO::cpuTypeX86_64}});
    mac.mac().setRosettaInstalled(false);
    start();
    ASSERT_EQ(model().cards().size(), 4); // universal: both modes; Intel-only: both, neither available
    EXPECT_EQ(window().size(), QSize(4 * 168 + 36, 204));
    EXPECT_TRUE(window().isVisible());

    QStringList shown = texts();
    for (const char* text : {"Logic Pro", "Logic Pro Old", "Версия 11.0", "Нативный", "Rosetta"}) {
        EXPECT_TRUE(shown.contains(QString::fromUtf8(text))) << text;
    }
    EXPECT_EQ(item(QStringLiteral("card-") + model().cards()[0].id)->property("accessibleName").toString(),
              QStringLiteral("Logic Pro, Версия 11.0, Нативный"));
    const LaunchCard& blocked = model().cards()[1];
    ASSERT_FALSE(blocked.isAvailable);
    QQuickItem* blockedCard = item(QStringLiteral("card-") + blocked.id);
    EXPECT_DOUBLE_EQ(blockedCard->opacity(), 0.7);
    EXPECT_TRUE(item(QStringLiteral("warningBadge"), blockedCard)->isVisible());
    EXPECT_EQ(blockedCard->property("toolTip").toString(), *blocked.unavailabilityReason);
    EXPECT_EQ(delegate->panel()->imagesNotDrawn(), QStringList()) << "every icon drawn";
    QQuickItem* icon = item(QStringLiteral("warningBadge"), blockedCard);
    icon->setProperty("source", QUrl(QStringLiteral("qrc:/Vantrel/icons/missing.svg")));
    EXPECT_EQ(delegate->panel()->imagesNotDrawn(), QStringList{QStringLiteral("qrc:/Vantrel/icons/missing.svg")});
    icon->setProperty("source", QUrl(QStringLiteral("qrc:/Vantrel/icons/exclamationmark.triangle.fill.svg")));
    shot(QStringLiteral("panel"));

    test::localization().setLanguageCode(QStringLiteral("en"));
    settle();
    shown = texts();
    for (const char* text : {"Version 11.0", "Native", "Rosetta"}) {
        EXPECT_TRUE(shown.contains(QString::fromUtf8(text))) << text;
    }
    EXPECT_FALSE(shown.contains(QStringLiteral("Нативный")));
}

TEST_F(PanelTest, OneCardFiveCardsAndNone)
{
    addCopies(1);
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    start();
    // A universal copy with its Rosetta card hidden: one card.
    model().settingsManager().setModeHidden(model().cards()[0].app.id, LaunchArchitecture::rosetta, true);
    model().refresh();
    settle();
    ASSERT_EQ(model().cards().size(), 1);
    EXPECT_EQ(window().size(), QSize(360, 204));
    shot(QStringLiteral("one-card"));

    addCopies(3); // "Logic Pro 2" and "Logic Pro 3" join
    model().settingsManager().setModeHidden(model().cards()[0].app.id, LaunchArchitecture::rosetta, false);
    for (const QString& path :
         {QStringLiteral("/Applications/Logic Pro 2.app"), QStringLiteral("/Applications/Logic Pro 3.app")}) {
        model().settingsManager().addApp({}, path);
    }
    const QUuid third = model().settingsManager().apps().last().id;
    model().settingsManager().setModeHidden(third, LaunchArchitecture::rosetta, true);
    model().refresh();
    settle();
    ASSERT_EQ(model().cards().size(), 5);
    EXPECT_EQ(window().size(), QSize(720, 204)) << "876 clamped";
    QQuickItem* strip = item(QStringLiteral("cardStrip"));
    EXPECT_TRUE(strip->property("interactive").toBool()) << "the strip scrolls";
    shot(QStringLiteral("five-cards"));

    // The keyboard past the edge: the selected card scrolls whole into view, both ways.
    auto wholeInView = [&] {
        QQuickItem* card = item(QStringLiteral("card-") + *model().selectedCardID());
        const QRectF shown = card->mapRectToItem(strip, QRectF(0, 0, card->width(), card->height()));
        return shown.left() >= 0 && shown.right() <= strip->width();
    };
    window().requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(&window(), Qt::Key_Right);
    }
    EXPECT_EQ(model().selectedCardID(), model().cards().last().id);
    EXPECT_TRUE(QTest::qWaitFor(wholeInView, 2000)) << "the last card";
    shot(QStringLiteral("scrolled-selection"));
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(&window(), Qt::Key_Left);
    }
    EXPECT_TRUE(QTest::qWaitFor(wholeInView, 2000)) << "the first card";

    // An ordinary vertical wheel scrolls the row sideways.
    const double before = strip->property("contentX").toDouble();
    const QPointF over = strip->mapToScene(QPointF(strip->width() / 2, strip->height() / 2));
    QWheelEvent wheel(over, window().mapToGlobal(over), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&window(), &wheel);
    EXPECT_GT(strip->property("contentX").toDouble(), before);

    for (const LogicApp& app : QList<LogicApp>(model().settingsManager().apps())) {
        model().settingsManager().removeApp(app.id);
        mac.fs().remove(app.bundlePath + QStringLiteral("/Contents/Info.plist")); // not found again by a scan
    }
    model().refresh();
    settle();
    EXPECT_EQ(window().size(), QSize(360, 200));
    EXPECT_TRUE(item(QStringLiteral("emptyLauncher"))->isVisible());
    EXPECT_TRUE(texts().contains(QStringLiteral("Logic Pro не найден")));
    shot(QStringLiteral("empty"));
}

TEST_F(PanelTest, OnceOnScreenThePlugInReportGivesTheOverlayItsLine)
{
    addCopies(1);
    const sim::MachO::Slice arm{sim::MachO::cpuTypeArm64}, intel{sim::MachO::cpuTypeX86_64};
    for (const char* name : {"Plate Reverb", "Tape Echo", "Saturator"}) {
        ASSERT_TRUE(sim::writeComponent(mac.fs(), {.name = QString::fromUtf8(name), .manufacturer = u"Northwind"_qs}));
    }
    ASSERT_TRUE(
        sim::writeComponent(mac.fs(), {.name = u"Strings"_qs, .manufacturer = u"Old Mill"_qs, .slices = {intel}}));
    ASSERT_TRUE(
        sim::writeComponent(mac.fs(), {.name = u"Neural EQ"_qs, .manufacturer = u"Quanta"_qs, .slices = {arm}}));
    start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return services->plugins->report().has_value(); }, 5000))
        << "the report is read once the panel has drawn its first frame";
    QTest::keyClick(&window(), Qt::Key_Space);
    settle();
    EXPECT_EQ(window().height(), 360);
    EXPECT_TRUE(texts().contains(u"Плагины"_qs));
    EXPECT_TRUE(texts().contains(u"загружаются здесь — 4 · только под Rosetta — 1"_qs))
        << texts().join(u'|').toStdString();
    model().selectNext(); // the same copy's Rosetta card
    settle();
    EXPECT_TRUE(texts().contains(u"загружаются здесь — 4 · только нативно — 1"_qs)) << texts().join(u'|').toStdString();
    shot(QStringLiteral("info-overlay-plugins"));
}

TEST_F(PanelTest, SpaceShowsTheInformationOverlayAndEscapeEndsTheApplication)
{
    addCopies(1);
    start();
    // Centred on whole pixels, and again once the overlay has grown the window.
    const QRect area = window().screen()->availableGeometry();
    auto centred = [&] {
        return QPoint(area.x() + (area.width() - window().width()) / 2,
                      area.y() + (area.height() - window().height()) / 2);
    };
    EXPECT_EQ(window().position(), centred());
    QTest::keyClick(&window(), Qt::Key_Space);
    settle();
    EXPECT_TRUE(model().showInfoPopover());
    EXPECT_EQ(window().height(), 360);
    EXPECT_EQ(window().position(), centred());
    EXPECT_TRUE(item(QStringLiteral("infoPopover"))->isVisible());
    EXPECT_TRUE(texts().contains(QStringLiteral("/Applications/Logic Pro.app")));
    EXPECT_TRUE(texts().contains(QStringLiteral("Нативный (arm64)")));
    shot(QStringLiteral("info-overlay"));

    QTest::keyClick(&window(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(window().height(), 204);
    EXPECT_EQ(exits, 0) << "the first Escape only hides the overlay";
    QTest::keyClick(&window(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(delegate->panel()->isDismissing());
}

TEST_F(PanelTest, DroppedProjectsShowTheBannerAndOtherFilesTheError)
{
    addCopies(1);
    mac.writeFile(QStringLiteral("~/Music/Song.logicx/Resources/ProjectInformation.plist"), "x");
    start();
    // Dropped from the machine's file manager: a path of this machine, inside the Mac's root.
    drop(mac.native(QStringLiteral("/Users/tester/Music/Song.logicx")));
    EXPECT_EQ(model().pendingProjectURL(), HostPath::fileURL(QStringLiteral("/Users/tester/Music/Song.logicx")));
    EXPECT_EQ(window().height(), 204 + 34);
    EXPECT_EQ(item(QStringLiteral("bannerText"))->property("text").toString(), QStringLiteral("Открыть проект: Song"));
    shot(QStringLiteral("project-banner"));

    drop(QStringLiteral("/Users/tester/notes.txt"));
    EXPECT_EQ(model().pendingProjectDisplayName(), QStringLiteral("Song")) << "the project stays";
    QQuickItem* message = item(QStringLiteral("messageLine"));
    EXPECT_EQ(message->property("text").toString(), L10n::text(L10n::Key::errorInvalidBundle));
    EXPECT_EQ(message->property("color").value<QColor>(), QColor(QStringLiteral("#ff5a4f"))) << "in red";
    shot(QStringLiteral("error"));

    // The longest message, with its remedy, shows whole in the narrowest panel, in both
    // languages: Rosetta removed after the cards were made.
    mac.mac().setRosettaInstalled(false);
    model().clickCard(model().cards()[1].id);
    settle();
    for (const char* language : {"ru", "en"}) {
        test::localization().setLanguageCode(QString::fromLatin1(language));
        settle();
        EXPECT_EQ(message->property("text").toString(), LauncherError::rosettaNotInstalled().errorDescription());
        // Texts the views compose from the store follow the language too.
        EXPECT_EQ(item(QStringLiteral("clearProject"))->property("text").toString(),
                  L10n::text(L10n::Key::clearProject))
            << language;
        EXPECT_TRUE(message->property("text").toString().contains(QStringLiteral("softwareupdate --install-rosetta")));
        EXPECT_FALSE(message->property("truncated").toBool()) << language;
    }
    shot(QStringLiteral("error-rosetta"));
}

TEST_F(PanelTest, HidingForALaunchWaitsForTheFadeAndARevealComesBack)
{
    addCopies(1);
    start(true);
    LauncherPanelController& panel = *delegate->panel();
    int hidden = 0;
    panel.hideForLaunch([&] { ++hidden; });
    EXPECT_TRUE(panel.isHidingForLaunch());
    panel.hideForLaunch([&] { ++hidden; });
    EXPECT_EQ(hidden, 1) << "a second hide completes at once";
    mac.clock().advance(179ms);
    EXPECT_EQ(hidden, 1);
    mac.clock().advance(1ms);
    EXPECT_EQ(hidden, 2);
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(panel.isHidingForLaunch());

    panel.revealAfterFailedLaunch();
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(panel.isShowing());
    delegate->fadeOutAndTerminate();
    EXPECT_TRUE(panel.isDismissing());
    panel.revealAfterFailedLaunch();
    EXPECT_FALSE(panel.isShowing()) << "no way back from dismissing";
    mac.clock().advance(180ms);
    settle();
    EXPECT_EQ(exits, 1);
    // The blur behind the window comes and goes with the views; each showing asks for the
    // application to be active, so that the panel takes the keyboard.
    EXPECT_EQ(windowing->journal,
              (QStringList{QStringLiteral("activate"), QStringLiteral("backdrop in 0.2"),
                           QStringLiteral("backdrop out 0.18"), QStringLiteral("activate"),
                           QStringLiteral("backdrop in 0.2"), QStringLiteral("backdrop out 0.18")}));
}

TEST_F(PanelTest, DocumentsBeforeTheWindowAndFromASecondStart)
{
    addCopies(1);
    services = std::make_unique<Services>(mac.host());
    delegate = std::make_unique<AppDelegate>(
        *services, AppDelegate::Options{.animate = false, .exit = [this] { ++exits; }, .windowing = windowing});
    delegate->openDocuments({project(QStringLiteral("A")), project(QStringLiteral("B"))});
    delegate->start();
    EXPECT_EQ(model().pendingProjectDisplayName(), QStringLiteral("A")) << "the first queued document";

    // A second start hands its project over through the single-instance channel.
    QTemporaryDir folder;
    ::chmod(QFile::encodeName(folder.path()).constData(), 0700);
    SingleInstance running(folder.path(), mac.root());
    ASSERT_EQ(running.start({},
                            [&](const QStringList& paths) {
                                QList<QUrl> urls;
                                for (const QString& path : paths) {
                                    urls << HostPath::fileURL(path);
                                }
                                return delegate->openDocuments(urls);
                            }),
              SingleInstance::Outcome::running);
    const QString song = project(QStringLiteral("C")).toLocalFile();
    const qsizetype activations = windowing->journal.count(QStringLiteral("activate"));
    auto second = std::async(std::launch::async, [&] {
        SingleInstance start(folder.path(), mac.root());
        return start.start({song}, {}, std::chrono::milliseconds(0));
    });
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return second.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 5000));
    EXPECT_EQ(second.get(), SingleInstance::Outcome::handedOver);
    EXPECT_EQ(model().pendingProjectDisplayName(), QStringLiteral("C"));
    settle();
    EXPECT_GT(windowing->journal.count(QStringLiteral("activate")), activations) << "the panel comes forward, key";

    // The system hands over one file-open event per document, those of one request in one
    // turn: the first of that batch becomes the project, once.
    QList<QList<QUrl>> batches;
    FileOpenBatcher batcher([&](const QList<QUrl>& urls) {
        batches << urls;
        delegate->openDocuments(urls);
    });
    qApp->installEventFilter(&batcher);
    for (const char* name : {"D", "E", "F"}) {
        QFileOpenEvent event(project(QLatin1String(name)));
        QCoreApplication::sendEvent(qApp, &event);
    }
    EXPECT_TRUE(batches.isEmpty()) << "handed on in the next turn";
    settle();
    ASSERT_EQ(batches.size(), 1);
    EXPECT_EQ(batches[0].size(), 3);
    EXPECT_EQ(model().pendingProjectDisplayName(), QStringLiteral("D"));
    QFileOpenEvent later(project(QStringLiteral("G")));
    QCoreApplication::sendEvent(qApp, &later);
    settle();
    EXPECT_EQ(batches.size(), 2);
    EXPECT_EQ(model().pendingProjectDisplayName(), QStringLiteral("G"));
    qApp->removeEventFilter(&batcher);
}

TEST_F(PanelTest, ALinkLaunchesUnseenOffersItsProjectOrIsRefusedOnTheErrorLine)
{
    addCopies(2);
    const QString second = QStringLiteral("/Applications/Logic Pro 2.app");
    auto logLines = [&] {
        services->logger.flush(); // written on the logger's own thread
        return QString::fromUtf8(mac.readFile(QStringLiteral("~/Library/Logs/Vantrel/launch.log")).value_or(""));
    };
    auto finishLaunch = [&] {
        auto launch = model().tasks().waitForPending();
        EXPECT_TRUE(runHybrid(mac.clock(), launch));
        auto restore = model().launchManager().pendingWork().waitForPending();
        EXPECT_TRUE(runHybrid(mac.clock(), restore));
        settle();
    };
    auto live = [&] {
        QList<RunningApplicationPtr> running = mac.host().workspace().runningApplications();
        running.removeIf([](const RunningApplicationPtr& application) { return application->isTerminated(); });
        return running;
    };
    auto runningNow = [&] {
        QStringList seen;
        for (const auto& application : live()) {
            seen << application->bundleURL().value_or(QUrl()).toLocalFile() + u' '
                        + (application->executableArchitecture() == CpuType::x86_64 ? u"x86_64" : u"arm64");
        }
        mac.endStandIns();
        return seen;
    };

    // At start, without a project: the launch runs at once and the panel never shows.
    services = std::make_unique<Services>(mac.host());
    delegate = std::make_unique<AppDelegate>(
        *services, AppDelegate::Options{.animate = false, .exit = [this] { ++exits; }, .windowing = windowing});
    delegate->openDocuments({QUrl(QStringLiteral("vantrel://launch?name=Logic%20Pro%202&mode=rosetta"))});
    delegate->start();
    bool shown = window().isVisible();
    QObject::connect(&window(), &QWindow::visibleChanged, [&](bool visible) { shown = shown || visible; });
    finishLaunch();
    EXPECT_FALSE(shown);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(runningNow(), QStringList{second + QStringLiteral(" x86_64")});
    EXPECT_TRUE(logLines().contains(QStringLiteral("  link vantrel://launch?name=Logic%20Pro%202&mode=rosetta\n")));

    // To a running panel, with a project: the card is selected, the project pending, and
    // nothing starts until Return, which runs the link's action.
    start();
    const LaunchCard rosetta = model().cards()[1];
    ASSERT_EQ(rosetta.architecture, LaunchArchitecture::rosetta);
    const QUrl song = project(QStringLiteral("Song"));
    delegate->openDocuments({QUrl(QStringLiteral("vantrel://launch?id=") + rosetta.id
                                  + QStringLiteral("&action=launchWithoutRecentProject&project=")
                                  + QString::fromUtf8(QUrl::toPercentEncoding(song.toLocalFile())))});
    settle();
    EXPECT_EQ(model().selectedCardID(), rosetta.id);
    EXPECT_EQ(model().pendingProjectDisplayName(), QStringLiteral("Song"));
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(model().isLaunching());
    EXPECT_TRUE(live().isEmpty());
    window().requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(&window(), Qt::Key_Return);
    ASSERT_TRUE(model().isLaunching());
    finishLaunch();
    EXPECT_EQ(exits, 2);
    EXPECT_FALSE(sim::EventLog(mac.mac().state())
                     .events()
                     .filter(QStringLiteral(" arch=x86_64 requested=x86_64 startupAction=0 "))
                     .isEmpty())
        << "launched without the recent project";
    EXPECT_TRUE(waitUntil([&] {
        return !sim::EventLog(mac.mac().state()).events().filter(QStringLiteral("document-open")).isEmpty();
    })) << "the project is handed over";
    EXPECT_EQ(runningNow(), QStringList{QStringLiteral("/Applications/Logic Pro.app x86_64")});

    // What cannot be followed is refused on the error line, in the interface language, and logged.
    start();
    const QList<std::pair<QString, QString>> refused = {
        {QStringLiteral("vantrel://launch?name=Logic%20Pro&colour=red"),
         QStringLiteral("Ссылка vantrel:// отклонена: ключа «colour» в ней быть не может.")},
        {QStringLiteral("vantrel://launch?name=Logic%209"),
         QStringLiteral("Нет Logic Pro с именем «Logic 9». Установлены: Logic Pro, Logic Pro 2.")},
        {QStringLiteral("vantrel://launch?name=Logic%20Pro&project=/Users/tester/Gone.logicx"),
         QStringLiteral("Проект не найден: «/Users/tester/Gone.logicx».")},
        {QStringLiteral("vantrel://launch?name=Logic%20Pro&project=/Users/tester/notes.txt"),
         L10n::text(L10n::Key::errorInvalidBundle)},
    };
    for (const auto& [link, message] : refused) {
        delegate->openDocuments({QUrl(link)});
        settle();
        EXPECT_EQ(model().errorMessage(), message) << link.toStdString();
        EXPECT_TRUE(logLines().contains(QStringLiteral("  link refused: ") + message + u'\n')) << link.toStdString();
        EXPECT_FALSE(model().isLaunching());
        EXPECT_FALSE(model().pendingProjectURL());
    }
    EXPECT_TRUE(window().isVisible());
    test::localization().setLanguageCode(QStringLiteral("en"));
    delegate->openDocuments({QUrl(QStringLiteral("vantrel://launch?name=Logic%20Pro&mode=turbo"))});
    EXPECT_EQ(model().errorMessage(),
              QStringLiteral("The vantrel:// link was refused: “turbo” is not a value for “mode”."));
    EXPECT_TRUE(live().isEmpty()) << "nothing started";
    // Every text of the panel is plain: a link's words are never markup.
    for (QQuickItem* text : window().contentItem()->findChildren<QQuickItem*>()) {
        if (text->inherits("QQuickText")) {
            EXPECT_EQ(text->property("textFormat").toInt(), 0 /* Text.PlainText */) << text->objectName().toStdString();
        }
    }

    // A project already pending is never launched by a link without one: the link offers it.
    const QUrl mine = project(QStringLiteral("Mine"));
    model().setPendingProject(mine);
    delegate->openDocuments({QUrl(QStringLiteral("vantrel://launch?name=Logic%20Pro&action=launchSafeMode"))});
    settle();
    EXPECT_FALSE(model().isLaunching());
    EXPECT_EQ(model().selectedCardID(), model().cards()[0].id);
    EXPECT_EQ(model().pendingProjectURL(), mine);
    // Another project withdraws the offered Safe Mode: Return then launches as always.
    model().setPendingProject(project(QStringLiteral("Other")));
    window().requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(&window(), Qt::Key_Return);
    ASSERT_TRUE(model().isLaunching());
    finishLaunch();
    EXPECT_TRUE(sim::EventLog(mac.mac().state()).events().filter(QStringLiteral("safe-mode-offered")).isEmpty());
    EXPECT_FALSE(
        sim::EventLog(mac.mac().state()).events().filter(QStringLiteral(" arch=arm64 requested=arm64 ")).isEmpty());
    runningNow();
}

TEST_F(PanelTest, ACardALinkSelectsBeforeThePanelShowsIsScrolledIntoView)
{
    addCopies(6); // twelve cards: the strip scrolls
    services = std::make_unique<Services>(mac.host());
    delegate = std::make_unique<AppDelegate>(
        *services, AppDelegate::Options{.animate = false, .exit = [this] { ++exits; }, .windowing = windowing});
    delegate->openDocuments(
        {QUrl(QStringLiteral("vantrel://launch?name=Logic%20Pro%206&mode=rosetta&project=")
              + QString::fromUtf8(QUrl::toPercentEncoding(project(QStringLiteral("A")).toLocalFile())))});
    delegate->start();
    settle();
    const LaunchCard last = model().cards().last();
    ASSERT_EQ(model().selectedCardID(), last.id);
    QQuickItem* strip = item(QStringLiteral("cardStrip"));
    QQuickItem* card = item(QStringLiteral("card-") + last.id);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return card->x() > 0; }, 2000)) << "the row laid out";
    auto shown = [&] { return card->mapRectToItem(strip, QRectF(0, 0, card->width(), card->height())); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown().left() >= 0 && shown().right() <= strip->width(); }, 2000))
        << "the selected card shows whole: " << shown().left() << "…" << shown().right();
}

TEST_F(PanelTest, AProjectBringsForwardTheCardThatLastOpenedIt)
{
    addCopies(6); // twelve cards: the remembered one lies past the edge
    start();
    const QUrl song = project(QStringLiteral("Song"));
    const LaunchCard rosetta = model().cards()[7]; // "Logic Pro 4", Rosetta
    ASSERT_EQ(rosetta.architecture, LaunchArchitecture::rosetta);
    // Opened once with that card: remembered after the launch is verified.
    model().setPendingProject(song);
    EXPECT_EQ(model().pendingProjectRemembered(), std::nullopt);
    model().clickCard(rosetta.id);
    ASSERT_TRUE(model().isLaunching());
    auto launch = model().tasks().waitForPending();
    ASSERT_TRUE(runHybrid(mac.clock(), launch));
    auto restore = model().launchManager().pendingWork().waitForPending();
    ASSERT_TRUE(runHybrid(mac.clock(), restore));
    mac.endStandIns();

    // The next start with the same project: that card is selected, shown, and named.
    services = std::make_unique<Services>(mac.host());
    delegate = std::make_unique<AppDelegate>(
        *services, AppDelegate::Options{.animate = false, .exit = [this] { ++exits; }, .windowing = windowing});
    delegate->openDocuments({song});
    delegate->start();
    settle();
    EXPECT_EQ(model().selectedCardID(), rosetta.id);
    EXPECT_FALSE(model().isLaunching()) << "only brought forward: the user still chooses";
    QQuickItem* strip = item(QStringLiteral("cardStrip"));
    QQuickItem* card = item(QStringLiteral("card-") + rosetta.id);
    auto shown = [&] { return card->mapRectToItem(strip, QRectF(0, 0, card->width(), card->height())); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown().left() >= 0 && shown().right() <= strip->width(); }, 2000))
        << "scrolled into view: " << shown().left() << "…" << shown().right();
    EXPECT_EQ(item(QStringLiteral("bannerText"))->property("text").toString(),
              QStringLiteral("Открыть проект: Song — в прошлый раз открыт в Logic Pro 4 · Rosetta"));
    shot(QStringLiteral("project-remembered"));
    test::localization().setLanguageCode(QStringLiteral("en"));
    settle();
    EXPECT_EQ(item(QStringLiteral("bannerText"))->property("text").toString(),
              QStringLiteral("Open project: Song — last opened with Logic Pro 4 · Rosetta"));

    // A link with that project names its own card: that one is selected, not the memory's.
    const LaunchCard linked = model().cards()[0];
    delegate->openDocuments({QUrl(QStringLiteral("vantrel://launch?id=") + linked.id + QStringLiteral("&project=")
                                  + QString::fromUtf8(QUrl::toPercentEncoding(song.toLocalFile())))});
    settle();
    EXPECT_EQ(model().selectedCardID(), linked.id);

    // Another project the memory does not know leaves the selection alone and names nothing.
    model().selectNext();
    const auto selected = model().selectedCardID();
    model().setPendingProject(project(QStringLiteral("New")));
    EXPECT_EQ(model().selectedCardID(), selected);
    EXPECT_EQ(model().pendingProjectRemembered(), std::nullopt);
    EXPECT_EQ(item(QStringLiteral("bannerText"))->property("text").toString(), QStringLiteral("Open project: New"));
}

TEST_F(PanelTest, AnOptionClickOpensTheMenuInsteadOfLaunching)
{
    addCopies(1);
    start();
    auto& menus = dynamic_cast<QuickMenuPresenter&>(delegate->menus());
    QQuickItem* card = item(QStringLiteral("card-") + model().cards()[1].id);
    const QPoint centre = card->mapToScene(QPointF(card->width() / 2, card->height() / 2)).toPoint();
    QTest::mouseClick(&window(), Qt::LeftButton, Qt::AltModifier, centre);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menus.openWindow() && menus.openWindow()->isExposed(); }, 2000));
    QQuickView& popup = *menus.openWindow();
    const QVariantList rows = menus.openMenu()->rows();
    EXPECT_EQ(rows.value(0).toMap().value(QStringLiteral("title")), QStringLiteral("Logic Pro — 11.0 · Rosetta"));
    EXPECT_TRUE(findItem(popup.rootObject(), QStringLiteral("popupMenuRow-2"))) << "the rows are drawn";
    EXPECT_TRUE(delegate->focusLossPolicy().isMenuTracking()) << "an open menu keeps the launcher open";
    EXPECT_EQ(model().selectedCardID(), model().cards()[1].id);
    EXPECT_FALSE(model().isLaunching());
    EXPECT_EQ(model().tasks().pendingCount(), 0u);
    // A press outside the menu (the menu holds the pointer, so it comes to the menu's window)
    // closes it and reaches nothing behind it.
    QTest::mouseClick(&popup, Qt::LeftButton, Qt::NoModifier, QPoint(-20, -20));
    settle();
    EXPECT_EQ(menus.openMenu(), nullptr);
    EXPECT_FALSE(delegate->focusLossPolicy().isMenuTracking());
    EXPECT_FALSE(model().isLaunching());

    // Option-Return: the menu of the selected card, at that card wherever the pointer is;
    // End, Up and Return choose "Show in Finder".
    QCursor::setPos(window().mapToGlobal(QPoint(5, 5)));
    window().requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(&window(), Qt::Key_Return, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menus.openWindow() && menus.openWindow()->isExposed(); }, 2000));
    const QPoint cardCorner = window().mapToGlobal(card->mapToScene(QPointF(0, card->height())).toPoint());
    EXPECT_LE((menus.openWindow()->position() - cardCorner).manhattanLength(), 2) << "at the card's lower left";
    QTest::keyClick(menus.openWindow(), Qt::Key_Down);
    EXPECT_EQ(menus.openMenu()->highlightedIndex(), 2) << "the first item: the header cannot be chosen";
    QTest::keyClick(menus.openWindow(), Qt::Key_End);
    QTest::keyClick(menus.openWindow(), Qt::Key_Up);
    QTest::keyClick(menus.openWindow(), Qt::Key_Return);
    const QString revealed = QStringLiteral("reveal path=/Applications/Logic Pro.app");
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim::EventLog(mac.mac().state()).events().contains(revealed); }, 2000))
        << "the chosen action runs";
    EXPECT_EQ(menus.openMenu(), nullptr);
    EXPECT_FALSE(model().isLaunching());
    EXPECT_FALSE(delegate->focusLossPolicy().isMenuTracking());
}

TEST_F(PanelTest, ARightClickOpensTheMenuOfACardThatCannotLaunch)
{
    mac.addLogicBundle(QStringLiteral("/Applications/Logic Pro Old.app"), {}, {{sim::MachO::cpuTypeX86_64}});
    mac.mac().setRosettaInstalled(false);
    start();
    auto& menus = dynamic_cast<QuickMenuPresenter&>(delegate->menus());
    const LaunchCard blocked = model().cards()[0];
    ASSERT_FALSE(blocked.isAvailable);
    QQuickItem* card = item(QStringLiteral("card-") + blocked.id);
    const QPoint centre = card->mapToScene(QPointF(card->width() / 2, card->height() / 2)).toPoint();
    QTest::mouseClick(&window(), Qt::LeftButton, Qt::AltModifier, centre);
    settle();
    EXPECT_EQ(menus.openMenu(), nullptr) << "an Option-click only selects it";
    QTest::mouseClick(&window(), Qt::RightButton, Qt::NoModifier, centre);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menus.openMenu() != nullptr; }, 2000));
    QStringList enabled;
    for (const QVariant& row : menus.openMenu()->rows()) {
        if (row.toMap().value(QStringLiteral("enabled")).toBool()) {
            enabled << row.toMap().value(QStringLiteral("title")).toString();
        }
    }
    EXPECT_EQ(enabled.size(), 7) << enabled.join(u'|').toStdString();
    QTest::keyClick(menus.openWindow(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(menus.openMenu(), nullptr);

    // A menu open when the launcher ends goes with it.
    QTest::mouseClick(&window(), Qt::RightButton, Qt::NoModifier, centre);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menus.openMenu() != nullptr; }, 2000));
    delegate->fadeOutAndTerminate();
    settle();
    EXPECT_EQ(menus.openMenu(), nullptr);
    EXPECT_FALSE(delegate->focusLossPolicy().isMenuTracking());
}

TEST_F(PanelTest, ClicksInOtherApplicationsCloseByTheirOwnLocationOnceTheButtonIsUp)
{
    addCopies(1);
    start(true);
    ASSERT_TRUE(windowing->outsideClick) << "the shell watches other applications' clicks";
    QScreen* screen = window().screen();
    const QRect area = screen->availableGeometry();
    // Another application's menu-bar item (the top row of the screen), then a click that
    // lands inside the panel itself (seen by the monitor while our window is behind).
    windowing->outsideClick(QPoint(area.center().x(), screen->geometry().top()));
    windowing->outsideClick(window().frameGeometry().center());
    mac.clock().advance(1s);
    settle();
    EXPECT_FALSE(delegate->panel()->isDismissing());

    // A press elsewhere: the launcher waits for the release (it may start a drag).
    windowing->buttonDown = true;
    windowing->outsideClick(QPoint(area.left() + 5, area.bottom() - 5));
    mac.clock().advance(1s);
    EXPECT_FALSE(delegate->panel()->isDismissing());
    windowing->buttonDown = false;
    mac.clock().advance(50ms);
    EXPECT_TRUE(delegate->panel()->isDismissing());
    mac.clock().advance(180ms);
    settle();
    EXPECT_FALSE(window().isVisible()) << "faded out, the window is ordered out too";
    EXPECT_EQ(exits, 1);
}

TEST_F(PanelTest, WhileOtherCopiesAreAskedToQuitADocumentWaitsAndTheEndCancelsTheLaunch)
{
    // Another copy that ignores the quit request keeps the launch in its quit step.
    addCopies(1);
    const QString stubborn = QStringLiteral("/Applications/Logic Pro Stubborn.app");
    mac.addLogicBundle(stubborn, {{QStringLiteral("refusesToQuit"), true}});
    auto opened = mac.host().workspace().openApplication(HostPath::fileURL(stubborn), {true, std::nullopt, true});
    ASSERT_TRUE(QCoro::waitFor(opened).application);
    start();
    model().setPendingProject(project(QStringLiteral("A")));
    model().clickCard(model().cards()[0].id);
    ASSERT_TRUE(model().isLaunching());

    // A project from a second start keeps the launch's own and waits for its end.
    delegate->openDocuments({project(QStringLiteral("B"))});
    EXPECT_EQ(model().pendingProjectDisplayName(), QStringLiteral("A"));

    // The quit request times out: the panel comes back, refreshed, with B pending.
    mac.addLogicBundle(QStringLiteral("/Applications/Logic Pro Added.app"));
    mac.clock().advance(121s);
    settle();
    ASSERT_FALSE(model().isLaunching());
    EXPECT_EQ(model().errorMessage(), L10n::text(L10n::Key::errorCancelled));
    EXPECT_EQ(model().pendingProjectDisplayName(), QStringLiteral("B"));
    EXPECT_TRUE(std::any_of(model().cards().cbegin(), model().cards().cend(), [](const LaunchCard& card) {
        return card.app.displayName == u"Logic Pro Added";
    })) << "back on screen, the installations are read again";
    EXPECT_TRUE(window().isVisible());

    // Escape in the quit step ends at once: the wait for the stubborn copy is cancelled.
    bool stoppedListening = false;
    QObject::connect(delegate.get(), &AppDelegate::terminating, [&] { stoppedListening = true; });
    model().clickCard(model().cards()[0].id);
    ASSERT_TRUE(model().isLaunching());
    QTest::keyClick(&window(), Qt::Key_Escape);
    settle();
    EXPECT_TRUE(stoppedListening) << "a later start is not handed to a launcher that is ending";
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(model().isLaunching());
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(mac.host().workspace().runningApplications().size(), 1) << "nothing was started";
}

TEST_F(PanelTest, TheShellHoldsFocusLossBackForAsLongAsEachStepNeeds)
{
    addCopies(1);
    start();
    const FocusLossPolicy& policy = delegate->focusLossPolicy();
    // Held exactly `window` from now: ignored until just before its end, not after it.
    auto heldFor = [&](std::chrono::milliseconds window) {
        const bool start = policy.shouldIgnoreFocusLossClose();
        mac.clock().advance(window - 1ms);
        const bool almost = policy.shouldIgnoreFocusLossClose();
        mac.clock().advance(1ms);
        return start && almost && !policy.shouldIgnoreFocusLossClose();
    };
    int hidden = 0;
    model().onHideForLaunch([&] { ++hidden; });
    EXPECT_TRUE(heldFor(180s)) << "hiding for a launch";
    EXPECT_EQ(hidden, 1);
    model().onRevealAfterFailedLaunch();
    EXPECT_TRUE(heldFor(500ms)) << "back after a failed launch";
    model().onSuppressFocusLossClose(1500ms);
    EXPECT_TRUE(heldFor(1500ms)) << "a support action";
}

// Run with two screens (ctest gives this suite the offscreen platform's two-screen layout,
// tests/app/two-screens.json): the panel opens centred on the display with the pointer and
// stays there while it is open.
struct TwoScreensTest : PanelTest {};

TEST_F(TwoScreensTest, ThePanelOpensOnTheDisplayWithThePointer)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2) {
        GTEST_SKIP() << "needs the two-screen layout";
    }
    QScreen* external = screens[1];
    addCopies(1);
    QCursor::setPos(external->geometry().center() + QPoint(300, 200));
    start();
    EXPECT_EQ(window().screen(), external);
    EXPECT_EQ(window().geometry().center(), external->availableGeometry().center())
        << "centred to the pixel on the pointer's display";
    EXPECT_TRUE(windowing->journal.contains(QStringLiteral("activate"))) << "the application asked to be active";

    // The pointer moves on; the panel, re-centred as its content changes, stays where it opened.
    QCursor::setPos(screens[0]->geometry().center());
    addCopies(3);
    model().refresh();
    settle();
    QTest::qWait(50);
    EXPECT_TRUE(external->geometry().contains(window().geometry())) << "still on the display it opened on";
    EXPECT_EQ(window().geometry().center(), external->availableGeometry().center());

    // Back after a failed launch it opens again where the pointer is; a pointer on no
    // display (between two of different heights) means the primary one.
    delegate->panel()->revealAfterFailedLaunch();
    settle();
    EXPECT_EQ(window().geometry().center(), screens[0]->availableGeometry().center());
    QCursor::setPos(QPoint(1000, -100));
    ASSERT_EQ(QGuiApplication::screenAt(QCursor::pos()), nullptr);
    EXPECT_EQ(LauncherPanelController::screenWithPointer(), QGuiApplication::primaryScreen());
}
