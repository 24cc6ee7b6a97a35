#pragma once

#include "launch/LaunchManager.h"
#include "viewmodels/LauncherViewModel.h"
#include "viewmodels/SettingsViewModel.h"

#include <memory>

namespace vantrel {

class ArchitectureDetector;
class Host;
class LaunchLogger;
class LaunchManager;
class LocalizationStore;
class LogicScanner;
class LogicSupportActions;
class MenuPresenter;
class OpenPanel;
class PersistenceStore;
class PluginInventory;
class ProjectMemory;
class SettingsManager;
class Spawner;
class VersionReader;

// The long-lived objects of one process, each built once from the host it runs on and
// shared by everything that needs it: one architecture detector (so one Rosetta answer),
// one scanner, one settings manager, one launch engine, the host's logger and language
// store. The application builds one at start-up and passes it down; a command-line tool
// builds one over its host; a test over its own host.
class Services {
public:
    explicit Services(Host& host);
    ~Services();

    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    Host& host;
    LaunchLogger& logger;
    LocalizationStore& localization;
    std::shared_ptr<ArchitectureDetector> architectureDetector;
    std::shared_ptr<VersionReader> versionReader;
    std::shared_ptr<LogicScanner> scanner;
    std::shared_ptr<PersistenceStore> store;
    std::shared_ptr<SettingsManager> settingsManager;
    std::shared_ptr<LaunchManager> launchManager;
    std::shared_ptr<LogicSupportActions> supportActions;
    // The Audio Unit report, made on a worker once started (after the panel's first frame).
    std::shared_ptr<PluginInventory> plugins;
    // Which copy last opened each project.
    std::shared_ptr<ProjectMemory> projectMemory;

    // What the launcher's and the settings' view models are made of, with the shell's
    // menus and open panel.
    LauncherViewModel::Collaborators launcherCollaborators(MenuPresenter* menus) const;
    SettingsViewModel::Collaborators settingsCollaborators(OpenPanel* openPanel) const;

    // The parts, for a caller that needs only one over a host (a tool, a test).
    static std::shared_ptr<LogicScanner> makeScanner(Host& host, std::shared_ptr<ArchitectureDetector> detector);
    static std::shared_ptr<PersistenceStore> makeStore(Host& host);
    static LaunchManager::Collaborators launchCollaborators(Host& host, std::shared_ptr<ArchitectureDetector> detector);
    static std::shared_ptr<PluginInventory> makePluginInventory(Host& host);
    static std::shared_ptr<LaunchManager> makeLaunchManager(Host& host, std::shared_ptr<ArchitectureDetector> detector);
};

} // namespace vantrel
