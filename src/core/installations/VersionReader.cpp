#include "installations/VersionReader.h"

#include "installations/ArchitectureDetector.h"
#include "installations/InfoPlist.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"

namespace vantrel {

VersionReader::VersionReader(FileSystem& fileSystem)
    : m_fileSystem(fileSystem)
{
}

std::optional<BundleInfo> VersionReader::bundleInfo(const QUrl& appURL) const
{
    return readBundleInfo(m_fileSystem, HostPath::fromURL(appURL));
}

std::optional<QString> VersionReader::bundleIdentifier(const QUrl& appURL) const
{
    auto info = bundleInfo(appURL);
    return info ? info->identifier : std::nullopt;
}

std::optional<LogicAppMetadata> VersionReader::metadata(const QUrl& appURL,
                                                        const ArchitectureDetector& architectureDetector) const
{
    // Nothing at the URL has no info dictionary either.
    auto info = bundleInfo(appURL);
    if (!info) {
        return std::nullopt;
    }
    return metadata(HostPath::fromURL(appURL), *info, architectureDetector);
}

std::optional<LogicAppMetadata> VersionReader::metadata(const QString& bundlePath, const BundleInfo& info,
                                                        const ArchitectureDetector& architectureDetector) const
{
    if (!info.shortVersion) {
        return std::nullopt;
    }
    const QString trimmed = info.shortVersion->trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }

    const QString path = HostPath::standardized(bundlePath);
    LogicAppMetadata metadata;
    metadata.shortVersion = trimmed;
    metadata.bundleIdentifier = info.identifier;
    metadata.buildVersion = info.buildVersion;
    metadata.displayName = info.displayName ? *info.displayName : info.name ? *info.name : HostPath::baseName(path);
    metadata.executableArchitectures = architectureDetector.architectures(path, info);
    metadata.icon = NSImageRef{path};
    return metadata;
}

} // namespace vantrel
