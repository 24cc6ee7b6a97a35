#include "app/LauncherPanelController.h"

#include "app/PlatformWindowing.h"
#include "app/QmlTypes.h"
#include "async/Clock.h"
#include "text/LocalizationStore.h"
#include "viewmodels/LauncherViewModel.h"

#include <QCursor>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QScreen>
#include <QTimer>

namespace vantrel {

namespace {

const QUrl& panelViewsURL()
{
    static const QUrl url(QStringLiteral("qrc:/Vantrel/LauncherWindow.qml"));
    return url;
}

} // namespace

LauncherPanelController::PreparedViews LauncherPanelController::prepareViews()
{
    qml::linkQmlTypes();
    PreparedViews views;
    views.engine = std::make_unique<QQmlEngine>();
    // The module lives at qrc:/Vantrel: found there by `import Vantrel` in every build.
    views.engine->addImportPath(QStringLiteral("qrc:/"));
    views.loading = std::make_unique<QQmlComponent>(views.engine.get(), panelViewsURL(), QQmlComponent::Asynchronous);
    return views;
}

void LauncherPanelController::prepareFonts()
{
    // The cards' names: the default family, 12 pixels, demibold.
    QFont font;
    font.setPixelSize(12);
    font.setWeight(QFont::DemiBold);
    (void)QFontMetricsF(font).horizontalAdvance(QStringLiteral("Logic Pro"));
}

LauncherPanelController::LauncherPanelController(LauncherViewModel& viewModel, LocalizationStore& localization,
                                                 Clock& clock, PlatformWindowing& windowing, bool animate,
                                                 PreparedViews views, QObject* parent)
    : QObject(parent)
    , m_viewModel(viewModel)
    , m_clock(clock)
    , m_windowing(windowing)
    , m_animate(animate)
    , m_views(views.engine ? std::move(views) : prepareViews())
    , m_window(std::make_unique<QQuickView>(m_views.engine.get(), nullptr))
{
    qml::linkQmlTypes();
    QQuickView& window = *m_window;
    window.setTitle(QStringLiteral("Vantrel"));
    windowing.configurePanel(window, cornerRadius);
    window.setColor(Qt::transparent);
    window.setResizeMode(QQuickView::SizeViewToRootObject);
    window.setInitialProperties({
        {QStringLiteral("viewModel"), QVariant::fromValue(&viewModel)},
        {QStringLiteral("l10n"), QVariant::fromValue(&localization)},
        {QStringLiteral("panel"), QVariant::fromValue(this)},
        {QStringLiteral("cornerRadius"), cornerRadius},
    });
    window.setSource(panelViewsURL()); // the engine's loader has it, or finishes it now
    m_views.loading.reset();
    if (window.status() == QQuickView::Error) {
        for (const QQmlError& error : window.errors()) {
            qWarning().noquote() << error.toString();
        }
    }
    window.installEventFilter(this);
    // The window takes its size from the views a moment after the content changes; it is
    // re-centred once it has.
    connect(&viewModel, &LauncherViewModel::layoutChanged, this, &LauncherPanelController::scheduleRecentre);
    connect(&window, &QWindow::widthChanged, this, &LauncherPanelController::scheduleRecentre);
    connect(&window, &QWindow::heightChanged, this, &LauncherPanelController::scheduleRecentre);
}

LauncherPanelController::~LauncherPanelController() = default;

bool LauncherPanelController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.get() && event->type() == QEvent::Close) {
        event->ignore(); // ending the application is the delegate's decision
        Q_EMIT closeRequested();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool LauncherPanelController::isShowing() const
{
    return m_window->isVisible() && m_contentShown;
}

QScreen* LauncherPanelController::screenWithPointer()
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    return screen ? screen : QGuiApplication::primaryScreen();
}

void LauncherPanelController::centre()
{
    QScreen* screen = m_screen ? m_screen.data() : screenWithPointer();
    if (!screen) {
        return;
    }
    if (!m_window->isVisible()) {
        m_window->setScreen(screen); // its scale before the first frame
    }
    const QRect area = screen->availableGeometry();
    const QSize size = m_window->size();
    // Whole pixels: a floating panel on a half pixel blurs its edges.
    m_window->setPosition(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

QStringList LauncherPanelController::imagesNotDrawn() const
{
    QStringList sources;
    const std::function<void(const QQuickItem*)> visit = [&](const QQuickItem* item) {
        if (!item->isVisible()) {
            return;
        }
        // Qt Quick's Image and its relatives: status Error (3) once a source failed to load.
        constexpr int errorStatus = 3;
        if (item->inherits("QQuickImageBase") && item->property("status").toInt() == errorStatus) {
            sources << item->property("source").toUrl().toString();
        }
        for (const QQuickItem* child : item->childItems()) {
            visit(child);
        }
    };
    visit(m_window->contentItem());
    return sources;
}

void LauncherPanelController::scheduleRecentre()
{
    if (m_recentreScheduled) {
        return;
    }
    m_recentreScheduled = true;
    // On the next turn, once the window has taken its new size.
    QTimer::singleShot(0, this, [this] {
        m_recentreScheduled = false;
        if (m_window->isVisible() && !m_isDismissing) {
            centre();
        }
    });
}

void LauncherPanelController::setFloating(bool floating)
{
    m_windowing.setLevel(*m_window, floating ? WindowLevel::floating : WindowLevel::normal);
}

bool LauncherPanelController::hasBlurBehindWindow() const
{
    return m_windowing.hasBlurBehindWindow();
}

void LauncherPanelController::startMove()
{
    Q_EMIT moveStarted();
    m_window->startSystemMove();
}

void LauncherPanelController::show()
{
    m_screen = screenWithPointer();
    centre();
    bringForward();
    appear();
}

void LauncherPanelController::bringForward()
{
    m_window->show();
    m_window->raise();
    m_windowing.activateApplication();
    m_window->requestActivate();
}

void LauncherPanelController::appear()
{
    m_contentShown = true;
    m_windowing.fadeBackdrop(*m_window, true, m_animate ? timings::panelAppearOpacity : Duration::zero());
    Q_EMIT appearRequested(m_animate);
}

void LauncherPanelController::fadeOut(std::function<void()> completion)
{
    m_contentShown = false;
    m_windowing.fadeBackdrop(*m_window, false, m_animate ? timings::panelFadeOut : Duration::zero());
    Q_EMIT fadeOutRequested(m_animate);
    auto wait = [](Clock& clock, std::weak_ptr<bool> alive, bool animate, std::function<void()> completion) -> Task<> {
        if (animate) {
            co_await clock.sleep(timings::panelFadeOut);
        }
        if (!alive.expired()) {
            completion();
        }
    };
    if (m_animate) {
        m_tasks.spawn(wait(m_clock, m_alive, m_animate, std::move(completion)), QStringLiteral("panel fade-out"));
    } else {
        completion();
    }
}

void LauncherPanelController::hideForLaunch(std::function<void()> completion)
{
    if (m_isDismissing || m_isHidingForLaunch || !m_window->isVisible()) {
        completion(); // nothing on screen to hide (a link's launch never shows the panel)
        return;
    }
    m_isHidingForLaunch = true;
    fadeOut([this, completion = std::move(completion)] {
        m_window->hide();
        m_isHidingForLaunch = false;
        completion();
    });
}

void LauncherPanelController::revealAfterFailedLaunch()
{
    if (m_isDismissing) {
        return;
    }
    m_isHidingForLaunch = false;
    show();
}

void LauncherPanelController::dismiss(std::function<void()> completion)
{
    m_isDismissing = true;
    if (m_isHidingForLaunch || !isShowing()) {
        completion();
        return;
    }
    // Faded out, the window goes too: nothing invisible stays on screen to be clicked
    // while the end waits for a launch under way.
    fadeOut([this, completion = std::move(completion)] {
        m_window->hide();
        completion();
    });
}

} // namespace vantrel
