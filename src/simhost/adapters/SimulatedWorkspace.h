#pragma once

#include "platform/Workspace.h"
#include "simhost/machine/HostState.h"

#include <functional>
#include <memory>

namespace vantrel::sim {

class RootedFileSystem;

// The workspace of the simulated Mac: the running-application list is the host's
// registry (stale entries included; liveness comes from the real signal-0 probe), opening
// starts stand-in processes, and documents go to a running stand-in's inbox. Opening a
// URL and revealing items are recorded in the event log and, when the shell installs a
// desktop hook, shown with the real file manager.
class SimulatedWorkspace final : public Workspace {
public:
    // Called with the native path (or the URL's text) of what is opened or revealed.
    using DesktopHook = std::function<void(const QString& nativePathOrURL, bool reveal)>;

    SimulatedWorkspace(std::shared_ptr<RootedFileSystem> fileSystem, HostState state);

    QList<RunningApplicationPtr> runningApplications() override;
    Task<OpenResult> openApplication(QUrl appURL, OpenConfiguration configuration) override;
    Task<OpenResult> openDocuments(QList<QUrl> documentURLs, QUrl appURL, OpenConfiguration configuration) override;
    bool open(const QUrl& url) override;
    void activateFileViewerSelecting(const QList<QUrl>& urls) override;

    void setDesktopHook(DesktopHook hook) { m_desktopHook = std::move(hook); }

    // The open command starts applications through this same workspace, but the host's
    // workspace fault (HostFault::workspaceOpenFails) is not its fault.
    void setServesOpenCommand(bool serves) { m_servesOpenCommand = serves; }

    // A running-application record for a registry entry of this host.
    RunningApplicationPtr applicationFor(qint64 pid) const;

private:
    Task<OpenResult> launch(QString bundlePath, OpenConfiguration configuration, QStringList documents);
    RunningApplicationPtr liveInstance(const QString& bundlePath) const;

    std::shared_ptr<RootedFileSystem> m_fileSystem;
    HostState m_state;
    DesktopHook m_desktopHook;
    bool m_servesOpenCommand = false;
};

} // namespace vantrel::sim
