#pragma once

#include "async/Spawner.h"
#include "async/Timings.h"

#include <QObject>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

namespace vantrel {

class Clock;
class LauncherViewModel;
class LocalizationStore;
class PlatformWindowing;

// The launcher panel: a frameless, translucent, always-on-top window that takes the
// keyboard, showing LauncherWindow.qml for the view model. It keeps itself centred when
// its content changes size, runs the appear and fade-out animations (their completions
// timed by the Clock), and hides for a launch or comes back after a failed one.
class LauncherPanelController final : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(LauncherPanel)
    QML_UNCREATABLE("made by the application")
    // The animations' durations (timings::panel…), in the milliseconds QML animates in.
    Q_PROPERTY(int appearScaleMilliseconds READ appearScaleMilliseconds CONSTANT)
    Q_PROPERTY(int appearOpacityMilliseconds READ appearOpacityMilliseconds CONSTANT)
    Q_PROPERTY(int fadeOutMilliseconds READ fadeOutMilliseconds CONSTANT)
    // The platform blurs what lies behind the panel: the views draw their base translucent.
    Q_PROPERTY(bool hasBlurBehindWindow READ hasBlurBehindWindow CONSTANT)

public:
    static constexpr int cornerRadius = 22;

    // The panel's views, loading. Qt reads QML types on a loader thread while the thread
    // that asked waits; begun early, the reading runs beside the rest of the start-up.
    struct PreparedViews {
        std::unique_ptr<QQmlEngine> engine;
        std::unique_ptr<QQmlComponent> loading;
    };
    static PreparedViews prepareViews();
    // Loads the font database and the panel's fonts on this thread (the first text laid
    // out otherwise does, in the middle of making the views): best while the views load.
    static void prepareFonts();

    // `animate` false shows every state at once (screenshots, tests of the final look).
    // `views`: from prepareViews(), or made here.
    LauncherPanelController(LauncherViewModel& viewModel, LocalizationStore& localization, Clock& clock,
                            PlatformWindowing& windowing, bool animate = true, PreparedViews views = {},
                            QObject* parent = nullptr);
    ~LauncherPanelController() override;

    QQuickView& window() { return *m_window; }

    // Start-up: centre on the display with the pointer, show, take the keyboard, appear.
    void show();
    // Ordered in front, this application active and the panel key: after a hand-over, a
    // drop, a link, the settings.
    void bringForward();
    // Fades out, orders the panel out, then calls `completion`; at once when the panel is
    // already dismissing or hiding for a launch.
    void hideForLaunch(std::function<void()> completion);
    // Back after a failed launch: centred, key, appearing. Ignored while dismissing.
    void revealAfterFailedLaunch();
    // The fade-out before the application ends, then the window ordered out; `completion`
    // runs when it is over.
    void dismiss(std::function<void()> completion);

    bool isDismissing() const { return m_isDismissing; }
    // The views loaded (a broken module or file leaves the window empty).
    bool isLoaded() const { return m_window->status() == QQuickView::Ready; }
    bool isHidingForLaunch() const { return m_isHidingForLaunch; }
    // Shown and not faded out.
    bool isShowing() const;

    // Centres the panel on the display it opened on (the pointer's when it opened).
    void centre();
    // The sources of the visible images that could not be drawn (a missing image plug-in
    // leaves every SVG icon blank): empty when every icon shows.
    QStringList imagesNotDrawn() const;
    // The display with the pointer; the primary one when the pointer is on none.
    static QScreen* screenWithPointer();
    // Whether the panel sits at the floating level above other windows (the settings
    // window lowers it to the normal level while it shows).
    void setFloating(bool floating);
    bool hasBlurBehindWindow() const;

    static int appearScaleMilliseconds() { return inMilliseconds(timings::panelAppearScale); }
    static int appearOpacityMilliseconds() { return inMilliseconds(timings::panelAppearOpacity); }
    static int fadeOutMilliseconds() { return inMilliseconds(timings::panelFadeOut); }

    // For views: drag the panel by its background.
    Q_INVOKABLE void startMove();
    // For views: a drag with files entered the panel; files were dropped on it.
    Q_INVOKABLE void noteDragEntered() { Q_EMIT dragEntered(); }
    Q_INVOKABLE void noteDropped() { Q_EMIT dropped(); }

Q_SIGNALS:
    // For the views, which run the animations.
    void appearRequested(bool animated);
    void fadeOutRequested(bool animated);
    // The window system asked the panel to close.
    void closeRequested();
    void dragEntered();
    void dropped();
    // The panel is being moved by its background.
    void moveStarted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void appear();
    void fadeOut(std::function<void()> completion);
    void scheduleRecentre();

    LauncherViewModel& m_viewModel;
    Clock& m_clock;
    PlatformWindowing& m_windowing;
    bool m_animate;
    PreparedViews m_views; // before the window, which uses their engine
    std::unique_ptr<QQuickView> m_window;
    bool m_isDismissing = false;
    bool m_isHidingForLaunch = false;
    bool m_contentShown = false;
    bool m_recentreScheduled = false;
    QPointer<QScreen> m_screen; // where the panel opened
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    Spawner m_tasks; // the fades' completions
};

} // namespace vantrel
