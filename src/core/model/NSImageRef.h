#pragma once

#include "model/HashHelpers.h"

#include <QString>

#include <optional>

namespace vantrel {

// An icon reference carried by value: the bundle whose icon it is. Nothing turns it into
// an image in the core; views may.
struct NSImageRef {
    std::optional<QString> path;

    friend bool operator==(const NSImageRef&, const NSImageRef&) = default;
};

inline size_t qHash(const NSImageRef& ref, size_t seed = 0) noexcept
{
    return hashOptional(ref.path, seed);
}

} // namespace vantrel
