#pragma once

// The text keys in declaration order. Each key's raw value is its name.
// clang-format off
#define VANTREL_L10N_KEYS(X)                                                                                      \
    X(settings) X(done) X(cancel) X(add) X(save) X(edit) X(remove) X(browse) X(info) X(version) X(build) X(mode)  \
    X(bundleID) X(path) X(architectures)                                                                          \
    X(behavior) X(language) X(closeOnFocusLoss) X(closeOtherLogicOnLaunch) X(languagePickerLabel)                 \
    X(openProjectBanner) X(clearProject) X(dropProjectHint) X(settingsHelp) X(noLogicFound) X(noLogicFoundHint)   \
    X(openSettings)                                                                                               \
    X(logicInstallations) X(noSavedInstallations) X(addLogicPro) X(editLogicPro) X(displayName) X(pathToApp)      \
    X(dropLogicHere) X(dropLogicHint) X(showInLauncher) X(unableToReadBundle) X(missingOnDisk)                    \
    X(architectureLabel) X(architectureUnknown) X(selectLogicPanelMessage) X(selectLogicPanelPrompt)              \
    X(settingsWindowTitle) X(reorderHint) X(moveUp) X(moveDown)                                                   \
    X(about) X(appVersionLabel) X(developerCredit) X(telegramHandle) X(logicOnAppStore)                           \
    X(downloadPreviousVersions)                                                                                   \
    X(native) X(rosetta) X(arm64Only) X(actionLaunch) X(actionLaunchWithoutRecent) X(actionLaunchSafeMode)        \
    X(actionOpenPlugins) X(actionOpenPreferences) X(actionRevealInFinder) X(actionShowInfo) X(safeModeHint)      \
    X(infoName) X(startedMode)                                                                                    \
    X(noArm64Slice) X(noIntelSlice) X(rosettaOnlyOnAppleSilicon) X(noX86Slice) X(rosettaNotInstalledShort)       \
    X(parallelDifferentInstalls) X(parallelNoOthers) X(parallelTentative) X(parallelUnsupported)                  \
    X(errorAppNotFound) X(errorArchUnavailable) X(errorRosettaNotInstalled) X(errorLaunchFailed)                  \
    X(errorPreferenceMutation) X(errorInvalidBundle) X(errorNotLogicPro) X(errorCancelled)                       \
    X(errorRequestedButGot) X(errorDidNotStartMode) X(errorNSWorkspaceWrongArch) X(errorOpenArchFailed)           \
    X(errorLSPrefUnavailable) X(errorLSPrefSetFailed) X(errorSafeModeNeedsAccessibility)   \
    X(errorProjectNotFound) X(errorOverrideNotRecorded)                                                          \
    X(pluginsLabel) X(pluginsLoadHere) X(pluginsLoadHereOne) X(pluginsOnlyRosetta) X(pluginsOnlyNative)           \
    X(pluginsBothModesCount) X(pluginsOnlyRosettaCount) X(pluginsOnlyNativeCount) X(pluginsUnreadableCount)      \
    X(pluginsOnlyRosettaGroup) X(pluginsOnlyNativeGroup) X(pluginsUnreadableGroup) X(pluginsReading)             \
    X(pluginsNone) X(pluginsAllBoth) X(showInFinder)                                                              \
    X(linkRefused) X(linkTooLong) X(linkNotLaunch) X(linkRepeatedKey) X(linkBadValue) X(linkUnknownKey)           \
    X(linkNoTarget) X(unknownCardID) X(unknownInstallationPath) X(unknownInstallationName)                        \
    X(ambiguousInstallationName) X(modeNotOffered) X(cardUnavailable)                                             \
    X(cliHelp) X(cliBadUsage) X(cliUnknownCommand) X(cliUnknownOption) X(cliNeedsValue) X(cliBadMode)            \
    X(cliOneTarget) X(cliOneAction) X(cliBadLanguage) X(cliUnexpected) X(cliLauncherRunning) X(cliLaunching)                                                                                               \
    X(projectLastOpenedWith) X(rememberProjectCopies) X(forgetProjectHistory) X(cliUsingRemembered) X(cliNoRemembered)   \
    X(folderIsLink) X(folderOfAnotherUser) X(folderWritableByOthers) X(folderUnusable) X(cliPermissionOfTheRunningProgram)   \
    X(errorLogicPreferencesUnreadable) X(cliRepeatedOption) X(cliOutputFailed) X(handOverTooMuch)
// clang-format on
