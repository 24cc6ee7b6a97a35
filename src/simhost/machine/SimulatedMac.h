#pragma once

#include "platform/Host.h"
#include "simhost/machine/HostState.h"

#include <QString>

#include <memory>

namespace vantrel::sim {

class RootedFileSystem;
class SimulatedPreferences;
class SimulatedWorkspace;

// A folder that looks like a Mac's disk:
//   Applications/                         the system Applications folder
//   Users/<name>/Applications/            the user's own Applications folder
//   Users/<name>/Library/{Application Support,Logs,Preferences}/
//   Library/Audio/Plug-Ins/
//   .simhost/                             the host's own state (user name, locks, …)
class SimulatedMac {
public:
    static constexpr const char* ownBundlePath = "/Applications/Vantrel.app";
    static constexpr const char* ownBundleIdentifier = "com.vantrel.app";
    static constexpr const char* rootVariable = "VANTREL_SIMULATED_MAC";

    // $VANTREL_SIMULATED_MAC, or ~/.local/share/vantrel/simulated-mac.
    static QString defaultRoot();

    // Opens the simulated Mac at `root`. The user name is the one recorded there; a new
    // Mac takes `userName`, or the login name.
    explicit SimulatedMac(QString root, QString userName = {});
    ~SimulatedMac();

    // Creates the folder skeleton and records the user name. Safe to repeat.
    bool initialize();
    bool isInitialized() const;

    const QString& root() const { return m_root; }
    const QString& userName() const { return m_userName; }
    QString stateFolder() const;

    std::shared_ptr<RootedFileSystem> fileSystem() const { return m_fileSystem; }
    std::shared_ptr<SimulatedPreferences> preferences() const { return m_preferences; }
    std::shared_ptr<SimulatedWorkspace> workspace() const { return m_workspace; }
    HostState state() const { return HostState(m_root); }

    // Rosetta 2 "installed": /usr/libexec/rosetta/runtime exists.
    bool setRosettaInstalled(bool installed);

    // A host over this Mac with the given clock: every port of the simulated Mac.
    std::shared_ptr<Host> makeHost(std::shared_ptr<Clock> clock) const;

private:
    QString m_root;
    QString m_userName;
    std::shared_ptr<RootedFileSystem> m_fileSystem;
    std::shared_ptr<SimulatedPreferences> m_preferences;
    std::shared_ptr<SimulatedWorkspace> m_workspace;
};

} // namespace vantrel::sim
