#pragma once

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace vantrel {

// One entry of the platform's running-application list. Properties other than
// `isTerminated` and `isFinishedLaunching` describe the entry as it was listed; those two
// are asked afresh on every call.
class RunningApplication {
public:
    enum ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };
    static constexpr int activateAllWindows = 1;

    virtual ~RunningApplication() = default;

    virtual std::optional<QString> bundleIdentifier() const = 0;
    virtual std::optional<QUrl> bundleURL() const = 0;
    virtual qint32 processIdentifier() const = 0;
    virtual int activationPolicy() const = 0;
    // The Mach-O CPU type it runs as; -1 when not known.
    virtual int executableArchitecture() const = 0;
    virtual bool isTerminated() const = 0;
    virtual bool isFinishedLaunching() const = 0;

    // Brings it to the front; only the all-windows option is used.
    virtual bool activate(int options) = 0;
    // Sends the graceful quit request; true when it was sent.
    virtual bool terminate() = 0;
};

using RunningApplicationPtr = std::shared_ptr<RunningApplication>;

} // namespace vantrel
