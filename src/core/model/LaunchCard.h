#pragma once

#include "model/LaunchArchitecture.h"
#include "model/LogicApp.h"
#include "model/LogicAppMetadata.h"

#include <QString>

#include <optional>

namespace vantrel {

// One launchable tile: an installation in one mode. Cards are snapshots rebuilt on every
// refresh; the reason text is resolved when the card is built.
struct LaunchCard {
    QString id; // "<UUID>-native" or "<UUID>-rosetta"
    LogicApp app;
    LogicAppMetadata metadata;
    LaunchArchitecture architecture = LaunchArchitecture::native;
    bool isAvailable = false;
    std::optional<QString> unavailabilityReason;

    friend bool operator==(const LaunchCard&, const LaunchCard&) = default;

    // The mode's label in the current interface language: "Rosetta"; "Native" for a copy
    // that also has an Intel slice, otherwise "arm64 only".
    QString modeText() const;

    static QString makeID(const LogicApp& app, LaunchArchitecture mode);
};

inline size_t qHash(const LaunchCard& c, size_t seed = 0) noexcept
{
    seed = qHashMulti(seed, c.id, c.app, c.metadata, c.architecture, c.isAvailable);
    return hashOptional(c.unavailabilityReason, seed);
}

} // namespace vantrel
