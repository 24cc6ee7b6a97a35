#include "app/QuickMenuPresenter.h"

#include "app/MenuPresenters.h"

#include "app/QmlTypes.h"
#include "viewmodels/PopupMenuViewModel.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>

namespace vantrel {

namespace {

// A press outside the menu's window (delivered to it while it holds the pointer) closes
// the menu.
class OutsidePressFilter final : public QObject {
public:
    OutsidePressFilter(QQuickView& window, PopupMenuViewModel& menu)
        : QObject(&window)
        , m_window(window)
        , m_menu(menu)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_window && event->type() == QEvent::MouseButtonPress) {
            const QPointF at = static_cast<QMouseEvent*>(event)->position();
            if (!QRectF(QPointF(), m_window.size()).contains(at)) {
                m_menu.dismiss();
                return true;
            }
        }
        return false;
    }

private:
    QQuickView& m_window;
    PopupMenuViewModel& m_menu;
};

// Whether the platform has a pointer and a keyboard for the menu to hold (offscreen, the
// tests' platform, has neither, and says so at every attempt).
bool holdsInput()
{
    static const bool holds = QGuiApplication::platformName() != QLatin1String("offscreen")
                              && QGuiApplication::platformName() != QLatin1String("minimal");
    return holds;
}

} // namespace

struct QuickMenuPresenter::Open {
    std::unique_ptr<PopupMenuViewModel> menu;
    std::unique_ptr<QQuickView> window;
    std::function<void(const QVariant&)> onChoose;
    std::optional<QVariant> chosen;
};

QuickMenuPresenter::QuickMenuPresenter() = default;

QuickMenuPresenter::~QuickMenuPresenter()
{
    if (m_open) {
        m_open->onChoose = nullptr; // nothing is chosen from a menu that goes with the application
        close();
    }
}

PopupMenuViewModel* QuickMenuPresenter::openMenu() const
{
    return m_open ? m_open->menu.get() : nullptr;
}

QQuickView* QuickMenuPresenter::openWindow() const
{
    return m_open ? m_open->window.get() : nullptr;
}

void QuickMenuPresenter::dismiss()
{
    if (m_open) {
        m_open->menu->dismiss();
    }
}

void QuickMenuPresenter::popUp(const Menu& menu, QObject* anchorView, std::function<void(const QVariant&)> onChoose)
{
    if (m_open) {
        close(); // one menu at a time: the one open goes without a choice
    }
    qml::linkQmlTypes();
    auto* anchor = qobject_cast<QQuickItem*>(anchorView);
    const QPoint at = menuAnchorPoint(menu, anchorView);

    auto open = std::make_unique<Open>();
    open->menu = std::make_unique<PopupMenuViewModel>(menu);
    open->onChoose = std::move(onChoose);
    // In the anchor's engine when there is one: its module and images are loaded already.
    QQmlEngine* engine = anchor ? qmlEngine(anchor) : nullptr;
    open->window = engine ? std::make_unique<QQuickView>(engine, nullptr) : std::make_unique<QQuickView>();
    QQuickView& window = *open->window;
    window.setFlags(Qt::Popup | Qt::FramelessWindowHint);
    if (anchor && anchor->window()) {
        window.setTransientParent(anchor->window());
    }
    window.setColor(Qt::transparent);
    window.setResizeMode(QQuickView::SizeViewToRootObject);
    window.setInitialProperties({{QStringLiteral("menu"), QVariant::fromValue(open->menu.get())}});
    window.engine()->addImportPath(QStringLiteral("qrc:/"));
    window.setSource(QUrl(QStringLiteral("qrc:/Vantrel/PopupMenuView.qml")));
    if (window.status() != QQuickView::Ready) {
        for (const QQmlError& error : window.errors()) {
            qWarning().noquote() << error.toString();
        }
        return; // nothing shown, nothing chosen
    }

    // Kept on the screen it opens on: above the point when there is no room below it.
    QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    QPoint position = at;
    if (screen) {
        const QRect area = screen->availableGeometry();
        if (position.y() + window.height() > area.bottom() + 1) {
            position.setY(std::max(area.top(), position.y() - window.height()));
        }
        position.setX(std::clamp(position.x(), area.left(), std::max(area.left(), area.right() + 1 - window.width())));
    }
    window.setPosition(position);

    PopupMenuViewModel& model = *open->menu;
    // The menu ends from inside its own window's event handling: the window goes on the
    // next turn, and the choice is reported after it has.
    auto closeLater = [this, &model] {
        QMetaObject::invokeMethod(
            &model,
            [this, &model] {
                if (m_open && m_open->menu.get() == &model) {
                    close();
                }
            },
            Qt::QueuedConnection);
    };
    QObject::connect(&model, &PopupMenuViewModel::chosen, &model, [this, &model, closeLater](const QVariant& chosen) {
        if (m_open && m_open->menu.get() == &model) {
            m_open->chosen = chosen;
            closeLater();
        }
    });
    QObject::connect(&model, &PopupMenuViewModel::dismissed, &model, closeLater);
    QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, &model, [&model](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) {
            model.dismiss();
        }
    });
    window.installEventFilter(new OutsidePressFilter(window, model));

    m_open = std::move(open);
    window.show();
    window.requestActivate();
    if (holdsInput()) {
        window.setKeyboardGrabEnabled(true);
        window.setMouseGrabEnabled(true);
    }
    if (onTrackingChanged) {
        onTrackingChanged(true);
    }
}

void QuickMenuPresenter::close()
{
    std::unique_ptr<Open> open = std::move(m_open);
    if (!open) {
        return;
    }
    if (holdsInput()) {
        open->window->setMouseGrabEnabled(false);
        open->window->setKeyboardGrabEnabled(false);
    }
    open->window->hide();
    // Either may still be on the stack of the event that ended the menu.
    open->window.release()->deleteLater();
    open->menu.release()->deleteLater();
    if (onTrackingChanged) {
        onTrackingChanged(false);
    }
    if (open->chosen && open->onChoose) {
        open->onChoose(*open->chosen);
    }
}

} // namespace vantrel

namespace vantrel {

namespace {

const QQuickItem* findNamed(const QQuickItem* root, const QString& name)
{
    for (const QQuickItem* child : root->childItems()) {
        if (child->objectName() == name) {
            return child;
        }
        if (const QQuickItem* found = findNamed(child, name)) {
            return found;
        }
    }
    return nullptr;
}

} // namespace

QPoint menuAnchorPoint(const Menu& menu, QObject* anchorView)
{
    if (auto* root = qobject_cast<QQuickItem*>(anchorView); root && !menu.anchorItemName.isEmpty()) {
        if (const QQuickItem* item = findNamed(root, menu.anchorItemName); item && item->window()) {
            return item->window()->mapToGlobal(item->mapToScene(QPointF(0, item->height())).toPoint());
        }
    }
    return QCursor::pos();
}

} // namespace vantrel

#if !defined(Q_OS_MACOS)
namespace vantrel {

std::unique_ptr<MenuPresenter> makeMenuPresenter(std::function<void(bool tracking)> onTrackingChanged)
{
    auto presenter = std::make_unique<QuickMenuPresenter>();
    presenter->onTrackingChanged = std::move(onTrackingChanged);
    return presenter;
}

} // namespace vantrel
#endif
