#pragma once

#include "Services.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LogicScanner.h"
#include "installations/VersionReader.h"
#include "launch/LaunchManager.h"
#include "launch/LogicPreferenceMutator.h"
#include "log/LaunchLogger.h"
#include "platform/Host.h"
#include "settings/PersistenceStore.h"
#include "text/LocalizationStore.h"

#include <memory>

// The objects a test needs over the host it installed, built as the application's
// composition root builds them (the host is the test's: a temporary simulated Mac).
namespace vantrel::test {

inline Host& host()
{
    return Host::current();
}

inline LaunchLogger& logger()
{
    return LaunchLogger::of(host());
}

inline LocalizationStore& localization()
{
    return LocalizationStore::of(host());
}

inline std::shared_ptr<ArchitectureDetector> detector()
{
    return std::make_shared<ArchitectureDetector>(host().fileSystem());
}

inline VersionReader versionReader()
{
    return VersionReader(host().fileSystem());
}

inline std::shared_ptr<LogicScanner> scanner(std::shared_ptr<ArchitectureDetector> architectureDetector = detector())
{
    return Services::makeScanner(host(), std::move(architectureDetector));
}

inline std::shared_ptr<PersistenceStore> store()
{
    return Services::makeStore(host());
}

inline std::shared_ptr<LogicPreferenceMutator> preferenceMutator()
{
    return LogicPreferenceMutator::forHost(host());
}

inline LaunchManager::Collaborators
launchCollaborators(std::shared_ptr<ArchitectureDetector> architectureDetector = detector())
{
    return Services::launchCollaborators(host(), std::move(architectureDetector));
}

inline std::shared_ptr<LaunchManager>
launchManager(std::shared_ptr<ArchitectureDetector> architectureDetector = detector())
{
    return Services::makeLaunchManager(host(), std::move(architectureDetector));
}

} // namespace vantrel::test
