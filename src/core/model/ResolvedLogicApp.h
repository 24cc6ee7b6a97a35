#pragma once

#include "model/LogicApp.h"
#include "model/LogicAppMetadata.h"

#include <optional>

namespace vantrel {

// An installation after a scan: its record, and its metadata when the bundle is there and
// readable. `isMissing` is true exactly when there is no metadata.
struct ResolvedLogicApp {
    LogicApp app;
    std::optional<LogicAppMetadata> metadata;
    bool isMissing = true;

    friend bool operator==(const ResolvedLogicApp&, const ResolvedLogicApp&) = default;
};

inline size_t qHash(const ResolvedLogicApp& r, size_t seed = 0) noexcept
{
    seed = qHash(r.app, seed);
    seed = hashOptional(r.metadata, seed);
    return ::qHash(r.isMissing, seed);
}

} // namespace vantrel
