#pragma once

#include "model/LaunchArchitecture.h"

#include <QHash>
#include <QString>
#include <QUrl>

#include <memory>
#include <mutex>
#include <optional>

namespace vantrel {

class ArchitecturePreferenceSetter;
class LaunchServices;

// Forces the CPU architecture Launch Services starts a bundle in, by writing the bundle's
// per-application preference, and puts it back when a launch is abandoned. It remembers
// only what it wrote itself, in memory; the system's value is never read.
class ArchitecturePreferenceMutator {
public:
    struct Token {
        QUrl appURL; // as the caller passed it
        std::optional<QString> previousPreference;
        bool didChange = false;

        friend bool operator==(const Token&, const Token&) = default;
    };

    explicit ArchitecturePreferenceMutator(LaunchServices& launchServices);
    ~ArchitecturePreferenceMutator();

    ArchitecturePreferenceMutator(const ArchitecturePreferenceMutator&) = delete;
    ArchitecturePreferenceMutator& operator=(const ArchitecturePreferenceMutator&) = delete;

    // Whether the Launch Services setter was found.
    bool hasSetter() const { return m_setPreference != nullptr; }

    // What this instance last wrote for the bundle, if anything.
    std::optional<QString> currentPreference(const QUrl& appURL);

    // Writes "arm64" (native on Apple Silicon) or "x86_64" (everything else) unless that is
    // already the recorded value. Throws LauncherError::preferenceMutationFailed when the
    // setter is missing or the bundle URL cannot be made.
    Token beginOverride(const QUrl& appURL, LaunchArchitecture desiredArchitecture, bool hostIsAppleSilicon);

    // Puts back the token's previous value, or "arm64" when there was none; nothing when
    // the override changed nothing or the setter is missing.
    void endOverride(const Token& token);

private:
    std::mutex m_lock;
    std::shared_ptr<ArchitecturePreferenceSetter> m_setPreference;
    QHash<QString, QString> m_knownPreferences; // standardized path → architecture name
};

} // namespace vantrel
