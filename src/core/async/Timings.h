#pragma once

#include "async/Duration.h"

#include <chrono>

// Every wait, pause and deadline of the launcher, in one place. All are `Duration`s and
// are waited for through a Clock, so tests run them in virtual time.
namespace vantrel::timings {

using namespace std::chrono_literals;

// ---- launch engine ---------------------------------------------------------------------

// Quitting other copies: a pause after bringing each one to the front before asking it to
// quit, the pause between two checks whether they are gone (and once more after they
// are), and how long they may take before the launch counts as cancelled.
inline constexpr Duration quitActivatePause = 200ms;
inline constexpr Duration quitPollPause = 300ms;
inline constexpr Duration quitDeadline = 120s;
// A copy this launch started that failed its check is asked to quit before the next try:
// how long that waits for it to go.
inline constexpr Duration ownLeftoverQuitWait = 10s;

// Verifying the architecture that runs: how long a match must stay (longer when a project
// follows), how long to look for one, and the pause between two looks.
inline constexpr Duration verifySettle = 450ms;
inline constexpr Duration verifySettleBeforeProject = 1250ms;
inline constexpr Duration verifyDeadline = 12s;
inline constexpr Duration verifyDeadlineBeforeProject = 18s;
inline constexpr Duration processProbePause = 250ms;

// Readiness before a project is handed over (a copy that was already running, or a cold
// start): how long the same process must be seen, and how long to wait at most. The
// pause between two looks is processProbePause.
inline constexpr Duration readySettle = 350ms;
inline constexpr Duration readySettleColdStart = 1200ms;
inline constexpr Duration readyDeadline = 8s;
inline constexpr Duration readyDeadlineColdStart = 25s;

// Handing a project over: the limit of one attempt, and the pause between two.
inline constexpr Duration documentOpenAttemptTimeout = 4s;
inline constexpr Duration documentOpenRetryPause = 800ms;

// Logic's startup action: restored this long after a project was handed over, at once
// when the launch failed or only the project was handed over; kept this long after a
// launch without the recent project.
inline constexpr Duration startupActionRestoreDelay = 6s;
inline constexpr Duration startupActionRestoreAtOnce = 0s;
inline constexpr Duration withoutRecentProjectHold = 1500ms;

// Safe Mode: Control is down this long before the start, and stays down this long after.
inline constexpr Duration safeModeControlLead = 150ms;
inline constexpr Duration safeModeControlTail = 2s;

// ---- the panel ------------------------------------------------------------------------

// The panel's animations: scaling and fading in as it appears, fading out as it ends (the
// window system's blur behind it follows the same durations).
inline constexpr Duration panelAppearScale = 220ms;
inline constexpr Duration panelAppearOpacity = 200ms;
inline constexpr Duration panelFadeOut = 180ms;

// ---- focus loss ---------------------------------------------------------------------------

// Losing the focus closes the panel after this pause (a click that comes straight back
// keeps it); a held mouse button is polled this often.
inline constexpr Duration focusLossCloseDelay = 150ms;
inline constexpr Duration mouseButtonPoll = 50ms;

// No focus-loss close for a while after each of these: the panel hiding for a launch
// (until the launch ends), the panel back after a failed launch, the settings opening,
// the settings closing, an outward link leaving for the browser, the panel moved by a
// drag. After the settings have closed, the suppression ends once the panel is forward
// again.
inline constexpr Duration suppressWhileHiddenForLaunch = 180s;
inline constexpr Duration suppressAfterFailedLaunch = 500ms;
inline constexpr Duration suppressOpeningSettings = 250ms;
inline constexpr Duration suppressSettingsClosed = 200ms;
inline constexpr Duration suppressLeavingThroughLink = 30s;
inline constexpr Duration suppressAfterPanelMove = 300ms;
inline constexpr Duration settingsClosedSettle = 250ms;

// ---- launcher view model ------------------------------------------------------------------

// No focus-loss close for a while after each of these, where something else takes the
// focus on purpose: an action menu shown from a card, a support action (the Finder or
// Logic Pro comes forward).
inline constexpr Duration suppressForActionMenu = 350ms;
inline constexpr Duration suppressAfterSupportAction = 1500ms;

// Opening Logic's settings: the pause between bringing Logic Pro to the front and typing
// its shortcut.
inline constexpr Duration preferencesShortcutPause = 350ms;

// ---- real time ----------------------------------------------------------------------------

// Limits on other processes, timed by the system (these are no Clock's waits): a child
// command still running after this is killed; a second launcher's connection and its
// silence before it is dropped; how long a start waits for a launcher that is ending;
// a screenshot's first frame that never comes is grabbed anyway after this.
inline constexpr Duration commandTimeLimit = 60s;
inline constexpr Duration peerConnectTimeout = 1s;
inline constexpr Duration peerSilenceLimit = 2s;
inline constexpr Duration endingLauncherWait = 15s;
inline constexpr Duration screenshotFallback = 5s;

} // namespace vantrel::timings
