#include "viewmodels/LaunchInteraction.h"

#include "async/Timings.h"
#include "launch/LaunchManager.h"
#include "log/LaunchLogger.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/SecurityScope.h"
#include "platform/Workspace.h"
#include "settings/ProjectMemory.h"
#include "viewmodels/LogicSupportActions.h"

#include <coroutine>

namespace vantrel {

namespace {

// Resumes the awaiting coroutine when the shell calls the completion it was given,
// which may happen before, during or after the wait begins. The wait reports false when
// it was abandoned instead (the interaction went away first).
struct Completion {
    struct State {
        bool done = false;
        bool abandoned = false;
        std::coroutine_handle<> waiter;

        void finish(bool abandon)
        {
            if (done) {
                return; // called twice: the first call counts
            }
            done = true;
            abandoned = abandon;
            if (auto handle = std::exchange(waiter, {})) {
                handle.resume();
            }
        }
    };
    std::shared_ptr<State> state = std::make_shared<State>();

    bool await_ready() const noexcept { return state->done; }
    void await_suspend(std::coroutine_handle<> handle) const noexcept { state->waiter = handle; }
    bool await_resume() const noexcept { return !state->abandoned; }
};

} // namespace

LaunchInteraction::LaunchInteraction(Collaborators collaborators, const LaunchShell& shell, View& view)
    : m_c(collaborators)
    , m_shell(shell)
    , m_view(view)
{
}

LaunchInteraction::~LaunchInteraction()
{
    releaseProjectAccess();
    // A launch still waiting for the hide ends here, touching nothing of the interaction.
    if (const auto hide = std::static_pointer_cast<Completion::State>(m_pendingHide.lock())) {
        hide->finish(true);
    }
}

void LaunchInteraction::setLaunching(bool launching)
{
    if (m_isLaunching != launching) {
        m_isLaunching = launching;
        m_view.launchingChanged();
    }
}

void LaunchInteraction::busy(bool value)
{
    if (m_shell.onBusyLaunchingChanged) {
        m_shell.onBusyLaunchingChanged(value);
    }
}

// ---- performing --------------------------------------------------------------------------

void LaunchInteraction::start(std::optional<LaunchCard> card, LaunchAction action)
{
    busy(true);
    m_tasks.spawn(perform(std::move(card), action), QStringLiteral("perform ") + rawValue(action));
}

Task<bool> LaunchInteraction::hideForLaunch()
{
    if (!m_shell.onHideForLaunch) {
        co_return true;
    }
    Completion completion;
    m_pendingHide = completion.state;
    // The shell may call the completion after the interaction is gone: then it does nothing.
    m_shell.onHideForLaunch([alive = std::weak_ptr<void>(m_alive), state = completion.state] {
        if (!alive.expired()) {
            state->finish(false);
        }
    });
    co_return co_await completion;
}

Task<> LaunchInteraction::perform(std::optional<LaunchCard> card, LaunchAction action)
{
    if (!card) {
        busy(false);
        co_return;
    }
    m_view.setErrorMessage(std::nullopt);
    m_view.setStatusMessage(std::nullopt);
    busy(true);

    const QUrl bundleURL = HostPath::fileURL(card->app.bundlePath);
    if (!isLaunchRequest(action)) {
        if (m_shell.onSuppressFocusLossClose) {
            m_shell.onSuppressFocusLossClose(timings::suppressAfterSupportAction);
        }
        switch (action) {
        case LaunchAction::openPluginsFolder:
            m_c.supportActions.openPluginsFolders();
            break;
        case LaunchAction::openPreferences:
            m_c.supportActions.openLogicPreferences(card->metadata.bundleIdentifier);
            break;
        case LaunchAction::revealInFinder:
            m_c.workspace.activateFileViewerSelecting({bundleURL});
            break;
        case LaunchAction::showInfo:
            m_c.supportActions.showGetInfo(bundleURL);
            break;
        default:
            break;
        }
        busy(false);
        co_return;
    }

    setLaunching(true);
    const LaunchArchitecture mode = card->architecture;
    std::exception_ptr failure;
    try {
        if (action == LaunchAction::launchSafeMode) {
            // Refused before other copies are asked to quit.
            if (auto refusal = m_c.launchManager.safeModeRefusal()) {
                throw *refusal;
            }
        }
        m_inQuitStep = true;
        m_quitStepCancelled = false;
        std::exception_ptr quitFailure;
        try {
            co_await m_c.launchManager.otherCopiesQuitter().quitOtherLogicIfNeeded(bundleURL, mode);
        } catch (...) {
            quitFailure = std::current_exception();
        }
        m_inQuitStep = false;
        if (quitFailure) {
            std::rethrow_exception(quitFailure);
        }
        if (m_quitStepCancelled) {
            throw LauncherError::operationCancelled();
        }
        if (!co_await hideForLaunch()) {
            co_return; // the interaction is going away
        }
        const ParallelLaunchStatus status = m_c.launchManager.runningInstances().parallelLaunchStatus(bundleURL, mode);
        if (status.kind != ParallelLaunchStatus::Case::allowed) {
            m_view.setStatusMessage(status.message);
        }
        co_await m_c.launchManager.launch(bundleURL, mode, action, false, m_pendingProject);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure) {
        if (m_pendingProject && m_c.projectMemory) {
            m_c.projectMemory->remember(HostPath::fromURL(*m_pendingProject), *card, QDateTime::currentDateTimeUtc());
        }
        if (const auto late = std::exchange(m_projectAfterLaunch, std::nullopt)) {
            m_c.logger.log(QStringLiteral("project handed over during the launch was not opened: ")
                           + late->toLocalFile());
        }
        if (m_shell.onTerminateAfterLaunch) {
            m_shell.onTerminateAfterLaunch();
        }
        setLaunching(false);
        busy(false);
        co_return;
    }
    setLaunching(false);
    busy(false);
    if (const auto late = std::exchange(m_projectAfterLaunch, std::nullopt)) {
        setPendingProject(*late); // pending for the next try
    }
    m_view.setErrorMessage(ShownError::of(failure));
    if (m_shell.onRevealAfterFailedLaunch) {
        m_shell.onRevealAfterFailedLaunch();
    }
}

void LaunchInteraction::cancelInQuitStep()
{
    if (m_inQuitStep) {
        m_quitStepCancelled = true;
        m_c.launchManager.cancelQuitting();
    }
}

// ---- pending project ---------------------------------------------------------------------

void LaunchInteraction::releaseProjectAccess()
{
    if (m_pendingProject && m_pendingProjectSecurityScoped) {
        m_c.securityScope.stopAccessing(*m_pendingProject);
        m_pendingProjectSecurityScoped = false;
    }
}

void LaunchInteraction::setPendingProject(const std::optional<QUrl>& url)
{
    if (m_isLaunching && url) {
        // The launch keeps the project it started with; this one waits for its end.
        m_projectAfterLaunch = url;
        return;
    }
    if (url) {
        if (auto refusal = projectRefusal(*url, m_c.fileSystem)) {
            // Refused before anything is released: the earlier project stays, with its access.
            m_view.setErrorMessage(std::move(*refusal));
            return;
        }
    }
    releaseProjectAccess();
    if (!url) {
        if (m_pendingProject) {
            m_pendingProject.reset();
            m_view.pendingProjectChanged();
        }
        return;
    }
    const QUrl standardized = HostPath::fileURL(HostPath::fromURL(*url));
    m_pendingProjectSecurityScoped = m_c.securityScope.startAccessing(standardized);
    m_pendingProject = standardized;
    m_view.pendingProjectChanged();
    m_view.setErrorMessage(std::nullopt);
}

std::optional<LauncherError> LaunchInteraction::projectRefusal(const QUrl& url, const FileSystem& fileSystem)
{
    const QString extension = HostPath::extension(url.toLocalFile()).toLower();
    if (extension != u"logicx" && extension != u"logic" && extension != u"lso") {
        return LauncherError::invalidBundle();
    }
    if (!fileSystem.exists(HostPath::fromURL(url))) {
        return LauncherError::projectNotFound(url.toLocalFile());
    }
    return std::nullopt;
}

void LaunchInteraction::clearPendingProject()
{
    releaseProjectAccess();
    if (m_pendingProject) {
        m_pendingProject.reset();
        m_view.pendingProjectChanged();
    }
}

} // namespace vantrel
