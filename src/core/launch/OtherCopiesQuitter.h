#pragma once

#include "async/Clock.h"
#include "async/Task.h"
#include "model/LaunchArchitecture.h"

#include <QUrl>

#include <memory>

namespace vantrel {

class LaunchLogger;
class RunningInstances;
class UserDefaults;

// Asks the other running copies of Logic Pro to quit before a launch, when the user wants
// that ("closeOtherLogicOnLaunch"), and waits until they are gone.
class OtherCopiesQuitter {
public:
    OtherCopiesQuitter(RunningInstances& running, Clock& clock, const UserDefaults& standardDefaults,
                       LaunchLogger& logger);

    // "closeOtherLogicOnLaunch", true when never set.
    bool shouldCloseOtherLogicOnLaunch() const;
    Task<> quitOtherLogicIfNeeded(QUrl appURL, LaunchArchitecture architecture);
    // Quits every other installation, and this one when it runs in another mode than
    // `keepingArchitecture`; throws operationCancelled when they are still running 120 s
    // after the request, or when `cancelQuitting` ends the wait first.
    Task<> quitOtherLogicInstances(QUrl exceptBundle, LaunchArchitecture keepingArchitecture);
    // Ends a wait for other copies to quit at once (the launcher is ending): the quit
    // step throws operationCancelled. Nothing when none waits.
    void cancelQuitting();

private:
    void log(const QString& message) const;

    RunningInstances& m_running;
    Clock& m_clock;
    const UserDefaults& m_standardDefaults;
    LaunchLogger& m_logger;
    std::shared_ptr<Clock::Cancellation> m_quitWait; // the quit step's current wait
};

} // namespace vantrel
