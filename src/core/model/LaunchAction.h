#pragma once

#include "model/RawValue.h"

namespace vantrel {

// What a card action does. The first three are launch requests; the others are support
// actions served outside the launch engine.
enum class LaunchAction {
    launch,
    launchWithoutRecentProject,
    launchSafeMode,
    openPluginsFolder,
    openPreferences,
    revealInFinder,
    showInfo,
};

template <>
struct EnumTraits<LaunchAction> {
    static constexpr std::array cases{LaunchAction::launch,          LaunchAction::launchWithoutRecentProject,
                                      LaunchAction::launchSafeMode,  LaunchAction::openPluginsFolder,
                                      LaunchAction::openPreferences, LaunchAction::revealInFinder,
                                      LaunchAction::showInfo};
    static constexpr std::array names{"launch",          "launchWithoutRecentProject",
                                      "launchSafeMode",  "openPluginsFolder",
                                      "openPreferences", "revealInFinder",
                                      "showInfo"};
};

// launch, launchWithoutRecentProject and launchSafeMode.
constexpr bool isLaunchRequest(LaunchAction action)
{
    return action == LaunchAction::launch || action == LaunchAction::launchWithoutRecentProject
           || action == LaunchAction::launchSafeMode;
}

} // namespace vantrel
