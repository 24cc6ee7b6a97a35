#include "app/AppDelegate.h"

#include "Services.h"
#include "app/FocusLossPolicy.h"
#include "app/LauncherPanelController.h"
#include "app/MenuPresenters.h"
#include "app/PlatformWindowing.h"
#include "app/SettingsWindowController.h"
#include "async/Clock.h"
#include "async/Spawner.h"
#include "async/Timings.h"
#include "launch/LaunchManager.h"
#include "launch/LaunchRequest.h"
#include "log/LaunchLogger.h"
#include "platform/Host.h"
#include "platform/HostPath.h"
#include "plugins/PluginInventory.h"
#include "settings/AppPreferences.h"
#include "text/LocalizationStore.h"
#include "viewmodels/LauncherViewModel.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QWindow>

namespace vantrel {

AppDelegate::AppDelegate(Services& services, Options options, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_clock(services.host.clock())
    , m_options(std::move(options))
    , m_preferences(std::make_unique<AppPreferences>(services.host.standardDefaults(), &services.localization))
    , m_windowing(m_options.windowing ? m_options.windowing : PlatformWindowing::make())
{
    if (!m_options.exit) {
        m_options.exit = [] { QCoreApplication::exit(0); };
    }
    FocusLossPolicy::Environment env{
        .closeOnFocusLoss = [this] { return m_options.closesOnFocusLoss && m_preferences->closeOnFocusLoss(); },
        .isApplicationActive = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; },
        .isSettingsWindowVisible = [this] { return m_settings && m_settings->isVisible(); },
        .isViewModelLaunching = [this] { return m_viewModel && m_viewModel->isLaunching(); },
        .isPointerOnMenuBar = [] { return isMenuBarPoint(QCursor::pos()); },
        .isMenuBarPoint = [](QPoint point) { return isMenuBarPoint(point); },
        .isInsideOurWindows = [](QPoint point) { return isInsideOurWindows(point); },
        .isMouseButtonDown = [this] { return m_windowing->isMouseButtonDown(); },
    };
    m_focusLoss = std::make_unique<FocusLossPolicy>(m_clock, env, [this] { fadeOutAndTerminate(); });
    m_onMenuTracking = [policy = QPointer(m_focusLoss.get())](bool tracking) {
        if (policy) {
            tracking ? policy->menuTrackingBegan() : policy->menuTrackingEnded();
        }
    };
    m_menus = makeMenuPresenter(m_onMenuTracking);
}

AppDelegate::~AppDelegate() = default;

bool AppDelegate::isMenuBarPoint(QPoint point)
{
    QList<std::pair<QRect, QRect>> screens;
    for (QScreen* screen : QGuiApplication::screens()) {
        screens.append({screen->geometry(), screen->availableGeometry()});
    }
    return FocusLossPolicy::isMenuBarPoint(point, screens);
}

bool AppDelegate::isInsideOurWindows(QPoint point)
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    return std::any_of(windows.cbegin(), windows.cend(), [&](const QWindow* window) {
        return window->isVisible() && window->frameGeometry().contains(point);
    });
}

bool AppDelegate::start()
{
    // The views load on Qt's loader thread while this one builds the cards and the fonts.
    LauncherPanelController::PreparedViews views = LauncherPanelController::prepareViews();
    m_viewModel = std::make_unique<LauncherViewModel>(m_services.launcherCollaborators(m_menus.get()));
    // What a launch that was killed half-way left in Logic's preferences goes back first.
    m_viewModel->launchManager().restoreAbandonedStartupActions();

    // Every callback holds the delegate weakly: after the end nothing reaches it.
    QPointer<AppDelegate> self(this);
    LauncherViewModel& model = *m_viewModel;
    model.onOpenSettings = [self] {
        if (self) {
            self->openSettings();
        }
    };
    model.onCloseRequested = [self] {
        if (self) {
            self->fadeOutAndTerminate();
        }
    };
    model.onHideForLaunch = [self](std::function<void()> completion) {
        if (!self) {
            return;
        }
        self->m_focusLoss->suppressFocusLossClose(timings::suppressWhileHiddenForLaunch);
        self->m_menus->dismiss();
        self->m_panel->hideForLaunch(std::move(completion));
    };
    model.onTerminateAfterLaunch = [self] {
        if (self) {
            self->terminate();
        }
    };
    model.onRevealAfterFailedLaunch = [self] {
        if (!self) {
            return;
        }
        self->m_focusLoss->suppressFocusLossClose(timings::suppressAfterFailedLaunch);
        if (self->m_panel->isDismissing()) {
            return;
        }
        // Back on screen: the installations may have changed meanwhile.
        self->m_viewModel->refresh();
        self->m_panel->revealAfterFailedLaunch();
    };
    model.onBusyLaunchingChanged = [self](bool busy) {
        if (self) {
            self->m_focusLoss->setBusyLaunching(busy);
        }
    };
    model.onSuppressFocusLossClose = [self](Duration duration) {
        if (self) {
            self->m_focusLoss->suppressFocusLossClose(duration);
        }
    };

    // The cards first: the views are made once, with them, at the panel's final size.
    model.refresh();
    LauncherPanelController::prepareFonts();
    m_panel = std::make_unique<LauncherPanelController>(model, m_services.localization, m_clock, *m_windowing,
                                                        m_options.animate, std::move(views));
    if (!m_panel->isLoaded()) {
        qCritical().noquote() << "vantrel: the panel's views did not load";
        return false;
    }
    model.actionMenuAnchorView = [self]() -> QObject* {
        return self ? self->m_panel->window().contentItem() : nullptr;
    };
    connect(m_panel.get(), &LauncherPanelController::closeRequested, this, &AppDelegate::fadeOutAndTerminate);
    // A drag from another application reaches the launcher: no close for the press that
    // started it; after the drop the launcher comes forward, the project pending.
    connect(m_panel.get(), &LauncherPanelController::dragEntered, m_focusLoss.get(), &FocusLossPolicy::dragEntered);
    connect(m_panel.get(), &LauncherPanelController::moveStarted, m_focusLoss.get(),
            &FocusLossPolicy::windowMoveStarted);
    connect(m_panel.get(), &LauncherPanelController::dropped, this, [this] { m_panel->bringForward(); });
    // Cards and the error line carry texts of the interface language: a new one rewords them.
    connect(&m_services.localization, &LocalizationStore::languageChanged, &model, &LauncherViewModel::retranslate);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) {
            m_focusLoss->applicationBecameActive();
        } else {
            m_focusLoss->applicationResignedActive();
        }
    });

    // Where the platform reports clicks in other applications, one closes the launcher as
    // losing the focus does; elsewhere losing activation is what closes it.
    m_windowing->installOutsideClickMonitor([self](QPoint location) {
        if (self) {
            self->m_focusLoss->outsideClick(location);
        }
    });
    // Any menu of the application, the menu bar's too, holds the launcher open while it
    // tracks, as the launcher's own menus do.
    m_windowing->installMenuTrackingObservers(m_onMenuTracking);

    // The plug-in report is read once the panel is on screen, on a worker.
    connect(
        &m_panel->window(), &QQuickWindow::frameSwapped, this, [plugins = m_services.plugins] { plugins->start(); },
        Qt::SingleShotConnection);
    // A link decides whether the panel shows at all (a launch at once keeps it off the
    // screen), after the project of the same start.
    const auto link = std::exchange(m_queuedLink, std::nullopt);
    if (!link) {
        m_panel->show();
    }
    if (!m_queuedProjectURLs.isEmpty()) {
        model.setPendingProject(m_queuedProjectURLs.first());
        m_queuedProjectURLs.clear();
    }
    if (link && followLink(*link)) {
        m_panel->show();
    }
    return true;
}

bool AppDelegate::followLink(const QUrl& link)
{
    LaunchLogger& log = m_services.logger;
    // At most 300 characters of it: a web page can hand over megabytes.
    log.log(QStringLiteral("link ")
            + LaunchLogger::escapedControlCharacters(link.toString(QUrl::FullyEncoded).left(300)));
    LauncherViewModel& model = *m_viewModel;
    if (model.isLaunching()) {
        log.log(QStringLiteral("link ignored: a launch is under way"));
        return false;
    }
    auto refuse = [&](const QString& reason) {
        log.log(QStringLiteral("link refused: ") + LaunchLogger::escapedControlCharacters(reason));
        model.showError(reason);
        return true;
    };
    const LinkReading reading = readLaunchLink(link);
    if (!reading.request) {
        return refuse(reading.refusal);
    }
    const LaunchRequest& request = *reading.request;
    if (m_panel->isShowing()) {
        model.refresh(); // the installations may have changed since the panel came up
    }
    const CardChoice choice = chooseCard(request, model.cards());
    if (!choice.card) {
        return refuse(choice.refusal);
    }
    // A link never starts a launch that opens a project unattended (a web page can make
    // one): its own project, or one already pending (dropped, handed over, an earlier
    // link's), waits for the user's click or Return on the card.
    if (request.project) {
        const QUrl project = HostPath::fileURL(*request.project);
        if (const auto refusal = LaunchInteraction::projectRefusal(project, m_services.host.fileSystem())) {
            return refuse(refusal->errorDescription());
        }
        model.offerLaunch(choice.card->id, request.action, project);
        return true;
    }
    if (const auto pending = model.pendingProjectURL()) {
        model.offerLaunch(choice.card->id, request.action, *pending);
        return true;
    }
    model.launchCard(choice.card->id, request.action);
    return false;
}

void AppDelegate::bringForward()
{
    if (m_panel->isHidingForLaunch()) {
        return;
    }
    if (!m_panel->isShowing()) {
        m_panel->show();
        return;
    }
    m_panel->bringForward();
}

bool AppDelegate::openDocuments(const QList<QUrl>& urls)
{
    if (m_terminating || (m_panel && m_panel->isDismissing())) {
        return false; // ending: nothing would open them
    }
    QList<QUrl> files;
    std::optional<QUrl> link;
    for (const QUrl& url : urls) {
        if (url.scheme() != u"vantrel") {
            files << url;
        } else if (!link) {
            link = url;
        } else {
            m_services.logger.log(QStringLiteral("link ignored: one link is followed per hand-over"));
        }
    }
    if (!m_viewModel) {
        if (!files.isEmpty()) {
            m_queuedProjectURLs = files;
        }
        if (link) {
            m_queuedLink = link;
        }
        return true;
    }
    if (!files.isEmpty()) {
        m_viewModel->setPendingProject(files.first());
    }
    if (link) {
        if (followLink(*link)) {
            bringForward();
        }
        return true;
    }
    if (m_viewModel->isLaunching()) {
        return true; // the panel stays where the launch put it; the project waits for its end
    }
    // A second start without documents still brings the launcher forward.
    bringForward();
    return true;
}

void AppDelegate::openSettings()
{
    if (!m_viewModel) {
        return;
    }
    m_focusLoss->suppressFocusLossClose(timings::suppressOpeningSettings);
    if (!m_settings) {
        QPointer<AppDelegate> self(this);
        m_settings = std::make_unique<SettingsWindowController>(
            m_services, *m_preferences,
            [self] {
                if (self) {
                    self->handleSettingsClosed();
                }
            },
            [self] {
                if (self) {
                    self->m_focusLoss->suppressFocusLossClose(timings::suppressLeavingThroughLink);
                    self->fadeOutAndTerminate();
                }
            });
    }
    // The settings sit above the launcher while they show.
    m_panel->setFloating(false);
    m_settings->show();
}

void AppDelegate::handleSettingsClosed()
{
    if (m_viewModel->isLaunching() || m_panel->isHidingForLaunch() || m_panel->isDismissing()) {
        // A launch is under way (or the end): the panel stays where the launch put it.
        m_panel->setFloating(true);
        return;
    }
    m_focusLoss->suppressFocusLossClose(timings::suppressSettingsClosed);
    m_viewModel->refresh();
    QPointer<AppDelegate> self(this);
    QMetaObject::invokeMethod(
        this,
        [self] {
            if (!self || !self->m_panel || self->m_panel->isDismissing()) {
                return;
            }
            self->m_panel->setFloating(true);
            self->m_panel->bringForward();
            auto settle = [](QPointer<AppDelegate> self, Clock& clock) -> Task<> {
                co_await clock.sleep(timings::settingsClosedSettle);
                if (self) {
                    self->m_focusLoss->resetSuppression();
                }
            };
            self->m_tasks.spawn(settle(self, self->m_clock), QStringLiteral("settings closed"));
        },
        Qt::QueuedConnection);
}

void AppDelegate::fadeOutAndTerminate()
{
    m_focusLoss->cancelPendingClose();
    m_menus->dismiss(); // a menu left open would outlive the panel
    if (!m_panel) {
        terminate();
        return;
    }
    if (m_panel->isDismissing()) {
        return; // already on its way out
    }
    QPointer<AppDelegate> self(this);
    m_panel->dismiss([self] {
        if (self) {
            self->terminate();
        }
    });
}

void AppDelegate::terminate()
{
    if (m_terminating) {
        return;
    }
    m_terminating = true;
    m_focusLoss->cancelPendingClose();
    m_menus->dismiss();
    Q_EMIT terminating();
    if (m_viewModel) {
        // Other copies still being asked to quit: the launch stops there.
        m_viewModel->cancelLaunchInQuitStep();
    }
    auto finish = [](QPointer<AppDelegate> self, LauncherViewModel* model, LaunchLogger& logger) -> Task<> {
        if (model) {
            // A launch under way ends first (it puts back what it changed), then a delayed
            // restore of Logic's startup action runs.
            co_await model->tasks().waitForPending();
            co_await model->launchManager().pendingWork().waitForPending();
        }
        logger.flush();
        if (self) {
            self->m_options.exit();
        }
    };
    m_tasks.spawn(finish(QPointer<AppDelegate>(this), m_viewModel.get(), m_services.logger),
                  QStringLiteral("termination"));
}

} // namespace vantrel
