#include "installations/VersionReader.h"

#include "installations/ArchitectureDetector.h"
#include "installations/InfoPlist.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"

namespace vantrel {

namespace {

std::optional<QString> stringValue(const QVariantMap& info, const QString& key)
{
    const QVariant value = info.value(key);
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

} // namespace

VersionReader::VersionReader(FileSystem& fileSystem)
    : m_fileSystem(fileSystem)
{
}

std::optional<QVariantMap> VersionReader::infoDictionary(const QUrl& appURL) const
{
    return readInfoPlist(m_fileSystem, HostPath::fromURL(appURL));
}

std::optional<QString> VersionReader::bundleIdentifier(const QUrl& appURL) const
{
    auto info = infoDictionary(appURL);
    return info ? bundleIdentifier(*info) : std::nullopt;
}

std::optional<QString> VersionReader::bundleIdentifier(const QVariantMap& info)
{
    return stringValue(info, QStringLiteral("CFBundleIdentifier"));
}

std::optional<LogicAppMetadata> VersionReader::metadata(const QUrl& appURL,
                                                        const ArchitectureDetector& architectureDetector) const
{
    // Nothing at the URL has no info dictionary either.
    auto info = infoDictionary(appURL);
    if (!info) {
        return std::nullopt;
    }
    return metadata(HostPath::fromURL(appURL), *info, architectureDetector);
}

std::optional<LogicAppMetadata> VersionReader::metadata(const QString& bundlePath, const QVariantMap& info,
                                                        const ArchitectureDetector& architectureDetector) const
{
    const QString path = HostPath::standardized(bundlePath);
    auto shortVersion = stringValue(info, QStringLiteral("CFBundleShortVersionString"));
    if (!shortVersion) {
        return std::nullopt;
    }
    const QString trimmed = shortVersion->trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }

    LogicAppMetadata metadata;
    metadata.shortVersion = trimmed;
    metadata.bundleIdentifier = stringValue(info, QStringLiteral("CFBundleIdentifier"));
    metadata.buildVersion = stringValue(info, QStringLiteral("CFBundleVersion"));
    if (auto name = stringValue(info, QStringLiteral("CFBundleDisplayName"))) {
        metadata.displayName = *name;
    } else if (auto bundleName = stringValue(info, QStringLiteral("CFBundleName"))) {
        metadata.displayName = *bundleName;
    } else {
        metadata.displayName = HostPath::baseName(path);
    }
    metadata.executableArchitectures = architectureDetector.architectures(path, info);
    metadata.icon = NSImageRef{path};
    return metadata;
}

} // namespace vantrel
