#pragma once

#include <QString>

#include <memory>

namespace vantrel {

// The per-application architecture preference of Launch Services.
class ArchitecturePreferenceSetter {
public:
    virtual ~ArchitecturePreferenceSetter() = default;
    // Whether the platform can make a bundle URL of the (standardized) path.
    virtual bool canMakeBundleURL(const QString& path) const = 0;
    // The next launch of the bundle by Launch Services starts `architectureName`
    // ("arm64" or "x86_64"). No result, like the platform's function.
    virtual void setPreference(const QString& path, const QString& architectureName) = 0;
};

class LaunchServices {
public:
    virtual ~LaunchServices() = default;
    // The setter, or nullptr when it cannot be found on this system.
    virtual std::shared_ptr<ArchitecturePreferenceSetter> lookUpArchitecturePreferenceSetter() = 0;
};

} // namespace vantrel
