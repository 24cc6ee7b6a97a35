#pragma once

#include "model/BinaryArchitecture.h"
#include "model/HashHelpers.h"
#include "model/NSImageRef.h"

#include <QString>

#include <optional>

namespace vantrel {

// What a bundle on disk says about itself.
struct LogicAppMetadata {
    std::optional<QString> bundleIdentifier;
    QString shortVersion; // trimmed, never empty
    std::optional<QString> buildVersion;
    SliceSet executableArchitectures;
    QString displayName;
    std::optional<NSImageRef> icon;

    friend bool operator==(const LogicAppMetadata&, const LogicAppMetadata&) = default;
};

inline size_t qHash(const LogicAppMetadata& m, size_t seed = 0) noexcept
{
    seed = hashOptional(m.bundleIdentifier, seed);
    seed = qHash(m.shortVersion, seed);
    seed = hashOptional(m.buildVersion, seed);
    seed = hashSet(m.executableArchitectures, seed);
    seed = qHash(m.displayName, seed);
    return hashOptional(m.icon, seed);
}

} // namespace vantrel
