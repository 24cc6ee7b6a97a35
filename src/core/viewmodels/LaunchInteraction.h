#pragma once

#include "async/Clock.h"
#include "async/Spawner.h"
#include "async/Task.h"
#include "model/LaunchAction.h"
#include "model/LaunchCard.h"
#include "model/LauncherError.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace vantrel {

class FileSystem;
class LaunchLogger;
class LaunchManager;
class LogicSupportActions;
class ProjectMemory;
class SecurityScope;
class Workspace;

// The shell's part in carrying out an action: set once by the application delegate.
struct LaunchShell {
    // Hides the panel, then calls `completion` (at once or later; only the first call counts).
    std::function<void(std::function<void()> completion)> onHideForLaunch;
    std::function<void()> onTerminateAfterLaunch;
    std::function<void()> onRevealAfterFailedLaunch;
    std::function<void(bool busy)> onBusyLaunchingChanged;
    // Something else takes the focus on purpose: no focus-loss close for this long.
    std::function<void(Duration)> onSuppressFocusLossClose;
};

// Carries out what was chosen on a card: a support action, or a launch with its steps
// around the launch engine (other copies asked to quit, the panel hidden, the outcome
// shown or the launcher ended). Holds the project the next launch hands over, with its
// security-scoped access, and defers one handed over while a launch runs. Main thread only.
class LaunchInteraction final {
public:
    // Where the interaction shows what happens: the view it was started from.
    class View {
    public:
        virtual void setStatusMessage(std::optional<QString> text) = 0;
        virtual void setErrorMessage(std::optional<ShownError> error) = 0;
        virtual void launchingChanged() = 0;
        virtual void pendingProjectChanged() = 0;

    protected:
        ~View() = default;
    };

    struct Collaborators {
        LaunchManager& launchManager;
        LogicSupportActions& supportActions;
        Workspace& workspace;
        SecurityScope& securityScope;
        FileSystem& fileSystem;
        LaunchLogger& logger;
        // Told which copy opened a project, after each verified launch with one; none:
        // nothing is remembered.
        ProjectMemory* projectMemory = nullptr;
    };

    // `shell` and `view` outlive the interaction.
    LaunchInteraction(Collaborators collaborators, const LaunchShell& shell, View& view);
    ~LaunchInteraction();

    LaunchInteraction(const LaunchInteraction&) = delete;
    LaunchInteraction& operator=(const LaunchInteraction&) = delete;

    // Tells the shell it is busy, then carries out `action` in tasks().
    void start(std::optional<LaunchCard> card, LaunchAction action);
    // Carries out `action` on `card`; without a card only the shell hears it is idle.
    Task<> perform(std::optional<LaunchCard> card, LaunchAction action);
    // A launch still in its quit step (other copies asked to quit, nothing of its own
    // started) stops there with operationCancelled. A launch past that step runs to its end.
    void cancelInQuitStep();
    bool isLaunching() const { return m_isLaunching; }

    const std::optional<QUrl>& pendingProject() const { return m_pendingProject; }
    // While a launch runs, a project waits for its end: pending again when it fails,
    // logged as not opened when it succeeds.
    void setPendingProject(const std::optional<QUrl>& url);
    void clearPendingProject();
    // Why `url` cannot be the project a launch hands over: no .logicx, .logic or .lso
    // bundle, or nothing there.
    static std::optional<LauncherError> projectRefusal(const QUrl& url, const FileSystem& fileSystem);

    // The actions started here run in these.
    Spawner& tasks() { return m_tasks; }

private:
    void setLaunching(bool launching);
    void busy(bool value);
    void releaseProjectAccess();
    // False when the interaction went away before the shell finished the hide.
    Task<bool> hideForLaunch();

    Collaborators m_c;
    const LaunchShell& m_shell;
    View& m_view;
    bool m_isLaunching = false;
    bool m_inQuitStep = false;
    bool m_quitStepCancelled = false;
    std::optional<QUrl> m_pendingProject;
    std::optional<QUrl> m_projectAfterLaunch; // handed over while a launch ran
    bool m_pendingProjectSecurityScoped = false;
    std::weak_ptr<void> m_pendingHide;                        // the hide a launch waits for, if any
    std::shared_ptr<void> m_alive = std::make_shared<int>(0); // a hide's completion checks it
    Spawner m_tasks;
};

} // namespace vantrel
