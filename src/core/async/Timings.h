#pragma once

#include "async/Clock.h"

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

} // namespace vantrel::timings
