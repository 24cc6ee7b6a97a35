#pragma once

#include "async/Clock.h"
#include "simhost/machine/HostState.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace vantrel::sim {

class RootedFileSystem;

// Starts a stand-in Logic Pro process for a bundle of the simulated Mac, the way Launch
// Services would: in the architecture asked for, else the bundle's Launch Services
// preference, else natively when it can. Shared by `vantrel-sim open` and the simulated
// workspace.
class AppLauncher {
public:
    struct Started {
        qint64 pid = 0;
        QString architecture; // "arm64" or "x86_64", as requested of the stand-in
    };

    AppLauncher(std::shared_ptr<RootedFileSystem> fileSystem, HostState state);

    // The architecture the bundle would start in, or the refusal as the platform words it
    // ("Bad CPU type in executable…", "Unable to find application…").
    std::optional<QString> chooseArchitecture(const QString& bundlePath, const std::optional<QString>& requested,
                                              QString* error) const;

    // Starts the stand-in detached; it registers itself shortly afterwards.
    std::optional<Started> start(const QString& bundlePath, const std::optional<QString>& requested,
                                 const QStringList& documents, QString* error) const;

    // Blocks (in real time: a command-line tool's wait) until the process has registered
    // (true), died or `timeout` passed (false).
    bool waitForRegistration(qint64 pid, Duration timeout) const;

    // The vantrel-sim executable: $VANTREL_SIM_TOOL, beside the running program, or the
    // one this build made.
    static QString toolPath();

private:
    std::shared_ptr<RootedFileSystem> m_fileSystem;
    HostState m_state;
};

} // namespace vantrel::sim
