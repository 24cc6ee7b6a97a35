#include "Services.h"

#include "async/Spawner.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LogicScanner.h"
#include "installations/VersionReader.h"
#include "launch/ArchitecturePreferenceMutator.h"
#include "launch/LaunchManager.h"
#include "launch/LogicPreferenceMutator.h"
#include "log/LaunchLogger.h"
#include "platform/Host.h"
#include "plugins/AudioUnitScanner.h"
#include "plugins/PluginInventory.h"
#include "settings/PersistenceStore.h"
#include "settings/ProjectMemory.h"
#include "settings/SettingsManager.h"
#include "text/LocalizationStore.h"
#include "viewmodels/LogicSupportActions.h"

namespace vantrel {

Services::Services(Host& host)
    : host(host)
    , logger(LaunchLogger::of(host))
    , localization(LocalizationStore::of(host))
    , architectureDetector(std::make_shared<ArchitectureDetector>(host.fileSystem()))
    , versionReader(std::make_shared<VersionReader>(host.fileSystem()))
    , scanner(makeScanner(host, architectureDetector))
    , store(makeStore(host))
    , settingsManager(std::make_shared<SettingsManager>(store, scanner))
    , launchManager(makeLaunchManager(host, architectureDetector))
    , supportActions(std::make_shared<LogicSupportActions>(host.workspace(), host.fileSystem(), host.scripting()))
    , plugins(makePluginInventory(host))
    , projectMemory(std::make_shared<ProjectMemory>(host.standardDefaults(), host.fileSystem(), logger))
{
}

Services::~Services() = default;

std::shared_ptr<LogicScanner> Services::makeScanner(Host& host, std::shared_ptr<ArchitectureDetector> detector)
{
    return std::make_shared<LogicScanner>(host.fileSystem(), VersionReader(host.fileSystem()), std::move(detector),
                                          host.ownBundlePath());
}

std::shared_ptr<PluginInventory> Services::makePluginInventory(Host& host)
{
    FileSystem& disk = host.fileSystem();
    return std::make_shared<PluginInventory>(
        std::make_shared<AudioUnitScanner>(disk, AudioUnitScanner::defaultCacheFile(disk, host.ownBundleIdentifier())));
}

std::shared_ptr<PersistenceStore> Services::makeStore(Host& host)
{
    return std::make_shared<PersistenceStore>(host.standardDefaults(), host.fileSystem(), LaunchLogger::of(host));
}

LaunchManager::Collaborators Services::launchCollaborators(Host& host, std::shared_ptr<ArchitectureDetector> detector)
{
    LaunchManager::Collaborators c;
    c.architectureDetector = std::move(detector);
    c.preferenceMutator = LogicPreferenceMutator::forHost(host);
    c.architecturePreferenceMutator = std::make_shared<ArchitecturePreferenceMutator>(host.launchServices());
    c.workspace = &host.workspace();
    c.logger = &LaunchLogger::of(host);
    c.clock = &host.clock();
    c.processProbe = &host.processProbe();
    c.commandRunner = &host.commandRunner();
    c.keyboard = &host.keyboard();
    c.fileSystem = &host.fileSystem();
    c.securityScope = &host.securityScope();
    c.standardDefaults = host.standardDefaults();
    // Fire-and-forget restores; whoever ends the process waits for them.
    c.pendingWork = &host.shared<Spawner>([](Host&) { return std::make_unique<Spawner>(); });
    return c;
}

std::shared_ptr<LaunchManager> Services::makeLaunchManager(Host& host, std::shared_ptr<ArchitectureDetector> detector)
{
    return std::make_shared<LaunchManager>(launchCollaborators(host, std::move(detector)));
}

LauncherViewModel::Collaborators Services::launcherCollaborators(MenuPresenter* menus) const
{
    LauncherViewModel::Collaborators c;
    c.scanner = scanner;
    c.architectureDetector = architectureDetector;
    c.versionReader = versionReader;
    c.launchManager = launchManager;
    c.supportActions = supportActions;
    c.settingsManager = settingsManager;
    c.workspace = &host.workspace();
    c.securityScope = &host.securityScope();
    c.fileSystem = &host.fileSystem();
    c.logger = &logger;
    c.menus = menus;
    c.plugins = plugins;
    c.projectMemory = projectMemory;
    return c;
}

SettingsViewModel::Collaborators Services::settingsCollaborators(OpenPanel* openPanel) const
{
    SettingsViewModel::Collaborators c;
    c.settingsManager = settingsManager;
    c.scanner = scanner;
    c.versionReader = versionReader;
    c.architectureDetector = architectureDetector;
    c.workspace = &host.workspace();
    c.fileSystem = &host.fileSystem();
    c.securityScope = &host.securityScope();
    c.ownBundlePath = host.ownBundlePath();
    c.openPanel = openPanel;
    c.plugins = plugins;
    c.projectMemory = projectMemory;
    return c;
}

} // namespace vantrel
