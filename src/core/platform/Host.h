#pragma once

#include "async/Clock.h"
#include "platform/CommandRunner.h"
#include "platform/FileSystem.h"
#include "platform/KeyboardEvents.h"
#include "platform/LaunchServices.h"
#include "platform/PreferencesSystem.h"
#include "platform/ProcessProbe.h"
#include "platform/Scripting.h"
#include "platform/SecurityScope.h"
#include "platform/Workspace.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <typeindex>
#include <utility>
#include <vector>

namespace vantrel {

// The machine the launcher runs on: its ports, plus the launcher's own bundle. Objects
// that the platform makes process-wide (the shared logger, the shared localization store,
// the standard defaults) belong to the current host, so a test that installs its own host
// (a temporary simulated Mac) never sees another test's state or the real home folder.
class Host {
public:
    // The first three are required; a host for tests that need no processes may leave
    // the others empty (using an empty one is a programming error and aborts).
    struct Ports {
        std::shared_ptr<FileSystem> fileSystem;
        std::shared_ptr<PreferencesSystem> preferences;
        std::shared_ptr<Clock> clock;
        std::shared_ptr<Workspace> workspace = {};
        std::shared_ptr<ProcessProbe> processProbe = {};
        std::shared_ptr<CommandRunner> commandRunner = {};
        std::shared_ptr<LaunchServices> launchServices = {};
        std::shared_ptr<KeyboardEvents> keyboard = {};
        std::shared_ptr<Scripting> scripting = {};
        std::shared_ptr<SecurityScope> securityScope = {};
    };

    Host(Ports ports, QString ownBundlePath, QString ownBundleIdentifier);
    ~Host();

    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    FileSystem& fileSystem() const { return *m_ports.fileSystem; }
    PreferencesSystem& preferences() const { return *m_ports.preferences; }
    Clock& clock() const { return *m_ports.clock; }
    Workspace& workspace() const { return required(m_ports.workspace); }
    ProcessProbe& processProbe() const { return required(m_ports.processProbe); }
    CommandRunner& commandRunner() const { return required(m_ports.commandRunner); }
    LaunchServices& launchServices() const { return required(m_ports.launchServices); }
    KeyboardEvents& keyboard() const { return required(m_ports.keyboard); }
    Scripting& scripting() const { return required(m_ports.scripting); }
    SecurityScope& securityScope() const { return required(m_ports.securityScope); }
    const Ports& ports() const { return m_ports; }
    std::shared_ptr<UserDefaults> standardDefaults() const { return m_ports.preferences->standard(); }

    // The launcher's own application bundle, as a host path, and its identifier.
    const QString& ownBundlePath() const { return m_ownBundlePath; }
    const QString& ownBundleIdentifier() const { return m_ownBundleIdentifier; }

    // The host's single instance of T, made with `make` on first use (thread-safe). Shared
    // objects are destroyed with the host, newest first.
    template <typename T>
    T& shared(const std::function<std::unique_ptr<T>(Host&)>& make)
    {
        std::lock_guard lock(m_sharedMutex);
        for (auto& [type, object] : m_shared) {
            if (type == std::type_index(typeid(T))) {
                return *static_cast<T*>(object.get());
            }
        }
        std::shared_ptr<T> object = make(*this);
        T& ref = *object;
        m_shared.emplace_back(std::type_index(typeid(T)), std::move(object));
        return ref;
    }

    // The installed host. Using the platform before main (or a test) installed one is a
    // programming error and aborts.
    static Host& current();
    static bool hasCurrent();

private:
    friend class CurrentHostGuard;

    template <typename T>
    static T& required(const std::shared_ptr<T>& port)
    {
        if (!port) {
            missingPort(typeid(T).name());
        }
        return *port;
    }
    [[noreturn]] static void missingPort(const char* name);

    Ports m_ports;
    QString m_ownBundlePath;
    QString m_ownBundleIdentifier;
    std::recursive_mutex m_sharedMutex;
    std::vector<std::pair<std::type_index, std::shared_ptr<void>>> m_shared;
};

// Installs a host as the current one for its lifetime and puts the previous one back
// afterwards. main installs the application's host once; each test installs its own.
class CurrentHostGuard {
public:
    explicit CurrentHostGuard(std::shared_ptr<Host> host);
    ~CurrentHostGuard();

    CurrentHostGuard(const CurrentHostGuard&) = delete;
    CurrentHostGuard& operator=(const CurrentHostGuard&) = delete;

    Host& host() const { return *m_host; }

private:
    std::shared_ptr<Host> m_host;
    std::shared_ptr<Host> m_previous;
};

} // namespace vantrel
