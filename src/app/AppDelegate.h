#pragma once

#include "async/Spawner.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace vantrel {

class AppPreferences;
class Clock;
class FocusLossPolicy;
class LauncherPanelController;
class LauncherViewModel;
class PlatformWindowing;
class MenuPresenter;
class Services;
class SettingsWindowController;

// Assembles the launcher once, in the start-up order, from the process's long-lived
// objects (`Services`, built by main over the host it chose), wires the view model's
// callbacks to the panel and the focus-loss rules, takes documents handed over by the
// system, and ends the application — only after pending restores of Logic's startup action
// have run and the launch log is flushed, whatever ends it.
class AppDelegate final : public QObject {
    Q_OBJECT

public:
    struct Options {
        bool animate = true;
        // False for a run that must not end before it has done its job (a screenshot).
        bool closesOnFocusLoss = true;
        // Called once everything is finished; the application's own quit by default.
        std::function<void()> exit;
        // The window system's part; this build's own by default.
        std::shared_ptr<PlatformWindowing> windowing;
    };

    AppDelegate(Services& services, Options options, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Restores what an interrupted launch left behind, builds the view model and the
    // panel, shows it, and hands over the first queued document. False, with nothing
    // shown, when the panel's views did not load.
    bool start();

    // Documents from the system (arguments, the file-open event, a second instance). Before
    // start() they are queued; after it the first one becomes the pending project and the
    // panel comes forward.
    // A vantrel:// link among them is followed (the first; see followLink).
    // False when nothing can take them any more (the launcher is ending).
    bool openDocuments(const QList<QUrl>& urls);
    // A vantrel:// link on its own (the system's URL handler on a Mac).
    Q_INVOKABLE void openLink(const QUrl& link) { openDocuments({link}); }

    // Escape, focus loss, the window system or a signal: fade out, then end.
    void fadeOutAndTerminate();
    // Ends at once (after the pending work).
    void terminate();
    bool isTerminating() const { return m_terminating; }

Q_SIGNALS:
    // The end has begun: nothing new is taken (a second start must not hand over to us).
    void terminating();

public:
    LauncherViewModel* viewModel() const { return m_viewModel.get(); }
    LauncherPanelController* panel() const { return m_panel.get(); }
    FocusLossPolicy& focusLossPolicy() const { return *m_focusLoss; }
    MenuPresenter& menus() const { return *m_menus; }
    // Made on the first opening of the settings; none before.
    SettingsWindowController* settingsWindow() const { return m_settings.get(); }
    void openSettings();
    AppPreferences& preferences() const { return *m_preferences; }

private:
    // Carries out a vantrel:// link: without a project the card's launch starts at once;
    // with one, the card is selected with the project pending for the user to confirm;
    // a link that is malformed or names nothing launchable is refused on the error line.
    // Logged either way. Returns whether the panel should come forward for it.
    bool followLink(const QUrl& link);
    void bringForward();
    void handleSettingsClosed();
    static bool isMenuBarPoint(QPoint point);
    static bool isInsideOurWindows(QPoint point);

    Services& m_services;
    Clock& m_clock;
    Options m_options;
    std::unique_ptr<AppPreferences> m_preferences;
    std::shared_ptr<PlatformWindowing> m_windowing;
    std::function<void(bool)> m_onMenuTracking;
    std::unique_ptr<MenuPresenter> m_menus;
    std::unique_ptr<FocusLossPolicy> m_focusLoss;
    std::unique_ptr<LauncherViewModel> m_viewModel;
    std::unique_ptr<LauncherPanelController> m_panel;
    std::unique_ptr<SettingsWindowController> m_settings;
    QList<QUrl> m_queuedProjectURLs;
    std::optional<QUrl> m_queuedLink;
    bool m_terminating = false;
    Spawner m_tasks; // the wait before the end
};

} // namespace vantrel
